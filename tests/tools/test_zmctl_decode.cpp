#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

TEST(ZmctlDecode, HexInputFromStdinInArrivalOrder)
{
    const ProcessResult r = RunZmctl({"decode", "--hex"}, "F0 09 1B F7 f0 09 11 41 42 f7\n"
                                                         "90 3C 40 0xF0 0x09 0x27 0xF7 80 3c 40\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "revision request\n"
                     "Chan 01 NOTE_ON        # 060 ,Vel 064 , \n"
                     "eeprom echo test no argument\n");
}

TEST(ZmctlDecode, HexRunTogetherAsXxdAndAmidiWriteIt)
{
    struct Case {
        const char* input;
        const char* what;
    };
    const Case cases[] = {
        {"F0091BF7F00927F7\n", "one run"},
        {"f0091bf7\nf00927f7\n", "xxd -p lines, lower case"},
        {"F0 091B F7F0 0927 F7", "runs of any even length among single bytes"},
        {"0xF0 9 1B 0xF7 F0 0x09 27 F7", "single bytes with and without 0x"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl({"decode", "--hex"}, c.input);
        EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
        EXPECT_EQ(r.out, "revision request\neeprom echo test no argument\n") << c.what;
    }
    // A run longer than any read is still taken in pairs, in fixed memory.
    std::string run;
    for (int i = 0; i < 20000; ++i)
        run += "F0091BF7";
    const ProcessResult r = RunZmctl({"decode", "--hex"}, run);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 20000);
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
    const std::string a = TempFile("a.syx", ByteString({0xF0, 0x09, 0x10, 0x48, 0xF7, 0xF0, 0x09, 0x43, 0x0C}));
    const std::string b = TempFile("b.syx", ByteString({0xF0, 0x09, 0x10, 0x0A, 0xF7}));
    const ProcessResult r = RunZmctl({"decode", a, "-", b}, ByteString({0x00, 0x58, 0x00, 0xF7, 0xF0, 0x09, 0x10, 0x49, 0xF7}));
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

TEST(ZmctlDecode, BadHexTokenIsNamedByPlaceAndShownEscaped)
{
    // Input is decoded as it comes: what stands before the bad token is out.
    const std::string good = TempFile("good.txt", "F0 09 27 F7\n");
    const std::string bad = TempFile("bad.txt", "F0 09 27 F7\n  90 3C\tG1 40\n");
    struct Case {
        std::vector<std::string> args;
        std::string input;
        const char* out;
        const char* message;
    };
    const Case cases[] = {
        {{"decode", "--hex", good, bad}, "", "eeprom echo test no argument\neeprom echo test no argument\n",
         ":2:9: 'G1' is not a hexadecimal byte value"},
        {{"decode", "--hex"}, "F0 100 F7", "", "<stdin>:1:4: '100'"},
        {{"decode", "--hex"}, "F0 09\n\x1B[2J F7", "", "<stdin>:2:1: '\\x1B[2J'"},
        {{"decode", "--hex"}, std::string("F0 a\0b F7", 10), "", "<stdin>:1:4: 'a\\x00b'"},
        {{"decode", "--hex"}, "F0 " + std::string(30, 'z'), "", "'zzzzzzzzzzzzzzzzzzzz...'"},
        // Bytes run together come in pairs; what is whole before is out.
        {{"decode", "--hex"}, "F0091BF7 F00927F", "revision request\n", "<stdin>:1:10: 'F00927F'"},
        {{"decode", "--hex"}, "F0 0x 09", "", "<stdin>:1:4: '0x'"},
        {{"decode", "--hex"}, "0x7F7F", "", "<stdin>:1:1: '0x7F7F'"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl(c.args, c.input);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out, c.out) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find_first_of(std::string("\x1B\0", 2)), std::string::npos) << c.message;
    }
}

TEST(ZmctlDecode, CutOffSysExNeverSwallowsTheNextFrame)
{
    // Longer than a frame holds, cut off by the next frame's F0: the
    // window's live path drops it and shows "hello"; so does decode.
    std::string stream = ByteString({0xF0, 0x09, 0x11}) + std::string(9000, 'A');
    stream += ByteString({0xF0, 0x09, 0x11}) + "hello" + ByteString({0x00, 0xF7});
    const ProcessResult r = RunZmctl({"decode"}, stream);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "incomplete sysex message dropped\nhello\n");
}

