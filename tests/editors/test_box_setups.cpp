// "Save setup…", "Load setup…" and "Compare with box…" through the main
// window's editors, against the simulated box: the lines the message
// window shows, the files written, and what the box holds afterwards.
#include "DeviceRow.h"
#include "RecordingControls.h"
#include "editors/MainEditors.h"
#include "editors/SetupFile.h"
#include "res/resource.h"
#include "sim/SimulatedBox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

//! The window's editors on the simulated box (device 0) beside a
//! synthesiser that answers nothing (device 1).
struct Window {
    CRecordingControls controls;
    CMainEditors editors;
    size_t mark = 0;

    //! With `device` (-1: none) as input and output.
    explicit Window(int device = 0, SimTiming timing = SimTiming::Instant)
        : Window(device, MakeDeviceRow({{"ZM1 Simulator", DeviceKind::Box}, {"Synth", DeviceKind::Silent}}, timing))
    {
    }

    Window(int device, std::unique_ptr<IMidiPlatform> platform) : editors(controls, std::move(platform))
    {
        // An exchange ends with its last answer: the timeout only counts
        // when an answer is missing, and a loaded machine may be slow.
        editors.Setups().SetTimeout(5s);
        editors.Zones().FillLists();
        if (device >= 0) {
            editors.OnListSelChange(IDC_MIDI_IN_LIST, device);
            editors.OnListSelChange(IDC_MIDI_OUT_LIST, device);
        }
        mark = controls.lines.size();
    }

