#include "app/ClassFactory.h"

#include "app/AutomationIds.h"
#include "app/AutomationModule.h"
#include "app/Zm_configDlgAutoProxy.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QMetaObject>

namespace {

// The objects handed out have no members: exported for introspection only.
// ExportScriptableSlots shows their interface block, and as they declare no
// scriptable slot, nothing can be called, read or written through it
// (ExportScriptableContents would expose QObject's objectName property).
constexpr QDBusConnection::RegisterOptions kObjectExport = QDBusConnection::ExportScriptableSlots;

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

CZm_configClassFactory::CZm_configClassFactory(CAutomationModule& module, QObject* parent)
    : QObject(parent), m_module(module), m_bus(QString())
{
    m_clients.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_clients, &QDBusServiceWatcher::serviceUnregistered, this, &CZm_configClassFactory::OnClientGone);
    m_busCheck.setInterval(kBusCheckMs);
    connect(&m_busCheck, &QTimer::timeout, this, &CZm_configClassFactory::CheckBus);
}

CZm_configClassFactory::~CZm_configClassFactory()
{
    Revoke();
    for (const QDBusMessage& request : m_pending)
        m_bus.send(request.createErrorReply(Latin1(Automation::kErrorFactoryUsed),
                                            QStringLiteral("this zm_config is ending")));
    m_pending.clear();
    while (!m_instances.empty())
        ReleaseAt(m_instances.size() - 1);
}

bool CZm_configClassFactory::RegisterAsRunning(const QDBusConnection& bus)
{
    if (m_bRegistered || !bus.isConnected())
        return false;
    m_bus = bus;
    // ExportAllSlots exports the slots this class declares (CreateInstance,
    // Release), not QObject's.
    if (!m_bus.registerObject(Latin1(Automation::kFactoryPath), this, QDBusConnection::ExportAllSlots))
        return false;
    m_bRegistered = true;
    m_clients.setConnection(m_bus);
    if (!m_bus.registerService(Latin1(Automation::kProgId))) {
        Revoke();
        return false;
    }
    m_bOwnsName = true;
    return true;
}

void CZm_configClassFactory::GiveUpName()
{
    if (m_bOwnsName)
        m_bus.unregisterService(Latin1(Automation::kProgId));
    m_bOwnsName = false;
}

void CZm_configClassFactory::Revoke()
{
    GiveUpName();
    if (m_bRegistered)
        m_bus.unregisterObject(Latin1(Automation::kFactoryPath));
    m_bRegistered = false;
}

void CZm_configClassFactory::EndWhenAbandoned(bool startedByBus)
{
    if (!m_bRegistered)
        return;
    m_busCheck.start();
    if (!startedByBus)
        return;
    // Counted from the event loop's start, so that a slow start-up cannot
    // pass for a request that never came.
    QTimer::singleShot(0, this, [this] {
        QTimer::singleShot(kUnclaimedMs, this, [this] {
            if (!m_bUsed)
                m_module.EndUnheldRun();
        });
    });
}

void CZm_configClassFactory::CheckBus()
{
    if (m_bus.isConnected())
        return;
    m_busCheck.stop();
    // Nobody can call or release anything here any more: every object goes
    // as when its client goes, and with the last one the run.
    m_pending.clear();
    while (!m_instances.empty())
        ReleaseAt(m_instances.size() - 1);
    m_module.EndUnheldRun();
}

QDBusObjectPath CZm_configClassFactory::CreateInstance()
{
    if (!calledFromDBus())
        return {};
    if (m_bUsed) {
        // Answered once the next zm_config has created the object.
        setDelayedReply(true);
        m_pending.push_back(message());
        if (m_pending.size() == 1)
            ForwardNext();
        return {};
    }

    const QString client = message().service();
    const QString path = Latin1(Automation::kInstancePath) + QString::number(m_nextInstance++);
    auto* proxy = new CZm_configDlgAutoProxy(m_module, this);
    m_bus.registerObject(path, proxy, kObjectExport);
    m_instances.push_back({proxy, client, path, {}, {}});
    Watch(client);

    m_bUsed = true;
    GiveUpName();

    // A client that went away before the watch was in place never reports
    // its end: look once, after this reply has gone.
    QMetaObject::invokeMethod(this, [this, client] { ReleaseIfClientGone(client); }, Qt::QueuedConnection);
    return QDBusObjectPath(path);
}

