#include "sim/SimulatedBox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct CRecordingSink : ISimReplySink {
    std::vector<Bytes> messages;
    void Reply(const uint8_t* bytes, size_t count) override { messages.emplace_back(bytes, bytes + count); }
};

Bytes Parse(const std::string& hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 3)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string Hex(const Bytes& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (uint8_t x : bytes)
        s += std::string(s.empty() ? "" : " ") + kDigits[x >> 4] + kDigits[x & 0x0F];
    return s;
}

std::string AsciiHex(const std::string& text)
{
    return Hex(Bytes(text.begin(), text.end()));
}

std::vector<std::string> Send(CSimulatedBox& box, const std::string& request)
{
    CRecordingSink sink;
    const Bytes b = Parse(request);
    box.OnMessage(b.data(), b.size(), sink);
    std::vector<std::string> out;
    for (const Bytes& m : sink.messages)
        out.push_back(Hex(m));
    return out;
}

std::string SetParam(int number, int value)
{
    char s[40];
    std::snprintf(s, sizeof s, "F0 09 43 %02X %02X %02X %02X F7", number & 0x7F, number >> 7, value & 0x7F,
                  (value >> 7) & 0x7F);
    return s;
}

// A line of Text character frames, checked frame by frame, without its 0A.
std::string TextLine(const std::vector<std::string>& replies)
{
    std::string line;
    for (size_t i = 0; i < replies.size(); ++i) {
        const Bytes f = Parse(replies[i]);
        EXPECT_EQ(f.size(), 5u);
        EXPECT_EQ(Hex(Bytes(f.begin(), f.begin() + 3)), "F0 09 10");
        EXPECT_EQ(f.size() == 5 && f[3] == 0x0A, i + 1 == replies.size()) << "0A must end the line, and only there";
        if (f.size() == 5 && f[3] != 0x0A)
            line += static_cast<char>(f[3]);
    }
    return line;
}

// An 8-bit text string as the program decodes it: low nibble first.
std::string EightBitText(const std::string& reply)
{
    const Bytes f = Parse(reply);
    EXPECT_EQ(Hex(Bytes(f.begin(), f.begin() + 3)), "F0 09 13");
    std::string text;
    for (size_t i = 3; i + 2 < f.size(); i += 2)
        text += static_cast<char>((f[i] & 0x0F) | (f[i + 1] << 4));
    return text;
}

}  // namespace

TEST(SimulatedBox, RequestsGetTheirExactReplies)
{
    struct Case {
        const char* request;
        std::vector<std::string> replies;
    };
    const Case cases[] = {
        {"F0 09 27 F7", {"F0 09 27 F7"}},
        {"F0 09 44 0C 00 F7", {"F0 09 43 0C 00 58 00 " + AsciiHex("ZmFunc_NumberKeys") + " F7"}},
        {"F0 09 44 06 00 F7", {"F0 09 43 06 00 0F 00 " + AsciiHex("ZmFunc_ZoneMutBits") + " F7"}},
        {"F0 09 44 1B 00 F7", {"F0 09 43 1B 00 48 01 " + AsciiHex("ZmFunc_AftrTchDel") + " F7"}},
        {"F0 09 44 08 00 F7", {"F0 09 43 08 00 00 00 " + AsciiHex("ZmFunc_Reserved_8") + " F7"}},
        {"F0 09 43 15 00 05 00 F7", {"F0 09 43 15 00 05 00 " + AsciiHex("ZmFunc_KeyTrigPos") + " F7"}},
        {"F0 09 5A 09 01 00 08 00 F7", {"F0 09 5A 09 01 00 08 00 57 15 01 0E 00 00 00 F7"}},
        {"F0 09 5A 09 02 06 08 00 F7", {"F0 09 5A 09 02 06 08 00 00 F7"}},
        {"F0 09 5A 0A 03 7F 7F 7F F7", {"F0 09 5A 0A 03 00 57 15 F7"}},
        {"F0 09 5A 10 06 00 00 00 F7", {"F0 09 5A 10 06 00 00 00 F7"}},
        {"F0 09 2F 00 00 00 00 00 05 00 00 00 F7",
         {"F0 09 30 00 00 00 00 00 05 00 00 00 0A 05 0D 04 01 03 01 00 08 05 F7"}},
        {"F0 09 2F 0E 0F 07 00 00 04 00 00 00 F7", {"F0 09 30 0E 0F 07 00 00 02 00 00 00 0F 0F 0F 0F F7"}},
        {"F0 09 2F 00 00 08 00 00 01 00 00 00 F7", {"F0 09 30 00 00 08 00 00 00 00 00 00 F7"}},
        {"F0 09 31 0F 0F 07 00 00 02 00 00 00 02 01 04 03 F7", {"F0 09 32 01 00 00 00 F7"}},
    };
    for (const Case& c : cases) {
        CSimulatedBox box;
        EXPECT_EQ(Send(box, c.request), c.replies) << c.request;
    }
}

