// zmctl simulate on the private JACK server of this build directory, and
// zmctl's commands talking to it from other processes: the simulated box
// keeps its state from one command to the next, as a real box does.
#include "MidiJackPeer.h"
#include "PrivateJackServer.h"
#include "ProcessRunner.h"
#include "RecordingControls.h"
#include "SyncTable.h"
#include "editors/MainEditors.h"
#include "res/DialogTemplate.h"
#include "res/resource.h"
#include "sim/SystemMidiPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

class ZmctlJack : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("JACK_DEFAULT_SERVER") == nullptr)
            GTEST_SKIP() << "run through ctest, which starts the JACK server";
        const std::string name = "zm1-test-" + std::to_string(getpid());
        m_box = std::make_unique<CZmctlProcess>(std::vector<std::string>{"simulate", "--backend", "jack", "--name", name});
        ASSERT_TRUE(m_box->WaitForOutput("JACK: replies come from ", std::chrono::seconds(20))) << m_box->Out();
        ASSERT_TRUE(m_box->WaitForOutput("\n", std::chrono::seconds(5)));
        m_requests = PortAfter("JACK: send requests to ");
        m_replies = PortAfter("JACK: replies come from ");
        ASSERT_EQ(m_requests.rfind(name + ":", 0), 0u) << m_box->Out();
    }

    void TearDown() override
    {
        if (!m_box)
            return;
        // Ctrl-C ends the simulated box cleanly.
        m_box->Signal(SIGINT);
        const ProcessResult r = m_box->Finish(std::chrono::seconds(10));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("zmctl: simulate: stopped"), std::string::npos) << r.err;
    }

    std::string PortAfter(const std::string& label)
    {
        // Each line is complete once the next one has begun.
        EXPECT_TRUE(m_box->WaitForOutput(label, std::chrono::seconds(5)));
        const std::string& out = m_box->Out();
        const size_t start = out.find(label) + label.size();
        const size_t end = out.find('\n', start);
        EXPECT_NE(end, std::string::npos);
        return out.substr(start, end - start);
    }

    ProcessResult Zmctl(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--in", m_replies, "--out", m_requests});
        return RunZmctl(args);
    }

    std::unique_ptr<CZmctlProcess> m_box;
    std::string m_requests;
    std::string m_replies;
};

//! The main window's editors, without a widget, on the simulated box's
//! JACK ports: what they write to the recording controls is what the
//! window shows.
class CWindowView {
public:
    CWindowView(const std::string& replies, const std::string& requests)
        : m_editors(m_controls, CreateMidiPlatform({.alsa = false, .jack = true, .simulator = false,
                                                    .clientName = "zm-window-" + std::to_string(getpid())}))
    {
        m_editors.Zones().FillLists();
        m_editors.PortLists().OnInputSelect(Device(true, replies));
        m_editors.PortLists().OnOutputSelect(Device(false, requests));
    }

