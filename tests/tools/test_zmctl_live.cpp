// zmctl against the built-in simulated box, as a program. CTest sets
// ZMCTL_SIM_TIMING=instant; one case runs at wire speed. The built-in box
// lives as long as one zmctl process, so every command meets a box as
// delivered: the "Piano" layout, 88 keys, station 1.
#include "ProcessRunner.h"
#include "SyncTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

size_t Lines(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(ZmctlLive, EveryCommandAgainstTheSimulatedBox)
{
    struct Case {
        std::vector<std::string> args;
        std::string out;     //!< the whole output, or with `lines` its beginning
        size_t lines = 0;    //!< 0: `out` is the whole output
    };
    const Case cases[] = {
        {{"sync"}, kSyncTable},
        {{"sync", "--sim-timing", "wire"}, kSyncTable},
        {{"get", "12", "ZmFunc_KeyTrigPos", "aot_t_delay"},
         " 12  ZmFunc_NumberKeys      88\n 21  ZmFunc_KeyTrigPos       3\n 31  ZmFunc_Aot_t_delay      0\n"},
        {{"get", "--json", "27"},
         "{\n  \"parameters\": [\n    {\n      \"number\": 27,\n      \"name\": \"ZmFunc_AftrTchDel\",\n"
         "      \"value\": 200\n    }\n  ],\n  \"missing\": []\n}\n"},
        {{"set", "KeyRetrigW", "12"}, " 23  ZmFunc_KeyRetrigW      12\n"},
        {{"zone", "3", "lo_key=10", "hi_key=50", "lo_note=40"},
         "zone  lo_key  hi_key  lo_note  midi_chan  atk_vel  rel_vel  atk_type  aftrtch_type\n"
         "3         10      50       40          3       14        0         0             0\n"},
        {{"mute", "2", "on"}, "zone 1 sounds\nzone 2 muted\nzone 3 sounds\nzone 4 sounds\n"},
        {{"preset", "Dual Manual Organ"},
         "zone  lo_key  hi_key  lo_note  midi_chan  atk_vel  rel_vel  atk_type  aftrtch_type\n"
         "1          0      60       36          1       14        0         0             0\n"
         "2         61     121       36          2       14        0         0             0\n"
         "3          0      60       36          3       14        0         0             0\n"
         "4         61     121       36          4       14        0         0             0\n"},
        {{"aot", "tab-mute=on", "--delay", "30"},
         "detect-tab               off  Detect MIDI Tab at Boot from MIDI note on commands\n"
         "second-guess-always      off  Enable Second Guess Always (ignore pistins) (midi stream)\n"
         "background-second-guess  off  Enable Background Second Guess (normaly waits for pistons)\n"
         "tab-mute                 on   Enable Hadrware Tab MIDI Mute Controls\n"
         "note-ons-second-guess    off  Note Ons With Second Guess\n"
         "note-ons-cc-unmute       off  Note Ons with Control Change Unmute\n"
         "cc-mute                  off  Enable Midi Control Change Mute\n"
         "invert-tab-mute          off  Invert Hadrware Tab MIDI Mute Polarity\n"
         "delay 30\n"},
        {{"dump", "smart", "--sections", "misc"},
         "Misc information\nmidi channel  0\nNumber of Keys  88 Lowest Key Number 21 Keyboard direction 0\n"
         "Stripbreak  61 Lowest note on keyboard 2 36 only used on 122 model now\n"
         "velocity sensitivity 20 Minimum velocity factor  C\nTrigger Offset   3 retrigger Offset   8\n"
         "Release Senesitivity  16 Noise safety factor   4\nconv param hm? 12\n"},
        {{"dump", "keymap", "zone1"},
         "KeyMaps dump request acknowledge with data Zone 1 Keymap \n start address 000 length 128 stop address 128\n"
         "   15 16 17 18 19 1A 1B 1C",
         6},
        {{"dump", "scan"}, "Scan Dump\n", 4},
        // The echo, then eight acknowledgements of 256 bytes: a header, eight
        // lines of 32 and the empty line a full last line leaves.
        {{"dump", "eeprom"}, "eeprom dump no argument\nEEPROM PEEK Acknowledge address 00000 length 0100\n", 81},
        {{"request", "inquire", "12", "--send"}, "43  parameter#: 012 value 088 ZmFunc_NumberKeys\n"},
        {{"request", "revision", "--send"}, "revision request\nZM1 key scanner software 2.03 (simulator)\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(WithBox(c.args));
        const std::string name = c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        if (c.lines == 0) {
            EXPECT_EQ(r.out, c.out) << name;
        } else {
            EXPECT_EQ(r.out.substr(0, c.out.size()), c.out) << name;
            EXPECT_EQ(Lines(r.out), c.lines) << name;
        }
        // Which ports are used goes to stderr.
        EXPECT_NE(r.err.find("zmctl: input 0 \"ZM1 Simulator\" (built-in)"), std::string::npos) << name;
    }
}

TEST(ZmctlLive, FailuresEndWithTheirDocumentedStatus)
{
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* message;
    };
    const Case cases[] = {
        // The box answers that it has no such parameter: a refusal.
        {WithBox({"get", "64", "--timeout", "100"}), 5, " 64  parameter 64        no answer\n",
         "refused by the box: parameter 64 (the box said: no parameter 64)"},
        {WithBox({"get", "127", "--timeout", "100"}), 5, "127  parameter 127       no answer\n",
         "refused by the box: parameter 127 (the box said: no parameter 127)"},
        // The name the box gives after the station name's report belongs to
        // that answer: it is no word about the parameter that did not come.
        {WithBox({"get", "0", "64", "--timeout", "100"}), 5,
         "  0  ZmFunc_StationName      1\n 64  parameter 64        no answer\n",
         "refused by the box: parameter 64 (the box said: no parameter 64)\n"},
        {WithBox({"set", "128", "1", "--timeout", "100"}), 5, "",
         "refused by the box: parameter 128 (the box said: no parameter 128)"},
        {WithBox({"request", "write-field", "8", "0", "0", "1", "--send", "--timeout", "100"}), 3, "", "no reply within 100 ms"},
        {WithBox({"set", "1", "300"}), 5, "",
         "not confirmed: parameter 1 (ZmFunc_SoftwareRev): wrote 300, the box reports 203 "
         "(the box said: ZmFunc_SoftwareRev is read-only)"},
        {{"sync", "--in", "999", "--out", "ZM1 Simulator"}, 4, "", "no input device 999: there are"},
        {{"sync", "--in", "ZM1 Simulator", "--out", "NoSuchDevice"}, 4, "", "no output device matches 'NoSuchDevice'"},
        {{"sync", "--in", "", "--out", "ZM1 Simulator"}, 2, "", "no input port given: use --in DEV"},
        {WithBox({"backup", "/nonexistent/dir/box.syx"}), 6, "", "cannot write /nonexistent/dir/box.syx: No such file"},
        {WithBox({"restore", TempFile("garbage.syx", "hello")}), 2, "", "garbage.syx: malformed backup at byte 0: expected F0"},
        {WithBox({"restore", TempFile("cut.syx", ByteString({0xF0, 0x09, 0x43, 0x15, 0x00}))}), 2, "", "frame without its F7"},
        {WithBox({"diff", TempFile("rev.syx", ByteString({0xF0, 0x09, 0x43, 0x15, 0x00, 0x03, 0x00, 0xF7, 0xF0, 0x09, 0x43,
                                                     0x01, 0x00, 0x03, 0x00, 0xF7}))}),
         2, "", "rev.syx: malformed backup at byte 8: parameter 1 (ZmFunc_SoftwareRev) is not one a backup restores"},
        // Zone values the zone command refuses are not restored either; the
        // offset is that of the offending byte.
        {WithBox({"restore", TempFile("chan.syx", ByteString({0xF0, 0x09, 0x43, 0x15, 0x00, 0x06, 0x00, 0xF7, 0xF0, 0x09, 0x5A,
                                                         0x08, 0x01, 0x00, 0x08, 0, 87, 21, 127, 14, 0, 0, 0, 0xF7}))}),
         2, "", "chan.syx: malformed backup at byte 18: zone 2 midi_chan 128 is out of range 1..16"},
        {WithBox({"restore", TempFile("vel.syx", ByteString({0xF0, 0x09, 0x5A, 0x08, 0x03, 0x00, 0x08, 0, 87, 21, 3, 14,
                                                        127, 0, 0, 0xF7}))}),
         2, "", "vel.syx: malformed backup at byte 12: zone 4 rel_vel 127 is out of range 0..63"},
        {WithBox({"restore", TempFile("keys.syx", ByteString({0xF0, 0x09, 0x5A, 0x08, 0x00, 0x00, 0x08, 90, 87, 21, 0, 14,
                                                         0, 0, 0, 0xF7}))}),
         2, "", "keys.syx: malformed backup at byte 7: zone 1 lo_key 90 is above hi_key 87"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(c.args);
        EXPECT_EQ(r.status, c.status) << c.message << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "expected '" << c.message << "' in: " << r.err;
    }
}

TEST(ZmctlLive, BackupRestoresWhatItReadAndDiffNamesEveryField)
{
    const std::string dir = TempDirectory() + "/backup";
    std::filesystem::create_directory(dir);
    const std::string file = dir + "/box.syx";
    const ProcessResult backup = RunZmctl(WithBox({"backup", file}));
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(backup.out, "backup of 4 zones and 27 parameters in " + file + " (readable copy: " + dir + "/box.json)\n");
    // 27 Set parameter frames of 8 bytes, four whole zones of 16.
    const std::string syx = ReadFile(file);
    ASSERT_EQ(syx.size(), 27u * 8 + 4 * 16);
    EXPECT_EQ(syx.substr(0, 8), ByteString({0xF0, 0x09, 0x43, 0x00, 0x00, 0x01, 0x00, 0xF7}));
    EXPECT_EQ(syx.substr(syx.size() - 16),
              ByteString({0xF0, 0x09, 0x5A, 0x08, 0x03, 0x00, 0x08, 0, 87, 21, 3, 14, 0, 0, 0, 0xF7}));
    const std::string json = ReadFile(dir + "/box.json");
    for (const char* text : {"\"format\": \"zmctl backup 2\"", "\"identification\": \"ZM1 Station 1\"",
                             "\"zone\": 4,\n      \"lo_key\": 0,\n      \"hi_key\": 87,\n      \"lo_note\": 21,\n"
                             "      \"midi_chan\": 4,",
                             "\"name\": \"ZmFunc_SoftwareRev\",\n      \"value\": 203,\n      \"restored\": false",
                             "\"tab-mute\": false"})
        EXPECT_NE(json.find(text), std::string::npos) << text;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2) << "temporary files left behind";

    // A box as delivered holds what the backup sets.
    const ProcessResult same = RunZmctl(WithBox({"diff", file}));
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "");
    const ProcessResult restored = RunZmctl(WithBox({"restore", file}));
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(restored.out, "restored 27 parameters and 4 zones from " + file + "; read back, all as written\n");

    // A backup of another box: a trigger position and a zone of its own.
    const std::string other = TempFile("other.syx", ByteString({0xF0, 0x09, 0x43, 0x15, 0x00, 0x06, 0x00, 0xF7, 0xF0, 0x09,
                                                            0x5A, 0x08, 0x02, 0x00, 0x08, 0, 100, 40, 2, 14, 0, 0, 0,
                                                            0xF7}));
    const ProcessResult differs = RunZmctl(WithBox({"diff", other}));
    EXPECT_EQ(differs.status, 1) << differs.err;
    EXPECT_EQ(differs.out, "parameter 21 (ZmFunc_KeyTrigPos): backup 6, box 3\n"
                           "zone 3 hi_key: backup 100, box 87\n"
                           "zone 3 lo_note: backup 40, box 21\n");
    const ProcessResult put = RunZmctl(WithBox({"restore", other}));
    EXPECT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.out, "restored 1 parameters and 1 zones from " + other + "; read back, all as written\n");
}

