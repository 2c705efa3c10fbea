#include "ProcessRunner.h"

#include <gtest/gtest.h>

namespace {

std::string Binary(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

} // namespace

TEST(ZmctlDecode, HexInputFromStdinInArrivalOrder)
{
    const ProcessResult r = RunZmctl({"decode", "--hex"}, "F0 09 1B F7 f0 09 11 41 42 f7\n"
                                                         "90 3C 40 0xF0 0x09 0x27 0xF7 80 3c 40\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "revision request\n"
                     "Chan 01 NOTE_ON        # 060 ,Vel 064 , \n"
                     "eeprom echo test no argument\n");
}

TEST(ZmctlDecode, ControlsArePrintedInOrderWithTheLines)
{
    const ProcessResult r = RunZmctl({"decode", "--hex", "--controls"},
                                     "F0 09 1B F7 F0 09 11 41 42 F7 F0 09 43 06 00 05 00 F7 "
                                     "F0 09 5A 0A 03 10 20 30 F7");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "revision request\n"
                     "@1025 text AB\n"
                     "43  parameter#: 006 value 005 \n"
                     "@1045 check 0\n"
                     "@1105 check 1\n"
                     "@1106 check 0\n"
                     "@1107 check 1\n"
                     "Set Split 3 Done low_key  16 high_key  32 low_note  48\n"
                     "@1056 text  16     32\n"
                     "@1055 text  48\n"
                     "@1065 check 0\n");
}

TEST(ZmctlDecode, FilesAreReadInOrderAndDashIsStdin)
{
    // A frame split between a file and stdin is completed: the inputs form one stream.
    const std::string a = TempFile("a.syx", Binary({0xF0, 0x09, 0x10, 0x48, 0xF7, 0xF0, 0x09, 0x43, 0x0C}));
    const std::string b = TempFile("b.syx", Binary({0xF0, 0x09, 0x10, 0x0A, 0xF7}));
    const ProcessResult r = RunZmctl({"decode", a, "-", b}, Binary({0x00, 0x58, 0x00, 0xF7, 0xF0, 0x09, 0x10, 0x49, 0xF7}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "43  parameter#: 012 value 088 \nHI\n");

    const ProcessResult reversed = RunZmctl({"decode", b, a});
    EXPECT_EQ(reversed.out, "\nincomplete sysex message dropped\n");
}

TEST(ZmctlDecode, EightBitTextStaysOneBytePerCharacter)
{
    const ProcessResult r = RunZmctl({"decode", "--hex"}, "F0 09 13 09 0E 01 04 0D 00 0A 00 F7");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\xE9" "A\n");
}

TEST(ZmctlDecode, SmartReportFollowsKeysAndSections)
{
    std::string frame = "F0 09 30 00 00 00 00 00 00 00 02 00";
    for (int i = 0; i < 512; ++i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, " %02X %02X", (i & 0xF), (i >> 4) & 0xF);
        frame += buf;
    }
    frame += " F7";
    struct Case {
        std::vector<std::string> args;
        size_t lines;
        const char* first;
    };
    const Case cases[] = {
        {{"decode", "--hex"}, 18, "EEPROM PEEK Acknowledge address 00000 length 0200"},
        {{"decode", "--hex", "--smart"}, 8, "key rest information"},
        {{"decode", "--hex", "--smart", "--keys", "122"}, 10, "key rest information"},
        {{"decode", "--hex", "--smart", "--sections", "misc"}, 8, "Misc information"},
        {{"decode", "--hex", "--smart", "--sections", "xopto,keys,misc"}, 21, "Smart Eprom Dump"},
        {{"decode", "--hex", "--smart", "--sections", ""}, 0, ""},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(c.args, frame + " " + frame);
        ASSERT_EQ(r.status, 0) << r.err;
        // The second acknowledgement is always plain: only one report was pending.
        const size_t plain = r.out.find("EEPROM PEEK Acknowledge", c.lines ? 1 : 0);
        const std::string smart = r.out.substr(0, c.args.size() > 2 ? plain : r.out.size());
        EXPECT_EQ(static_cast<size_t>(std::count(smart.begin(), smart.end(), '\n')),
                  c.args.size() > 2 ? c.lines : 2 * c.lines)
            << c.args.back();
        EXPECT_EQ(r.out.substr(0, std::string(c.first).size()), c.first);
        EXPECT_NE(plain, std::string::npos);
    }
}

TEST(ZmctlDecode, BadHexTokenNamesFileAndPositionAndPrintsNothing)
{
    const std::string good = TempFile("good.txt", "F0 09 27 F7\n");
    const std::string bad = TempFile("bad.txt", "F0 09 27 F7\n  90 3C\tG1 40\n");
    const ProcessResult r = RunZmctl({"decode", "--hex", good, bad});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(bad + ":2:9: 'G1' is not a hexadecimal byte value"), std::string::npos) << r.err;

    const ProcessResult r2 = RunZmctl({"decode", "--hex"}, "F0 100 F7");
    EXPECT_EQ(r2.status, 2);
    EXPECT_NE(r2.err.find("<stdin>:1:4: '100'"), std::string::npos) << r2.err;
}

TEST(ZmctlDecode, BrokenStreamIsReportedNotLost)
{
    const ProcessResult r = RunZmctl({"decode", "--hex"}, "3C 40 F0 09 11 41 90 3C 40 F0 09 11 42");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, " BAD BAD BAD BAD MIDI ERROR #000\n"
                     "incomplete sysex message dropped\n"
                     " SUSPECTED BAD Midi PACKET repeated below \n"
                     "Chan 01 NOTE_ON        # 060 ,Vel 064 , \n"
                     "incomplete sysex message dropped\n");
}

TEST(ZmctlDecode, EmptyInputPrintsNothing)
{
    const ProcessResult r = RunZmctl({"decode"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}