    //! "Synchronize Data", then ticks until the four zone columns and the
    //! Mute buttons have been drawn.
    bool Synchronize()
    {
        m_controls.texts.clear();
        m_controls.checks.clear();
        m_editors.OnCommand(IDC_SYNCHRONIZE);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            m_editors.Tick();
            if (std::all_of(kZoneLowestNote.begin(), kZoneLowestNote.end(), [&](int id) { return m_controls.texts.count(id); })
                && std::all_of(kZoneMute.begin(), kZoneMute.end(), [&](int id) { return m_controls.checks.count(id); }))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    //! Runs a setup task to its end, as the window's timer would; the
    //! task's last line in the message window.
    std::string Setup(bool (CBoxSetups::*task)(const std::string&, const std::string&), const std::string& file)
    {
        if (!(m_editors.Setups().*task)(file, {}))
            return m_controls.lines.back();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (m_editors.StepSetups() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return m_controls.lines.back();
    }

    //! The column headed `caption` ("Zone 3") in the main dialog's template.
    static int Column(const std::string& caption)
    {
        const DialogTemplate* dialog = FindDialogTemplate(IDD_ZM_CONFIG_DIALOG);
        for (size_t column = 0; column < kZoneHeader.size(); ++column)
            for (const ControlTemplate& control : dialog->controls)
                if (control.id == kZoneHeader[column] && caption == control.caption)
                    return static_cast<int>(column);
        return -1;
    }

    //! The line the column's "Midi Output Channel" list shows selected.
    std::string Channel(int column)
    {
        const int id = kZoneChannelList[static_cast<size_t>(column)];
        const auto& lines = m_controls.listLines[id];
        const int line = m_controls.selections.count(id) ? m_controls.selections[id] : -1;
        return line >= 0 && static_cast<size_t>(line) < lines.size() ? lines[static_cast<size_t>(line)] : "(none)";
    }
    std::string LowestNote(int column) { return m_controls.texts[kZoneLowestNote[static_cast<size_t>(column)]]; }
    bool MutePressed(int column) { return m_controls.checks[kZoneMute[static_cast<size_t>(column)]]; }

private:
    int Device(bool input, const std::string& name)
    {
        IMidiPlatform& platform = m_editors.Ports().Platform();
        const int count = input ? platform.InputDeviceCount() : platform.OutputDeviceCount();
        for (int n = 0; n < count; ++n)
            if ((input ? platform.InputDeviceName(n) : platform.OutputDeviceName(n)) == name)
                return n;
        ADD_FAILURE() << "no device " << name;
        return 0;
    }

    CRecordingControls m_controls;
    CMainEditors m_editors;
};

} // namespace

TEST_F(ZmctlJack, ZonesAndMutesAreNumberedAsTheWindowShowsThem)
{
    // Each command changes the box; the window then reads the same box and
    // must show the change in the column zmctl named, with the same values.
    struct Case {
        std::vector<std::string> command;
        const char* column;     //!< the window's column header
        const char* printed;    //!< what zmctl printed for it (start of its line)
        const char* channel;    //!< the channel list's selected line
        const char* lowestNote; //!< the Lowest Note Number edit
        bool muted;
    };
    const Case cases[] = {
        {{"zone", "1", "midi_chan=10"}, "Zone 1", "1          0      87       21         10", "10", " 21", false},
        {{"zone", "4", "lo_note=40", "midi_chan=16"}, "Zone 4", "4          0      87       40         16", "16", " 40", false},
        {{"zone", "2", "midi_chan=1"}, "Zone 2", "2          0      87       21          1", " 1", " 21", false},
        {{"mute", "3", "on"}, "Zone 3", "zone 3 muted", " 3", " 21", true},
        {{"mute", "1", "on"}, "Zone 1", "zone 1 muted", "10", " 21", true},
        {{"mute", "3", "off"}, "Zone 3", "zone 3 sounds", " 3", " 21", false},
    };
    CWindowView window(m_replies, m_requests);
    for (const Case& c : cases) {
        const std::string name = c.command[0] + " " + c.command[1];
        const ProcessResult r = Zmctl(c.command);
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_NE(("\n" + r.out).find(std::string("\n") + c.printed), std::string::npos) << name << ":\n" << r.out;
        ASSERT_TRUE(window.Synchronize()) << name;
        const int column = CWindowView::Column(c.column);
        ASSERT_GE(column, 0) << c.column;
        EXPECT_EQ(window.Channel(column), c.channel) << name;
        EXPECT_EQ(window.LowestNote(column), c.lowestNote) << name;
        EXPECT_EQ(window.MutePressed(column), c.muted) << name;
    }
}

TEST_F(ZmctlJack, SynchronizeDataRoundTrip)
{
    const ProcessResult r = Zmctl({"sync"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kSyncTable);
    EXPECT_NE(r.err.find("\"" + m_replies + "\" (JACK)"), std::string::npos) << r.err;
}

TEST_F(ZmctlJack, BackupChangeDiffRestoreDiff)
{
    // A backup written now, and one written before zones and channels were
    // numbered as in the window (its readable copy still counts zones from
    // 0): both restore and compare alike, as both are of a box as delivered.
    const std::string fresh = TempFile("jack-box.syx", "");
    ASSERT_EQ(Zmctl({"backup", fresh}).status, 0);
    for (const std::string& file : {fresh, std::string(ZMCTL_TEST_DATA) + "/backup-v1.syx"}) {
        for (const std::vector<std::string>& change : std::vector<std::vector<std::string>>{
                 {"set", "KeyTrigPos", "6"}, {"zone", "3", "lo_note=40"}, {"zone", "1", "midi_chan=9"},
                 {"mute", "4", "on"}, {"aot", "cc-mute=on"}}) {
            const ProcessResult r = Zmctl(change);
            EXPECT_EQ(r.status, 0) << change[0] << ": " << r.err;
        }
        const ProcessResult before = Zmctl({"diff", file});
        EXPECT_EQ(before.status, 1) << file << ": " << before.err;
        EXPECT_EQ(before.out, "parameter 6 (ZmFunc_ZoneMutBits): backup 15, box 7\n"
                              "parameter 21 (ZmFunc_KeyTrigPos): backup 3, box 6\n"
                              "parameter 30 (ZmFunc_AotBooleans): backup 0, box 64\n"
                              "zone 1 midi_chan: backup 1, box 9\n"
                              "zone 3 lo_note: backup 21, box 40\n")
            << file;
        const ProcessResult restore = Zmctl({"restore", file});
        EXPECT_EQ(restore.status, 0) << file << ": " << restore.err;
        const ProcessResult after = Zmctl({"diff", file});
        EXPECT_EQ(after.status, 0) << file << ": " << after.err;
        EXPECT_EQ(after.out, "") << file;
    }
}

TEST_F(ZmctlJack, ASetupWrittenByEitherLoadsInTheOther)
{
    // zmctl's backup of a box it changed goes back into the box from the window.
    const std::string zmctlFile = TempFile("zmctl-setup.syx", "");
    for (const std::vector<std::string>& change : std::vector<std::vector<std::string>>{
             {"set", "KeyTrigPos", "6"}, {"zone", "3", "lo_note=40"}, {"backup", zmctlFile}, {"set", "KeyTrigPos", "3"}})
        ASSERT_EQ(Zmctl(change).status, 0) << change[0];
    CWindowView window(m_replies, m_requests);
    // One written before zones were numbered as in the window, too.
    const std::string older = std::string(ZMCTL_TEST_DATA) + "/backup-v1.syx";
    EXPECT_EQ(window.Setup(&CBoxSetups::Load, older),
              "Setup loaded from " + older + ": 27 parameters and 4 zones, read back, all as written");
    EXPECT_EQ(window.Setup(&CBoxSetups::Load, zmctlFile),
              "Setup loaded from " + zmctlFile + ": 27 parameters and 4 zones, read back, all as written");
    EXPECT_EQ(Zmctl({"diff", zmctlFile}).status, 0);

    // The window saves the same box byte for byte as zmctl did, and zmctl
    // restores the window's file.
    const std::string windowFile = TempFile("window-setup.syx", "");
    EXPECT_EQ(window.Setup(&CBoxSetups::Save, windowFile).rfind("Setup saved to " + windowFile, 0), 0u);
    std::ifstream saved(windowFile, std::ios::binary), written(zmctlFile, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), std::string(std::istreambuf_iterator<char>(written), {}));
    ASSERT_EQ(Zmctl({"zone", "1", "midi_chan=9"}).status, 0);
    const ProcessResult restore = Zmctl({"restore", windowFile});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Zmctl({"diff", windowFile}).status, 0);
}