TEST(SimulatedBox, WhatItDoesNotUnderstandGetsNoAnswer)
{
    const char* requests[] = {
        "", "F7", "F0 F7", "F0 09 1A", "90 3C 40", "C0 05",     // not a whole request
        "F0 0A 1A F7", "F0 09 7E F7", "F0 09 1A 80 F7",         // other device, unknown, bad byte
        "F0 09 44 F7", "F0 09 43 0C 00 58 F7",                  // parameter requests cut short
        "F0 09 2F 00 00 00 00 00 00 00 02 F7",                  // PEEK without its last nibble
        "F0 09 31 00 00 00 00 00 01 00 00 F7",                  // POKE likewise
        "F0 09 44 0C 00 F0 09 44 0C 00 F7",                     // two requests run together
        "F0 09 5A 09 04 00 08 00 F7", "F0 09 5A 0A 05 7F 7F 7F F7", "F0 09 5A 0A 00 7F 7F 7F F7",  // no zone
        "F0 09 5A 08 00 00 F7", "F0 09 5A 03 00 00 08 05 F7",   // writes and fills answer nothing
    };
    for (const char* r : requests) {
        CSimulatedBox box;
        EXPECT_TRUE(Send(box, r).empty()) << r;
    }
}

TEST(SimulatedBox, TextsForTheIdentificationBoxEndWithCrLf)
{
    CSimulatedBox box;
    auto replies = Send(box, "F0 09 1A F7");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], "F0 09 1B F7");
    EXPECT_EQ(EightBitText(replies[1]), "ZM1 key scanner software 2.03 (simulator)\r\n");

    replies = Send(box, SetParam(0, 7));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], "F0 09 43 00 00 07 00 " + AsciiHex("ZmFunc_StationName") + " F7");
    EXPECT_EQ(EightBitText(replies[1]), "ZM1 Station 7\r\n");
    replies = Send(box, "F0 09 44 00 00 F7");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(EightBitText(replies[1]), "ZM1 Station 7\r\n");
}

TEST(SimulatedBox, RefusalsAreATextLineAndChangeNothing)
{
    struct Case {
        std::string request;
        const char* line;
        int parameter, kept;
    };
    const Case cases[] = {
        {SetParam(1, 300), "ZmFunc_SoftwareRev is read-only", 1, 203},
        {SetParam(4, 0), "ZmFunc_EepromFreeB is read-only", 4, 2048 - (2 * 88 + 56)},
        {SetParam(12, 123), "ZmFunc_NumberKeys 123 out of range 1-122", 12, 88},
        {SetParam(12, 0), "ZmFunc_NumberKeys 0 out of range 1-122", 12, 88},
        {SetParam(6, 16), "ZmFunc_ZoneMutBits 16 out of range 0-15", 6, 15},
        {SetParam(21, 256), "ZmFunc_KeyTrigPos 256 out of range 0-255", 21, 3},
        {SetParam(140, 1), "no parameter 140", 12, 88},
        {"F0 09 44 40 00 F7", "no parameter 64", 0, 1},
    };
    for (const Case& c : cases) {
        CSimulatedBox box;
        EXPECT_EQ(TextLine(Send(box, c.request)), c.line) << c.request;
        EXPECT_EQ(box.Parameter(c.parameter), c.kept) << c.request;
    }
}

