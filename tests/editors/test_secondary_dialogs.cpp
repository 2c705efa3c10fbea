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
#include <tuple>
#include <utility>
#include <vector>

using ::testing::ElementsAre;

namespace {

struct CFrameRecorder : ISysExSender {
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

//! The entries of a list as the dialog's formats make them.
std::vector<std::string> Entries(int count, int step, const char* format, const char* from10, int labelAt,
                                 const char* label)
{
    std::vector<std::string> out;
    char text[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, i >= 10 ? from10 : format, i * step);
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
    EXPECT_EQ(controls.listLines[1031], Entries(16, 1, "  %d", " %d", 3, "3 normal"));
    EXPECT_EQ(controls.listLines[1032], Entries(16, 1, "  %d", " %d", 8, "8 normal"));
    EXPECT_EQ(controls.listLines[1037], Entries(20, 1, " %d ", " %d ", -1, ""));
    EXPECT_EQ(controls.listLines[1038], Entries(20, 1, " %d ", " %d ", -1, ""));
    EXPECT_EQ(controls.listLines[1030], Entries(32, 25, "  %d mSec", "  %d mSec", 8, "200 mSec Default"));
    for (int id : {1025, 1026, 1027, 1028, 1029, 1036})
        EXPECT_FALSE(controls.checks.at(id)) << id;

    // Held values of 21, 23, 25, 26, 27 -> selected entries (-1: none). The
    // delay is held in milliseconds.
    const std::pair<std::vector<int32_t>, std::vector<int>> cases[] = {
        {{3, 16, 19, 20, 210}, {3, -1, 19, -1, 8}},
        {{15, 15, 0, 10, 799}, {15, 15, 0, 10, 31}},
        {{16, -1, 20, -1, 800}, {-1, -1, -1, -1, -1}},
    };
    for (const auto& [values, selected] : cases) {
        const int parameters[] = {21, 23, 25, 26, 27};
        for (size_t i = 0; i < 5; ++i)
            held.XtableValues[static_cast<size_t>(parameters[i])] = values[i];
        controls.Reset();
        configurator.Initialise();
        const auto& s = controls.selections;
        EXPECT_EQ((std::vector<int>{s.at(1031), s.at(1032), s.at(1037), s.at(1038), s.at(1030)}), selected);
    }
    EXPECT_TRUE(sender.frames.empty());
}

TEST_F(ConfiguratorTest, EachLayoutWritesItsFourZonesEveryTime)
{
    // F0 09 5A, op 8, zone, start 0, length 8, then lo_key hi_key lo_note
    // midi_chan atk_vel rel_vel atk_type aftrtch_type.
    const std::pair<int, std::vector<std::string>> cases[] = {
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
    for (const auto& [id, frames] : cases) {
        for (int click = 0; click < 2; ++click) {
            EXPECT_TRUE(configurator.OnCommand(id));
            EXPECT_EQ(sender.Take(), frames) << id;
        }
    }
    EXPECT_TRUE(configurator.OnCommand(IDC_EDIT_KEY_MAP));
    EXPECT_TRUE(sender.frames.empty() && controls.calls.empty()) << "Edit Key Map does nothing";
}

TEST_F(ConfiguratorTest, SelectionsAndRestoreDefaultsSendTheirParameters)
{
    const std::tuple<int, int, const char*> cases[] = {
        {1031, 15, "F0 09 43 15 00 0F 00 F7"}, {1032, 0, "F0 09 43 17 00 00 00 F7"},
        {1037, 19, "F0 09 43 19 00 13 00 F7"}, {1038, 4, "F0 09 43 1A 00 04 00 F7"},
        {1030, 8, "F0 09 43 1B 00 48 01 F7"},  {1030, 31, "F0 09 43 1B 00 07 06 F7"},   // 200 ms, 775 ms
    };
    for (const auto& [id, index, frame] : cases) {
        EXPECT_TRUE(configurator.OnListSelChange(id, index));
        EXPECT_THAT(sender.Take(), ElementsAre(frame)) << id << " " << index;
    }

    EXPECT_TRUE(configurator.OnCommand(IDC_RESTORE_DEFAULTS));
    EXPECT_THAT(sender.Take(), ElementsAre("F0 09 43 15 00 03 00 F7", "F0 09 43 17 00 08 00 F7", "F0 09 43 19 00 0A 00 F7",
                                           "F0 09 43 1A 00 0A 00 F7", "F0 09 43 1B 00 10 03 F7"));
    EXPECT_THAT(controls.ControlCalls(), ElementsAre("@1031 select 3", "@1032 select 8", "@1037 select 10",
                                                     "@1038 select 10", "@1030 select 16"));
}

TEST(AotSetupTest, OptionsToggleAndSendAllEightBitsAndOkSendsAChangedDelay)
{
    HeldValues held;
    held.HeldAotDelay = 20;
    CRecordingControls controls;
    CFrameRecorder sender;
    CAotSetup setup(controls, held, sender);
    setup.Open();
    EXPECT_EQ(controls.texts[IDC_AOT_DELAY], "20");
    const std::tuple<int, const char*, bool> clicks[] = {
        {1056, "F0 09 43 1E 00 00 01 F7", true},  {1049, "F0 09 43 1E 00 02 01 F7", true},
        {1056, "F0 09 43 1E 00 02 00 F7", false}, {1049, "F0 09 43 1E 00 00 00 F7", false},
    };
    for (const auto& [id, frame, mark] : clicks) {
        EXPECT_TRUE(setup.OnCommand(id));
        EXPECT_THAT(sender.Take(), ElementsAre(frame)) << id;
        EXPECT_EQ(controls.checks.at(id), mark) << id;
    }

    // Delay text -> frames sent on OK; no frame and no closing for a text
    // that is no delay, which the dialog then explains.
    const std::tuple<const char*, bool, std::vector<std::string>> delays[] = {
        {"20", true, {}}, {" 21 ", true, {"F0 09 43 1F 00 15 00 F7"}}, {"255", true, {"F0 09 43 1F 00 7F 01 F7"}},
        {"256", false, {}}, {"-1", false, {}}, {"", false, {}}, {"12a", false, {}}, {"99999999999", false, {}},
    };
    for (const auto& [text, closes, frames] : delays) {
        controls.texts[IDC_AOT_DELAY] = text;
        EXPECT_EQ(setup.OnOK(), closes) << text;
        EXPECT_EQ(sender.Take(), frames) << text;
        EXPECT_EQ(controls.texts[IDC_AOT_DELAY_PROBLEM], closes ? "" : std::string(kAotDelayProblem)) << text;
    }
}
