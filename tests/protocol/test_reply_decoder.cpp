#include "DecoderHarness.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(ReplyDecoder, OneLineReplies)
{
    struct Case {
        const char* frame;
        const char* line;
    };
    const Case cases[] = {
        {"F0 09 12 41 F7", "ascii 8 bit one char per command"},
        {"F0 09 27 F7", "eeprom echo test no argument"},
        {"F0 09 2A F7", "eeprom dump no argument"},
        {"F0 09 2F 00 00 02 00 00 F7", "EEPROM PEEK request length 0200 "},
        {"F0 09 2F 0F 0A 01 00 0C F7", "EEPROM PEEK request length 01af "},
        {"F0 09 45 01 02 F7", "ACCESS XTABLE Request Ignored raw packet f00945 "},
        {"F0 41 10 42 F7", "unimplemented or undefined marrowvale/midi tessel sysex number f04110"},
        {"F0 09 7E F7", "unimplemented or undefined marrowvale/midi tessel sysex number f0097e"},
        {"F0 0A 43 0C 00 58 00 F7", "unimplemented or undefined marrowvale/midi tessel sysex number f00a43"},
        {"F0 09 1A F7", "unimplemented or undefined marrowvale/midi tessel sysex number f0091a"},
        // No search for F0: whatever precedes an F7 is one frame.
        {"01 02 03 04 F7", "unimplemented or undefined marrowvale/midi tessel sysex number  10203"},
        {"F0 09 32 04 03 02 01 F7", "EEPROM POKE Acknowledge length 1234"},
    };
    for (const Case& c : cases) {
        DecoderHarness h;
        EXPECT_EQ(h.Decode(c.frame), Lines{c.line}) << c.frame;
    }
}

TEST(ReplyDecoder, TwoFramesInOnePassRevisionThenIdentification)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 1B F7 F0 09 11 41 42 F7"), Lines{"revision request"});
    EXPECT_EQ(h.sink.events, Lines{"identification AB"});
    EXPECT_FALSE(h.held.IdentificationPending);
    EXPECT_EQ(h.sink.passes, 1);

    // The flag is gone: the next text string is a line again.
    EXPECT_EQ(h.Decode("F0 09 11 48 49 F7"), Lines{"HI"});
    EXPECT_EQ(h.sink.events, Lines{"identification AB"});
}

TEST(ReplyDecoder, TextCharactersBuildOneLineAcrossPasses)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 10 48 F7"), Lines{});
    EXPECT_EQ(h.Decode("F0 09 10 49 F7"), Lines{});
    EXPECT_EQ(h.Decode("F0 09 10 0A F7"), Lines{"HI"});
    EXPECT_EQ(h.Decode("F0 09 10 0A F7"), Lines{""});
}

TEST(ReplyDecoder, FrameSplitAcrossPassesIsCompletedByItsF7)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 43 0C"), Lines{});
    EXPECT_EQ(h.Decode("00 58 00"), Lines{});
    EXPECT_EQ(h.Decode("F7"), Lines{"43  parameter#: 012 value 088 "});
    EXPECT_EQ(h.sink.passes, 3);
}

TEST(ReplyDecoder, EightBitTextStrings)
{
    struct Case {
        const char* frame;
        const char* text;
    };
    const Case cases[] = {
        {"F0 09 13 01 04 02 04 03 04 0D 00 0A 00 F7", "ABC"},
        {"F0 09 13 01 04 0D 00 0A 00 F7", "A"},
        {"F0 09 13 0D 00 0A 00 F7", ""},
        {"F0 09 13 F7", ""},
        // Odd body: the last character takes the F7 as its high nibble and is
        // one of the two dropped.
        {"F0 09 13 01 04 02 04 03 04 0D F7", "AB"},
        // Characters above 7F survive as single bytes.
        {"F0 09 13 09 0E 01 04 0D 00 0A 00 F7", "\xE9" "A"},
    };
    for (const Case& c : cases) {
        DecoderHarness h;
        EXPECT_EQ(h.Decode(c.frame), Lines{c.text}) << c.frame;
        EXPECT_EQ(h.sink.events, Lines{}) << c.frame;
    }
}