TEST(SimulatedBox, WritesAreKeptAndReadBack)
{
    CSimulatedBox box;
    Send(box, SetParam(30, 0x81));
    EXPECT_EQ(Send(box, "F0 09 44 1E 00 F7")[0], "F0 09 43 1E 00 01 01 " + AsciiHex("ZmFunc_AotBooleans") + " F7");

    Send(box, "F0 09 5A 08 02 00 08 0A 14 3C 09 07 05 03 02 F7");
    Send(box, "F0 09 5A 08 02 03 01 0B F7");
    Send(box, "F0 09 5A 08 02 06 08 01 01 01 01 F7");  // runs past the record: only 6 and 7
    EXPECT_EQ(Send(box, "F0 09 5A 09 02 00 08 00 F7")[0], "F0 09 5A 09 02 00 08 0A 14 3C 0B 07 05 01 01 F7");
    EXPECT_EQ(Send(box, "F0 09 5A 0A 03 7F 7F 7F F7")[0], "F0 09 5A 0A 03 0A 14 3C F7");

    EXPECT_EQ(Send(box, "F0 09 31 00 04 00 00 00 02 00 00 00 0F 0E 01 00 F7")[0], "F0 09 32 02 00 00 00 F7");
    EXPECT_EQ(Send(box, "F0 09 2F 00 04 00 00 00 02 00 00 00 F7")[0],
              "F0 09 30 00 04 00 00 00 02 00 00 00 0F 0E 01 00 F7");
    EXPECT_EQ(box.Eeprom().Byte(0x40), 0xEF);

    // Misc bytes become parameters (N+46 = 0x86, retrigger), but the key
    // count (N+42 = 0x82) follows parameter 12 alone.
    Send(box, "F0 09 31 06 08 00 00 00 01 00 00 00 09 00 F7");
    Send(box, "F0 09 31 02 08 00 00 00 01 00 00 00 05 00 F7");
    EXPECT_EQ(box.Parameter(23), 9);
    EXPECT_EQ(box.Parameter(12), 88);
    EXPECT_EQ(box.Eeprom().Byte(0x82), 88);
}

TEST(SimulatedBox, EepromIsLaidOutForTheNumberOfKeys)
{
    for (int n : {88, 122, 1}) {
        CSimulatedBox box;
        Send(box, SetParam(12, n));
        Send(box, SetParam(21, 7));
        const CBoxEeprom& e = box.Eeprom();
        EXPECT_EQ(e.Byte(n + 42), n);
        EXPECT_EQ(e.Byte(n + 45), 7);
        EXPECT_EQ(e.Byte(n + 46), box.Parameter(23));
        EXPECT_EQ(e.Byte(n + 52), box.Parameter(15));
        EXPECT_EQ(e.Byte(n + 53), box.Parameter(14));
        EXPECT_EQ(box.Parameter(4), 2048 - (2 * n + 56));
        std::set<int> rests;
        for (int k = 0; k < n; ++k) {
            EXPECT_GT(e.Byte(n + 56 + k) - e.Byte(12 + k), 0x60) << n << " key " << k;
            rests.insert(e.Byte(n + 56 + k));
        }
        EXPECT_GT(rests.size(), static_cast<size_t>(n / 8)) << "keys should differ a little";
        for (int a = 2 * n + 56; a < 2048; ++a)
            ASSERT_EQ(e.Byte(a), 0xFF) << n << " address " << a;
    }

    // Keys both layouts have keep their calibration across a change of N.
    CSimulatedBox box;
    const uint8_t rest87 = box.Eeprom().Byte(88 + 56 + 87);
    Send(box, SetParam(12, 122));
    Send(box, SetParam(12, 88));
    EXPECT_EQ(box.Eeprom().Byte(88 + 56 + 87), rest87);
}

TEST(SimulatedBox, EepromDumpIsTheEchoThenTheWholeImage)
{
    CSimulatedBox box;
    const auto replies = Send(box, "F0 09 2A F7");
    ASSERT_EQ(replies.size(), 9u);
    EXPECT_EQ(replies[0], "F0 09 2A F7");
    Bytes image;
    for (size_t i = 1; i < replies.size(); ++i) {
        const Bytes f = Parse(replies[i]);
        ASSERT_EQ(f.size(), 3u + 9 + 512 + 1);
        EXPECT_EQ(f[2], 0x30);
        EXPECT_EQ(f[5], i - 1) << "address nibble 2";
        for (size_t p = 12; p + 1 < f.size(); p += 2)
            image.push_back(static_cast<uint8_t>(f[p] | f[p + 1] << 4));
    }
    EXPECT_EQ(image, Bytes(box.Eeprom().Bytes().begin(), box.Eeprom().Bytes().end()));
}

