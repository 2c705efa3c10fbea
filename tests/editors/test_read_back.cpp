// "Read back after each change": every control that changes the box, with
// the switch off (exactly the frames it always sends) and on (each change
// followed at once by the read that shows its result).
#include "RecordingControls.h"
#include "RecordingSender.h"
#include "editors/AotSetup.h"
#include "editors/KeyboardConfigurator.h"
#include "editors/ParameterTable.h"
#include "editors/ReadBackSender.h"
#include "editors/ZoneEditor.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Frames = std::vector<std::string>;

struct Editors {
    HeldValues held;
    ReportOptions options;
    CRecordingControls controls;
    CRecordingSender wire;
    CReadBackSender sender{wire};
    CZoneEditor zones{controls, held, sender};
    CParameterTable table{controls, held, options, sender};
    CKeyboardConfigurator configurator{controls, held, sender};
    CAotSetup aot{controls, held, sender};
};

struct Row {
    const char* what;
    std::function<void(Editors&)> act;
    Frames writes;
    Frames reads;  //!< one per write when on (empty string: none for that write)
};

} // namespace

TEST(ReadBack, EachChangeIsFollowedByItsReadOnlyWhileSwitchedOn)
{
    const std::string zone0 = "F0 09 5A 09 00 00 08 00 F7";
    const Row rows[] = {
        {"a zone list", [](Editors& e) { e.zones.OnListSelChange(kZoneAttackList[1], 14); },
         {"F0 09 5A 08 01 04 01 0E F7"}, {"F0 09 5A 09 01 00 08 00 F7"}},
        {"a transpose button", [](Editors& e) { e.zones.OnCommand(kZoneUp[0]); }, {"F0 09 5A 08 00 02 01 01 F7"},
         {zone0}},
        {"Mute", [](Editors& e) { e.zones.OnCommand(kZoneMute[2]); }, {"F0 09 43 06 00 04 00 F7"},
         {"F0 09 44 06 00 F7"}},
        {"Set Zone: the box reports the split itself", [](Editors& e) { e.zones.OnCommand(kZoneSetZone[3]); },
         {"F0 09 5A 0A 04 7F 7F 7F F7"}, {""}},
        {"Send Xtable Data",
         [](Editors& e) {
             e.table.OnListSelChange(IDC_PARAMETER_LIST, 27);
             e.controls.SetControlText(IDC_XTABLE_DATA, "400");
             e.table.OnCommand(IDC_SEND_XTABLE);
         },
         {"F0 09 43 1B 00 10 03 F7"}, {"F0 09 44 1B 00 F7"}},
        {"a layout: four zones", [](Editors& e) { e.configurator.OnCommand(IDC_PRESET_ORGAN_61); },
         {"F0 09 5A 08 00 00 08 00 3C 24 00 0E 00 00 00 F7", "F0 09 5A 08 01 00 08 00 3C 24 01 00 00 00 00 F7",
          "F0 09 5A 08 02 00 08 00 3C 24 02 00 00 00 00 F7", "F0 09 5A 08 03 00 08 00 3C 24 03 00 00 00 00 F7"},
         {zone0, "F0 09 5A 09 01 00 08 00 F7", "F0 09 5A 09 02 00 08 00 F7", "F0 09 5A 09 03 00 08 00 F7"}},
        {"a scanning parameter", [](Editors& e) { e.configurator.OnListSelChange(IDC_KEY_TRIGGER_LIST, 2); },
         {"F0 09 43 15 00 02 00 F7"}, {"F0 09 44 15 00 F7"}},
        {"an automatic-stream option", [](Editors& e) { e.aot.OnCommand(IDC_AOT_CC_MUTE); },
         {"F0 09 43 1E 00 40 00 F7"}, {"F0 09 44 1E 00 F7"}},
        {"reads change nothing", [](Editors& e) { e.table.OnCommand(IDC_INQUIRE_XTABLE); }, {"F0 09 44 1B 00 F7"},
         {""}},
        {"a number an inquiry cannot carry", [](Editors& e) { SendSetParameter(e.sender, 200, 1); },
         {"F0 09 43 48 01 01 00 F7"}, {""}},
    };
    for (const bool on : {false, true}) {
        Editors editors;
        editors.sender.SetEnabled(on);
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.what) + (on ? ", on" : ", off"));
            editors.wire.frames.clear();
            row.act(editors);
            Frames expected;
            for (size_t i = 0; i < row.writes.size(); ++i) {
                expected.push_back(row.writes[i]);
                if (on && !row.reads[i].empty())
                    expected.push_back(row.reads[i]);
            }
            EXPECT_EQ(editors.wire.FrameTexts(), expected);
        }
    }
}
