// Each user action on the zone columns and the parameter table, row by row
// through one session: the frames, control writes and lines, in order.
#include "FakeMidiPlatform.h"
#include "RecordingControls.h"
#include "RecordingSender.h"
#include "editors/MainEditors.h"
#include "editors/ParameterTable.h"
#include "editors/ZoneEditor.h"
#include "res/resource.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

// Frames join the control writes in one record, so a row shows their order.
struct CCallSender : ISysExSender {
    explicit CCallSender(CRecordingControls& c) : controls(c) {}
    void SendSysEx(int32_t count, const uint8_t* bytes) override
    {
        controls.calls.push_back(HexText(std::vector<uint8_t>(bytes, bytes + count + 2)));
    }
    CRecordingControls& controls;
};

struct Row {
    int id;
    int line;          // >= 0: the user selects this line of list `id`; else a click
    int32_t preset;    // >= 0: every zone's lo_note and atk_vel, and MuteBits
    const char* typed; // edit 1009 before the click
    Lines out;
};
Row Click(int id, Lines out, int32_t preset = -1) { return {id, -1, preset, nullptr, std::move(out)}; }
Row Pick(int id, int line, Lines out) { return {id, line, -1, nullptr, std::move(out)}; }
Row Send(const char* typed, const char* frame)
{
    return {IDC_SEND_XTABLE, -1, -1, typed, {frame ? frame : "Send Xtable Data: \"" + std::string(typed) +
                                                 "\" is not a whole number from 0 to 16383, nothing sent"}};
}
//! The four switches' writes: "Keys Xopto Misc 122" as digits.
Lines Switches(const char* flags)
{
    Lines out;
    for (int id : {IDC_SHOW_KEYS, IDC_SHOW_XOPTO, IDC_SHOW_MISC, IDC_SCANNER_122})
        out.push_back("@" + std::to_string(id) + " check " + *flags++);
    return out;
}

} // namespace

TEST(MainEditors, EachUserActionSendsAndShowsExactlyItsPart)
{
    HeldValues held;
    ReportOptions options;
    CRecordingControls controls;
    CCallSender sender{controls};
    CZoneEditor zones{controls, held, sender};
    CParameterTable table{controls, held, options, sender};
    table.FillList();   // also limits edit 1009 to five characters

    const Row script[] = {
        Pick(kZoneAttackList[1], 14, {"F0 09 5A 08 01 04 01 0E F7"}),     // "14 Normal" in zone 2
        Click(kZoneAttackOff[1], {"@1048 select 0"}),                     // "Off": selects, sends nothing
        Pick(kZoneChannelList[0], 9, {"F0 09 5A 08 00 03 01 09 F7"}),     // the line that reads 10
        Pick(kZoneCurveList[2], 7, {"F0 09 5A 08 02 06 01 07 F7"}),
        Pick(kZoneAftertouchList[3], 8, {}),                              // no such line
        Click(kZoneAttackOff[0], {"@1043 select 0"}, 20),
        Click(kZoneAttackOff[0], {"@1043 select 20"}),
        Click(kZoneAttackOff[2], {"@1060 select 4"}, 0),
        Click(kZoneUp[0], {"F0 09 5A 08 00 02 01 3D F7"}, 60),
        Click(kZoneDown[1], {"F0 09 5A 08 01 02 01 00 F7"}, 0),           // no wrap to 127
        Click(kZonePlus12[2], {"F0 09 5A 08 02 02 01 7F F7"}, 120),       // no wrap to 4
        Click(kZoneMute[2], {"F0 09 43 06 00 0B 00 F7", "@dialog focus"}, 15),
        Click(kZoneSetZone[3], {"@1077 check 1", "F0 09 5A 0A 04 7F 7F 7F F7", "@dialog focus"}),
        Click(kZoneDebugA[0], {"F0 09 5A 10 00 00 00 00 F7"}),           // "Ens"
        Click(kZoneReleaseOff[0], {}),
        Click(IDC_INQUIRE_XTABLE, {"F0 09 44 00 00 F7"}),                // nothing picked: parameter 0
        Pick(IDC_PARAMETER_LIST, 27, {}),
        Send("400", "F0 09 43 1B 00 10 03 F7"),
        Send("    42", "F0 09 43 1B 00 04 00 F7"),                       // the edit holds "    4"
        Send("16384", nullptr),
        Send("4O", nullptr),
        Click(IDC_INQUIRE_XTABLE, {"F0 09 44 1B 00 F7"}),
        Click(IDC_SCANNER_122, Switches("1001")),                         // the box shows the count
        Click(IDC_SHOW_KEYS, Switches("0001")),
        Click(IDC_SHOW_XOPTO, Switches("0101")),
        Click(IDC_SHOW_KEYS, Switches("1001")),
        Click(IDC_SCANNER_122, Switches("1000")),
    };
    for (size_t i = 0; i < std::size(script); ++i) {
        const Row& r = script[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ", control " << r.id);
        if (r.preset >= 0) {
            for (ZoneRecord& zone : held.Zones)
                zone.lo_note = zone.atk_vel = r.preset;
            held.MuteBits = r.preset;
        }
        if (r.typed)
            controls.SetControlText(IDC_XTABLE_DATA, r.typed);
        controls.calls.clear();
        if (r.line >= 0)
            (void)(table.OnListSelChange(r.id, r.line) || zones.OnListSelChange(r.id, r.line));
        else
            (void)(table.OnCommand(r.id) || zones.OnCommand(r.id));
        EXPECT_EQ(controls.calls, r.out);
    }
    EXPECT_EQ(held.MuteBits, 15) << "only the box's report changes the mute bits";
    EXPECT_EQ(options.ScannerKeyCount, 88);
}