TEST(ReplyDecoder, EightBitTextGoesToIdentificationAndIsStillAppended)
{
    DecoderHarness h;
    h.held.IdentificationPending = true;
    EXPECT_EQ(h.Decode("F0 09 13 01 04 02 04 03 04 0D 00 0A 00 F7"), Lines{"ABC"});
    EXPECT_EQ(h.sink.events, Lines{"identification ABC"});
    EXPECT_FALSE(h.held.IdentificationPending);
}

TEST(ReplyDecoder, ParameterReportLines)
{
    struct Case {
        const char* frame;
        const char* line;
    };
    const Case cases[] = {
        {"F0 09 43 0C 00 58 00 F7", "43  parameter#: 012 value 088 "},
        {"F0 09 44 0C 00 58 00 F7", "44 parameter#: 012 value: 088 "},
        {"F0 09 43 7F 7F 7F 7F F7", "43  parameter#: 16383 value 16383 "},
        {"F0 09 43 00 00 05 00 4F 4B 00 58 F7", "43  parameter#: 000 value 005 OK"},
        {"F0 09 44 00 00 05 00 4F 4B F7", "44 parameter#: 000 value: 005 OK"},
        {"F0 09 43 00 00 05 00 00 4F F7", "43  parameter#: 000 value 005 "},
        {"F0 09 43 8C 80 D8 80 F7", "43  parameter#: 012 value 088 "},  // each byte taken & 7F
    };
    for (const Case& c : cases) {
        DecoderHarness h;
        EXPECT_EQ(h.Decode(c.frame), Lines{c.line}) << c.frame;
    }
}

TEST(ReplyDecoder, ParameterEffectsOfSetParameterReports)
{
    DecoderHarness h;
    EXPECT_EQ(h.Events("F0 09 43 0C 00 58 00 F7"), Lines{"parameter 12 = 88"});
    EXPECT_EQ(h.held.XtableValues[12], 88);

    EXPECT_EQ(h.Events("F0 09 43 0D 00 24 00 F7 F0 09 43 0E 00 30 00 F7"),
              (Lines{"parameter 13 = 36", "parameter 14 = 48"}));
    EXPECT_EQ(h.held.XtableValues[13], 36);
    EXPECT_EQ(h.held.XtableValues[14], 48);

    h.Decode("F0 09 43 15 00 10 03 F7");  // 21: key trigger position, 400
    EXPECT_EQ(h.held.XtableValues[21], 400);

    // 30 and 31 keep the low 8 bits; the sink hears the value as reported.
    EXPECT_EQ(h.Events("F0 09 43 1E 00 7F 03 F7 F0 09 43 1F 00 02 01 F7"),
              (Lines{"parameter 30 = 511", "parameter 31 = 130"}));
    EXPECT_EQ(h.held.HeldAotBooleans, 0xFF);
    EXPECT_EQ(h.held.HeldAotDelay, 0x82);
    EXPECT_EQ(h.held.XtableValues[30], 0);
    EXPECT_EQ(h.held.XtableValues[31], 0);

    h.Decode("F0 09 43 1D 00 05 00 F7");  // 29 is logged only
    EXPECT_EQ(h.held.XtableValues[29], 0);
}

TEST(ReplyDecoder, MuteBitsAreKeptApart)
{
    DecoderHarness h;
    EXPECT_EQ(h.Events("F0 09 43 06 00 05 00 F7"), Lines{"parameter 6 = 5"});
    EXPECT_EQ(h.held.MuteBits, 5);
    EXPECT_EQ(h.held.XtableValues[6], 0);
}

