// The Keyboard Configurator and the Automatic Stream Controls without a
// widget: what each opens with, and the exact frames each action sends.
#include "RecordingControls.h"
#include "editors/AotSetup.h"
#include "editors/KeyboardConfigurator.h"
#include "res/resource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

class CFrameRecorder : public ISysExSender {
public:
    void SendSysEx(int32_t count, const uint8_t* bytes) override
    {
        std::string text;
        char hex[4];
        for (int32_t i = 0; i < count + 2; ++i) {
            std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
            text += hex;
        }
        frames.push_back(text);
    }
    std::vector<std::string> Take() { return std::exchange(frames, {}); }
    std::vector<std::string> frames;
};

std::vector<std::string> Entries(int count, int step, const char* format, int labelAt, const char* label,
                                 const char* formatFrom10 = nullptr)
{
    std::vector<std::string> out;
    char text[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, formatFrom10 && i >= 10 ? formatFrom10 : format, i * step);
        out.emplace_back(i == labelAt ? label : text);
    }
    return out;
}

struct ConfiguratorTest : ::testing::Test {
    HeldValues held;
    CRecordingControls controls;
    CFrameRecorder sender;
    CKeyboardConfigurator configurator{controls, held, sender};
};

} // namespace

TEST_F(ConfiguratorTest, OpensWithTheFiveListsAndTheHeldValuesSelected)
{
    configurator.Initialise();
    EXPECT_EQ(controls.listLines[IDC_KEY_TRIGGER_LIST], Entries(16, 1, "  %d", 3, "3 normal", " %d"));
    EXPECT_EQ(controls.listLines[IDC_KEY_RETRIGGER_LIST], Entries(16, 1, "  %d", 8, "8 normal", " %d"));
    EXPECT_EQ(controls.listLines[IDC_AFTERTOUCH_RANGE_LIST], Entries(20, 1, " %d ", -1, ""));
    EXPECT_EQ(controls.listLines[IDC_AFTERTOUCH_HOLDOFF_LIST], Entries(20, 1, " %d ", -1, ""));
    EXPECT_EQ(controls.listLines[IDC_AFTERTOUCH_DELAY_LIST], Entries(32, 25, "  %d mSec", 8, "200 mSec Default"));
    for (int id : {1025, 1026, 1027, 1028, 1029, 1036})
        EXPECT_FALSE(controls.checks.at(id)) << id;
    EXPECT_THAT(sender.frames, IsEmpty());

    // Held values -> selected entries (-1: none). The delay is in milliseconds.
    struct Case {
        int32_t trigger, retrigger, range, holdoff, delay;
        std::vector<int> selected;
    };
    for (const Case& c : {Case{0, 0, 0, 0, 0, {0, 0, 0, 0, 0}},
                          Case{3, 16, 19, 20, 210, {3, -1, 19, -1, 8}},
                          Case{15, 15, 10, 10, 799, {15, 15, 10, 10, 31}},
                          Case{16, -1, 20, -1, 800, {-1, -1, -1, -1, -1}}}) {
        held.XtableValues[21] = c.trigger;
        held.XtableValues[23] = c.retrigger;
        held.XtableValues[25] = c.range;
        held.XtableValues[26] = c.holdoff;
        held.XtableValues[27] = c.delay;
        controls.Reset();
        configurator.Initialise();
        EXPECT_EQ((std::vector<int>{controls.selections[1031], controls.selections[1032], controls.selections[1037],
                                    controls.selections[1038], controls.selections[1030]}),
                  c.selected)
            << c.delay;
    }
}

TEST_F(ConfiguratorTest, EachLayoutWritesItsFourZones)
{
    // F0 09 5A, op 8, zone, start 0, length 8, then lo_key hi_key lo_note
    // midi_chan atk_vel rel_vel atk_type aftrtch_type.
    struct Case {
        int id;
        std::vector<std::string> frames;
    };
    const Case cases[] = {
        {1025, {"F0 09 5A 08 00 00 08 00 57 15 00 0E 00 00 00 F7", "F0 09 5A 08 01 00 08 00 57 15 01 0E 00 00 00 F7",
                "F0 09 5A 08 02 00 08 00 57 15 02 0E 00 00 00 F7", "F0 09 5A 08 03 00 08 00 57 15 03 0E 00 00 00 F7"}},
        {1026, {"F0 09 5A 08 00 00 08 00 48 1C 00 0E 00 00 00 F7", "F0 09 5A 08 01 00 08 00 48 1C 01 0E 00 00 00 F7",
                "F0 09 5A 08 02 00 08 00 48 1C 02 0E 00 00 00 F7", "F0 09 5A 08 03 00 08 00 48 1C 03 0E 00 00 00 F7"}},
        {1027, {"F0 09 5A 08 00 00 08 00 3C 24 00 0E 00 00 00 F7", "F0 09 5A 08 01 00 08 00 3C 24 01 00 00 00 00 F7",
                "F0 09 5A 08 02 00 08 00 3C 24 02 00 00 00 00 F7", "F0 09 5A 08 03 00 08 00 3C 24 03 00 00 00 00 F7"}},
        {1028, {"F0 09 5A 08 00 00 08 00 3C 24 00 0E 00 00 00 F7", "F0 09 5A 08 01 00 08 3D 79 24 01 0E 00 00 00 F7",
                "F0 09 5A 08 02 00 08 00 3C 24 02 0E 00 00 00 F7", "F0 09 5A 08 03 00 08 3D 79 24 03 0E 00 00 00 F7"}},
        {1029, {"F0 09 5A 08 00 00 08 00 3F 21 00 0E 00 00 00 F7", "F0 09 5A 08 01 00 08 00 3F 21 01 0E 00 00 00 F7",
                "F0 09 5A 08 02 00 08 00 3F 21 02 0E 00 00 00 F7", "F0 09 5A 08 03 00 08 00 3F 21 03 0E 00 00 00 F7"}},
        {1036, {"F0 09 5A 08 00 00 08 00 57 78 00 0E 00 00 00 F7", "F0 09 5A 08 01 00 08 00 57 15 01 0E 00 00 00 F7",
                "F0 09 5A 08 02 00 08 00 57 15 02 0E 00 00 00 F7", "F0 09 5A 08 03 00 08 00 57 15 03 0E 00 00 00 F7"}},
    };
    for (const Case& c : cases) {
        for (int click = 0; click < 2; ++click) {   // the layout already chosen is sent again
            EXPECT_TRUE(configurator.OnCommand(c.id));
            EXPECT_EQ(sender.Take(), c.frames) << c.id;
        }
    }
    EXPECT_TRUE(configurator.OnCommand(IDC_EDIT_KEY_MAP));
    EXPECT_FALSE(configurator.OnCommand(IDOK));
    EXPECT_THAT(sender.frames, IsEmpty());
    EXPECT_THAT(controls.calls, IsEmpty()) << "the window system checks the radio buttons";
}