TEST(SimulatedBox, KeymapDumpsFollowTheZones)
{
    CSimulatedBox box;
    Send(box, "F0 09 5A 08 01 00 03 0A 14 3C F7");  // zone 2: keys 10-20 from note 60
    const Bytes enable = Parse(Send(box, "F0 09 5A 10 00 00 00 00 F7")[0]);
    const Bytes map2 = Parse(Send(box, "F0 09 5A 10 02 00 00 00 F7")[0]);
    ASSERT_EQ(enable.size(), 7u + 128 + 1);
    ASSERT_EQ(map2.size(), 7u + 128 + 1);
    EXPECT_EQ(Hex(Bytes(map2.begin(), map2.begin() + 7)), "F0 09 5A 11 02 00 00");
    EXPECT_EQ(enable[7 + 5], 0x0D);
    EXPECT_EQ(enable[7 + 15], 0x0F);
    EXPECT_EQ(enable[7 + 100], 0x00);
    EXPECT_EQ(Hex(Bytes(map2.begin() + 7 + 9, map2.begin() + 7 + 22)), "7F 3C 3D 3E 3F 40 41 42 43 44 45 46 7F");
    std::string idle = "F0 09 5A 11 05 00 00";
    for (int k = 0; k < 128; ++k)
        idle += " 00";
    EXPECT_EQ(Send(box, "F0 09 5A 10 05 00 00 00 F7"), std::vector<std::string>{idle + " F7"});
}

TEST(SimulatedBox, ScanDumpReadsRestValuesHighNibbleFirst)
{
    CSimulatedBox box;
    const Bytes f = Parse(Send(box, "F0 09 2B F7")[0]);
    ASSERT_EQ(f.size(), 3u + 2 * 88 + 1);
    for (int k = 0; k < 88; ++k) {
        const int value = f[static_cast<size_t>(3 + 2 * k)] << 4 | f[static_cast<size_t>(4 + 2 * k)];
        EXPECT_NEAR(value, box.Eeprom().Byte(88 + 56 + k), 2) << "key " << k;
    }
}

namespace {

// Plays in steps and checks that every note-off lets go of a sounding note;
// returns the messages and the most notes sounding at once.
std::vector<Bytes> Play(CSimulatedBox& box, int millis, std::set<std::pair<int, int>>& sounding,
                        size_t* most = nullptr, int stepMillis = 10)
{
    CRecordingSink sink;
    for (int t = 0; t < millis; t += stepMillis) {
        const size_t before = sink.messages.size();
        box.Advance(stepMillis * 1000u, sink);
        for (size_t i = before; i < sink.messages.size(); ++i) {
            const Bytes& m = sink.messages[i];
            EXPECT_EQ(m.size(), 3u);
            const std::pair<int, int> note{m[0] & 0x0F, m[1]};
            if ((m[0] & 0xF0) == 0x90)
                EXPECT_TRUE(sounding.insert(note).second) << "note struck twice";
            else
                EXPECT_EQ(sounding.erase(note), 1u) << "note-off without a note-on";
        }
        if (most)
            *most = std::max(*most, sounding.size());
    }
    return sink.messages;
}

}  // namespace

