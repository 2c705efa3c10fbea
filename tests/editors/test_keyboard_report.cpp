// Keys named by the notes the box sends for them, and the calibration
// report's contents, against the simulated box: layouts written with the
// Keyboard Configurator, read back by Synchronize Data, a faulty sensor
// found by a smart dump.
#include "RecordingControls.h"
#include "editors/KeyboardConfigurator.h"
#include "editors/KeyboardPresets.h"
#include "editors/KeyboardReport.h"
#include "editors/MainEditors.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The editors on the simulated box, its ports open.
struct BoxSession {
    CRecordingControls controls;
    CMainEditors editors{controls, std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant)};
    CKeyboardViewFeed& feed = editors.KeyboardView();

    BoxSession()
    {
        editors.PortLists().OnInputSelect(0);
        editors.PortLists().OnOutputSelect(0);
    }

    template <typename Done>
    bool TickUntil(Done done)
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(5ms);
            editors.Tick();
        }
        return true;
    }

    //! A one-touch layout, read back into the zone mirror.
    bool ApplyLayout(int presetId)
    {
        CKeyboardConfigurator configurator(controls, editors.Held(), editors.Sender());
        configurator.OnCommand(presetId);
        const KeyboardPreset* preset = nullptr;
        for (const KeyboardPreset& p : kKeyboardPresets)
            if (p.id == presetId)
                preset = &p;
        editors.OnCommand(IDC_SYNCHRONIZE);
        return TickUntil([&] { return editors.Held().Zones[3].hi_key == preset->zones[3][1] && editors.Held().MuteBits == 15; });
    }
};

TEST(KeyNames, EachKeyIsNamedByTheNoteTheBoxSendsForIt)
{
    struct Case { int preset, keys; std::vector<std::pair<int, const char*>> names; };
    const Case cases[] = {
        {IDC_PRESET_PIANO, 88, {{0, "A0"}, {39, "C4"}, {87, "C8"}}},
        // Zone 1 over sensors 0-60 from C2; the keys above it send nothing.
        {IDC_PRESET_ORGAN_61, 88, {{0, "C2"}, {10, "A#2"}, {60, "C7"}, {61, ""}, {87, ""}}},
        // Two manuals of 61 keys, each from C2.
        {IDC_PRESET_DUAL_MANUAL, 122, {{0, "C2"}, {60, "C7"}, {61, "C2"}, {70, "A2"}, {121, "C7"}}},
    };
    for (const Case& c : cases) {
        BoxSession box;
        if (c.keys == 122)
            box.editors.OnCommand(IDC_SCANNER_122);
        ASSERT_TRUE(box.ApplyLayout(c.preset)) << c.preset;
        ASSERT_TRUE(box.TickUntil([&] { return box.feed.Model().KeyCount() == c.keys; }));
        for (const auto& [key, name] : c.names) {
            EXPECT_EQ(box.feed.Model().KeyNoteName(key), name) << "preset " << c.preset << ", key " << key;
            const std::string label = "key " + std::to_string(key);
            EXPECT_EQ(box.feed.Model().KeyLabel(key), *name ? label + " (" + name + ")" : label);
        }
    }
}

TEST(KeyNames, TheZoneThatSoundsNamesALayeredKey)
{
    // Zone 1 muted over keys 0-40, zone 2 sounding over 20-87 an octave up.
    CKeyboardViewModel model;
    model.SetZones(std::array<ZoneRecord, 4>{{{0, 40, 50, 0}, {20, 87, 72, 1}, {}, {}}}, 0b0010);
    EXPECT_EQ(model.KeyNoteName(10), "C4") << "under the muted zone alone: the note it would send";
    EXPECT_EQ(model.KeyNoteName(20), "C5");
    EXPECT_EQ(model.KeyNoteName(75), "G9");
    EXPECT_EQ(model.KeyNoteName(76), "") << "zone 2 would send note 127 + 1";
}