// Parameters 7-11 and 15 report into XtableValues only.
TEST(ReplyDecoder, LayoutParametersAreKeptInTheTable)
{
    for (int p : {7, 8, 9, 10, 11, 15}) {
        DecoderHarness h;
        char frame[64];
        std::snprintf(frame, sizeof frame, "F0 09 43 %02X 00 33 00 F7", p);
        EXPECT_EQ(h.Events(frame), Lines{"parameter " + std::to_string(p) + " = 51"}) << p;
        EXPECT_EQ(h.held.XtableValues[static_cast<size_t>(p)], 0x33) << p;
    }
}

TEST(ReplyDecoder, ReportsThatChangeNothing)
{
    struct Case {
        const char* frame;
        Lines events;
    };
    const Case cases[] = {
        {"F0 09 44 0C 00 58 00 F7", {}},  // inquiry answers are logged only
        {"F0 09 44 06 00 00 00 F7", {}},
        {"F0 09 43 40 00 01 00 F7", {"parameter 64 = 1"}},  // beyond the box's 32: only news
        {"F0 09 43 20 00 01 00 F7", {"parameter 32 = 1"}},
    };
    for (const auto& [frame, events] : cases) {
        DecoderHarness h;
        const HeldValues before = h.held;
        EXPECT_EQ(h.Decode(frame).size(), 1u) << frame;
        EXPECT_EQ(h.sink.events, events) << frame;
        EXPECT_EQ(h.held.XtableValues, before.XtableValues) << frame;
        EXPECT_EQ(h.held.MuteBits, before.MuteBits) << frame;
    }
}

// A reply shorter than the fields its handler reads is shown with what it
// has and acts on nothing - in particular it never picks up the bytes an
// earlier, longer frame left behind in the frame buffer.
TEST(ReplyDecoder, ShortFramesNeverReadStaleBytes)
{
    struct Case {
        const char* frame;
        const char* line;
    };
    const Case cases[] = {
        {"F0 09 43 0C 00 58 F7", "short sysex frame f00943 ignored, body 0C 00 58"},
        {"F0 09 43 06 F7", "short sysex frame f00943 ignored, body 06"},
        {"F0 09 44 F7", "short sysex frame f00944 ignored, body"},
        {"F0 09 10 F7", "short sysex frame f00910 ignored, body"},
        {"F0 09 2F 01 02 F7", "short sysex frame f0092f ignored, body 01 02"},
        {"F0 09 30 00 00 00 00 00 04 00 00 F7", "short sysex frame f00930 ignored, body 00 00 00 00 00 04 00 00"},
        {"F0 09 31 00 00 F7", "short sysex frame f00931 ignored, body 00 00"},
        {"F0 09 32 01 02 03 F7", "short sysex frame f00932 ignored, body 01 02 03"},
        {"F0 09 5A F7", "short sysex frame f0095a ignored, body"},
        {"F0 09 5A 09 01 00 F7", "short sysex frame f0095a ignored, body 09 01 00"},
        {"F0 09 5A 0A 03 10 20 F7", "short sysex frame f0095a ignored, body 0A 03 10 20"},
        {"F0 09 5A 11 01 00 F7", "short sysex frame f0095a ignored, body 11 01 00"},
        {"F7", "unimplemented or undefined marrowvale/midi tessel sysex number f70000"},
        {"F0 F7", "unimplemented or undefined marrowvale/midi tessel sysex number f0f700"},
    };
    // Fill the frame buffer with a long frame of values that would take effect.
    const std::string filler =
        "F0 09 43 06 00 05 00 0C 00 58 00 09 01 00 08 15 6C 15 00 0E 00 00 00 01 02 03 04 05 06 07 08 09 F7";
    for (const Case& c : cases) {
        DecoderHarness h;
        h.Decode(filler);
        const size_t eventsBefore = h.sink.events.size();
        const HeldValues before = h.held;
        EXPECT_EQ(h.Decode(c.frame), Lines{c.line}) << c.frame;
        EXPECT_EQ(h.sink.events.size(), eventsBefore) << c.frame;
        EXPECT_EQ(h.held.XtableValues, before.XtableValues) << c.frame;
        EXPECT_EQ(h.held.MuteBits, before.MuteBits) << c.frame;
        EXPECT_FALSE(h.held.IdentificationPending) << c.frame;
    }
}

