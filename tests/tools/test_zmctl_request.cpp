#include "ProcessRunner.h"

#include <gtest/gtest.h>

TEST(ZmctlRequest, PrintsTheBuildersFrames)
{
    struct Case {
        std::vector<std::string> args;
        const char* out;
    };
    const Case cases[] = {
        {{"revision"}, "F0 09 1A F7\n"},
        {{"eeprom-dump"}, "F0 09 2A F7\n"},
        {{"scan-dump"}, "F0 09 2B F7\n"},
        {{"echo-test"}, "F0 09 27 F7\n"},
        {{"smart-peek"}, "F0 09 2F 00 00 00 00 00 00 00 02 00 F7\n"},
        {{"set-param", "27", "400"}, "F0 09 43 1B 00 10 03 F7\n"},
        {{"set-param", "6", "16383"}, "F0 09 43 06 00 7F 7F F7\n"},
        {{"set-param", "0x1F", "0x3FF0"}, "F0 09 43 1F 00 70 7F F7\n"},
        {{"set-param", "200", "0"}, "F0 09 43 48 01 00 00 F7\n"},
        {{"inquire", "31"}, "F0 09 44 1F 00 F7\n"},
        {{"field-op", "9", "2", "0", "8", "0"}, "F0 09 5A 09 02 00 08 00 F7\n"},
        {{"field-op", "8", "1", "127", "128", "0x7F"}, "F0 09 5A 08 01 7F 00 7F F7\n"},
        {{"write-field", "8", "3", "124", "1", "2", "3", "0x7F"}, "F0 09 5A 08 03 7C 04 01 02 03 7F F7\n"},
        {{"write-field", "0", "0", "0", "0x40"}, "F0 09 5A 00 00 00 01 40 F7\n"},
        {{"get-zone", "3"}, "F0 09 5A 09 03 00 08 00 F7\n"},
        {{"set-split", "4"}, "F0 09 5A 0A 04 7F 7F 7F F7\n"},
        {{"keymap", "5"}, "F0 09 5A 10 05 00 00 00 F7\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"request"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult r = RunZmctl(args);
        EXPECT_EQ(r.status, 0) << c.args[0] << " " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
    }
}

TEST(ZmctlRequest, SyncPrintsFifteenFramesInOrder)
{
    const ProcessResult r = RunZmctl({"request", "sync"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "F0 09 5A 09 00 00 08 00 F7\n"
                     "F0 09 5A 09 01 00 08 00 F7\n"
                     "F0 09 5A 09 02 00 08 00 F7\n"
                     "F0 09 5A 09 03 00 08 00 F7\n"
                     "F0 09 44 00 00 F7\n"
                     "F0 09 44 06 00 F7\n"
                     "F0 09 44 0C 00 F7\n"
                     "F0 09 44 15 00 F7\n"
                     "F0 09 44 17 00 F7\n"
                     "F0 09 44 19 00 F7\n"
                     "F0 09 44 1A 00 F7\n"
                     "F0 09 44 1B 00 F7\n"
                     "F0 09 44 1D 00 F7\n"
                     "F0 09 44 1E 00 F7\n"
                     "F0 09 44 1F 00 F7\n");
}

TEST(ZmctlRequest, WriteFieldOfAFullFieldSends128Bytes)
{
    std::vector<std::string> args = {"request", "write-field", "8", "0", "0"};
    for (int i = 0; i < 128; ++i)
        args.push_back(std::to_string(i));
    const ProcessResult r = RunZmctl(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.size(), (8 + 128) * 3u);  // "XX " per byte, the last with a newline
    EXPECT_EQ(r.out.substr(0, 21), "F0 09 5A 08 00 00 00 ");
    EXPECT_EQ(r.out.substr(r.out.size() - 7), " 7F F7\n");
}