TEST(SimulatedBox, KeyStreamPlaysThroughTheSoundingZones)
{
    CSimulatedBox box;
    Send(box, "F0 09 5A 08 00 00 08 00 57 1E 05 00 07 00 00 F7");  // zone 1: notes 30-117, channel 6, attack off
    Send(box, SetParam(6, 1));                                    // zones 2-4 muted
    ASSERT_EQ(Send(box, SetParam(8, 1))[0], "F0 09 43 08 00 01 00 " + AsciiHex("ZmFunc_Reserved_8") + " F7");

    std::set<std::pair<int, int>> sounding;
    size_t most = 0;
    const auto played = Play(box, 20'000, sounding, &most);
    int noteOns = 0;
    for (const Bytes& m : played) {
        ASSERT_TRUE(m[0] == 0x95 || m[0] == 0x85) << Hex(m);
        EXPECT_GE(m[1], 30);
        EXPECT_LE(m[1], 117);
        if (m[0] == 0x95) {
            ++noteOns;
            EXPECT_EQ(m[2], 64) << "attack velocity off sends 64";
        } else {
            EXPECT_LT(m[2], 64) << "release velocity 7 scales down";
        }
    }
    EXPECT_GE(noteOns, 20);
    EXPECT_LE(noteOns, 200);
    EXPECT_GE(most, 2u) << "notes should overlap";

    Send(box, SetParam(8, 0));
    Play(box, 10, sounding);
    EXPECT_TRUE(sounding.empty()) << "stopping lets every key go";

    // All zones muted: keys still go down, but nothing sounds.
    Send(box, SetParam(6, 0));
    box.SetPlaying(true);
    bool anyDown = false;
    CRecordingSink sink;
    for (int t = 0; t < 3000; t += 10) {
        box.Advance(10'000, sink);
        anyDown = anyDown || box.RawKeydownMap() != CSimulatedBox::Table{};
    }
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(anyDown);
}

TEST(SimulatedBox, FaultsShowInTheStreamAndTheCalibration)
{
    // With one key the player can only ever press key 0.
    CSimulatedBox stuck;
    Send(stuck, SetParam(12, 1));
    Send(stuck, SetParam(5, 128));
    stuck.SetPlaying(true);
    std::set<std::pair<int, int>> sounding;
    EXPECT_EQ(Play(stuck, 10'000, sounding, nullptr, 2000).size(), 4u);
    EXPECT_EQ(sounding.size(), 4u) << "one note per zone, never let go";
    EXPECT_EQ(stuck.RawKeydownMap()[0], 1);
    EXPECT_NEAR(stuck.ReadScanValue(0), stuck.Eeprom().Byte(12), 2) << "reads near its down value";
    Send(stuck, SetParam(5, 0));
    Play(stuck, 10, sounding);
    EXPECT_TRUE(sounding.empty()) << "clearing the fault lets the key go";

    CSimulatedBox weak;
    Send(weak, SetParam(12, 1));
    const int rest = weak.Eeprom().Byte(1 + 56);
    Send(weak, SetParam(5, 1));
    EXPECT_EQ(rest - weak.Eeprom().Byte(12), 0x14);
    weak.SetPlaying(true);
    for (const Bytes& m : Play(weak, 5'000, sounding)) {
        if ((m[0] & 0xF0) == 0x90) {
            EXPECT_LE(m[2], 115 / 4);
        }
    }
    Send(weak, SetParam(5, 0));
    EXPECT_EQ(weak.Eeprom().Byte(12), CBoxEeprom(CSimulatedBox::kDefaultSeed, 1).FactoryDown(0));
}

TEST(SimulatedBox, SameSeedPlaysTheSameMusicHoweverTimeIsCut)
{
    CSimulatedBox coarse, fine;
    coarse.SetPlaying(true);
    fine.SetPlaying(true);
    CRecordingSink a, b;
    for (int i = 0; i < 8; ++i)
        coarse.Advance(1'000'000, a);
    for (int i = 0; i < 8000; ++i)
        fine.Advance(1'000, b);
    EXPECT_EQ(a.messages, b.messages);
    EXPECT_FALSE(a.messages.empty());

    // A stalled host gets the keys let go, not the missed music.
    std::set<std::pair<int, int>> sounding;
    Play(coarse, 500, sounding);
    CRecordingSink late;
    coarse.Advance(3'600'000'000ull, late);
    for (const Bytes& m : late.messages)
        EXPECT_EQ(m[0] & 0xF0, 0x80);
    EXPECT_EQ(coarse.RawKeydownMap(), CSimulatedBox::Table{});
    CRecordingSink resumed;
    coarse.Advance(1'000'000, resumed);
    EXPECT_FALSE(resumed.messages.empty());
}