TEST_F(ConfiguratorTest, SelectionsAndRestoreDefaultsSendTheirParameters)
{
    struct Case {
        int id, index;
        const char* frame;
    };
    for (const Case& c : {Case{1031, 15, "F0 09 43 15 00 0F 00 F7"}, Case{1032, 0, "F0 09 43 17 00 00 00 F7"},
                          Case{1037, 19, "F0 09 43 19 00 13 00 F7"}, Case{1038, 4, "F0 09 43 1A 00 04 00 F7"},
                          Case{1030, 8, "F0 09 43 1B 00 48 01 F7"},     // 200 ms
                          Case{1030, 31, "F0 09 43 1B 00 07 06 F7"}}) {  // 775 ms
        EXPECT_TRUE(configurator.OnListSelChange(c.id, c.index));
        EXPECT_THAT(sender.Take(), ElementsAre(c.frame)) << c.id << " " << c.index;
    }

    controls.Reset();
    EXPECT_TRUE(configurator.OnCommand(IDC_RESTORE_DEFAULTS));
    EXPECT_THAT(sender.Take(), ElementsAre("F0 09 43 15 00 03 00 F7", "F0 09 43 17 00 08 00 F7", "F0 09 43 19 00 0A 00 F7",
                                           "F0 09 43 1A 00 0A 00 F7", "F0 09 43 1B 00 10 03 F7"));
    EXPECT_THAT(controls.ControlCalls(), ElementsAre("@1031 select 3", "@1032 select 8", "@1037 select 10",
                                                     "@1038 select 10", "@1030 select 16"));
}

TEST(AotSetupTest, OptionClicksToggleTheirBitAndSendAllEight)
{
    HeldValues held;
    held.HeldAotDelay = 255;
    CRecordingControls controls;
    CFrameRecorder sender;
    CAotSetup setup(controls, held, sender);

    setup.Open(0x81);
    EXPECT_THAT(controls.ControlCalls(),
                ElementsAre("@1048 check 1", "@1049 check 0", "@1050 check 0", "@1051 check 0", "@1052 check 0",
                            "@1053 check 0", "@1054 check 0", "@1056 check 1", "@1055 text 255"));

    setup.Open(0);
    controls.Reset();
    struct Case {
        int id;
        const char* frame;
        bool mark;
    };
    for (const Case& c : {Case{1056, "F0 09 43 1E 00 00 01 F7", true}, Case{1049, "F0 09 43 1E 00 02 01 F7", true},
                          Case{1056, "F0 09 43 1E 00 02 00 F7", false}, Case{1049, "F0 09 43 1E 00 00 00 F7", false},
                          Case{1054, "F0 09 43 1E 00 40 00 F7", true}}) {
        EXPECT_TRUE(setup.OnCommand(c.id));
        EXPECT_THAT(sender.Take(), ElementsAre(c.frame)) << c.id;
        EXPECT_EQ(controls.checks.at(c.id), c.mark) << c.id;
    }
    EXPECT_FALSE(setup.OnCommand(IDC_AOT_DELAY));
}

TEST(AotSetupTest, OkSendsADelayThatDiffersAndRefusesWhatIsNoDelay)
{
    HeldValues held;
    held.HeldAotDelay = 20;
    CRecordingControls controls;
    CFrameRecorder sender;
    CAotSetup setup(controls, held, sender);
    setup.Open(0);

    struct Case {
        const char* text;
        bool closes;
        std::vector<std::string> frames;
    };
    for (const Case& c : {Case{"20", true, {}}, Case{" 21 ", true, {"F0 09 43 1F 00 15 00 F7"}},
                          Case{"255", true, {"F0 09 43 1F 00 7F 01 F7"}}, Case{"0", true, {"F0 09 43 1F 00 00 00 F7"}},
                          Case{"256", false, {}}, Case{"-1", false, {}}, Case{"", false, {}}, Case{"1.5", false, {}},
                          Case{"12a", false, {}}, Case{"99999999999", false, {}}}) {
        controls.texts[IDC_AOT_DELAY] = c.text;
        controls.texts.erase(IDC_AOT_DELAY_PROBLEM);
        EXPECT_EQ(setup.OnOK(), c.closes) << c.text;
        EXPECT_EQ(sender.Take(), c.frames) << c.text;
        EXPECT_EQ(setup.DelayText, c.text);
        EXPECT_EQ(controls.texts[IDC_AOT_DELAY_PROBLEM], c.closes ? "" : std::string(kAotDelayProblem)) << c.text;
    }
}
