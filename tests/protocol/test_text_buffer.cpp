#include "protocol/TextBuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Printf(const char* format, long long value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

} // namespace

// The hand-written formatters must agree with printf for every conversion the
// line formats use, at the edges of their widths.
TEST(TextBuffer, DecimalMatchesPrintf)
{
    struct Case {
        const char* format;
        int width;
        bool zero;
    };
    const Case cases[] = {{"%lld", 0, false}, {"%1lld", 1, false}, {"%2lld", 2, false}, {"%3lld", 3, false},
                          {"%03lld", 3, true}, {"%02lld", 2, true}};
    const long long values[] = {0, 5, -5, 9, 10, 99, 100, 127, 255, 999, 1000, 16383, -16383, 2147483647,
                                -2147483648LL};
    for (const Case& c : cases) {
        for (long long v : values) {
            CTextBuffer<64> b;
            b.Dec(v, c.width, c.zero);
            EXPECT_EQ(std::string(b.View()), Printf(c.format, v)) << c.format << " " << v;
        }
    }
}

TEST(TextBuffer, HexMatchesPrintf)
{
    struct Case {
        const char* format;
        int width;
        bool upper;
        bool zero;
    };
    const Case cases[] = {{"%02llX", 2, true, true}, {"%2llX", 2, true, false}, {"%2llx", 2, false, false},
                          {"%6llx", 6, false, false}, {"%05llX", 5, true, true}, {"%04llx", 4, false, true},
                          {"%1llx", 1, false, false}};
    const long long values[] = {0, 7, 0xA, 0xF, 0x10, 0xAB, 0xFF, 0x1234, 0xF00945, 0xFFFFF, 0xFFFFFFFFLL};
    for (const Case& c : cases) {
        for (long long v : values) {
            CTextBuffer<64> b;
            b.Hex(static_cast<uint32_t>(v), c.width, c.upper, c.zero);
            EXPECT_EQ(std::string(b.View()), Printf(c.format, v)) << c.format << " " << v;
        }
    }
}

TEST(TextBuffer, CutsAtCapacityAndSaysSo)
{
    CTextBuffer<8> b;
    b.Text("abcde").Dec(12345);
    EXPECT_EQ(b.View(), "abcde123");
    EXPECT_TRUE(b.Truncated());
    b.Char('x');
    EXPECT_EQ(b.Length(), 8u);

    b.Clear();
    EXPECT_FALSE(b.Truncated());
    b.Text("12345678");
    EXPECT_FALSE(b.Truncated());
    EXPECT_EQ(b.Room(), 0u);
}
