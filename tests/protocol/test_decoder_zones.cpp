#include "DecoderHarness.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(DecoderZones, GetZoneStoresTheRecordAndTellsTheZone)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 5A 09 01 00 08 15 6C 15 00 0E 00 00 00 F7"),
              Lines{"GetZone2  lo_key 021 hi_key 108 lo_note 021 midi_chan   0 atk_vel  14 rel_vel   0  atk_type   0 "
                    " aftrtch_type   0 "});
    const ZoneRecord& z = h.held.Zones[1];
    EXPECT_EQ((std::array<int32_t, 8>{z.lo_key, z.hi_key, z.lo_note, z.midi_chan, z.atk_vel, z.rel_vel, z.atk_type,
                                      z.aftrtch_type}),
              (std::array<int32_t, 8>{21, 108, 21, 0, 14, 0, 0, 0}));
    EXPECT_EQ(h.sink.events, Lines{"zone read 1"});
}

TEST(DecoderZones, PartialGetZoneStoresOnlyTheOffsetsItCarries)
{
    struct Case {
        const char* frame;
        const char* line;
        std::array<int32_t, 8> record;  // zone 1 after the reply, starting from 1..8
    };
    const Case cases[] = {
        // start 2, length 2: lo_note and midi_chan
        {"F0 09 5A 09 00 02 02 30 05 F7", "GetZone1  lo_note 048 midi_chan   5", {1, 2, 48, 5, 5, 6, 7, 8}},
        // start 6, length 4: offsets 8 and 9 lie outside the record
        {"F0 09 5A 09 00 06 04 01 02 03 04 F7", "GetZone1   atk_type   1  aftrtch_type   2 ", {1, 2, 3, 4, 5, 6, 1, 2}},
        // length 8 but only three data bytes: stops at the frame's last data byte
        {"F0 09 5A 09 00 00 08 0A 0B 0C F7", "GetZone1  lo_key 010 hi_key 011 lo_note 012 ", {10, 11, 12, 4, 5, 6, 7, 8}},
        // length byte 0 stands for 128
        {"F0 09 5A 09 00 07 00 09 0A F7", "GetZone1   aftrtch_type   9 ", {1, 2, 3, 4, 5, 6, 7, 9}},
        // start beyond the record: nothing stored, the zone still told
        {"F0 09 5A 09 00 08 02 09 0A F7", "GetZone1  ", {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        DecoderHarness h;
        for (int i = 0; i < 8; ++i)
            h.held.Zones[0].Field(i) = i + 1;
        EXPECT_EQ(h.Decode(c.frame), Lines{c.line}) << c.frame;
        const ZoneRecord& z = h.held.Zones[0];
        std::array<int32_t, 8> got{};
        for (int i = 0; i < 8; ++i)
            got[static_cast<size_t>(i)] = z.Field(i);
        EXPECT_EQ(got, c.record) << c.frame;
        // The zone is told however little of it came.
        EXPECT_EQ(h.sink.events, Lines{"zone read 0"}) << c.frame;
    }
}

TEST(DecoderZones, GetZoneForUnknownZoneIsLoggedOnly)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 5A 09 04 00 02 15 6C F7"), Lines{"GetZone5  lo_key 021 hi_key 108 "});
    EXPECT_EQ(h.Decode("F0 09 5A 09 1F 00 01 15 F7"), Lines{"GetZone20  lo_key 021 "});
    EXPECT_EQ(h.sink.events, Lines{});
    for (const ZoneRecord& z : h.held.Zones)
        EXPECT_EQ(z.lo_key, 0);
}

TEST(DecoderZones, SetSplitDoneStoresTheSplitAndTellsTheZone)
{
    DecoderHarness h;
    h.held.Zones[2].midi_chan = 9;
    EXPECT_EQ(h.Decode("F0 09 5A 0A 03 10 20 30 F7"),
              Lines{"Set Split 3 Done low_key  16 high_key  32 low_note  48"});
    EXPECT_EQ(h.held.Zones[2].lo_key, 16);
    EXPECT_EQ(h.held.Zones[2].hi_key, 32);
    EXPECT_EQ(h.held.Zones[2].lo_note, 48);
    EXPECT_EQ(h.held.Zones[2].midi_chan, 9);
    EXPECT_EQ(h.sink.events, Lines{"split done 2"});
}

TEST(DecoderZones, SetSplitForEachZoneUsesOneBasedField)
{
    for (int field = 1; field <= 4; ++field) {
        DecoderHarness h;
        char frame[64];
        std::snprintf(frame, sizeof frame, "F0 09 5A 0A %02X 01 02 03 F7", field);
        h.Decode(frame);
        EXPECT_EQ(h.sink.events, Lines{"split done " + std::to_string(field - 1)});
        EXPECT_EQ(h.held.Zones[static_cast<size_t>(field - 1)].lo_note, 3);
    }
}

TEST(DecoderZones, SetSplitOutsideOneToFourStoresNothing)
{
    for (const char* frame : {"F0 09 5A 0A 00 01 02 03 F7", "F0 09 5A 0A 05 01 02 03 F7"}) {
        DecoderHarness h;
        EXPECT_EQ(h.Decode(frame).size(), 1u);
        EXPECT_EQ(h.sink.events, Lines{});
        for (const ZoneRecord& z : h.held.Zones)
            EXPECT_EQ(z.lo_note, 0);
    }
}

TEST(DecoderZones, OtherFieldOperationsAreConsumedSilently)
{
    for (const char* frame : {"F0 09 5A 08 00 03 01 05 F7", "F0 09 5A 10 01 00 00 00 F7", "F0 09 5A 00 F7",
                              "F0 09 5A 05 00 00 01 00 F7"}) {
        DecoderHarness h;
        EXPECT_EQ(h.Decode(frame), Lines{}) << frame;
        EXPECT_EQ(h.sink.events, Lines{}) << frame;
    }
}