TEST(ZmctlDecode, FailedWriteIsAnErrorWithAMessage)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    close(pipeFds[0]);  // nobody reads: the output is closed
    // Output of a few bytes fails at the end; output of many pages fails
    // in the middle of the stream, while the decoder is at work.
    std::string echoes;
    for (int i = 0; i < 1000; ++i)
        echoes += "F0 09 27 F7 ";
    const std::string closedPipe = "/proc/self/fd/" + std::to_string(pipeFds[1]);
    struct Case {
        std::string stdoutPath;
        std::string input;
        const char* message;
    };
    const Case cases[] = {
        {"/dev/full", "F0 09 27 F7", "cannot write to standard output: No space left on device"},
        {closedPipe, "F0 09 27 F7", "cannot write to standard output: Broken pipe"},
        {"/dev/full", echoes, "cannot write to standard output: No space left on device"},
        {closedPipe, echoes, "cannot write to standard output: Broken pipe"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunZmctl({"decode", "--hex"}, c.input, c.stdoutPath);
        EXPECT_EQ(r.status, 6) << c.message << " after " << c.input.size() << " bytes of input";
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    close(pipeFds[1]);
    // Help is output too.
    const ProcessResult help = RunZmctl({"get", "--help"}, "", "/dev/full");
    EXPECT_EQ(help.status, 6);
    EXPECT_NE(help.err.find(cases[0].message), std::string::npos) << help.err;
}

TEST(ZmctlDecode, StreamsFromAPipeThatStaysOpen)
{
    CZmctlProcess decode({"decode", "--hex"});
    decode.Write("F0 09 27 F7\n");
    EXPECT_TRUE(decode.WaitForOutput("eeprom echo test no argument\n", std::chrono::seconds(10)));
    decode.Signal(SIGINT);
    const ProcessResult r = decode.Finish(std::chrono::seconds(10));
    EXPECT_EQ(r.status, 130);
    EXPECT_NE(r.err.find("zmctl: error: interrupted"), std::string::npos) << r.err;

    // A FIFO nobody writes to yet: one Ctrl-C ends the wait as well.
    const std::string fifo = testing::TempDir() + "zmctl_decode_fifo_" + std::to_string(getpid());
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CZmctlProcess waiting({"decode", fifo});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    waiting.Signal(SIGINT);
    const ProcessResult w = waiting.Finish(std::chrono::seconds(10));
    unlink(fifo.c_str());
    EXPECT_EQ(w.status, 130) << w.err;
}

TEST(ZmctlDecode, EndlessInputTakesBoundedMemory)
{
    CZmctlProcess decode({"decode"}, "/dev/zero");
    const std::string proc = "/proc/" + std::to_string(decode.Pid());
    auto field = [&](const std::string& file, const std::string& key) -> long {
        std::ifstream in(proc + "/" + file);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind(key, 0) == 0)
                return std::stol(line.substr(key.size()));
        return -1;
    };
    // Until far more than memory would hold as a whole has gone through.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (field("io", "rchar:") < 300'000'000L && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const long peakKiB = field("status", "VmHWM:");
    EXPECT_GE(field("io", "rchar:"), 300'000'000L);
    EXPECT_GT(peakKiB, 0);
    EXPECT_LT(peakKiB, 200'000L);
    decode.Signal(SIGINT);
    const ProcessResult r = decode.Finish(std::chrono::seconds(10));
    EXPECT_EQ(r.status, 130);
    EXPECT_EQ(r.out, " BAD BAD BAD BAD MIDI ERROR #000\n");
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

TEST(ZmctlDecode, TextFromTheBoxCannotDriveATerminal)
{
    // A text reply that would retitle the terminal and clear its screen,
    // then an 8-bit text with the C1 control CSI (9B), an é and a tab.
    const std::string hostile = "F0 09 11 1B 5D 30 3B 70 77 6E 65 64 07 1B 5B 32 4A 0D 41 F7 "
                                "F0 09 13 0B 09 09 0E 09 00 01 04 0D 00 0A 00 F7";
    const std::string dir = TempDirectory() + "/terminal";
    std::filesystem::create_directory(dir);
    struct Case {
        bool terminal;
        std::vector<std::string> args;
        std::string input;
        std::string out;
    };
    const Case cases[] = {
        {true, {"decode", "--hex"}, hostile, "\\x1B]0;pwned\\x07\\x1B[2J\\x0DA\n\\x9B\xE9\tA\n"},
        {true, {"decode", "--hex", "--controls"}, "F0 09 1B F7 " + hostile,
         "revision request\n@1025 text \\x1B]0;pwned\\x07\\x1B[2J\\x0DA\n\\x9B\xE9\tA\n"},
        // Files and pipes get the bytes as they came.
        {false, {"decode", "--hex"}, hostile, "\x1B]0;pwned\x07\x1B[2J\rA\n\x9B\xE9\tA\n"},
        // Every line on a terminal, the summary naming a file among them.
        {true, {"backup", dir + "/\x1B[2J.syx", "--in", "ZM1 Simulator", "--out", "ZM1 Simulator"}, "",
         "backup of 4 zones and 27 parameters in " + dir + "/\\x1B[2J.syx (readable copy: " + dir + "/\\x1B[2J.json)\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = c.terminal ? RunZmctlOnTerminal(c.args, c.input) : RunZmctl(c.args, c.input);
        EXPECT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0] << (c.terminal ? " on a terminal" : " through a pipe");
    }
}
