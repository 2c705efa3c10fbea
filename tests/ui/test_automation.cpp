// Automation on a private session bus (run by with_session_bus.sh): the
// class factory in this process, then the real program started with its
// options and by D-Bus activation.
#include "app/AutomationIds.h"
#include "app/AutomationModule.h"
#include "app/ClassFactory.h"
#include "app/Zm_configDlgAutoProxy.h"
#include "sim/SystemMidiPlatform.h"
#include "ui/Zm_configDlg.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const QString kProgId = QString::fromLatin1(Automation::kProgId);
const QString kFactoryPath = QString::fromLatin1(Automation::kFactoryPath);
const QString kFactoryInterface = QString::fromLatin1(Automation::kFactoryInterface);

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(5);
    }
    return true;
}

QDBusConnection Connect(const QString& name)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

// Calls without blocking this thread: the factory under test may live here.
QDBusMessage Call(const QDBusConnection& from, const QString& service, const QString& path,
                  const QString& interface, const QString& method, const QVariantList& args = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    QDBusPendingCall pending = from.asyncCall(message, 20000);
    WaitFor([&] { return pending.isFinished(); }, 25000);
    return pending.reply();
}

QDBusMessage CreateInstance(const QDBusConnection& from, const QString& service)
{
    return Call(from, service, kFactoryPath, kFactoryInterface, "CreateInstance");
}

QDBusMessage Release(const QDBusConnection& from, const QString& service, const QString& path)
{
    return Call(from, service, kFactoryPath, kFactoryInterface, "Release",
                {QVariant::fromValue(QDBusObjectPath(path))});
}

QString InstancePath(const QDBusMessage& reply)
{
    return reply.arguments().value(0).value<QDBusObjectPath>().path();
}

QString Introspect(const QDBusConnection& from, const QString& service, const QString& path)
{
    const QDBusMessage reply = Call(from, service, path, "org.freedesktop.DBus.Introspectable", "Introspect");
    return reply.arguments().value(0).toString();
}

QString InterfaceBlock(const QString& xml, const QString& name)
{
    const qsizetype start = xml.indexOf(QStringLiteral("<interface name=\"%1\">").arg(name));
    if (start < 0)
        return {};
    return xml.mid(start, xml.indexOf("</interface>", start) - start);
}

bool Owned(const QDBusConnection& bus, const QString& name)
{
    return bus.interface()->isServiceRegistered(name).value();
}

std::filesystem::path ActivationFile()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    return std::filesystem::path(data ? data : "") / "dbus-1" / "services" / "zm_config.Application.service";
}

// One in-process automation server with its own connection, and a client.
class FactoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int serial = 0;
        ++serial;
        serverName = QStringLiteral("server%1").arg(serial);
        clientName = QStringLiteral("client%1").arg(serial);
        server = std::make_unique<QDBusConnection>(Connect(serverName));
        client = std::make_unique<QDBusConnection>(Connect(clientName));
        ASSERT_TRUE(server->isConnected()) << "no session bus";
        // Without an activation file a request passed on finds no program.
        std::filesystem::remove(ActivationFile());
        module.SetQuitAction([this] { ++quits; });
        module.SetMainWindow(&dlg);
        factory = std::make_unique<CZm_configClassFactory>(module);
        ASSERT_TRUE(factory->RegisterAsRunning(*server));
        serverUnique = server->baseService();
    }
    void TearDown() override
    {
        factory.reset();
        module.SetMainWindow(nullptr);
        QDBusConnection::disconnectFromBus(serverName);
        QDBusConnection::disconnectFromBus(clientName);
    }

    QString serverName, clientName, serverUnique;
    std::unique_ptr<QDBusConnection> server, client;
    CAutomationModule module;
    CZm_configDlg dlg{nullptr, CreateMidiPlatform()};
    std::unique_ptr<CZm_configClassFactory> factory;
    int quits = 0;
};

} // namespace