void CZm_configClassFactory::ForwardNext()
{
    if (m_pending.empty())
        return;
    // One at a time: by the time the next request goes, the process that
    // took this one has given up the name, and the bus starts a fresh one
    // rather than queueing every request at the same newcomer.
    const QDBusMessage call = QDBusMessage::createMethodCall(
        Latin1(Automation::kProgId), Latin1(Automation::kFactoryPath), Latin1(Automation::kFactoryInterface),
        QStringLiteral("CreateInstance"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kForwardTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        OnForwarded(finished->reply());
    });
}

void CZm_configClassFactory::OnForwarded(const QDBusMessage& reply)
{
    if (m_pending.empty())
        return;
    const QDBusMessage request = m_pending.front();
    m_pending.pop_front();

    const QString remotePath = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (reply.type() != QDBusMessage::ReplyMessage || remotePath.isEmpty()) {
        m_bus.send(request.createErrorReply(
            Latin1(Automation::kErrorFactoryUsed),
            QStringLiteral("this zm_config already serves a client and no other one could take the request: %1")
                .arg(reply.errorMessage())));
    } else {
        const QString client = request.service();
        const QString remote = reply.service();
        const QString path = Latin1(Automation::kInstancePath) + QString::number(m_nextInstance++);
        auto* standIn = new CZm_configDlgAutoProxy(m_module, this, false);
        m_bus.registerObject(path, standIn, kObjectExport);
        m_instances.push_back({standIn, client, path, remote, remotePath});
        Watch(client);
        Watch(remote);
        m_bus.send(request.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        // Either end may have gone before its watch was in place.
        QMetaObject::invokeMethod(this, [this, client, remote] {
            ReleaseIfClientGone(client);
            ReleaseIfClientGone(remote);
        }, Qt::QueuedConnection);
    }
    ForwardNext();
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
            sendErrorReply(Latin1(Automation::kErrorNotOwner),
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
    sendErrorReply(Latin1(Automation::kErrorUnknownObject), QStringLiteral("no object %1 here").arg(path));
}

void CZm_configClassFactory::ReleaseAt(size_t index)
{
    const Instance instance = m_instances[index];
    m_instances.erase(m_instances.begin() + static_cast<std::ptrdiff_t>(index));
    m_bus.unregisterObject(instance.path);
    if (!instance.remote.isEmpty()) {
        // The real object's client is this process: pass the release on. No
        // answer is awaited; should the message be lost with this process,
        // the other one sees this connection go and releases all the same.
        QDBusMessage release = QDBusMessage::createMethodCall(instance.remote, Latin1(Automation::kFactoryPath),
                                                              Latin1(Automation::kFactoryInterface),
                                                              QStringLiteral("Release"));
        release.setArguments({QVariant::fromValue(QDBusObjectPath(instance.remotePath))});
        release.setAutoStartService(false);
        m_bus.send(release);
        Unwatch(instance.remote);
    }
    Unwatch(instance.client);
    delete instance.object;
}

void CZm_configClassFactory::Watch(const QString& name)
{
    if (!m_clients.watchedServices().contains(name))
        m_clients.addWatchedService(name);
}

void CZm_configClassFactory::Unwatch(const QString& name)
{
    for (const Instance& other : m_instances)
        if (other.client == name || other.remote == name)
            return;
    m_clients.removeWatchedService(name);
}

void CZm_configClassFactory::OnClientGone(const QString& name)
{
    for (size_t i = m_instances.size(); i-- > 0;) {
        Instance& instance = m_instances[i];
        const bool remoteGone = !instance.remote.isEmpty() && instance.remote == name;
        if (remoteGone)
            instance.remote.clear();  // the real object went with it: nothing to pass on
        if (remoteGone || instance.client == name)
            ReleaseAt(i);
    }
    Unwatch(name);
}

void CZm_configClassFactory::ReleaseIfClientGone(const QString& client)
{
    QDBusConnectionInterface* bus = m_bus.interface();
    if (bus && !bus->isServiceRegistered(client).value())
        OnClientGone(client);
}
