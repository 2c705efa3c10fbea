// The message window's lines as shown: pause and resume, the short-message
// filter, and what Copy and Save write in each case.
#include "editors/MessageWindowLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

constexpr MessageKind kText = MessageKind::Text;
constexpr MessageKind kNote = MessageKind::ShortMessage;

std::vector<std::string> Shown(const CMessageWindowLines& lines)
{
    std::vector<std::string> shown;
    for (size_t row = 0; row < lines.ShownCount(); ++row)
        shown.emplace_back(lines.ShownLine(row));
    return shown;
}

std::string SaveText(const CMessageWindowLines& lines)
{
    std::string text;
    EXPECT_TRUE(lines.WriteSaveText([&](std::string_view piece) {
        text += piece;
        return true;
    }));
    return text;
}

TEST(MessageWindowLines, PauseHoldsNewLinesAndResumeAppendsThemAllInOrder)
{
    CMessageWindowLines lines;
    lines.Append("before");
    EXPECT_EQ(lines.TakeScrollTarget(), 0);
    lines.SetPaused(true);
    lines.Append("note", kNote);
    lines.Append("reply");
    EXPECT_EQ(Shown(lines), std::vector<std::string>{"before"});
    EXPECT_EQ(lines.HeldCount(), 2u);
    EXPECT_EQ(lines.TakeScrollTarget(), CMessageLog::kNoScroll) << "the window stays where it is while paused";

    lines.Clear();   // clears what was shown; what was held has not been seen yet
    lines.SetPaused(false);
    EXPECT_EQ(Shown(lines), (std::vector<std::string>{"note", "reply"}));
    EXPECT_EQ(lines.HeldCount(), 0u);
    EXPECT_EQ(lines.Log().Kind(0), kNote) << "held lines keep their kind";
    EXPECT_EQ(lines.TakeScrollTarget(), 1);
}

TEST(MessageWindowLines, TheFilterHidesShortMessagesOnlyAndCountsThem)
{
    CMessageWindowLines lines;
    for (int i = 0; i < 6; ++i)
        lines.Append("line " + std::to_string(i), i % 2 ? kNote : kText);
    EXPECT_EQ(lines.ShownCount(), 6u) << "off by default";
    EXPECT_EQ(lines.HiddenCount(), 0u);

    lines.SetHideShortMessages(true);
    lines.Append("note 6", kNote);
    lines.Append("line 7");
    EXPECT_EQ(Shown(lines), (std::vector<std::string>{"line 0", "line 2", "line 4", "line 7"}));
    EXPECT_EQ(lines.HiddenCount(), 4u);
    EXPECT_EQ(lines.FilterNotice(), "Filtered: 4 short messages hidden");

    lines.SetPaused(true);
    lines.Append("note 8", kNote);
    lines.SetPaused(false);
    EXPECT_EQ(lines.HiddenCount(), 5u) << "a held short message is filtered on resume";

    lines.SetHideShortMessages(false);
    EXPECT_EQ(lines.ShownCount(), 9u) << "hidden, not dropped";
    EXPECT_EQ(lines.ShownLine(8), "note 8");
}

TEST(MessageWindowLines, CopyAndSaveWriteWhatIsShown)
{
    CMessageWindowLines lines;
    lines.Append("abc");
    lines.Append("Chan  1 NOTE_ON", kNote);
    lines.Append("\xE9t\xE9 \xB0"s);
    lines.Append("");

    // Unfiltered, Copy is the window's copy text, byte for byte.
    EXPECT_EQ(lines.CopyText(), lines.Log().CopyText());
    EXPECT_EQ(lines.CopyTextSize(), lines.CopyText().size());
    // Save: no prefixes, LF ends, each byte a Latin-1 character in UTF-8.
    EXPECT_EQ(SaveText(lines), "abc\nChan  1 NOTE_ON\n\xC3\xA9t\xC3\xA9 \xC2\xB0\n\n");

    lines.SetHideShortMessages(true);
    EXPECT_EQ(lines.CopyText(), "Filtered: 1 short messages hidden\r\nitem   0: abc\r\nitem   1: \xE9t\xE9 \xB0\r\n"
                                "item   2: \r\n\0"s);
    EXPECT_EQ(lines.CopyTextSize(), lines.CopyText().size());
    EXPECT_EQ(SaveText(lines), "Filtered: 1 short messages hidden\nabc\n\xC3\xA9t\xC3\xA9 \xC2\xB0\n\n");

    // A writer that gives up stops the save, and the save says so.
    int pieces = 0;
    EXPECT_FALSE(lines.WriteSaveText([&](std::string_view) { return ++pieces > 1; }));
}

} // namespace