TEST_F(FactoryTest, IntrospectionShowsTheClassIdentity)
{
    EXPECT_TRUE(Owned(*client, kProgId));
    const QString block = InterfaceBlock(Introspect(*client, kProgId, kFactoryPath), kFactoryInterface);
    ASSERT_FALSE(block.isEmpty());
    EXPECT_TRUE(block.contains(QString::fromLatin1(Automation::kClassId)));
    EXPECT_TRUE(block.contains("value=\"zm_config.Application\""));
    EXPECT_TRUE(block.contains("<method name=\"CreateInstance\">"));
    EXPECT_TRUE(block.contains("<method name=\"Release\">"));
}

TEST_F(FactoryTest, OneObjectPerProcessThenTheNameGoesToTheNextProcess)
{
    const QDBusMessage reply = CreateInstance(*client, kProgId);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.service(), serverUnique);
    const QString path = InstancePath(reply);
    EXPECT_TRUE(path.startsWith(QString::fromLatin1(Automation::kInstancePath)));

    ASSERT_NE(dlg.AutoProxy(), nullptr);
    EXPECT_EQ(dlg.AutoProxy()->m_pDialog, &dlg);
    EXPECT_EQ(module.LiveObjects(), 1);
    EXPECT_FALSE(Owned(*client, kProgId)) << "single use: the next client starts a new program";

    // The object: its interface identifier, and no members at all.
    const QString block = InterfaceBlock(Introspect(*client, serverUnique, path),
                                         QString::fromLatin1(Automation::kDispatchInterface));
    ASSERT_FALSE(block.isEmpty());
    EXPECT_TRUE(block.contains(QString::fromLatin1(Automation::kInterfaceId)));
    EXPECT_FALSE(block.contains("<method"));
    EXPECT_FALSE(block.contains("<property"));
    EXPECT_FALSE(block.contains("<signal"));

    const QDBusMessage again = CreateInstance(*client, serverUnique);
    EXPECT_EQ(again.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(again.errorName(), QString::fromLatin1(Automation::kErrorFactoryUsed));
    EXPECT_EQ(module.LiveObjects(), 1);
}

TEST_F(FactoryTest, ObjectsOnTheBusExportNothingButTheirInterface)
{
    const QString path = InstancePath(CreateInstance(*client, kProgId));
    ASSERT_NE(dlg.AutoProxy(), nullptr);
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    const QString dispatch = QString::fromLatin1(Automation::kDispatchInterface);
    const QVariant newName = QVariant::fromValue(QDBusVariant(QStringLiteral("hijacked")));
    struct Probe {
        QString path, interface, method;
        QVariantList args;
    };
    const Probe probes[] = {
        {path, properties, "Get", {dispatch, "objectName"}},
        {path, properties, "Set", {dispatch, "objectName", newName}},
        {path, dispatch, "deleteLater", {}},
        {path, QString(), "deleteLater", {}},
        {kFactoryPath, properties, "Get", {kFactoryInterface, "objectName"}},
        {kFactoryPath, properties, "Set", {kFactoryInterface, "objectName", newName}},
        {kFactoryPath, kFactoryInterface, "deleteLater", {}},
        {kFactoryPath, QString(), "deleteLater", {}},
    };
    for (const Probe& p : probes) {
        const QDBusMessage reply = Call(*client, serverUnique, p.path, p.interface, p.method, p.args);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage)
            << p.path.toStdString() << " " << p.interface.toStdString() << "." << p.method.toStdString();
    }
    for (const auto& [where, interface] : {std::pair{path, dispatch}, std::pair{kFactoryPath, kFactoryInterface}}) {
        const QDBusMessage all = Call(*client, serverUnique, where, properties, "GetAll", {interface});
        if (all.type() == QDBusMessage::ReplyMessage) {
            EXPECT_TRUE(qdbus_cast<QVariantMap>(all.arguments().value(0)).isEmpty()) << where.toStdString();
        }
    }
    QCoreApplication::processEvents();
    ASSERT_NE(dlg.AutoProxy(), nullptr);
    EXPECT_TRUE(dlg.AutoProxy()->objectName().isEmpty());
    EXPECT_TRUE(factory->objectName().isEmpty());
    EXPECT_EQ(module.LiveObjects(), 1);
}

