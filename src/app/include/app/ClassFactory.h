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
// ServiceFile.h).
//
// Requests that reach this process after its object is gone (several
// clients asked at the same moment, so the bus had routed them all here
// before the name was given up, or a client asked this process directly)
// are passed on, one after the other, to whoever serves the well-known name
// now: a new zm_config, started by the bus, creates the object. The client
// gets its answer from this process (where the bus sent its request) with
// the path of a stand-in (a proxy not attached to the dialog) that passes
// the release on.
// When no zm_config can take the request, the client gets
// zm_config.Error.FactoryUsed.
//
// A run started for automation that nobody can reach any more ends
// (EndWhenAbandoned): when its bus connection is lost, the objects it holds
// are released as if their clients had gone; and a program the bus started
// for a request that never came (its client went away before the bus could
// hand it over, and the bus dropped it) ends when no request has come a
// while after it began to listen.
//
// Window thread only: QtDBus delivers the calls there.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusMessage>
#include <QObject>
#include <QTimer>

#include <deque>
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
    //! How long a request passed on may take (starting a new zm_config).
    static constexpr int kForwardTimeoutMs = 30000;
    //! How long a program the bus started waits for the request it was
    //! started for. The bus hands it over as soon as the name is taken.
    static constexpr int kUnclaimedMs = 10000;
    //! How often the bus connection is looked at.
    static constexpr int kBusCheckMs = 1000;

    explicit CZm_configClassFactory(CAutomationModule& module, QObject* parent = nullptr);
    //! Revokes the registration; objects still held are destroyed.
    ~CZm_configClassFactory() override;

    //! Exports the factory on `bus` and takes the well-known name. Returns
    //! false, with nothing left registered, when either fails (no bus, or
    //! another process holds the name).
    bool RegisterAsRunning(const QDBusConnection& bus);

    //! Gives up the well-known name and the factory's object path.
    void Revoke();

    //! Ends the run through the module (CAutomationModule::EndUnheldRun)
    //! once nobody can reach it: the bus connection is lost, or, when the
    //! bus started this program (`startedByBus`), no request came within
    //! kUnclaimedMs of the event loop's start. Call after RegisterAsRunning.
    void EndWhenAbandoned(bool startedByBus);

    bool OwnsName() const { return m_bOwnsName; }
    int LiveInstances() const { return static_cast<int>(m_instances.size()); }

public slots:
    QDBusObjectPath CreateInstance();
    void Release(const QDBusObjectPath& instance);

private:
    struct Instance {
        CZm_configDlgAutoProxy* object;  //!< a stand-in, with no dialog, for a relayed one
        QString client;   //!< unique bus name of the client that created it
        QString path;
        QString remote;      //!< relayed: the process holding the real object
        QString remotePath;  //!< relayed: the real object's path there
    };

    void ReleaseAt(size_t index);
    void OnClientGone(const QString& client);
    void ReleaseIfClientGone(const QString& client);
    void GiveUpName();
    void ForwardNext();
    void OnForwarded(const QDBusMessage& reply);
    void Watch(const QString& name);
    void Unwatch(const QString& name);
    void CheckBus();

    CAutomationModule& m_module;
    QDBusConnection m_bus;
    QDBusServiceWatcher m_clients;
    QTimer m_busCheck;
    std::vector<Instance> m_instances;
    std::deque<QDBusMessage> m_pending;  //!< requests waiting to be passed on, the first one under way
    bool m_bRegistered = false;
    bool m_bOwnsName = false;
    bool m_bUsed = false;
    int m_nextInstance = 1;
};
