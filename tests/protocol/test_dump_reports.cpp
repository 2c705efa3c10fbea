#include "DecoderHarness.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

//! A PEEK Acknowledge frame for `data`, each byte as two nibbles, low first.
std::vector<uint8_t> PeekAck(uint32_t address, const std::vector<uint8_t>& data, uint8_t command = 0x30)
{
    std::vector<uint8_t> f = {0xF0, 0x09, command};
    for (int i = 0; i < 5; ++i)
        f.push_back(static_cast<uint8_t>((address >> (4 * i)) & 0xF));
    for (int i = 0; i < 4; ++i)
        f.push_back(static_cast<uint8_t>((data.size() >> (4 * i)) & 0xF));
    for (uint8_t b : data) {
        f.push_back(b & 0x0F);
        f.push_back(b >> 4);
    }
    f.push_back(0xF7);
    return f;
}

std::vector<uint8_t> Sequence(size_t n, int first = 0)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(first + static_cast<int>(i));
    return v;
}

//! The " %02X" entries of `values`.
std::string Entries(const std::vector<uint8_t>& values, size_t from, size_t count)
{
    std::string s;
    char buf[8];
    for (size_t i = from; i < from + count; ++i) {
        std::snprintf(buf, sizeof buf, " %02X", values[i]);
        s += buf;
    }
    return s;
}

Lines DecodeBytes(DecoderHarness& h, const std::vector<uint8_t>& bytes)
{
    h.Bytes(bytes);
    return h.Run();
}

} // namespace

TEST(DumpReports, PlainPeekOfFourBytes)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 30 00 00 00 00 00 04 00 00 00 01 02 03 04 05 06 07 08 F7"),
              (Lines{"EEPROM PEEK Acknowledge address 00000 length 0004", " 21 43 65 87"}));
    EXPECT_EQ(h.pipeline.Reports().Image()[0], 0x21);
    EXPECT_EQ(h.pipeline.Reports().Image()[3], 0x87);
}

TEST(DumpReports, PlainPeekLineBreaks)
{
    struct Case {
        size_t bytes;
        size_t lines;  // after the header
        size_t lastLineEntries;
    };
    const Case cases[] = {{0, 1, 0}, {31, 1, 31}, {32, 2, 0}, {33, 2, 1}, {64, 3, 0}, {512, 17, 0}};
    for (const Case& c : cases) {
        DecoderHarness h;
        const auto data = Sequence(c.bytes, 0x40);
        const Lines lines = DecodeBytes(h, PeekAck(0x12345, data));
        ASSERT_EQ(lines.size(), c.lines + 1) << c.bytes;
        char header[64];
        std::snprintf(header, sizeof header, "EEPROM PEEK Acknowledge address 12345 length %04zX", c.bytes);
        EXPECT_EQ(lines[0], header);
        for (size_t l = 1; l + 1 < lines.size(); ++l)
            EXPECT_EQ(lines[l], Entries(data, (l - 1) * 32, 32));
        EXPECT_EQ(lines.back(), Entries(data, (c.lines - 1) * 32, c.lastLineEntries));
    }
}

TEST(DumpReports, OddTrailingNibblePairsWithTheEndByte)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 30 00 00 00 00 00 01 00 00 00 0A 0B 0C F7"),
              (Lines{"EEPROM PEEK Acknowledge address 00000 length 0001", " BA 7C"}));
    EXPECT_EQ(h.Decode("F0 09 15 01 02 03 F7"), (Lines{"Scan Dump", " 12 37"}));
}

TEST(DumpReports, LaterShorterPeekKeepsTheRestOfTheImage)
{
    DecoderHarness h;
    DecodeBytes(h, PeekAck(0, Sequence(10, 1)));
    DecodeBytes(h, PeekAck(0x300, {0xAA, 0xBB}));  // written from slot 0 whatever the address
    const auto& image = h.pipeline.Reports().Image();
    EXPECT_EQ(image[0], 0xAA);
    EXPECT_EQ(image[1], 0xBB);
    EXPECT_EQ(image[2], 3);
    EXPECT_EQ(image[9], 10);
    EXPECT_EQ(image[10], 0);
}