TEST_F(FactoryTest, OnlyItsClientReleasesAnObject)
{
    const QString path = InstancePath(CreateInstance(*client, kProgId));
    QDBusConnection stranger = Connect(clientName + "x");

    const QDBusMessage foreign = Release(stranger, serverUnique, path);
    EXPECT_EQ(foreign.errorName(), QString::fromLatin1(Automation::kErrorNotOwner));
    EXPECT_EQ(module.LiveObjects(), 1);

    const QDBusMessage unknown = Release(*client, serverUnique, "/zm_config/Instance/999");
    EXPECT_EQ(unknown.errorName(), QString::fromLatin1(Automation::kErrorUnknownObject));

    const QDBusMessage released = Release(*client, serverUnique, path);
    EXPECT_EQ(released.type(), QDBusMessage::ReplyMessage) << released.errorMessage().toStdString();
    EXPECT_TRUE(WaitFor([&] { return module.LiveObjects() == 0; }));
    EXPECT_EQ(dlg.AutoProxy(), nullptr);
    EXPECT_EQ(Release(*client, serverUnique, path).errorName(), QString::fromLatin1(Automation::kErrorUnknownObject));
    QDBusConnection::disconnectFromBus(clientName + "x");
}

TEST_F(FactoryTest, AClientThatGoesAwayReleasesItsObject)
{
    CreateInstance(*client, kProgId);
    ASSERT_EQ(module.LiveObjects(), 1);
    client.reset();
    QDBusConnection::disconnectFromBus(clientName);
    EXPECT_TRUE(WaitFor([&] { return module.LiveObjects() == 0; }));
    EXPECT_EQ(dlg.AutoProxy(), nullptr);
    EXPECT_EQ(factory->LiveInstances(), 0);
}

TEST_F(FactoryTest, WhileHeldTheDialogOnlyHidesAndTheReleaseEndsAnAutomationRun)
{
    module.SetUserControl(false);
    QString path;
    bool hiddenButRunning = false;
    QTimer::singleShot(0, [&] {
        path = InstancePath(CreateInstance(*client, kProgId));
        dlg.close();
        hiddenButRunning = !dlg.isVisible();
        Release(*client, serverUnique, path);
    });
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(hiddenButRunning);
    EXPECT_EQ(module.LiveObjects(), 0);
    EXPECT_EQ(quits, 0);
}

TEST_F(FactoryTest, ASecondFactoryCannotTakeAHeldNameAndLeavesNothingBehind)
{
    QDBusConnection other = Connect(serverName + "b");
    CAutomationModule otherModule;
    {
        CZm_configClassFactory second(otherModule);
        EXPECT_FALSE(second.RegisterAsRunning(other));
        EXPECT_FALSE(second.OwnsName());
        const QString xml = Introspect(*client, other.baseService(), "/");
        EXPECT_FALSE(xml.contains("zm_config")) << xml.toStdString();
    }
    CZm_configClassFactory unconnected(otherModule);
    EXPECT_FALSE(unconnected.RegisterAsRunning(QDBusConnection(QStringLiteral("never connected"))));
    QDBusConnection::disconnectFromBus(serverName + "b");
}

// --- the real program ------------------------------------------------------------