    //! Steps the task under way to its end, as the window's timer does.
    void Finish()
    {
        const auto giveUp = std::chrono::steady_clock::now() + 10s;
        while (editors.StepSetups() && !editors.Setups().KeyCountQuestion() &&
               std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(1ms);
    }

    //! The message window's lines of the setups since the last call (the
    //! box's replies left out).
    Lines NewLines()
    {
        Lines lines;
        for (size_t i = mark; i < controls.lines.size(); ++i)
            for (const char* start : {"Setup ", "Compare with ", "  "})
                if (controls.lines[i].rfind(start, 0) == 0)
                    lines.push_back(controls.lines[i]);
        mark = controls.lines.size();
        return lines;
    }

    void SendParameter(int number, const char* value)
    {
        editors.OnListSelChange(IDC_PARAMETER_LIST, number);
        controls.SetControlText(IDC_XTABLE_DATA, value);
        editors.OnCommand(IDC_SEND_XTABLE);
    }

    //! Lets the box's answers to the controls come in.
    void Settle()
    {
        for (int i = 0; i < 20; ++i) {
            std::this_thread::sleep_for(10ms);
            editors.Tick();
        }
    }

    uint64_t FramesSent() { return editors.Ports().Transmitter().FramesSent(); }
};

std::string Folder(const std::string& name)
{
    const fs::path dir = fs::path(testing::TempDir()) / ("setups-" + std::to_string(::getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

std::string Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::vector<std::string> Whats(const std::vector<SetupDifference>& differences)
{
    std::vector<std::string> out;
    for (const SetupDifference& d : differences)
        out.push_back(d.What() + " " + std::to_string(d.file) + " " + std::to_string(d.box));
    return out;
}

} // namespace

TEST(BoxSetups, SaveChangeCompareLoadCompare)
{
    // At wire speed, so that the answers come one after the other.
    Window window(0, SimTiming::WireSpeed);
    CBoxSetups& setups = window.editors.Setups();
    const std::string file = Folder("round-trip") + "/organ.syx";
    ASSERT_TRUE(setups.Save(file));
    window.Finish();
    EXPECT_EQ(window.NewLines(), Lines{"Setup saved to " + file + " (readable copy: " + file.substr(0, file.size() - 4) +
                                ".json): 4 zones and 27 parameters"});
    // Read as Synchronize Data reads: the zone columns are drawn.
    EXPECT_EQ(window.controls.texts[kZoneLowestNote[2]], " 21");

    // Two zones and three parameters change.
    window.editors.OnListSelChange(kZoneChannelList[0], 9);  // channel 10
    window.editors.OnCommand(kZoneUp[2]);                    // lo_note 22
    window.SendParameter(17, "40");
    window.SendParameter(21, "6");
    window.SendParameter(27, "9");
    window.Settle();

    ASSERT_TRUE(setups.Compare(file));
    window.Finish();
    EXPECT_EQ(window.NewLines(), Lines{"Compare with " + file + ": 5 differences"});
    EXPECT_TRUE(setups.LastOutcome().completed);
    EXPECT_EQ(Whats(setups.LastOutcome().differences),
              (Lines{"parameter 17 (ZmFunc_AtkVelSens) 32 40", "parameter 21 (ZmFunc_KeyTrigPos) 3 6",
                     "parameter 27 (ZmFunc_AftrTchDel) 200 9", "zone 1 midi_chan 1 10", "zone 3 lo_note 21 22"}));

    ASSERT_TRUE(setups.Load(file));
    window.Finish();
    EXPECT_EQ(window.NewLines(),
              Lines{"Setup loaded from " + file + ": 27 parameters and 4 zones, read back, all as written"});
    // Every answer of the read back came before the verdict.
    window.Settle();
    EXPECT_EQ(window.controls.lines.back().rfind("Setup loaded", 0), 0u) << window.controls.lines.back();
    // The read back redraws what the load changed.
    EXPECT_EQ(window.controls.texts[kZoneLowestNote[2]], " 21");
    EXPECT_EQ(window.controls.selections[kZoneChannelList[0]], 0);

    ASSERT_TRUE(setups.Compare(file));
    window.Finish();
    EXPECT_EQ(window.NewLines(), Lines{"Compare with " + file + ": the box holds what the setup sets"});
    EXPECT_TRUE(setups.LastOutcome().differences.empty());
}

TEST(BoxSetups, ALoadNamesEachValueTheBoxDidNotTake)
{
    // A box that keeps its key trigger position whatever it is told, and
    // says nothing about it.
    class CStubbornBox : public CSimulatedBox {
    public:
        void OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& replies) override
        {
            if (count != 8 || bytes[2] != 0x43 || bytes[3] != 21)  // ZmFunc_KeyTrigPos
                CSimulatedBox::OnMessage(bytes, count, replies);
        }
    };
    Window window(0, std::make_unique<CSimMidiPlatform>(std::make_unique<CStubbornBox>(), SimTiming::Instant));
    const std::string file = Write(Folder("stubborn") + "/trigger.syx",
                                   Bytes({0xF0, 0x09, 0x43, 0x15, 0x00, 0x06, 0x00, 0xF7,    // ZmFunc_KeyTrigPos 6
                                          0xF0, 0x09, 0x43, 0x17, 0x00, 0x09, 0x00, 0xF7})); // ZmFunc_KeyRetrigW 9
    ASSERT_TRUE(window.editors.Setups().Load(file));
    window.Finish();
    EXPECT_EQ(window.NewLines(), (Lines{"Setup loaded from " + file +
                                            " (2 parameters and 0 zones), but the box did not take 1 value:",
                                        "  parameter 21 (ZmFunc_KeyTrigPos): setup 6, box 3"}));
    EXPECT_TRUE(window.editors.Setups().LastOutcome().completed);
}

TEST(BoxSetups, ABadFileIsNamedWithWhatIsWrongAndNothingIsSent)
{
    const std::string dir = Folder("hostile");
    const std::string fifo = dir + "/fifo.syx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zone2 = Bytes({0xF0, 0x09, 0x5A, 0x08, 0x01, 0x00, 0x08, 0, 87, 21, 16, 14, 0, 0, 0, 0xF7});
    struct Case {
        std::string file;
        std::string why;
    };
    const Case cases[] = {
        {Write(dir + "/cut.syx", Bytes({0xF0, 0x09, 0x43, 0x15, 0x00, 0x06})), "malformed setup at byte 0: frame without its F7"},
        {Write(dir + "/copy.json", "{\"format\": \"zmctl backup 2\"}"),
         "malformed setup at byte 0: JSON text, not requests: the setup is the .syx beside its readable .json copy"},
        {Write(dir + "/notes.txt", "zone 1: channel 2"), "malformed setup at byte 0: expected F0, the start of a frame"},
        {Write(dir + "/inquiry.syx", Bytes({0xF0, 0x09, 0x44, 0x15, 0x00, 0xF7})),
         "malformed setup at byte 0: not a Set parameter or whole-zone Set Zone Split Data frame"},
        {Write(dir + "/xg-reset.syx", Bytes({0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7})),
         "malformed setup at byte 0: frame for another device (F0 43 ...), not the ZM1's (F0 09 ...)"},
        {Write(dir + "/gm-on.syx", Bytes({0xF0, 0x09, 0x43, 0x15, 0x00, 0x06, 0x00, 0xF7, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7})),
         "malformed setup at byte 8: frame for another device (F0 7E ...), not the ZM1's (F0 09 ...)"},
        {Write(dir + "/keys.syx", Bytes({0xF0, 0x09, 0x43, 0x0C, 0x00, 0x48, 0x01, 0xF7})),
         "malformed setup at byte 5: parameter 12 (ZmFunc_NumberKeys) 200 is out of range 1..122"},
        {Write(dir + "/late.syx", Bytes({0xF0, 0x09, 0x43, 0x15, 0x00, 0x06, 0x00, 0xF7}) + zone2),
         "malformed setup at byte 18: zone 2 midi_chan 17 is out of range 1..16"},
        {Write(dir + "/revision.syx", Bytes({0xF0, 0x09, 0x43, 0x01, 0x00, 0x03, 0x00, 0xF7})),
         "malformed setup at byte 0: parameter 1 (ZmFunc_SoftwareRev) is not one a backup restores"},
        {Write(dir + "/empty.syx", ""), "malformed setup at byte 0: the file holds no requests"},
        {Write(dir + "/huge.syx", std::string((1 << 20) + 1, '\xF0')),
         "malformed setup: larger than any setup (over 1 MiB)"},
        {fifo, "not a regular file"},
        {dir, "not a regular file"},
        {dir + "/missing.syx", "No such file or directory"},
    };
    Window window;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_FALSE(window.editors.Setups().Load(c.file));
        EXPECT_FALSE(window.editors.Setups().Compare(c.file));
        EXPECT_FALSE(window.editors.Setups().Running());
        EXPECT_EQ(window.NewLines(), (Lines{"Setup not loaded from " + c.file + ": " + c.why,
                                             "Setup not compared with " + c.file + ": " + c.why}));
    }
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(window.FramesSent(), 0u) << "a request left";
}

TEST(BoxSetups, ASetupForAnotherNumberOfKeysWaitsForTheUsersAnswer)
{
    const std::string dir = Folder("keys");
    struct Case {
        int keys;           //!< in the setup; the box has 88
        bool load;          //!< the user's answer, when asked
        Lines lines;
        const char* shown;  //!< the number of keys readout afterwards
    };
    const Case cases[] = {
        {88, false, {"Setup loaded from FILE: 2 parameters and 0 zones, read back, all as written"}, " 88"},
        {61, false, {"Setup not loaded from FILE: it is for 61 keys, the box has 88"}, " 88"},
        {61, true, {"Setup loaded from FILE: 2 parameters and 0 zones, read back, all as written"}, " 61"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.keys) + (c.load ? " load" : " keep"));
        const std::string file =
            Write(dir + "/" + std::to_string(c.keys) + ".syx",
                  Bytes({0xF0, 0x09, 0x43, 0x0C, 0x00, c.keys, 0x00, 0xF7, 0xF0, 0x09, 0x43, 0x15, 0x00, 0x05, 0x00, 0xF7}));
        Window window;
        CBoxSetups& setups = window.editors.Setups();
        ASSERT_TRUE(setups.Load(file));
        window.Finish();
        ASSERT_EQ(setups.KeyCountQuestion().has_value(), c.keys != 88);
        if (setups.KeyCountQuestion()) {
            EXPECT_EQ(setups.KeyCountQuestion()->setup, c.keys);
            EXPECT_EQ(setups.KeyCountQuestion()->box, 88);
            setups.AnswerKeyCount(c.load);
            window.Finish();
        }
        Lines expected;
        for (const std::string& line : c.lines)
            expected.push_back(line.substr(0, line.find("FILE")) + file + line.substr(line.find("FILE") + 4));
        EXPECT_EQ(window.NewLines(), expected);
        window.Settle();
        EXPECT_EQ(window.controls.texts[IDC_NUMBER_KEYS], c.shown);
    }
}