TEST_F(ZmctlJack, RepliesThatNeverComeBackAreNamed)
{
    // The requests reach the box on JACK, but zmctl listens on the built-in
    // simulator's input, where nothing answers.
    const ProcessResult r = RunZmctl({"sync", "--in", "ZM1 Simulator", "--out", m_requests, "--timeout", "200"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("no answer within 200 ms for zone 1, zone 2, zone 3, zone 4, parameter 0 (ZmFunc_StationName), "
                         "parameter 6 (ZmFunc_ZoneMutBits), parameter 12 (ZmFunc_NumberKeys)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("1     no answer\n"), std::string::npos) << r.out;
}

namespace {

//! Where descriptor `fd` of process `pid` leads ("" when it is closed).
std::string DescriptorTarget(pid_t pid, int fd)
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), error).string();
}

//! True once process `pid` has a JACK client's files open.
bool TalksToJack(pid_t pid)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        std::error_code ignored;
        if (std::filesystem::read_symlink(entry.path(), ignored).string().find("/dev/shm/jack") == 0)
            return true;
    }
    return false;
}

} // namespace

TEST_F(ZmctlJack, ClosedStandardDescriptorsAreNeverHandedToLibjack)
{
    const std::vector<std::string> box = {"--in", m_replies, "--out", m_requests};
    // While zmctl talks to JACK, each closed descriptor is /dev/null, not
    // one of the files libjack shares with every JACK client of the user.
    for (int fd : {0, 1, 2}) {
        CZmctlProcess monitor({"monitor", "--in", m_replies}, "", fd);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!TalksToJack(monitor.Pid()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(TalksToJack(monitor.Pid()));
        EXPECT_EQ(DescriptorTarget(monitor.Pid(), fd), "/dev/null") << "descriptor " << fd;
        monitor.Signal(SIGINT);
        EXPECT_EQ(monitor.Finish(std::chrono::seconds(10)).status, 0) << "descriptor " << fd;
    }

    // Results that cannot be written are an error; messages that cannot
    // be are lost, but the results still come.
    const std::string echo = TempFile("echo.syx", "\xF0\x09\x27\xF7");
    struct Case {
        int closed;
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {1, {"ports"}, 6, "", "zmctl: error: cannot write to standard output: Bad file descriptor\n"},
        {2, {"get", "12"}, 0, " 12  ZmFunc_NumberKeys      88\n", ""},
        {0, {"decode", echo, "-"}, 2, "eeprom echo test no argument\n", "cannot read <stdin>: Bad file descriptor"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (c.args[0] == "get")
            args.insert(args.end(), box.begin(), box.end());
        const ProcessResult r = RunZmctlClosing(c.closed, args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args[0] << ": " << r.err;
    }
}

TEST_F(ZmctlJack, HoweverAMonitorEndsTheKeyStreamItStartedStops)
{
    // At random moments, from start-up on: the stop of the key stream leaves
    // before zmctl ends, whatever ends it, or zmctl names it and fails.
    struct Ending {
        const char* name;
        std::vector<int> signals;  //!< sent one right after the other
    };
    const Ending endings[] = {
        {"Ctrl-C", {SIGINT}},
        {"SIGTERM", {SIGTERM}},
        {"timeout, which signals the process and then its group", {SIGTERM, SIGTERM}},
        {"timeout -s INT", {SIGINT, SIGINT}},
        {"hang-up", {SIGHUP}},
    };
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pause(0, 600);
    std::uniform_int_distribution<int> gap(0, 10);
    for (int run = 0; run < 50; ++run) {
        const Ending& ending = endings[random() % std::size(endings)];
        const std::string name = std::string(ending.name) + ", run " + std::to_string(run);
        CZmctlProcess monitor({"monitor", "--play", "--in", m_replies, "--out", m_requests});
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        for (size_t i = 0; i < ending.signals.size(); ++i) {
            if (i != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(gap(random)));
            monitor.Signal(ending.signals[i]);
        }
        const ProcessResult r = monitor.Finish(std::chrono::seconds(10));
        const int signal = ending.signals.front();
        // A monitor ends with 0; while its ports open, as interrupted; before
        // it takes signals at all, by the signal itself, having sent nothing.
        EXPECT_TRUE(r.status == 0 || r.status == 128 + signal || r.signal == signal)
            << name << ": status " << r.status << ", signal " << r.signal << "\n" << r.err;
        EXPECT_EQ(r.err.find("did not leave"), std::string::npos) << name << ": " << r.err;
        const ProcessResult state = Zmctl({"get", "8"});
        ASSERT_EQ(state.status, 0) << name << ": " << state.err;
        EXPECT_EQ(state.out, "  8  ZmFunc_Reserved_8       0\n") << name << ": the key stream was left on";
    }
}

TEST(ZmctlJackGone, ARequestThatCannotLeaveIsNamedAndFailsTheCommand)
{
    // A server of our own, stopped under a running monitor: the stop of the
    // key stream has nowhere to go, and zmctl says so.
    CPrivateJackServer server("zmctl-gone");
    ASSERT_TRUE(server.Started());
    {
        CZmctlProcess box({"simulate", "--backend", "jack", "--name", "gone-box"});
        ASSERT_TRUE(box.WaitForOutput("JACK: replies come from gone-box:out", std::chrono::seconds(20))) << box.Out();
        CZmctlProcess monitor({"monitor", "--play", "--in", "gone-box:out", "--out", "gone-box:in"});
        EXPECT_TRUE(monitor.WaitForOutput("NOTE_ON", std::chrono::seconds(10))) << monitor.Out();
        ASSERT_TRUE(server.Stop());
        monitor.Signal(SIGINT);
        const ProcessResult r = monitor.Finish(std::chrono::seconds(10));
        EXPECT_EQ(r.status, 4) << r.err;
        EXPECT_NE(r.err.find("zmctl: error: request F0 09 43 08 00 00 00 F7 did not leave the output port"),
                  std::string::npos)
            << r.err;
        box.Signal(SIGINT);
        box.Finish(std::chrono::seconds(10));
    }
}

TEST(ZmctlJackLate, APortThatAJustStartedBoxRegistersIsWaitedFor)
{
    if (std::getenv("JACK_DEFAULT_SERVER") == nullptr)
        GTEST_SKIP() << "run through ctest, which starts the JACK server";
    // zmctl asks for the box's ports before zmctl simulate has made them.
    const std::string name = "zm1-late-" + std::to_string(getpid());
    CZmctlProcess get({"get", "8", "--in", name + ":out", "--out", name + ":in", "--timeout", "20000"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    CZmctlProcess box({"simulate", "--backend", "jack", "--name", name});
    const ProcessResult r = get.Finish(std::chrono::seconds(30));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "  8  ZmFunc_Reserved_8       0\n");
    box.Signal(SIGINT);
    EXPECT_EQ(box.Finish(std::chrono::seconds(10)).status, 0);

    // One that never comes is named once the timeout has passed.
    const ProcessResult never = RunZmctl({"get", "8", "--in", name + "-never:out", "--out", "x", "--timeout", "300"});
    EXPECT_EQ(never.status, 4);
    EXPECT_NE(never.err.find("no input device matches '" + name + "-never:out'"), std::string::npos) << never.err;
}

TEST(ZmctlJackIdle, TheBuiltInBoxServesAlikeWhileAJackServerRuns)
{
    if (std::getenv("JACK_DEFAULT_SERVER") == nullptr)
        GTEST_SKIP() << "run through ctest, which starts the JACK server";
    // Both ports on the built-in box: zmctl asks the box while JACK's ports
    // are still being listed, and lets the JACK client that only listed go
    // once they are open. The results are those of any run, the ports are
    // named with the numbers `ports` gives them (after JACK's), and a JACK
    // port opened afterwards (monitor's thru) still carries the notes.
    CMidiJackPeer synth("zm-synth-" + std::to_string(getpid()), {"in"});
    const ProcessResult ports = RunZmctl({"ports"});
    ASSERT_EQ(ports.status, 0) << ports.err;
    const std::string outputs = ports.out.substr(ports.out.find("outputs:"));
    const size_t line = outputs.rfind('\n', outputs.find("ZM1 Simulator"));
    const int number = std::stoi(outputs.substr(line + 1));
    EXPECT_GT(number, 0) << ports.out;

    const ProcessResult sync = RunZmctl({"sync", "--in", "ZM1 Simulator", "--out", "ZM1 Simulator"});
    EXPECT_EQ(sync.status, 0) << sync.err;
    EXPECT_EQ(sync.out, kSyncTable);
    EXPECT_NE(sync.err.find("zmctl: output " + std::to_string(number) + " \"ZM1 Simulator\" (built-in)\n"),
              std::string::npos)
        << sync.err;

    CZmctlProcess monitor({"monitor", "--play", "--in", "ZM1 Simulator", "--out", "ZM1 Simulator", "--thru",
                           synth.PortName("in")});
    EXPECT_TRUE(monitor.WaitForOutput("NOTE_ON", std::chrono::seconds(10))) << monitor.Out();
    // The thru port's program change comes first, then the box's notes.
    const auto noteOn = [](const CMidiJackPeer::Received& m) {
        return m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90;
    };
    std::vector<CMidiJackPeer::Received> forwarded;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::none_of(forwarded.begin(), forwarded.end(), noteOn) && std::chrono::steady_clock::now() < deadline)
        for (CMidiJackPeer::Received& m : synth.Take(1, std::chrono::milliseconds(100)))
            forwarded.push_back(std::move(m));
    monitor.Signal(SIGINT);
    const ProcessResult r = monitor.Finish(std::chrono::seconds(10));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("zmctl: thru "), std::string::npos) << r.err;
    EXPECT_TRUE(std::any_of(forwarded.begin(), forwarded.end(), noteOn)) << forwarded.size() << " messages forwarded";
}