namespace {

QString Program()
{
    const char* exe = std::getenv("ZM_CONFIG_EXE");
    return exe ? QString::fromLocal8Bit(exe) : QString();
}

fs::path ServiceFile()
{
    return ActivationFile();
}

//! Process ids of the zm_config programs connected to the bus.
std::set<uint> ProgramsOnTheBus(const QDBusConnection& bus)
{
    const std::string program = fs::canonical(Program().toStdString()).string();
    std::set<uint> pids;
    for (const QString& name : bus.interface()->registeredServiceNames().value()) {
        if (!name.startsWith(QLatin1Char(':')))
            continue;
        const uint pid = bus.interface()->servicePid(name).value();
        std::error_code error;
        if (pid != 0 && fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).string() == program)
            pids.insert(pid);
    }
    return pids;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Program().isEmpty())
            GTEST_SKIP() << "ZM_CONFIG_EXE not set";
        client = std::make_unique<QDBusConnection>(Connect("program-client"));
        ASSERT_TRUE(client->isConnected());
        ASSERT_FALSE(Owned(*client, kProgId));
    }
    void TearDown() override
    {
        for (QProcess* p : processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
        client.reset();
        QDBusConnection::disconnectFromBus("program-client");
    }
    QProcess* Start(const QStringList& args)
    {
        auto* process = new QProcess;
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(Program(), args);
        processes.push_back(process);
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }
    //! The activation file, as a start without options writes it; that
    //! program is then ended, so that the bus starts the next one.
    bool WriteActivationFile()
    {
        QProcess* writer = Start({});
        const bool written = WaitFor([&] { return fs::exists(ServiceFile()); });
        writer->kill();
        writer->waitForFinished(5000);
        return written;
    }
    bool Exits(QProcess* process, int timeoutMs = 15000)
    {
        return WaitFor([&] { return process->state() == QProcess::NotRunning; }, timeoutMs);
    }

    std::unique_ptr<QDBusConnection> client;
    std::vector<QProcess*> processes;
};

} // namespace

TEST_F(ProgramTest, StartedForAutomationItEndsWhenItsClientReleases)
{
    for (const char* option : {"-Automation", "/Embedding"}) {
        SCOPED_TRACE(option);
        QProcess* program = Start({QString::fromLatin1(option)});
        ASSERT_TRUE(WaitFor([&] { return Owned(*client, kProgId); })) << "factory registered as running";

        const QDBusMessage created = CreateInstance(*client, kProgId);
        ASSERT_EQ(created.type(), QDBusMessage::ReplyMessage) << created.errorMessage().toStdString();
        EXPECT_FALSE(Owned(*client, kProgId));
        EXPECT_EQ(program->state(), QProcess::Running);

        const QDBusMessage released = Release(*client, created.service(), InstancePath(created));
        EXPECT_EQ(released.type(), QDBusMessage::ReplyMessage) << released.errorMessage().toStdString();
        ASSERT_TRUE(Exits(program));
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program->exitCode(), 0);
    }
}

TEST_F(ProgramTest, ItEndsWhenItsClientDies)
{
    QProcess* program = Start({"-Automation"});
    ASSERT_TRUE(WaitFor([&] { return Owned(*client, kProgId); }));
    {
        QDBusConnection doomed = Connect("doomed-client");
        ASSERT_EQ(CreateInstance(doomed, kProgId).type(), QDBusMessage::ReplyMessage);
        QDBusConnection::disconnectFromBus("doomed-client");
    }
    ASSERT_TRUE(Exits(program));
    EXPECT_EQ(program->exitCode(), 0);
}

