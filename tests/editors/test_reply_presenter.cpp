// What the window's controls show of the box's replies: the reply pipeline
// wired through the presenter to the zone editor and the parameter table,
// as the main window's editors wire it, over a recording dialog.
#include "PresenterRig.h"
#include "RecordingControls.h"
#include "RecordingSender.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using Lines = std::vector<std::string>;

struct PresenterHarness : PresenterRig<CRecordingControls, CRecordingSender> {
    //! Feeds the frames, runs one pass and returns the control writes it made.
    Lines Decode(const std::string& hex)
    {
        controls.Reset();
        const std::vector<uint8_t> bytes = Hex(hex);
        pipeline.Rings().sysex.Write(bytes.data(), bytes.size());
        pipeline.Run();
        return controls.ControlCalls();
    }
};

} // namespace

TEST(ReplyPresenter, RepliesRedrawTheControlsTheyConcern)
{
    struct Case {
        const char* what;
        const char* frames;
        Lines writes;
    };
    const Case cases[] = {
        {"GetZone redraws the whole column", "F0 09 5A 09 01 00 08 15 6C 15 00 0E 00 00 00 F7",
         {"@1039 text  21    108", "@1038 text  21", "@1082 select 0", "@1048 select 14", "@1050 select 0",
          "@1079 select 0", "@1086 select 0"}},
        {"a partial GetZone too", "F0 09 5A 09 03 02 02 30 05 F7",
         {"@1068 text   0      0", "@1067 text  48", "@1084 select 5", "@1072 select 0", "@1074 select 0",
          "@1081 select 0", "@1088 select 0"}},
        {"Set Split Done: key range, lowest note, Set Zone released", "F0 09 5A 0A 03 10 20 30 F7",
         {"@1056 text  16     32", "@1055 text  48", "@1065 check 0"}},
        {"Set Split Done of zone 1", "F0 09 5A 0A 01 01 02 03 F7",
         {"@1020 text   1    2", "@1019 text   3", "@1046 check 0"}},
        {"mute bits: the zone mute buttons", "F0 09 43 06 00 05 00 F7",
         {"@1045 check 0", "@1105 check 1", "@1106 check 0", "@1107 check 1"}},
        {"number of keys", "F0 09 43 0C 00 7A 00 F7", {"@1021 text 122"}},
        {"the lower of the two low notes, whichever came last",
         "F0 09 43 0D 00 24 00 F7 F0 09 43 0E 00 30 00 F7", {"@1022 text  36", "@1022 text  48"}},
        {"identification while pending", "F0 09 1B F7 F0 09 11 41 42 F7", {"@1025 text AB"}},
    };
    for (const Case& c : cases) {
        PresenterHarness h;
        EXPECT_EQ(h.Decode(c.frames), c.writes) << c.what;
        EXPECT_EQ(h.controls.scrollCalls, 1) << c.what;
    }
}

TEST(ReplyPresenter, KeyRangeSpacingDiffersForZoneOne)
{
    const char* keyRanges[] = {"  0  127", "  0    127", "  0    127", "  0    127"};
    for (size_t z = 0; z < 4; ++z) {
        PresenterHarness h;
        char frame[80];
        std::snprintf(frame, sizeof frame, "F0 09 5A 09 %02zX 00 08 00 7F 24 03 05 06 07 02 F7", z);
        h.Decode(frame);
        EXPECT_EQ(h.controls.texts[kZoneKeyRange[z]], keyRanges[z]);
        EXPECT_EQ(h.controls.texts[kZoneLowestNote[z]], " 36");
        EXPECT_EQ(h.controls.selections[kZoneChannelList[z]], 3);
        EXPECT_EQ(h.controls.selections[kZoneAttackList[z]], 5);
        EXPECT_EQ(h.controls.selections[kZoneReleaseList[z]], 6);
        EXPECT_EQ(h.controls.selections[kZoneCurveList[z]], 7);
        EXPECT_EQ(h.controls.selections[kZoneAftertouchList[z]], 2);
    }
}

// Parameters 7-11 and 15 are kept in the table only: zone 1's lowest note
// and the number-of-keys readout are not overwritten with them. Neither
// inquiry answers, unknown zones nor numbers beyond the box's 32 touch a
// control; a text with no identification pending is a line only.
TEST(ReplyPresenter, RepliesThatConcernNoControlWriteNone)
{
    const char* frames[] = {
        "F0 09 43 07 00 33 00 F7", "F0 09 43 08 00 33 00 F7", "F0 09 43 09 00 33 00 F7",
        "F0 09 43 0A 00 33 00 F7", "F0 09 43 0B 00 33 00 F7", "F0 09 43 0F 00 33 00 F7",
        "F0 09 44 0C 00 58 00 F7", "F0 09 44 06 00 00 00 F7", "F0 09 43 40 00 01 00 F7",
        "F0 09 43 20 00 01 00 F7", "F0 09 5A 09 04 00 02 15 6C F7", "F0 09 5A 0A 05 01 02 03 F7",
        "F0 09 11 48 49 F7",       "F0 09 43 0C 00 58 F7",
    };
    for (const char* frame : frames) {
        PresenterHarness h;
        EXPECT_EQ(h.Decode(frame), Lines{}) << frame;
        EXPECT_EQ(h.controls.lines.size(), 1u) << frame;
    }
}
