#include "DecoderHarness.h"
#include "protocol/MidiStreamParser.h"

#include <gtest/gtest.h>

namespace {

// Everything the parser handed to the rings, one entry per message handler
// call: the event as "KIND param1" and, for long data, the bytes it added.
struct ParserProbe {
    std::unique_ptr<CaptureRings> rings = std::make_unique<CaptureRings>();
    std::vector<std::string> seen;
    CMidiStreamParser parser{*rings, [this] { Collect(); }};

    void Collect()
    {
        std::string entry;
        while (rings->events.Unread() != 0) {
            const MidiEventSlot& slot = rings->events.SlotAt(rings->events.readCount.load());
            char buf[32];
            const char* kind = slot.kind == MIM_DATA       ? "DATA"
                               : slot.kind == MIM_LONGDATA  ? "LONGDATA"
                               : slot.kind == MIM_ERROR     ? "ERROR"
                               : slot.kind == MIM_LONGERROR ? "LONGERROR"
                                                            : "OTHER";
            std::snprintf(buf, sizeof buf, "%s %06X", kind, slot.param1);
            entry += buf;
            rings->events.Advance(1);
        }
        std::vector<uint8_t> bytes;
        const uint32_t n = rings->sysex.Unread();
        for (uint32_t k = 0; k < n; ++k)
            bytes.push_back(rings->sysex.ByteAt(rings->sysex.readCount.load() + k));
        rings->sysex.Advance(n);
        if (!bytes.empty())
            entry += " [" + HexText(bytes) + "]";
        seen.push_back(entry);
    }

    std::vector<std::string> Parse(const std::string& hex)
    {
        const auto bytes = Hex(hex);
        parser.Feed(bytes.data(), bytes.size());
        parser.Finish();
        return seen;
    }
};

} // namespace

TEST(MidiStreamParser, SplitsAStreamAsADriverWould)
{
    struct Case {
        const char* name;
        const char* stream;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"sysex whole", "F0 09 1B F7", {"LONGDATA 000004 [F0 09 1B F7]"}},
        {"note on", "90 3C 40", {"DATA 403C90"}},
        {"running status", "90 3C 40 3E 41 80 3C 00",
         {"DATA 403C90", "DATA 413E90", "DATA 003C80"}},
        {"one data byte", "C5 07 08 D0 10", {"DATA 0007C5", "DATA 0008C5", "DATA 0010D0"}},
        {"real-time inside sysex", "F0 09 11 F8 41 F7",
         {"DATA 0000F8", "LONGDATA 000005 [F0 09 11 41 F7]"}},
        {"real-time inside a channel message", "90 3C FE 40", {"DATA 0000FE", "DATA 403C90"}},
        {"status interrupts sysex", "F0 09 11 41 90 3C 40",
         {"LONGERROR 000004", "DATA 403C90"}},
        {"sysex interrupts sysex", "F0 09 11 F0 09 27 F7",
         {"LONGERROR 000003", "LONGDATA 000004 [F0 09 27 F7]"}},
        {"system common ends running status", "90 3C 40 F2 01 02 3C 40",
         {"DATA 403C90", "DATA 0201F2", "ERROR 00003C"}},
        {"tune request", "F6", {"DATA 0000F6"}},
        {"sysex ends running status", "90 3C 40 F0 F7 3C 40",
         {"DATA 403C90", "LONGDATA 000002 [F0 F7]", "ERROR 00003C"}},
        {"stray data run counts once", "01 02 03 90 3C 40", {"ERROR 000001", "DATA 403C90"}},
        {"undefined and stray end bytes", "F4 F5 F7", {"ERROR 0000F4", "ERROR 0000F5", "ERROR 0000F7"}},
        {"cut-off short message", "90 3C 80 3C 40", {"ERROR 003C90", "DATA 403C80"}},
        {"unfinished at the end", "90 3C", {"ERROR 003C90"}},
        {"unfinished sysex at the end", "F0 09 11 41", {"LONGERROR 000004"}},
        {"status alone at the end", "B0", {"ERROR 0000B0"}},
    };
    for (const Case& c : cases) {
        ParserProbe probe;
        EXPECT_EQ(probe.Parse(c.stream), c.events) << c.name;
    }
}

TEST(MidiStreamParser, LongSysExIsTakenWholeOrNotAtAll)
{
    // As with live input: a message longer than the byte ring is counted
    // lost, one longer than the assembler holds is incomplete; neither
    // leaves bytes in the ring for the next frame to join.
    struct Case {
        size_t body;
        const char* event;
        uint32_t lostBytes;
    };
    const Case cases[] = {
        {SysExByteRing::kSize - 2, "LONGDATA 002000", 0},
        {SysExByteRing::kSize + 10, "LONGDATA 00200C", SysExByteRing::kSize + 12},
        {CMidiStreamParser::kMaxSysEx, "LONGERROR 010000", 0},
    };
    for (const Case& c : cases) {
        ParserProbe probe;
        std::vector<uint8_t> stream = {0xF0};
        stream.resize(1 + c.body, 0x41);
        stream.push_back(0xF7);
        probe.parser.Feed(stream.data(), stream.size());
        ASSERT_EQ(probe.seen.size(), 1u) << c.body;
        EXPECT_EQ(probe.seen[0].substr(0, std::strlen(c.event)), c.event) << c.body;
        EXPECT_EQ(probe.rings->sysex.LostBytes(), c.lostBytes) << c.body;
    }
}

TEST(MidiStreamParser, DrivesTheDecoderInArrivalOrder)
{
    DecoderHarness h;
    CMidiStreamParser parser(h.rings, [&h] { h.pipeline.Run(); });
    auto stream = Hex("90 3C 40 F0 09 27 F7 91 3D 41 00 F0 09 2A F7 F0 09 11");
    // A text cut off after more bytes than a frame holds, then a whole one.
    stream.insert(stream.end(), 9000, 0x41);
    const auto text = Hex("F0 09 11 68 65 6C 6C 6F 00 F7");
    stream.insert(stream.end(), text.begin(), text.end());
    parser.Feed(stream.data(), stream.size());
    parser.Finish();
    EXPECT_EQ(h.sink.lines, (std::vector<std::string>{
                                    "Chan 01 NOTE_ON        # 060 ,Vel 064 , ",
                                    "eeprom echo test no argument",
                                    "Chan 02 NOTE_ON        # 061 ,Vel 065 , ",
                                    " BAD BAD BAD BAD MIDI ERROR #000",
                                    "eeprom dump no argument",
                                    "incomplete sysex message dropped",
                                    "hello",
                                }));
}