TEST(BoxSetups, SaveWritesNothingUnlessEveryAnswerCameAndBothFilesMayBeReplaced)
{
    const std::string dir = Folder("save");
    ASSERT_EQ(::mkfifo((dir + "/fifo.syx").c_str(), 0600), 0);
    fs::create_directory(dir + "/folder.json");
    struct Case {
        int device;  //!< input and output (-1: none)
        std::string file;
        std::string why;
    };
    const Case cases[] = {
        {1, dir + "/silent.syx", "no answer within 100 ms for zone 1, zone 2, zone 3, zone 4, parameter 0 (ZmFunc_StationName)"},
        {-1, dir + "/closed.syx", "no MIDI output port is open"},
        {0, dir + "/fifo.syx", "cannot write " + dir + "/fifo.syx: it is a FIFO, not a regular file"},
        {0, dir + "/folder.syx", "cannot write " + dir + "/folder.json: it is a directory, not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Window window(c.device);
        window.editors.Setups().SetTimeout(100ms);
        if (window.editors.Setups().Save(c.file))
            window.Finish();
        const Lines lines = window.NewLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().substr(0, lines.back().find(", parameter 1 ")), "Setup not saved to " + c.file + ": " + c.why);
        EXPECT_FALSE(window.editors.Setups().LastOutcome().completed);
    }
    // Only what stood there before.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);
}

