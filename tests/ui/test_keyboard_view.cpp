// The Keyboard View's report and exports as a technician takes them home:
// the PDF read back through its text layer, files written whole or not at
// all whatever stands at the target's path, and a window that fits the
// screen whatever geometry was kept.
#include "FakeMidiPlatform.h"
#include "WaitFor.h"
#include "editors/KeyboardConfigurator.h"
#include "editors/KeyboardReport.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/KeyboardView.h"
#include "ui/MessageWindowActions.h"
#include "ui/MessageWindowModel.h"
#include "ui/Zm_configDlg.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <regex>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string Today()
{
    return LocalReportTime(std::chrono::system_clock::now()).Date();
}

TEST(CalibrationReportFiles, ThePdfNamesTheStationTheOddKeyByItsNoteAndTheDate)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils, scripts/deps.sh test) reads the report back";

    CZm_configDlg dlg{nullptr, std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant)};
    dlg.OnInitDialog();
    dlg.Editors().OnListSelChange(IDC_MIDI_IN_LIST, 0);
    dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    CKeyboardConfigurator(dlg, dlg.Held(), dlg.Editors().Sender()).OnCommand(IDC_PRESET_ORGAN_61);
    SendSetParameter(dlg.Editors().Sender(), 5, 10 + 1);   // sensor 10 travels short
    dlg.Editors().OnCommand(IDC_SYNCHRONIZE);
    dlg.Editors().RequestIdentity();
    dlg.Editors().OnCommand(IDC_SMART_DUMP);
    const CKeyboardViewFeed& feed = dlg.Editors().KeyboardView();
    ASSERT_TRUE(WaitFor([&] {
        return feed.HasCalibration() && feed.Identity().softwareRevision >= 0 && feed.Model().KeyNote(10) >= 0;
    }));
    CKeyboardViewWindow& view = dlg.OpenKeyboardView();
    const std::string before = Today();
    EXPECT_EQ(view.DefaultFileName("pdf").toStdString(), "ZM1-Station-1_" + before + ".pdf");

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(view.ExportPdf(pdf)) << view.StatusText().toStdString();
    QProcess extract;
    extract.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(extract.waitForFinished(20000));
    const std::string text = extract.readAllStandardOutput().toStdString();
    EXPECT_EQ(extract.exitCode(), 0);
    EXPECT_NE(text.find("Calibration report: ZM1 Station 1"), std::string::npos) << text;
    EXPECT_NE(text.find("key 10 (A#2): travel "), std::string::npos) << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("\\n +10 +A#2 +[0-9]+ +[0-9]+ +-?[0-9]+ +odd ")))
        << "the table's row" << text;
    EXPECT_TRUE(text.find(before) != std::string::npos || text.find(Today()) != std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2) << "two pages";

    const QString png = dir.filePath(QStringLiteral("report.png"));
    ASSERT_TRUE(view.ExportPng(png));
    const QImage page(png);
    EXPECT_EQ(page.size(), QSize(1240, 1754)) << "A4 at 150 dots per inch";
    const QString csv = dir.filePath(QStringLiteral("keys.csv"));
    ASSERT_TRUE(view.ExportCsv(csv));
    EXPECT_TRUE(ReadAll(csv).contains("\n10,A#2,")) << ReadAll(csv).left(400).toStdString();
}

// What stands at the target's path, and what an export must do about it.
struct TargetKind {
    const char* name;
    std::function<QString(const QDir&)> make;   //!< returns the target's path
    bool written;
};

const std::vector<TargetKind> kTargetKinds = {
    {"nothing", [](const QDir& d) { return d.filePath("new"); }, true},
    {"a regular file",
     [](const QDir& d) {
         QFile f(d.filePath("old"));
         f.open(QIODevice::WriteOnly);
         f.write("old content");
         return f.fileName();
     },
     true},
    {"a FIFO",
     [](const QDir& d) {
         ::mkfifo(QFile::encodeName(d.filePath("fifo")).constData(), 0600);
         return d.filePath("fifo");
     },
     false},
    {"a folder",
     [](const QDir& d) {
         d.mkdir("folder");
         return d.filePath("folder");
     },
     false},
    {"a link to a file",
     [](const QDir& d) {
         QFile f(d.filePath("linked"));
         f.open(QIODevice::WriteOnly);
         f.write("linked content");
         QFile::link(f.fileName(), d.filePath("link"));
         return d.filePath("link");
     },
     false},
    {"a device", [](const QDir&) { return QStringLiteral("/dev/null"); }, false},
    {"a missing folder", [](const QDir& d) { return d.filePath("no/such/folder/file"); }, false},
};