TEST(ZmctlLive, CtrlCStopsAtOnceAndLeavesNoFile)
{
    const std::string dir = TempDirectory() + "/interrupted";
    std::filesystem::create_directory(dir);
    struct Case {
        std::vector<std::string> args;
        const char* startedWhen;  //!< output that shows the command is under way ("" none)
    };
    // A FIFO nobody writes to holds restore at its opening.
    const std::string fifo = TempDirectory() + "/restore.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const Case cases[] = {
        {WithBox({"dump", "eeprom", "--sim-timing", "wire"}), "eeprom dump no argument"},
        {WithBox({"backup", dir + "/box.syx", "--sim-timing", "wire"}), ""},
        {WithBox({"restore", fifo}), ""},
    };
    for (const Case& c : cases) {
        CZmctlProcess zmctl(c.args);
        if (*c.startedWhen)
            EXPECT_TRUE(zmctl.WaitForOutput(c.startedWhen, std::chrono::seconds(10)));
        else
            usleep(100'000);
        zmctl.Signal(SIGINT);
        const ProcessResult r = zmctl.Finish(std::chrono::seconds(5));
        // Before the handler is in place the signal itself ends it.
        EXPECT_TRUE(r.status == 130 || r.signal == SIGINT) << r.status << " " << r.err;
        if (r.status == 130) {
            EXPECT_NE(r.err.find("zmctl: error: interrupted"), std::string::npos) << r.err;
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 0) << "a backup was written";
}

TEST(ZmctlLive, MonitorPrintsTheKeyStreamUntilCtrlC)
{
    // The box reports the key stream switched on, then plays through its
    // zones: as lines, with the seconds since the start, or as bytes.
    struct Case {
        std::vector<std::string> options;
        std::regex first;     //!< the first two lines
        const char* shows;    //!< what the output waits for
    };
    const Case cases[] = {
        {{}, std::regex("43  parameter#: 008 value 001 ZmFunc_Reserved_8\nChan 0[1-4] NOTE_ON .*"), "NOTE_ON"},
        {{"-T"}, std::regex("[0-9]+\\.[0-9]{6} 43  parameter#: 008 value 001 ZmFunc_Reserved_8\n"
                            "[0-9]+\\.[0-9]{6} Chan 0[1-4] NOTE_ON .*"), "NOTE_ON"},
        {{"--hex"}, std::regex("F0 09 43 08 00 01 00( [0-9A-F]{2})* F7\n9[0-3] [0-7][0-9A-F] [0-7][0-9A-F]"), "\n9"},
        {{"--timestamps", "--hex"}, std::regex("[0-9]+\\.[0-9]{6} F0 09 43 08 00 01 00( [0-9A-F]{2})* F7\n"
                                               "[0-9]+\\.[0-9]{6} 9[0-3] [0-7][0-9A-F] [0-7][0-9A-F]"), " 9"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"monitor", "--play"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        CZmctlProcess monitor(WithBox(args));
        ASSERT_TRUE(monitor.WaitForOutput(c.shows, std::chrono::seconds(10))) << monitor.Out();
        monitor.Signal(SIGINT);
        const ProcessResult r = monitor.Finish(std::chrono::seconds(5));
        EXPECT_EQ(r.status, 0) << r.err;
        const size_t second = r.out.find('\n', r.out.find('\n') + 1);
        EXPECT_TRUE(std::regex_match(r.out.substr(0, second), c.first)) << r.out.substr(0, 300);
    }
}

TEST(ZmctlLive, QuietLeavesThePortsUnnamed)
{
    const ProcessResult loud = RunZmctl(WithBox({"get", "12"}));
    const ProcessResult quiet = RunZmctl(WithBox({"get", "12", "--quiet"}));
    EXPECT_EQ(loud.err, "zmctl: input 0 \"ZM1 Simulator\" (built-in)\nzmctl: output 0 \"ZM1 Simulator\" (built-in)\n");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(quiet.out, loud.out);
}

TEST(ZmctlLive, SimulateWithoutItsMidiSystemSaysSo)
{
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has the ALSA sequencer";
    const ProcessResult r = RunZmctl({"simulate", "--backend", "alsa"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("ALSA: no sequencer here (/dev/snd/seq is missing or not accessible)"), std::string::npos)
        << r.err;
}

namespace {

//! Every entry of `dir` (also hidden ones): its name, kind and, for a
//! regular file, its content; for a link, where it points.
std::map<std::string, std::string> Listing(const std::string& dir)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const auto status = entry.symlink_status();
        std::string what = std::to_string(static_cast<int>(status.type()));
        if (std::filesystem::is_symlink(status))
            what += " -> " + std::filesystem::read_symlink(entry.path()).string();
        else if (std::filesystem::is_regular_file(status))
            what += " " + ReadFile(entry.path().string()).substr(0, 40);
        entries[entry.path().filename().string()] = what;
    }
    return entries;
}

} // namespace

TEST(ZmctlLive, BackupReplacesOnlyRegularFilesAndBothOrNeither)
{
    struct Case {
        const char* what;
        std::function<void(const std::string& dir)> prepare;
        const char* file;      //!< FILE, in the case's folder
        const char* message;
    };
    const Case cases[] = {
        {"a FIFO", [](const std::string& d) { mkfifo((d + "/box.syx").c_str(), 0600); }, "box.syx",
         "box.syx: it is a FIFO, not a regular file"},
        {"a symbolic link",
         [](const std::string& d) {
             std::ofstream(d + "/elsewhere") << "someone's file";
             std::filesystem::create_symlink(d + "/elsewhere", d + "/box.syx");
         },
         "box.syx", "box.syx: it is a symbolic link, not a regular file"},
        {"a directory where the copy goes",
         [](const std::string& d) {
             std::ofstream(d + "/box.syx") << "old backup";
             std::filesystem::create_directory(d + "/box.json");
         },
         "box.syx", "box.json: it is a directory, not a regular file"},
        {"a directory, beside an old copy",
         [](const std::string& d) {
             std::filesystem::create_directory(d + "/box.syx");
             std::ofstream(d + "/box.json") << "old copy";
         },
         "box.syx", "box.syx: it is a directory, not a regular file"},
        {"a folder's name", [](const std::string& d) { std::filesystem::create_directory(d + "/sub"); }, "sub/",
         "sub/: it is a directory, not a regular file"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string dir = TempDirectory() + "/kinds" + std::to_string(n++);
        std::filesystem::create_directory(dir);
        c.prepare(dir);
        const auto before = Listing(dir);
        const ProcessResult r = RunZmctl(WithBox({"backup", dir + "/" + c.file}));
        EXPECT_EQ(r.status, 6) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
        EXPECT_EQ(Listing(dir), before) << c.what << ": the folder changed";
        if (std::filesystem::is_directory(dir + "/sub")) {
            EXPECT_TRUE(std::filesystem::is_empty(dir + "/sub")) << c.what;
        }
    }
    // An old pair of regular files is replaced, and nothing else is left.
    const std::string dir = TempDirectory() + "/kinds-old-pair";
    std::filesystem::create_directory(dir);
    std::ofstream(dir + "/box.syx") << "old backup";
    std::ofstream(dir + "/box.json") << "old copy";
    ASSERT_EQ(RunZmctl(WithBox({"backup", dir + "/box.syx"})).status, 0);
    const auto after = Listing(dir);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after.at("box.syx").substr(2, 3), "\xF0\x09\x43");
    EXPECT_EQ(after.at("box.json").substr(2, 12), "{\n  \"format\"");
}