TEST(ReplyDecoder, ShortPeekAcknowledgeLeavesSmartReportPending)
{
    DecoderHarness h;
    h.options.SmartDumpPending = true;
    h.Decode("F0 09 30 00 00 F7");
    EXPECT_TRUE(h.options.SmartDumpPending);
}

TEST(ReplyDecoder, FrameLongerThanTheBufferIsReportedAndItsTailIsNotMisread)
{
    DecoderHarness h;
    // A text string of 9000 bytes whose tail looks like a revision acknowledge.
    std::vector<uint8_t> frame = {0xF0, 0x09, 0x11};
    frame.resize(9000, 0x41);
    const std::vector<uint8_t> tail = {0x1B};
    frame.insert(frame.end(), tail.begin(), tail.end());
    frame.push_back(0xF7);
    // Deliver it in ring-sized pieces, running a pass after each.
    Lines lines;
    for (size_t at = 0; at < frame.size(); at += 4096) {
        const size_t n = std::min<size_t>(4096, frame.size() - at);
        h.Bytes(std::vector<uint8_t>(frame.begin() + static_cast<std::ptrdiff_t>(at),
                                     frame.begin() + static_cast<std::ptrdiff_t>(at + n)));
        for (auto& l : h.Run())
            lines.push_back(l);
    }
    EXPECT_EQ(lines, Lines{"sysex frame f00911 too long (9002 bytes), dropped"});
    EXPECT_FALSE(h.held.IdentificationPending);

    // The decoder is back in step for the next frame.
    EXPECT_EQ(h.Decode("F0 09 27 F7"), Lines{"eeprom echo test no argument"});
}

TEST(ReplyDecoder, FrameOfExactlyTheBufferSizeIsDecoded)
{
    DecoderHarness h;
    std::vector<uint8_t> frame = {0xF0, 0x09, 0x11};
    frame.resize(8191, 0x41);
    frame.push_back(0xF7);
    h.Bytes(frame);
    const Lines lines = h.Run();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(127, 'A'));  // a line holds 127 characters
}

TEST(ReplyDecoder, TextsAreCutToTheirLimits)
{
    DecoderHarness h;
    std::string longText = "F0 09 11";
    for (int i = 0; i < 300; ++i)
        longText += " 42";
    longText += " F7";
    h.held.IdentificationPending = true;
    h.Decode(longText);
    EXPECT_EQ(h.sink.events, Lines{"identification " + std::string(127, 'B')});
    EXPECT_EQ(h.Decode(longText), Lines{std::string(127, 'B')});

    // Text characters: the text line holds 1023 characters.
    std::string chars;
    for (int i = 0; i < 1100; ++i)
        chars += "F0 09 10 43 F7 ";
    chars += "F0 09 10 0A F7";
    EXPECT_EQ(h.Decode(chars), Lines{std::string(1023, 'C')});

    // A parameter report's text fills the line and no more.
    std::string report = "F0 09 43 01 00 02 00";
    for (int i = 0; i < 200; ++i)
        report += " 54";
    report += " F7";
    const Lines lines = h.Decode(report);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 127u);
    EXPECT_EQ(lines[0].substr(0, 31), "43  parameter#: 001 value 002 T");
}

TEST(ReplyDecoder, TextEndsAtZeroByte)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 11 41 00 42 F7"), Lines{"A"});
    EXPECT_EQ(h.Decode("F0 09 10 41 F7 F0 09 10 00 F7 F0 09 10 42 F7 F0 09 10 0A F7"), Lines{"A"});
}

TEST(ReplyDecoder, EndsEachPassOnce)
{
    DecoderHarness h;
    h.Run();
    h.Decode("F0 09 27 F7 F0 09 2A F7");
    EXPECT_EQ(h.sink.passes, 2);
    EXPECT_EQ(h.sink.lines.back(), "eeprom dump no argument");
}
