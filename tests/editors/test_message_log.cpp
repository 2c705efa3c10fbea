#include "editors/MessageLog.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(MessageLog, KeepsLinesInOrderWithTheirBytes)
{
    CMessageLog log;
    log.Append("first");
    log.Append("");
    log.Append("\xE9t\xE9 \x7F\x80\xFF"s);
    ASSERT_EQ(log.Count(), 3u);
    EXPECT_EQ(log.Line(0), "first");
    EXPECT_EQ(log.Line(1), "");
    EXPECT_EQ(log.Line(2), "\xE9t\xE9 \x7F\x80\xFF"s);
    EXPECT_EQ(log.Line(3), "");  // out of range reads as empty, never crashes
}

TEST(MessageLog, LinesLongerThanABlockAndManyLinesSpanBlocks)
{
    CMessageLog log;
    const std::string big(CMessageLog::kBlockSize + 17, 'x');
    log.Append("a");
    log.Append(big);
    log.Append("b");
    const std::string row(100, 'r');
    for (int i = 0; i < 30000; ++i)  // 3 MB: several blocks
        log.Append(row + std::to_string(i));
    EXPECT_EQ(log.Line(0), "a");
    EXPECT_EQ(log.Line(1), big);
    EXPECT_EQ(log.Line(2), "b");
    EXPECT_EQ(log.Line(3 + 29999), row + "29999");
    EXPECT_EQ(log.MaxLineLength(), big.size());
    EXPECT_LT(log.OverheadBytes(), 64u * log.Count() + 2 * CMessageLog::kBlockSize);
}

TEST(MessageLog, CopyFormatsEveryLineAndEndsWithOneZero)
{
    CMessageLog log;
    EXPECT_EQ(log.CopyText(), "\0"s);  // empty window: an empty text

    log.Append("abc");
    log.Append("");
    EXPECT_EQ(log.CopyText(), "item   0: abc\r\nitem   1: \r\n\0"s);
}

TEST(MessageLog, CopyWidensNumbersBeyondFourDigitsAndKeepsHighBytes)
{
    CMessageLog log;
    for (int i = 0; i < 10001; ++i)
        log.Append(i == 10000 ? "\xB0\xFF"s : "x"s);
    const std::string text = log.CopyText();
    EXPECT_EQ(text.substr(0, 11), "item   0: x");
    EXPECT_NE(text.find("item9999: x\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 16), "item10000: \xB0\xFF\r\n\0"s);
    // Never more than 20 bytes per line beyond the text, plus the zero.
    EXPECT_LE(text.size(), 20u * log.Count() + 10001u + 1u);
}

TEST(MessageLog, ScrollTargetOnlyWhenTheCountChanged)
{
    CMessageLog log;
    EXPECT_EQ(log.TakeScrollTarget(), CMessageLog::kNoScroll);  // 0 lines, 0 remembered
    log.Append("a");
    log.Append("b");
    EXPECT_EQ(log.TakeScrollTarget(), 1);
    EXPECT_EQ(log.TakeScrollTarget(), CMessageLog::kNoScroll);  // user may scroll freely now
    log.Append("c");
    EXPECT_EQ(log.TakeScrollTarget(), 2);
}

TEST(MessageLog, ClearKeepsTheRememberedCount)
{
    CMessageLog log;
    for (int i = 0; i < 3; ++i)
        log.Append("x");
    EXPECT_EQ(log.TakeScrollTarget(), 2);
    log.Clear();
    EXPECT_EQ(log.Count(), 0u);
    // 0 differs from the remembered 3: remembered, nothing to bring into view.
    EXPECT_EQ(log.TakeScrollTarget(), -1);
    log.Append("new");
    EXPECT_EQ(log.Line(0), "new");
    EXPECT_EQ(log.TakeScrollTarget(), 0);

    // Clearing and refilling to the same count leaves the view alone, as the
    // remembered count says nothing changed.
    log.Clear();
    log.Append("again");
    EXPECT_EQ(log.TakeScrollTarget(), CMessageLog::kNoScroll);
}
