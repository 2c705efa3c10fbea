// The shell's plain C++ parts: dialog units, fixed texts, bound texts,
// automation options and the activation file.
#include "RecordingControls.h"

#include "app/CommandLine.h"
#include "app/ServiceFile.h"
#include "res/resource.h"
#include "editors/BoundTexts.h"
#include "ui/DialogUnits.h"
#include "editors/MainDialogTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <strings.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

TEST(DialogUnits, RoundLikeADialogManager)
{
    struct Case {
        int a, b, c, expected;
    };
    const Case cases[] = {
        {3, 7, 4, 5},     // 5.25
        {1, 7, 4, 2},     // 1.75
        {2, 7, 4, 4},     // 3.5: halves go away from zero
        {-2, 7, 4, -4},
        {5, 13, 8, 8},    // 8.125
        {3, 13, 8, 5},    // 4.875
        {676, 7, 4, 1183},
        {305, 13, 8, 496},
        {7, 9, 0, 0},     // no divisor: no crash, no value
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDivRound(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;

    EXPECT_EQ(AverageCharWidth(353), 7);   // 6.79
    EXPECT_EQ(AverageCharWidth(312), 6);
    EXPECT_EQ(AverageCharWidth(337), 6);   // 6.48
    EXPECT_EQ(AverageCharWidth(338), 7);   // 6.5
}

TEST(DialogUnits, RectanglesThatTouchInUnitsTouchInPixels)
{
    for (DialogBaseUnits base : {DialogBaseUnits{6, 13}, DialogBaseUnits{7, 13}, DialogBaseUnits{9, 17}}) {
        for (int x = 0; x < 700; ++x) {
            const PixelRect left = MapDialogRect(x, x, 3, 3, base);
            const PixelRect right = MapDialogRect(x + 3, x + 3, 5, 5, base);
            ASSERT_EQ(left.x + left.w, right.x) << x;
            ASSERT_EQ(left.y + left.h, right.y) << x;
        }
    }
}

TEST(MainDialogTexts, ListLinesAreFormattedAsTheirValues)
{
    const std::pair<int, const char*> channels[] = {{0, " 1"}, {8, " 9"}, {9, "10"}, {15, "16"}};
    for (const auto& [index, text] : channels)
        EXPECT_EQ(ChannelListText(index), text);

    const std::pair<int, const char*> velocities[] = {{0, "  0"}, {1, "  1"}, {9, "  9"}, {10, " 10"}, {63, " 63"}};
    for (const auto& [value, text] : velocities)
        EXPECT_EQ(VelocityNumberText(value), text);
}

TEST(MainDialogTexts, LeadingBlanksMakeSortedOrderNumericOrder)
{
    // The lists are sorted list boxes: the texts must sort into value order.
    auto lessIgnoringCase = [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    };
    std::vector<std::string> velocity, channel;
    for (int value = 63; value >= 0; --value)
        velocity.push_back(VelocityNumberText(value));
    for (int index = 15; index >= 0; --index)
        channel.push_back(ChannelListText(index));
    std::sort(velocity.begin(), velocity.end(), lessIgnoringCase);
    std::sort(channel.begin(), channel.end(), lessIgnoringCase);
    for (int value = 0; value < 64; ++value)
        EXPECT_EQ(velocity[static_cast<size_t>(value)], VelocityNumberText(value));
    for (int index = 0; index < 16; ++index)
        EXPECT_EQ(channel[static_cast<size_t>(index)], ChannelListText(index));
}

TEST(MainDialogTexts, ParameterNamesArePaddedToTheirColumn)
{
    const std::pair<int, std::string> cases[] = {
        {0, "ZmFunc_StationName"},
        {5, "ZmFunc_Reserved_5 "},
        {20, "ZmFunc_PdlCtrkNm  "},
        {28, "ZmFunc_PedCtlChng "},
        {29, "ZmFunc_OrganMapMde "},
        {30, "ZmFunc_AotBooleans "},
        {31, "ZmFunc_Aot_t_delay "},
        {-1, ""},
        {32, ""},
    };
    for (const auto& [number, text] : cases)
        EXPECT_EQ(ParameterListText(number), text) << number;
    for (int number = 0; number < 32; ++number)
        EXPECT_EQ(ParameterListText(number).size(), number >= 29 ? 19u : 18u) << number;
}

TEST(BoundTexts, TransferWritesInBindingOrderSoTheLaterBindingWins)
{
    CBoundTexts bound;
    CRecordingControls controls;
    bound.Transfer(controls);

    const std::vector<std::string> expected = {
        "@1009 text ", "@1021 text 88", "@1019 text 21", "@1021 text 88", "@1022 text 36", "@1025 text ",
        "@1020 text ", "@1039 text ",   "@1056 text ",   "@1068 text ",   "@1019 text ",   "@1038 text ",
        "@1055 text ", "@1067 text ",
    };
    EXPECT_EQ(controls.ControlCalls(), expected);
    EXPECT_EQ(controls.texts[IDC_NUMBER_KEYS], "88");
    EXPECT_EQ(controls.texts[IDC_LOW_NOTE_KEY2], "36");
    EXPECT_EQ(controls.texts[kZoneLowestNote[0]], "");   // the zone row comes after "21"
}

TEST(BoundTexts, ReadBackTakesEveryBoundControl)
{
    CRecordingControls controls;
    controls.texts = {{IDC_XTABLE_DATA, "42"}, {IDC_NUMBER_KEYS, "122"}, {kZoneLowestNote[0], " 36"},
                      {IDC_LOW_NOTE_KEY2, " 21"}, {IDC_IDENTIFICATION, "ZM1 2.03"}, {kZoneKeyRange[3], " 0    87"}};
    CBoundTexts bound;
    bound.ReadBack(controls);
    EXPECT_EQ(bound.XtableData, "42");
    EXPECT_EQ(bound.LayoutTexts[0], "122");
    EXPECT_EQ(bound.LayoutTexts[1], " 36");
    EXPECT_EQ(bound.LayoutTexts[2], "122");
    EXPECT_EQ(bound.LayoutTexts[3], " 21");
    EXPECT_EQ(bound.Identification, "ZM1 2.03");
    EXPECT_EQ(bound.KeyRanges[3], " 0    87");
    EXPECT_EQ(bound.LowestNotes[0], " 36");
    EXPECT_EQ(bound.LowestNotes[1], "");
}

TEST(AutomationOptions, RecognisedOnlyAsWrittenAfterADashOrSlash)
{
    struct Case {
        std::vector<std::string> args;
        bool embedding, automation;
        std::vector<std::string> rest;
    };
    const Case cases[] = {
        {{"zm", "-Automation"}, false, true, {"zm"}},
        {{"zm", "/Automation"}, false, true, {"zm"}},
        {{"zm", "-Embedding", "x"}, true, false, {"zm", "x"}},
        {{"zm", "x", "/Embedding", "-Automation"}, true, true, {"zm", "x"}},
        {{"zm", "-automation"}, false, false, {"zm", "-automation"}},
        {{"zm", "-AUTOMATION"}, false, false, {"zm", "-AUTOMATION"}},
        {{"zm", "/embedding"}, false, false, {"zm", "/embedding"}},
        {{"zm", "Automation"}, false, false, {"zm", "Automation"}},
        {{"zm", "--Automation"}, false, false, {"zm", "--Automation"}},
        {{"zm", "-Automations"}, false, false, {"zm", "-Automations"}},
        {{"-Automation"}, false, false, {"-Automation"}},   // the program name is no option
        {{}, false, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        const AutomationOptions options = ParseAutomationOptions(args);
        EXPECT_EQ(options.embedding, c.embedding) << ::testing::PrintToString(c.args);
        EXPECT_EQ(options.automation, c.automation) << ::testing::PrintToString(c.args);
        EXPECT_EQ(args, c.rest) << ::testing::PrintToString(c.args);
    }
}

TEST(ServiceFile, DirectoryFollowsTheBaseDirectoryRules)
{
    EXPECT_EQ(UserServiceDirectory("/data", "/home/u"), fs::path("/data/dbus-1/services"));
    EXPECT_EQ(UserServiceDirectory("", "/home/u"), fs::path("/home/u/.local/share/dbus-1/services"));
    EXPECT_EQ(UserServiceDirectory(nullptr, "/home/u"), fs::path("/home/u/.local/share/dbus-1/services"));
    EXPECT_EQ(UserServiceDirectory("relative", "/home/u"), fs::path("/home/u/.local/share/dbus-1/services"));
    EXPECT_TRUE(UserServiceDirectory(nullptr, nullptr).empty());
    EXPECT_TRUE(UserServiceDirectory("relative", "also/relative").empty());
}

TEST(ServiceFile, ExecLineKeepsAnyPathInOnePiece)
{
    EXPECT_EQ(ServiceFileText("zm_config.Application", "/usr/bin/zm_config", "-Automation"),
              "[D-BUS Service]\nName=zm_config.Application\nExec=/usr/bin/zm_config -Automation\n");
    EXPECT_EQ(ServiceFileText("n.a", "/opt/my tools/zm_config", "-Automation"),
              "[D-BUS Service]\nName=n.a\nExec='/opt/my tools/zm_config' -Automation\n");
    EXPECT_EQ(ServiceFileText("n.a", "/opt/it's/zm $HOME", "-Automation"),
              "[D-BUS Service]\nName=n.a\nExec='/opt/it'\\''s/zm $HOME' -Automation\n");
    // No Exec line can hold a line break: no file rather than a broken one.
    EXPECT_EQ(ServiceFileText("n.a", "/opt/a\nb/zm_config", "-Automation"), "");
}

namespace {

struct FileStamp {
    ino_t inode;
    long long modifiedNs;
    bool operator==(const FileStamp&) const = default;
};

FileStamp Stamp(const fs::path& file)
{
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0);
    return {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(ServiceFile, WrittenOnlyWhenItsContentChanges)
{
    char pattern[] = "/tmp/zm_service_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const fs::path file = root / "data" / "dbus-1" / "services" / "zm_config.Application.service";
    const std::string text = ServiceFileText("zm_config.Application", "/usr/bin/zm_config", "-Automation");

    EXPECT_EQ(RefreshServiceFile(file, text), ServiceFileStatus::Written);   // directories created
    EXPECT_EQ(ReadAll(file), text);
    const FileStamp first = Stamp(file);

    EXPECT_EQ(RefreshServiceFile(file, text), ServiceFileStatus::Unchanged);
    EXPECT_EQ(Stamp(file), first);

    const std::string moved = ServiceFileText("zm_config.Application", "/opt/zm_config", "-Automation");
    EXPECT_EQ(RefreshServiceFile(file, moved), ServiceFileStatus::Written);
    EXPECT_EQ(ReadAll(file), moved);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1)
        << "no temporary file left behind";

    // Failures are reported, never thrown: a file where a directory should be,
    // a path that cannot be expressed, no path at all.
    std::ofstream(root / "blocker") << "x";
    EXPECT_EQ(RefreshServiceFile(root / "blocker" / "services" / "f.service", text), ServiceFileStatus::Failed);
    EXPECT_EQ(RefreshServiceFile(file, ""), ServiceFileStatus::Failed);
    EXPECT_EQ(RefreshServiceFile({}, text), ServiceFileStatus::Failed);
    EXPECT_EQ(ReadAll(file), moved);

    fs::remove_all(root);
}

TEST(ServiceFile, WhateverLiesAtThePathNeitherBlocksNorCrashesAndOnlyAFileIsReplaced)
{
    char pattern[] = "/tmp/zm_hostile_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const std::string text = ServiceFileText("zm_config.Application", "/usr/bin/zm_config", "-Automation");
    std::ofstream(root / "target") << "someone else's file";

    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        ServiceFileStatus status;
        fs::file_type left;   // what lies at the path afterwards
    };
    const Case cases[] = {
        {"directory", [](const fs::path& p) { fs::create_directory(p); }, ServiceFileStatus::Skipped,
         fs::file_type::directory},
        {"FIFO", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); }, ServiceFileStatus::Skipped,
         fs::file_type::fifo},
        {"link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
         ServiceFileStatus::Skipped, fs::file_type::symlink},
        {"link to a file", [&](const fs::path& p) { fs::create_symlink(root / "target", p); },
         ServiceFileStatus::Skipped, fs::file_type::symlink},
        {"dangling link", [&](const fs::path& p) { fs::create_symlink(root / "nowhere", p); },
         ServiceFileStatus::Skipped, fs::file_type::symlink},
        // 4 GB of nothing (sparse): only its first few KB are read.
        {"huge file", [](const fs::path& p) { std::ofstream(p).close(); fs::resize_file(p, 4ull << 30); },
         ServiceFileStatus::Written, fs::file_type::regular},
        {"file that starts like ours", [&](const fs::path& p) { std::ofstream(p) << text << "junk"; },
         ServiceFileStatus::Written, fs::file_type::regular},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = root / "services" / "zm_config.Application.service";
        fs::create_directories(file.parent_path());
        c.make(file);
        EXPECT_EQ(RefreshServiceFile(file, text), c.status);
        EXPECT_EQ(fs::symlink_status(file).type(), c.left);
        if (c.left == fs::file_type::regular) {
            EXPECT_EQ(ReadAll(file), text);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1)
            << "no temporary file left behind";
        fs::remove_all(root / "services");
    }
    EXPECT_EQ(ReadAll(root / "target"), "someone else's file");
    fs::remove_all(root);
}