TEST_F(ProgramTest, WithoutOptionsItWritesTheActivationFileOnlyWhenItChanged)
{
    qint64 slowestWrite = 0;
    for (const char* args : {"", "-automation"}) {   // a lower-case option is no option
        SCOPED_TRACE(args);
        fs::remove(ServiceFile());
        QElapsedTimer clock;
        clock.start();
        QProcess* program = Start(*args ? QStringList{QString::fromLatin1(args)} : QStringList{});
        ASSERT_TRUE(WaitFor([&] { return fs::exists(ServiceFile()); }));
        slowestWrite = std::max(slowestWrite, clock.elapsed());
        EXPECT_FALSE(Owned(*client, kProgId)) << "no factory registered as running";
        program->kill();
        program->waitForFinished(5000);
    }
    const std::string expected = "[D-BUS Service]\nName=zm_config.Application\nExec="
        + QFileInfo(Program()).canonicalFilePath().toStdString() + " -Automation\n";
    EXPECT_EQ(ReadAll(ServiceFile()), expected);

    struct stat before {}, after {};
    ASSERT_EQ(::stat(ServiceFile().c_str(), &before), 0);
    QProcess* program = Start({});
    // Three times as long as a write took: had it rewritten the file, it would have by now.
    QTest::qWait(static_cast<int>(std::max<qint64>(1000, 3 * slowestWrite)));
    EXPECT_EQ(program->state(), QProcess::Running);
    ASSERT_EQ(::stat(ServiceFile().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    program->kill();
}

TEST_F(ProgramTest, EachClientRequestActivatesAProgramOfItsOwn)
{
    ASSERT_TRUE(WriteActivationFile());

    const QDBusMessage first = CreateInstance(*client, kProgId);
    ASSERT_EQ(first.type(), QDBusMessage::ReplyMessage) << first.errorMessage().toStdString();
    const QDBusMessage second = CreateInstance(*client, kProgId);
    ASSERT_EQ(second.type(), QDBusMessage::ReplyMessage) << second.errorMessage().toStdString();
    EXPECT_NE(first.service(), second.service()) << "multiple instance: one program per client request";

    const uint firstPid = client->interface()->servicePid(first.service()).value();
    const uint secondPid = client->interface()->servicePid(second.service()).value();
    EXPECT_NE(firstPid, secondPid);

    for (const QDBusMessage& created : {first, second})
        EXPECT_EQ(Release(*client, created.service(), InstancePath(created)).type(), QDBusMessage::ReplyMessage);
    for (uint pid : {firstPid, secondPid})
        EXPECT_TRUE(WaitFor([&] { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }))
            << "process " << pid << " still running";
}

TEST_F(ProgramTest, ClientsAskingAtTheSameMomentEachGetAnObjectInAProgramOfItsOwn)
{
    ASSERT_TRUE(WriteActivationFile());
    ASSERT_TRUE(WaitFor([&] { return ProgramsOnTheBus(*client).empty(); }));

    // All at once: the bus hands every request to the first program it starts.
    constexpr int kClients = 3;
    std::vector<QString> names;
    std::vector<QDBusPendingCall> pending;
    for (int i = 0; i < kClients; ++i) {
        names.push_back(QStringLiteral("burst-client-%1").arg(i));
        const QDBusConnection connection = Connect(names.back());
        pending.push_back(connection.asyncCall(
            QDBusMessage::createMethodCall(kProgId, kFactoryPath, kFactoryInterface, "CreateInstance"), 60000));
    }
    ASSERT_TRUE(WaitFor([&] { return std::all_of(pending.begin(), pending.end(), [](const QDBusPendingCall& p) {
                                   return p.isFinished(); }); }, 65000));

    std::set<std::pair<QString, QString>> objects;
    for (const QDBusPendingCall& p : pending) {
        const QDBusMessage reply = p.reply();
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        objects.emplace(reply.service(), InstancePath(reply));
        EXPECT_FALSE(InterfaceBlock(Introspect(*client, reply.service(), InstancePath(reply)),
                                    QString::fromLatin1(Automation::kDispatchInterface)).isEmpty());
    }
    EXPECT_EQ(objects.size(), size_t{kClients}) << "an object for each";
    // One object per program: as many programs as clients.
    const std::set<uint> programs = ProgramsOnTheBus(*client);
    EXPECT_EQ(programs.size(), size_t{kClients});

    for (int i = 0; i < kClients; ++i) {
        const QDBusMessage reply = pending[static_cast<size_t>(i)].reply();
        const QDBusConnection connection(names[static_cast<size_t>(i)]);
        EXPECT_EQ(Release(connection, reply.service(), InstancePath(reply)).type(), QDBusMessage::ReplyMessage);
    }
    // Each release reached the object's own program, which ends with it.
    EXPECT_TRUE(WaitFor([&] { return ProgramsOnTheBus(*client).empty(); }, 20000));
    for (uint pid : programs)
        EXPECT_TRUE(WaitFor([&] { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }))
            << "process " << pid << " still running";
    for (const QString& name : names)
        QDBusConnection::disconnectFromBus(name);
}

TEST_F(ProgramTest, WithoutADisplayItSaysHowToRunInOneLineAndEndsWithStatusTwo)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, const char*>> set;
    };
    const Case cases[] = {
        {"no display at all", {}},
        {"a display that does not answer", {{"DISPLAY", ":4711"}}},
        {"X asked for by name", {{"QT_QPA_PLATFORM", "xcb"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(ServiceFile());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        for (const auto& [name, value] : c.set)
            env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(Program(), {});
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "no abort";
        EXPECT_EQ(program.exitCode(), 2);
        EXPECT_EQ(program.readAllStandardError().toStdString(),
                  "zm_config: no display to open its window on (DISPLAY or WAYLAND_DISPLAY unset or unreachable); "
                  "run it as `xvfb-run -a zm_config`, or with QT_QPA_PLATFORM=offscreen for no window at all\n");
        EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
        EXPECT_FALSE(fs::exists(ServiceFile())) << "ended before start-up";
    }
}

TEST_F(ProgramTest, ClosedStandardDescriptorsAreTakenBeforeAnyFileIsOpened)
{
    // Whatever Qt or a library writes to standard error must never land in
    // a file the program opened (its settings, a font, shared memory).
    for (int closed : {0, 1, 2}) {
        SCOPED_TRACE(closed);
        fs::remove(ServiceFile());
        QProcess program;
        program.setChildProcessModifier([closed] { ::close(closed); });
        program.start(Program(), {});
        ASSERT_TRUE(program.waitForStarted(5000));
        processes.push_back(&program);
        // The activation file is written once start-up is under way.
        EXPECT_TRUE(WaitFor([&] { return fs::exists(ServiceFile()); }));
        std::error_code error;
        const fs::path fd = "/proc/" + std::to_string(program.processId()) + "/fd/" + std::to_string(closed);
        EXPECT_EQ(fs::read_symlink(fd, error).string(), "/dev/null");
        program.kill();
        program.waitForFinished(5000);
        processes.pop_back();
    }
}

TEST_F(ProgramTest, AnAutomationRunThatNobodyCanReachEnds)
{
    // 1. The client goes before its request reaches the program the bus
    //    starts for it: the bus drops the request, the program holds nothing.
    ASSERT_TRUE(WriteActivationFile());
    ASSERT_TRUE(WaitFor([&] { return ProgramsOnTheBus(*client).empty(); }));
    {
        QDBusConnection vanishing = Connect("vanishing-client");
        vanishing.send(QDBusMessage::createMethodCall(kProgId, kFactoryPath, kFactoryInterface, "CreateInstance"));
        QDBusConnection::disconnectFromBus("vanishing-client");
    }
    ASSERT_TRUE(WaitFor([&] { return !ProgramsOnTheBus(*client).empty(); }, 20000)) << "started by the bus";
    const std::set<uint> started = ProgramsOnTheBus(*client);
    EXPECT_TRUE(WaitFor([&] { return ProgramsOnTheBus(*client).empty(); }, 30000)) << "an unclaimed program stays";
    for (uint pid : started)
        EXPECT_TRUE(WaitFor([&] { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }));

    // 2. The bus itself ends, with an object held and with none.
    for (bool holding : {true, false}) {
        SCOPED_TRACE(holding ? "holding an object" : "holding none");
        QProcess bus;
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(bus.waitForReadyRead(10000));
        const QString address = QString::fromLatin1(bus.readLine()).trimmed();
        QProcess* program = new QProcess;
        processes.push_back(program);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);
        program->setProcessEnvironment(env);
        program->setProcessChannelMode(QProcess::ForwardedChannels);
        program->start(Program(), {"-Automation"});
        {
            QDBusConnection other = QDBusConnection::connectToBus(address, "other-bus-client");
            ASSERT_TRUE(WaitFor([&] { return Owned(other, kProgId); }));
            if (holding) {
                ASSERT_EQ(CreateInstance(other, kProgId).type(), QDBusMessage::ReplyMessage);
            }
        }
        bus.kill();
        bus.waitForFinished(5000);
        QDBusConnection::disconnectFromBus("other-bus-client");
        EXPECT_TRUE(Exits(program)) << "it outlives its bus";
        EXPECT_EQ(program->exitCode(), 0);
    }
}