// The secondary windows get their presenters from the editors, which ask the
// box first and fill the window from what is held at that moment.
TEST(MainEditors, SecondaryWindowsAskTheBoxAndShowWhatIsHeldNow)
{
    struct Case {
        const char* name;
        std::function<void(CMainEditors&, CRecordingControls&)> open;
        Lines frames;
        std::pair<int, std::string> shown;  // a control of the window and its last write
    };
    const Case cases[] = {
        {"Keyboard Config",
         [](CMainEditors& e, CRecordingControls& w) { e.OpenKeyboardConfigurator(w).Initialise(); },
         {"F0 09 44 06 00 F7", "F0 09 44 0C 00 F7", "F0 09 44 15 00 F7", "F0 09 44 17 00 F7", "F0 09 44 19 00 F7",
          "F0 09 44 1A 00 F7", "F0 09 44 1B 00 F7"},
         {IDC_KEY_TRIGGER_LIST, "@1031 select 5"}},
        {"AOT setup", [](CMainEditors& e, CRecordingControls& w) { e.OpenAotSetup(w).Open(); },
         {"F0 09 44 1E 00 F7"}, {IDC_AOT_DELAY, "@1055 text 77"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFakeMidiPlatform* platform = new CFakeMidiPlatform{{"In"}, {"Out"}};
        CRecordingControls main, window;
        CMainEditors editors(main, std::unique_ptr<IMidiPlatform>(platform));
        editors.OnListSelChange(IDC_MIDI_OUT_LIST, 0);
        editors.Held().XtableValues[21] = 5;
        editors.Held().HeldAotDelay = 77;
        c.open(editors, window);
        ASSERT_TRUE(editors.Ports().Transmitter().WaitUntilSent(std::chrono::seconds(5)));
        Lines frames;
        for (const auto& frame : platform->liveOutputs[0]->Sent())
            frames.push_back(HexText(frame));
        EXPECT_EQ(frames, c.frames);
        Lines shown;
        for (const std::string& call : window.calls)
            if (call.rfind("@" + std::to_string(c.shown.first) + " ", 0) == 0)
                shown.push_back(call);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), c.shown.second);
    }
}
