// The automation class factory of zm_config on the D-Bus session bus.
//
// Registered as running (RegisterAsRunning), it exports itself at
// /zm_config/ClassFactory and owns the well-known name "zm_config.Application"
// (the ProgID). A client calls CreateInstance() and receives the object path
// of a new CZm_configDlgAutoProxy; the reply's sender (this process's unique
// name) is where the object lives and where the client later calls
// Release(path). An object is also released when its client's connection
// goes away, so a client that dies never keeps the program alive.
//
// Multiple instance. Every client is to be served by a program of its own.
// The factory is single-use: once it has handed out its object, the process
// gives up the well-known name, so the next client's request for that name
// makes the bus start a new zm_config through the activation file (see
// ServiceFile.h); a second CreateInstance() sent to this process directly is
// refused with zm_config.Error.FactoryUsed.
//
// Window thread only: QtDBus delivers the calls there.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QObject>

#include <vector>

class CAutomationModule;
class CZm_configDlgAutoProxy;

class CZm_configClassFactory : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "zm_config.ClassFactory")
    Q_CLASSINFO("D-Bus Introspection",
                "  <interface name=\"zm_config.ClassFactory\">\n"
                "    <annotation name=\"zm_config.ClassId\" value=\"{01A34255-DF94-4584-80C1-389E64BB0951}\"/>\n"
                "    <annotation name=\"zm_config.ProgId\" value=\"zm_config.Application\"/>\n"
                "    <annotation name=\"zm_config.Instancing\" value=\"MultipleInstance\"/>\n"
                "    <method name=\"CreateInstance\">\n"
                "      <arg name=\"instance\" type=\"o\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"Release\">\n"
                "      <arg name=\"instance\" type=\"o\" direction=\"in\"/>\n"
                "    </method>\n"
                "  </interface>\n")
public:
    explicit CZm_configClassFactory(CAutomationModule& module, QObject* parent = nullptr);
    //! Revokes the registration; objects still held are destroyed.
    ~CZm_configClassFactory() override;

    //! Exports the factory on `bus` and takes the well-known name. Returns
    //! false, with nothing left registered, when either fails (no bus, or
    //! another process holds the name).
    bool RegisterAsRunning(const QDBusConnection& bus);

    //! Gives up the well-known name and the factory's object path.
    void Revoke();

    bool OwnsName() const { return m_bOwnsName; }
    int LiveInstances() const { return static_cast<int>(m_instances.size()); }

public slots:
    QDBusObjectPath CreateInstance();
    void Release(const QDBusObjectPath& instance);

private:
    struct Instance {
        CZm_configDlgAutoProxy* proxy;
        QString client;   //!< unique bus name of the client that created it
        QString path;
    };

    void ReleaseAt(size_t index);
    void OnClientGone(const QString& client);
    void ReleaseIfClientGone(const QString& client);
    void GiveUpName();

    CAutomationModule& m_module;
    QDBusConnection m_bus;
    QDBusServiceWatcher m_clients;
    std::vector<Instance> m_instances;
    bool m_bRegistered = false;
    bool m_bOwnsName = false;
    bool m_bUsed = false;
    int m_nextInstance = 1;
};
