#include "app/ClassFactory.h"

#include "app/AutomationIds.h"
#include "app/Zm_configDlgAutoProxy.h"

#include <QDBusConnectionInterface>
#include <QMetaObject>

CZm_configClassFactory::CZm_configClassFactory(CAutomationModule& module, QObject* parent)
    : QObject(parent), m_module(module), m_bus(QString())
{
    m_clients.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_clients, &QDBusServiceWatcher::serviceUnregistered, this, &CZm_configClassFactory::OnClientGone);
}

CZm_configClassFactory::~CZm_configClassFactory()
{
    Revoke();
    while (!m_instances.empty())
        ReleaseAt(m_instances.size() - 1);
}

bool CZm_configClassFactory::RegisterAsRunning(const QDBusConnection& bus)
{
    if (m_bRegistered || !bus.isConnected())
        return false;
    m_bus = bus;
    if (!m_bus.registerObject(QString::fromLatin1(Automation::kFactoryPath), this,
                              QDBusConnection::ExportAllSlots))
        return false;
    m_bRegistered = true;
    m_clients.setConnection(m_bus);
    if (!m_bus.registerService(QString::fromLatin1(Automation::kProgId))) {
        Revoke();
        return false;
    }
    m_bOwnsName = true;
    return true;
}

void CZm_configClassFactory::GiveUpName()
{
    if (m_bOwnsName)
        m_bus.unregisterService(QString::fromLatin1(Automation::kProgId));
    m_bOwnsName = false;
}

void CZm_configClassFactory::Revoke()
{
    GiveUpName();
    if (m_bRegistered)
        m_bus.unregisterObject(QString::fromLatin1(Automation::kFactoryPath));
    m_bRegistered = false;
}

QDBusObjectPath CZm_configClassFactory::CreateInstance()
{
    if (!calledFromDBus())
        return {};
    if (m_bUsed) {
        sendErrorReply(QString::fromLatin1(Automation::kErrorFactoryUsed),
                       QStringLiteral("this zm_config already serves a client; ask %1 for a new one")
                           .arg(QString::fromLatin1(Automation::kProgId)));
        return {};
    }

    const QString client = message().service();
    const QString path = QString::fromLatin1(Automation::kInstancePath) + QString::number(m_nextInstance++);
    auto* proxy = new CZm_configDlgAutoProxy(m_module, this);
    // The object has no members; exporting it makes it visible and introspectable.
    m_bus.registerObject(path, proxy, QDBusConnection::ExportScriptableContents);
    m_instances.push_back({proxy, client, path});
    m_clients.addWatchedService(client);

    m_bUsed = true;
    GiveUpName();

    // A client that went away before the watch was in place never reports
    // its end: look once, after this reply has gone.
    QMetaObject::invokeMethod(this, [this, client] { ReleaseIfClientGone(client); }, Qt::QueuedConnection);
    return QDBusObjectPath(path);
}

void CZm_configClassFactory::Release(const QDBusObjectPath& instance)
{
    if (!calledFromDBus())
        return;
    const QString path = instance.path();
    for (size_t i = 0; i < m_instances.size(); ++i) {
        if (m_instances[i].path != path)
            continue;
        if (m_instances[i].client != message().service()) {
            sendErrorReply(QString::fromLatin1(Automation::kErrorNotOwner),
                           QStringLiteral("%1 belongs to another client").arg(path));
            return;
        }
        // Released after the reply is on its way: releasing may end the program.
        QMetaObject::invokeMethod(this, [this, path] {
            for (size_t j = 0; j < m_instances.size(); ++j)
                if (m_instances[j].path == path) {
                    ReleaseAt(j);
                    return;
                }
        }, Qt::QueuedConnection);
        return;
    }
    sendErrorReply(QString::fromLatin1(Automation::kErrorUnknownObject),
                   QStringLiteral("no object %1 here").arg(path));
}

void CZm_configClassFactory::ReleaseAt(size_t index)
{
    const Instance instance = m_instances[index];
    m_instances.erase(m_instances.begin() + static_cast<std::ptrdiff_t>(index));
    m_bus.unregisterObject(instance.path);
    bool clientHoldsMore = false;
    for (const Instance& other : m_instances)
        clientHoldsMore = clientHoldsMore || other.client == instance.client;
    if (!clientHoldsMore)
        m_clients.removeWatchedService(instance.client);
    delete instance.proxy;
}

void CZm_configClassFactory::OnClientGone(const QString& client)
{
    for (size_t i = m_instances.size(); i-- > 0;)
        if (m_instances[i].client == client)
            ReleaseAt(i);
}

void CZm_configClassFactory::ReleaseIfClientGone(const QString& client)
{
    QDBusConnectionInterface* bus = m_bus.interface();
    if (bus && !bus->isServiceRegistered(client).value())
        OnClientGone(client);
}