TEST(BoxSetups, ATaskDoesNotStartWhileAnotherHoldsThePortsAndSaysSo)
{
    // The compare window's buttons stay live while a task or the search for
    // the box runs: a second task is refused with a line, and the first
    // goes on.
    Window window(0, SimTiming::WireSpeed);
    CBoxSetups& setups = window.editors.Setups();
    const std::string dir = Folder("busy");
    const std::string file = dir + "/organ.syx";
    ASSERT_TRUE(setups.Save(file));
    EXPECT_FALSE(setups.Load(file));
    EXPECT_EQ(setups.Refusal(), "another setup task is under way");
    EXPECT_EQ(setups.Current(), CBoxSetups::Task::Save);
    window.Finish();
    EXPECT_TRUE(setups.LastOutcome().completed);

    ASSERT_TRUE(window.editors.FindBox().Start(false));
    EXPECT_FALSE(setups.Compare(file));
    EXPECT_EQ(setups.Refusal(), "the search for the ZM1 box is under way");
    window.editors.FindBox().Stop();
    EXPECT_EQ(window.NewLines(), (Lines{"Setup not loaded from " + file + ": another setup task is under way",
                                        "Setup saved to " + file + " (readable copy: " + dir +
                                            "/organ.json): 4 zones and 27 parameters",
                                        "Setup not compared with " + file + ": the search for the ZM1 box is under way"}));
    ASSERT_TRUE(setups.Compare(file));
    EXPECT_EQ(setups.Refusal(), "");
}
