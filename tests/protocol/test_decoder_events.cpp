#include "DecoderHarness.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(DecoderEvents, NoteOnLinesAndSilentShortMessages)
{
    struct Case {
        uint32_t message;
        const char* line;  // nullptr: no line
    };
    const Case cases[] = {
        {PackShortMessage(0x90, 0x3C, 0x40), "Chan 01 NOTE_ON        # 060 ,Vel 064 , "},
        {PackShortMessage(0x9F, 0x15, 0x7F), "Chan 16 NOTE_ON        # 021 ,Vel 127 , "},
        {PackShortMessage(0x90, 0x3C, 0x00), nullptr},
        {PackShortMessage(0x80, 0x3C, 0x40), nullptr},
        {PackShortMessage(0xB0, 0x07, 0x64), nullptr},
        {PackShortMessage(0xF8), nullptr},
    };
    for (const Case& c : cases) {
        DecoderHarness h;
        h.Event(MIM_DATA, c.message);
        EXPECT_EQ(h.Run(), c.line ? Lines{c.line} : Lines{}) << std::hex << c.message;
    }
}

TEST(DecoderEvents, DriverErrorsAreNumberedAndFlagTheNextShortMessage)
{
    DecoderHarness h;
    h.Event(MIM_ERROR, 0x12);
    h.Event(MIM_DATA, PackShortMessage(0x90, 0x3C, 0x40));
    h.Event(MIM_DATA, PackShortMessage(0x90, 0x3E, 0x40));
    h.Event(MIM_ERROR, 0x12);
    h.Event(MIM_ERROR, 0x12);
    h.Event(MIM_DATA, PackShortMessage(0x80, 0x3C, 0x40));
    EXPECT_EQ(h.Run(), (Lines{
                           " BAD BAD BAD BAD MIDI ERROR #000",
                           " SUSPECTED BAD Midi PACKET repeated below ",
                           "Chan 01 NOTE_ON        # 060 ,Vel 064 , ",
                           "Chan 01 NOTE_ON        # 062 ,Vel 064 , ",
                           " BAD BAD BAD BAD MIDI ERROR #001",
                           " BAD BAD BAD BAD MIDI ERROR #002",
                           " SUSPECTED BAD Midi PACKET repeated below ",
                       }));
}

TEST(DecoderEvents, ReleaseOfTheReceiveBufferIsReportedOnceWhileResetting)
{
    DecoderHarness h;
    h.Event(MIM_LONGDATA, 0, "ignored");
    EXPECT_EQ(h.Run(), Lines{});

    h.rings.inputResetting = true;
    h.Event(MIM_LONGDATA, 0, "The operation completed successfully.");
    h.Event(MIM_LONGDATA, 0, "second");
    EXPECT_EQ(h.Run(), Lines{"sysex Unprepare header function The operation completed successfully."});
    EXPECT_FALSE(h.rings.inputResetting);
}

TEST(DecoderEvents, UnterminatedReleaseTextStaysInsideItsSlot)
{
    DecoderHarness h;
    h.rings.inputResetting = true;
    MidiEventSlot* slot = h.rings.events.BeginWrite();
    slot->kind = MIM_LONGDATA;
    std::memset(slot->text, 'x', sizeof slot->text);
    h.rings.events.Publish();
    const Lines lines = h.Run();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 127u);  // "sysex Unprepare header function " + 95 of the 128 'x'
    EXPECT_EQ(lines[0].find_first_not_of('x', 32), std::string::npos);
}

TEST(DecoderEvents, IncompleteSysExIsReportedOtherKindsSkipped)
{
    DecoderHarness h;
    h.Event(MIM_OPEN);
    h.Event(MIM_CLOSE);
    h.Event(MIM_MOREDATA);
    h.Event(MIM_LONGERROR);
    EXPECT_EQ(h.Run(), Lines{"incomplete sysex message dropped"});
}

TEST(DecoderEvents, FramesComeBeforeEventsInOnePass)
{
    DecoderHarness h;
    h.Event(MIM_DATA, PackShortMessage(0x90, 0x3C, 0x40));
    h.Bytes("F0 09 27 F7");
    EXPECT_EQ(h.Run(), (Lines{"eeprom echo test no argument", "Chan 01 NOTE_ON        # 060 ,Vel 064 , "}));
}

TEST(DecoderEvents, RingOverrunsAreReportedOnceWithTheirSize)
{
    DecoderHarness h;
    std::vector<uint8_t> big(8000, 0x41);
    big.insert(big.begin(), {0xF0, 0x09, 0x11});
    big.push_back(0xF7);
    h.Bytes(big);
    std::vector<uint8_t> dropped(200, 0x00);  // no room left: dropped whole
    dropped.front() = 0xF0;
    dropped.back() = 0xF7;
    h.Bytes(dropped);
    for (uint32_t i = 0; i < MidiEventRing::kSize + 3; ++i) {
        if (MidiEventSlot* slot = h.rings.events.BeginWrite()) {
            slot->kind = MIM_DATA;
            slot->param1 = PackShortMessage(0xF8);
            h.rings.events.Publish();
        }
    }
    const Lines lines = h.Run();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "MIDI input overrun: 200 SysEx bytes and 3 events lost");
    EXPECT_EQ(lines[1], std::string(127, 'A'));
    EXPECT_EQ(h.Run(), Lines{});  // reported once
}