TEST(DumpReports, PeekLargerThanTheImageIsPrintedButNotStoredBeyondIt)
{
    DecoderHarness h;
    std::vector<uint8_t> data(2100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    const Lines lines = DecodeBytes(h, PeekAck(0, data));
    EXPECT_EQ(lines.size(), 1 + 66u);  // 65 full lines and a last one of 20
    EXPECT_EQ(lines.back(), Entries(data, 2080, 20));
    EXPECT_EQ(h.pipeline.Reports().Image()[2047], static_cast<uint8_t>(2047 * 7));
}

TEST(DumpReports, SmartReportMiscOnlyFor88Keys)
{
    DecoderHarness h;
    h.options.SmartDumpPending = true;
    h.options.ShowKeys = 0;
    h.options.ShowMisc = 1;
    std::vector<uint8_t> data(512, 0);
    const int n = 88;
    data[n + 54] = 3;       // midi channel
    data[n + 42] = 61;      // number of keys
    data[n + 43] = 36;      // lowest key
    data[n + 44] = 1;       // direction
    data[n + 45] = 12;      // trigger offset
    data[n + 46] = 130;     // retrigger offset
    data[n + 47] = 0xAB;    // velocity sensitivity
    data[n + 48] = 0x0C;    // minimum velocity factor
    data[n + 49] = 7;       // release sensitivity
    data[n + 50] = 200;     // noise safety factor
    data[n + 51] = 42;      // conversion parameter
    data[n + 52] = 100;     // strip break
    data[n + 53] = 48;      // lowest note on keyboard 2
    EXPECT_EQ(DecodeBytes(h, PeekAck(0, data)), (Lines{
                                                    "Misc information",
                                                    "midi channel  3",
                                                    "Number of Keys  61 Lowest Key Number 36 Keyboard direction 1",
                                                    "Stripbreak 100 Lowest note on keyboard 2 48 only used on 122 model now",
                                                    "velocity sensitivity AB Minimum velocity factor  C",
                                                    "Trigger Offset  12 retrigger Offset 130",
                                                    "Release Senesitivity   7 Noise safety factor 200",
                                                    "conv param hm? 42",
                                                }));
    EXPECT_FALSE(h.options.SmartDumpPending);
}

TEST(DumpReports, SmartReportKeyBlocksFor88And122Keys)
{
    for (int n : {88, 122}) {
        DecoderHarness h;
        h.options.SmartDumpPending = true;
        h.options.ScannerKeyCount = n;
        std::vector<uint8_t> data(512);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<uint8_t>(i);
        const Lines lines = DecodeBytes(h, PeekAck(0, data));

        const size_t blockLines = n == 88 ? 3 : 4;
        ASSERT_EQ(lines.size(), 2 * (blockLines + 1)) << n;
        EXPECT_EQ(lines[0], "key rest information");
        EXPECT_EQ(lines[blockLines + 1], "key down information");

        // Value k of a block is "%02X ", "-" after every 16th, a new line after every 32nd.
        auto block = [&](int firstSlot) {
            Lines out;
            std::string line;
            char buf[8];
            for (int k = 0; k < n; ++k) {
                std::snprintf(buf, sizeof buf, "%02X ", data[static_cast<size_t>(firstSlot + k)]);
                line += buf;
                if ((k + 1) % 16 == 0)
                    line += "-";
                if ((k + 1) % 32 == 0) {
                    out.push_back(line);
                    line.clear();
                }
            }
            out.push_back(line);
            return out;
        };
        const Lines rest(lines.begin() + 1, lines.begin() + 1 + static_cast<std::ptrdiff_t>(blockLines));
        const Lines down(lines.begin() + 2 + static_cast<std::ptrdiff_t>(blockLines), lines.end());
        EXPECT_EQ(rest, block(n + 56)) << n;
        EXPECT_EQ(down, block(12)) << n;
    }
}

TEST(DumpReports, SmartReportFirstKeyLineByHand)
{
    DecoderHarness h;
    h.options.SmartDumpPending = true;
    const Lines lines = DecodeBytes(h, PeekAck(0, Sequence(512)));
    ASSERT_GE(lines.size(), 2u);
    // Key rest values start at slot 88 + 56 = 144 = 0x90.
    EXPECT_EQ(lines[1], "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F -A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF -");
    EXPECT_EQ(lines[3], "D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB DC DD DE DF -E0 E1 E2 E3 E4 E5 E6 E7 ");
}

TEST(DumpReports, SmartReportControllerSectionOrder)
{
    DecoderHarness h;
    h.options.SmartDumpPending = true;
    h.options.ShowKeys = 0;
    h.options.ShowXopto = 1;
    const Lines lines = DecodeBytes(h, PeekAck(0, Sequence(512)));
    // N = 88: tab numbers at 100, offsets 106, high limits 112, low limits 118.
    EXPECT_EQ(lines, (Lines{
                         "Smart Eprom Dump",
                         "controller_tab_number 64 65 66 67 68 69",
                         "controller_offset     6A 6B 6C 6D 6E 6F",
                         "controller_low_limit  76 77 78 79 7A 7B",
                         "controller_high_limit 70 71 72 73 74 75",
                     }));
}

TEST(DumpReports, SmartReportSectionsComeInFixedOrderAndAllOffPrintsNothing)
{
    DecoderHarness h;
    h.options.SmartDumpPending = true;
    h.options.ShowKeys = 1;
    h.options.ShowXopto = 1;
    h.options.ShowMisc = 1;
    const Lines all = DecodeBytes(h, PeekAck(0, Sequence(512)));
    ASSERT_EQ(all.size(), 5 + 8 + 8u);
    EXPECT_EQ(all[0], "Smart Eprom Dump");
    EXPECT_EQ(all[5], "key rest information");
    EXPECT_EQ(all[13], "Misc information");

    h.options.SmartDumpPending = true;
    h.options.ShowKeys = h.options.ShowXopto = h.options.ShowMisc = 0;
    EXPECT_EQ(DecodeBytes(h, PeekAck(0, Sequence(512))), Lines{});
    EXPECT_FALSE(h.options.SmartDumpPending);
}

TEST(DumpReports, SmartReportWithoutLayoutForTheKeyCount)
{
    for (int n : {0, -5, 997, 100000}) {
        DecoderHarness h;
        h.options.SmartDumpPending = true;
        h.options.ScannerKeyCount = n;
        h.options.ShowMisc = 1;
        const Lines lines = DecodeBytes(h, PeekAck(0, Sequence(16)));
        EXPECT_EQ(lines, Lines{"Smart Eprom Dump: no layout for " + std::to_string(n) + " scanner keys"});
    }
    DecoderHarness h;  // the largest count that fits reads the image's last slot
    h.options.SmartDumpPending = true;
    h.options.ScannerKeyCount = 996;
    EXPECT_EQ(DecodeBytes(h, PeekAck(0, Sequence(16))).size(), 2 * (32 + 1u));
}

TEST(DumpReports, TwoSmartClicksGiveOneSmartAndOnePlainReport)
{
    DecoderHarness h;
    h.options.SmartDumpPending = true;
    h.options.SmartDumpPending = true;
    const Lines first = DecodeBytes(h, PeekAck(0, Sequence(512)));
    EXPECT_EQ(first[0], "key rest information");
    const Lines second = DecodeBytes(h, PeekAck(0, Sequence(4)));
    EXPECT_EQ(second, (Lines{"EEPROM PEEK Acknowledge address 00000 length 0004", " 00 01 02 03"}));
}

TEST(DumpReports, ScanDumpLines)
{
    struct Case {
        size_t values;
        size_t lines;
    };
    const Case cases[] = {{0, 1}, {1, 2}, {32, 2}, {40, 3}, {300, 11}};
    for (const Case& c : cases) {
        DecoderHarness h;
        std::vector<uint8_t> frame = {0xF0, 0x09, 0x15};
        std::vector<uint8_t> values(c.values);
        for (size_t k = 0; k < c.values; ++k) {
            values[k] = static_cast<uint8_t>(k * 3 + 1);
            frame.push_back(values[k] >> 4);  // high nibble first
            frame.push_back(values[k] & 0xF);
        }
        frame.push_back(0xF7);
        const Lines lines = DecodeBytes(h, frame);
        ASSERT_EQ(lines.size(), c.lines) << c.values;
        EXPECT_EQ(lines[0], "Scan Dump");
        for (size_t l = 1; l < lines.size(); ++l)
            EXPECT_EQ(lines[l], Entries(values, (l - 1) * 32, std::min<size_t>(32, c.values - (l - 1) * 32)));
        for (size_t k = 0; k < std::min<size_t>(c.values, 256); ++k)
            EXPECT_EQ(h.pipeline.Reports().ScanValues()[k], values[k]);
    }
}

TEST(DumpReports, KeyMapsHeaderLines)
{
    struct Case {
        const char* frame;
        const char* name;
        const char* range;
    };
    const Case cases[] = {
        {"F0 09 5A 11 01 00 00 F7", "KeyMaps dump request acknowledge with data Zone 1 Keymap ",
         " start address 000 length 128 stop address 128"},
        {"F0 09 5A 11 00 05 10 F7", "KeyMaps dump request acknowledge with data Zone Enable Booleans ",
         " start address 005 length  16 stop address  21"},
        {"F0 09 5A 11 05 7F 7F F7", "KeyMaps dump request acknowledge with data Raw Keydown Keymap ",
         " start address 127 length 127 stop address 254"},
        {"F0 09 5A 11 06 00 01 F7", "KeyMaps dump request acknowledge with data  ",
         " start address 000 length   1 stop address   1"},
    };
    for (const Case& c : cases) {
        DecoderHarness h;
        EXPECT_EQ(h.Decode(c.frame), (Lines{c.name, c.range})) << c.frame;
    }
}

TEST(DumpReports, KeyMapsDataShowsEveryByteInGroupsOfEight)
{
    DecoderHarness h;
    std::vector<uint8_t> frame = {0xF0, 0x09, 0x5A, 0x11, 0x02, 0x00, 0x04};  // length says 4
    for (int i = 0; i < 40; ++i)
        frame.push_back(static_cast<uint8_t>(i));
    frame.push_back(0xF7);
    const Lines lines = DecodeBytes(h, frame);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "   00 01 02 03 04 05 06 07   08 09 0A 0B 0C 0D 0E 0F   10 11 12 13 14 15 16 17   18 19 1A 1B "
                        "1C 1D 1E 1F");
    EXPECT_EQ(lines[3], "   20 21 22 23 24 25 26 27");
}

TEST(DumpReports, PokeLines)
{
    DecoderHarness h;
    EXPECT_EQ(h.Decode("F0 09 31 05 04 03 02 01 03 00 00 00 0A 00 0F 0F 01 01 F7"),
              Lines{"EEPROM POKE Request address 12345 length 0003  a ff 11"});
    EXPECT_EQ(h.Decode("F0 09 32 0F 0A 00 00 F7"), Lines{"EEPROM POKE Acknowledge length 00af"});
}

TEST(DumpReports, PokeRequestLineShowsItsCut)
{
    struct Case {
        size_t bytes;
        size_t length;
        bool cut;
    };
    const Case cases[] = {{27, 45 + 27 * 3, false}, {28, 45 + 26 * 3 + 4, true}, {200, 45 + 26 * 3 + 4, true}};
    for (const Case& c : cases) {
        DecoderHarness h;
        const Lines lines = DecodeBytes(h, PeekAck(0, Sequence(c.bytes, 0x10), 0x31));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].size(), c.length) << c.bytes;
        EXPECT_EQ(lines[0].ends_with(" ..."), c.cut) << c.bytes;
        EXPECT_EQ(lines[0].substr(45, 9), " 10 11 12");
    }
}