TEST(KeyboardViewExports, WriteAWholeFileOrRefuseWithoutBlockingOrLeavingAStub)
{
    CZm_configDlg dlg{nullptr, std::make_unique<CFakeMidiPlatform>(std::vector<std::string>{}, std::vector<std::string>{})};
    dlg.OnInitDialog();
    CKeyboardViewWindow& view = dlg.OpenKeyboardView();
    const std::vector<std::pair<const char*, std::function<bool(const QString&)>>> exports = {
        {"PDF", [&](const QString& p) { return view.ExportPdf(p); }},
        {"PNG", [&](const QString& p) { return view.ExportPng(p); }},
        {"CSV", [&](const QString& p) { return view.ExportCsv(p); }},
        {"message window", [&](const QString& p) { return dlg.MessageActions()->SaveTo(p); }},
    };
    for (const auto& [what, exporter] : exports) {
        for (const TargetKind& kind : kTargetKinds) {
            QTemporaryDir temporary;
            const QDir dir(temporary.path());
            const QString target = kind.make(dir);
            struct stat before {};
            ::lstat(QFile::encodeName(target).constData(), &before);
            // Should the export open the FIFO, a reader comes after 3 s to let
            // it go on, and the time taken shows it.
            std::thread reader;
            if (S_ISFIFO(before.st_mode))
                reader = std::thread([fifo = QFile::encodeName(target)] {
                    std::this_thread::sleep_for(3s);
                    const int fd = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
                    if (fd >= 0)
                        ::close(fd);
                });
            QElapsedTimer timer;
            timer.start();
            const bool written = exporter(target);
            const qint64 elapsed = timer.elapsed();
            if (reader.joinable())
                reader.join();
            const std::string at = std::string(what) + " to " + kind.name;
            EXPECT_EQ(written, kind.written) << at;
            EXPECT_LT(elapsed, 2000) << at;
            struct stat after {};
            ::lstat(QFile::encodeName(target).constData(), &after);
            if (kind.written) {
                EXPECT_TRUE(S_ISREG(after.st_mode) && after.st_size > 20) << at;
            } else {
                EXPECT_EQ(after.st_mode, before.st_mode) << at << ": left as it was";
                EXPECT_EQ(after.st_ino, before.st_ino) << at;
            }
            EXPECT_EQ(ReadAll(dir.filePath("linked")), QByteArray(QFile::exists(dir.filePath("linked")) ? "linked content" : ""))
                << at;
            const QStringList left = dir.entryList({"*.??????"}, QDir::Files | QDir::Hidden | QDir::System);
            EXPECT_TRUE(left.isEmpty()) << at << ": " << left.join(' ').toStdString();
        }
    }
    EXPECT_TRUE(view.StatusText().contains("not a regular file") || view.StatusText().contains("No such file"))
        << view.StatusText().toStdString();
}

TEST(KeyboardViewExports, AFullDiskKeepsTheOldFileAndLeavesNoNewOne)
{
    CZm_configDlg dlg{nullptr, std::make_unique<CFakeMidiPlatform>(std::vector<std::string>{}, std::vector<std::string>{})};
    dlg.OnInitDialog();
    CKeyboardViewWindow& view = dlg.OpenKeyboardView();
    QTemporaryDir temporary;
    const QDir dir(temporary.path());
    QFile old(dir.filePath("old.pdf"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the report of last week");
    old.close();

    // A file size limit fails the writes as a full disk does, part-way.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = view.ExportPdf(old.fileName());
    const bool created = view.ExportPng(dir.filePath("new.png"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(replaced);
    EXPECT_FALSE(created);
    EXPECT_TRUE(view.StatusText().startsWith("Could not write")) << view.StatusText().toStdString();
    EXPECT_EQ(ReadAll(old.fileName()), QByteArray("the report of last week"));
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), QStringList{"old.pdf"}) << "no stub, no temporary file";
}

TEST(KeyboardViewGeometry, AWindowIsMovedAndShrunkIntoTheScreen)
{
    const QRect screen(0, 0, 1920, 1050);
    struct Case { QRect window, expected; };
    const Case cases[] = {
        {{100, 100, 1180, 560}, {100, 100, 1180, 560}},        // fits: left alone
        {{0, 0, 32767, 32767}, {0, 0, 1920, 1050}},             // a corrupt size
        {{1500, 900, 1180, 560}, {740, 490, 1180, 560}},        // hangs over the right and bottom
        {{-3000, -40, 800, 400}, {0, 0, 800, 400}},             // kept from a screen to the left
        {{5000, 5000, 4000, 300}, {0, 750, 1920, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitIntoScreen(c.window, screen), c.expected) << c.window.x() << ',' << c.window.y();
    EXPECT_EQ(FitIntoScreen({1920, 0, 100, 100}, QRect(1920, 0, 1280, 1024)), QRect(1920, 0, 100, 100))
        << "a second screen";
}

TEST(KeyboardViewGeometry, ACorruptKeptSizeIsRestoredWithinTheScreenAndKeptSo)
{
    QTemporaryDir dir;
    const QString settingsFile = dir.filePath(QStringLiteral("zm_config.conf"));
    {
        QWidget huge;
        huge.setGeometry(0, 0, 32767, 32767);
        QSettings(settingsFile, QSettings::IniFormat).setValue("KeyboardView/geometry", huge.saveGeometry());
    }
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        CZm_configDlg dlg{nullptr, std::make_unique<CFakeMidiPlatform>(std::vector<std::string>{}, std::vector<std::string>{})};
        dlg.SetSettingsFile(settingsFile);
        dlg.OnInitDialog();
        CKeyboardViewWindow& view = dlg.OpenKeyboardView();
        const QRect g = view.frameGeometry();
        EXPECT_TRUE(available.contains(g)) << g.x() << ',' << g.y() << ' ' << g.width() << 'x' << g.height() << " in "
                                           << available.x() << ',' << available.y() << ' ' << available.width() << 'x'
                                           << available.height();
        view.close();
    }
    QWidget restored;
    restored.restoreGeometry(QSettings(settingsFile, QSettings::IniFormat).value("KeyboardView/geometry").toByteArray());
    EXPECT_LE(restored.width(), available.width());
    EXPECT_LE(restored.height(), available.height());
}

} // namespace