TEST(KeyNames, RunsOfKeysBreakWhereTheNotesStartOver)
{
    // Two manuals from C2 on one channel each; keys 61-70 under no zone.
    CKeyboardViewModel model(122);
    model.SetZones(std::array<ZoneRecord, 4>{{{0, 60, 36, 0}, {71, 121, 36, 1}, {}, {}}}, 0b0011);
    struct Case { std::vector<int> keys; size_t limit; const char* text; };
    const Case cases[] = {
        {{}, 24, "none"},
        {{0, 1, 2, 5}, 24, "keys 0-2 (C2-D2), key 5 (F2)"},
        {{59, 60, 61, 62, 70, 71, 72}, 24, "keys 59-60 (B6-C7), keys 61-62, key 70, keys 71-72 (C2-C#2)"},
        {{1, 3, 5, 7}, 2, "key 1 (C#2), key 3 (D#2), and 2 more keys"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyRunsText(model, c.keys, c.limit), c.text);
}

TEST(OutlierWords, SayHowFarAndWhichWay)
{
    struct Case { CalibrationQuantity quantity; int value; double median; const char* words; };
    const Case cases[] = {
        {CalibrationQuantity::Travel, 100, 120.0, "travel 20 counts shorter than the median of its 8 neighbours"},
        {CalibrationQuantity::Travel, 130, 120.5, "travel 9.5 counts longer than the median of its 8 neighbours"},
        // Sensors that read less with the key down: the size of the travel counts.
        {CalibrationQuantity::Travel, -20, -150.0, "travel 130 counts shorter than the median of its 8 neighbours"},
        {CalibrationQuantity::Travel, -161, -150.5, "travel 10.5 counts longer than the median of its 8 neighbours"},
        {CalibrationQuantity::Travel, 90, -150.0, "travel 90 runs the other way from the median of its 8 neighbours, -150"},
        {CalibrationQuantity::Rest, 41, 40.0, "rest 1 count higher than the median of its 8 neighbours"},
        {CalibrationQuantity::Rest, 30, 47.5, "rest 17.5 counts lower than the median of its 8 neighbours"},
        {CalibrationQuantity::Rest, 200, 180.0, "rest 20 counts higher than the median of its 8 neighbours"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DescribeOutlier({7, c.quantity, c.value, c.median}), c.words);
}

TEST(CalibrationReport, NamesTheBoxTheDateAndEveryKeyThatNeedsAttentionByItsNote)
{
    BoxSession box;
    ASSERT_TRUE(box.ApplyLayout(IDC_PRESET_ORGAN_61));
    SendSetParameter(box.editors.Sender(), 5, 10 + 1);   // sensor 10 travels short
    box.editors.RequestIdentity();
    box.editors.OnCommand(IDC_SMART_DUMP);
    box.editors.OnCommand(IDC_SCAN_DUMP);
    ASSERT_TRUE(box.TickUntil([&] {
        return box.feed.HasCalibration() && box.feed.HasScan() && box.feed.Identity().softwareRevision >= 0;
    }));
    EXPECT_EQ(box.feed.Identity().stationName, "ZM1 Station 1");
    EXPECT_EQ(box.feed.Identity().identification, "ZM1 key scanner software 2.03 (simulator)");

    // Two quick presses of sensor 5 (F2), one held for good on sensor 0 (C2).
    const auto t0 = std::chrono::steady_clock::now() - 1min;
    CKeyboardViewModel& model = box.feed.Model();
    model.OnShortMessage(0x00406490, t0);   // channel 1, note 100: above the layout's keys
    model.OnShortMessage(0x00402990, t0);   // note 41 = F2, sensor 5
    model.OnShortMessage(0x00402980, t0 + 5ms);
    model.OnShortMessage(0x00402990, t0 + 10ms);
    model.OnShortMessage(0x00402980, t0 + 20ms);
    model.OnShortMessage(0x00402490, t0);   // note 36 = C2, sensor 0, never let go

    const CKeyboardReport report(box.feed, ReportTime{2024, 5, 1, 14, 3}, t0 + 1min);
    EXPECT_EQ(report.Title(), "Calibration report: ZM1 Station 1");
    EXPECT_EQ(report.Header(), (std::vector<std::pair<std::string, std::string>>{
                                   {"Station", "ZM1 Station 1"},
                                   {"Identification", "ZM1 key scanner software 2.03 (simulator)"},
                                   {"Software revision", "203"},
                                   {"Keys", "88"},
                                   {"Date", "2024-05-01 14:03"}}));
    EXPECT_EQ(report.ZoneLines()[0], "Zone 1: keys 0-60 (C2-C7), channel 1");
    EXPECT_EQ(report.FileBaseName(), "ZM1-Station-1_2024-05-01");

    const std::string findings = FindingsText(report.Findings());
    EXPECT_NE(findings.find("Odd keys in the calibration: 1\n  key 10 (A#2): travel "), std::string::npos) << findings;
    EXPECT_NE(findings.find("Stuck keys: 1\n  key 0 (C2)\n"), std::string::npos) << findings;
    EXPECT_NE(findings.find("Double-triggered keys: 1\n  key 5 (F2): 1 double trigger\n"), std::string::npos) << findings;
    EXPECT_NE(findings.find("Never played: 86\n  keys 1-4 (C#2-E2), keys 6-60 (F#2-C7), keys 61-87\n"), std::string::npos) << findings;
    EXPECT_NE(findings.find("Note-ons not on a key: 1; layered: 0"), std::string::npos) << findings;

    // One row per key; a key under no zone has no note, flags are 0 or 1.
    std::istringstream csv(report.Csv());
    std::vector<std::string> lines;
    for (std::string line; std::getline(csv, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 89u);
    EXPECT_EQ(lines[0], "key,note,rest,down,travel,odd,scan,note_ons,stuck,double");
    const KeyCalibrationRow& ten = box.feed.Model().Calibration().Keys()[10];
    const int scan = box.feed.Model().Scan().Values()[10];
    EXPECT_EQ(lines[1 + 10], "10,A#2," + std::to_string(ten.rest) + ',' + std::to_string(ten.down) + ',' +
                                 std::to_string(ten.travel) + ",1," + std::to_string(scan) + ",0,0,0");
    EXPECT_TRUE(lines[1 + 0].starts_with("0,C2,")) << lines[1];
    EXPECT_TRUE(lines[1 + 0].ends_with(",1,1,0")) << lines[1];
    EXPECT_TRUE(lines[1 + 5].ends_with(",2,0,1")) << lines[6];
    EXPECT_TRUE(lines[1 + 70].starts_with("70,,")) << lines[71];
}

TEST(CalibrationReport, WhatTheBoxHasNotToldIsSaidAndLeftEmpty)
{
    BoxSession box;
    const CKeyboardReport report(box.feed, ReportTime{2024, 12, 31, 23, 59}, std::chrono::steady_clock::now());
    EXPECT_EQ(report.Title(), "Calibration report");
    EXPECT_EQ(report.Header()[0].second, "not read (press \"Synchronize Data\")");
    EXPECT_EQ(report.Header()[2].second, "not read");
    EXPECT_EQ(report.FileBaseName(), "zm1_2024-12-31");
    EXPECT_EQ(FindingsText(report.Findings()).substr(0, 48), "Odd keys in the calibration: no smart dump yet\n\n");
    EXPECT_TRUE(report.Csv().find("\n3,,,,,,,0,0,0\n") != std::string::npos) << "no zone, no dump, no note";
}

TEST(CalibrationReport, TheStationNameIsMadeSafeForAFileName)
{
    struct Case { const char* station; const char* base; };
    const Case cases[] = {
        {"ZM1 Station 1", "ZM1-Station-1"},
        {"../../etc/passwd", "etc-passwd"},
        {"-rf /", "rf"},
        {".hidden  name.", "hidden-name"},
        {"\x1b]0;title\x07", "0-title"},
        {"St. Mary's", "St.-Mary-s"},
        {"///", "zm1"},
    };
    for (const Case& c : cases) {
        BoxSession box;
        box.editors.Held().IdentificationPending = true;   // as after Synchronize Data
        box.feed.ParameterReported(0, 1);
        box.feed.IdentificationText(c.station);
        const CKeyboardReport report(box.feed, ReportTime{2024, 1, 2, 3, 4}, std::chrono::steady_clock::now());
        EXPECT_EQ(report.FileBaseName(), std::string(c.base) + "_2024-01-02") << c.station;
    }
}

} // namespace
