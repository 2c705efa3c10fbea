#include "RecordingSender.h"
#include "protocol/RequestBuilders.h"

#include <gtest/gtest.h>

#include <functional>

TEST(RequestBuilders, FixedRequestsAndTheirCounts)
{
    struct Case {
        const char* name;
        std::function<void(ISysExSender&, ReportOptions&)> build;
        const char* frame;
    };
    const Case cases[] = {
        {"revision", [](ISysExSender& s, ReportOptions&) { SendRevisionRequest(s); }, "F0 09 1A F7"},
        {"eeprom dump", [](ISysExSender& s, ReportOptions&) { SendEepromDumpRequest(s); }, "F0 09 2A F7"},
        {"scan dump", [](ISysExSender& s, ReportOptions&) { SendScanDumpRequest(s); }, "F0 09 2B F7"},
        {"echo test", [](ISysExSender& s, ReportOptions&) { SendEepromEchoTest(s); }, "F0 09 27 F7"},
        {"smart peek", [](ISysExSender& s, ReportOptions& o) { SendSmartEepromPeek(s, o); },
         "F0 09 2F 00 00 00 00 00 00 00 02 00 F7"},
    };
    for (const Case& c : cases) {
        CRecordingSender sender;
        ReportOptions options;
        c.build(sender, options);
        ASSERT_EQ(sender.frames.size(), 1u) << c.name;
        EXPECT_EQ(HexText(sender.frames[0]), c.frame) << c.name;
        EXPECT_EQ(sender.counts[0], static_cast<int32_t>(sender.frames[0].size()) - 2) << c.name;
    }
}

TEST(RequestBuilders, SmartPeekMakesOneReportPendingAfterSending)
{
    CRecordingSender sender;
    ReportOptions options;
    SendSmartEepromPeek(sender, options);
    EXPECT_TRUE(options.SmartDumpPending);
    SendSmartEepromPeek(sender, options);
    EXPECT_TRUE(options.SmartDumpPending);
    EXPECT_EQ(sender.frames.size(), 2u);
}

TEST(RequestBuilders, SetParameterSplitsNumberAndValueIntoFourteenBitPairs)
{
    struct Case {
        int32_t number, value;
        const char* frame;
    };
    const Case cases[] = {
        {6, 13, "F0 09 43 06 00 0D 00 F7"},
        {27, 400, "F0 09 43 1B 00 10 03 F7"},
        {0, -1, "F0 09 43 00 00 7F 7F F7"},
        {0, 16384, "F0 09 43 00 00 00 00 F7"},
        {0, 16383, "F0 09 43 00 00 7F 7F F7"},
        {200, 128, "F0 09 43 48 01 00 01 F7"},
        {-2, -129, "F0 09 43 7E 7F 7F 7E F7"},
    };
    for (const Case& c : cases) {
        CRecordingSender sender;
        SendSetParameter(sender, c.number, c.value);
        EXPECT_EQ(sender.FrameTexts(), std::vector<std::string>{c.frame}) << c.number << " " << c.value;
        EXPECT_EQ(sender.counts[0], 6);
    }
}

TEST(RequestBuilders, InquireParameterSendsSevenBitNumber)
{
    struct Case {
        int32_t number;
        const char* frame;
    };
    const Case cases[] = {{31, "F0 09 44 1F 00 F7"}, {0, "F0 09 44 00 00 F7"}, {130, "F0 09 44 02 00 F7"}};
    for (const Case& c : cases) {
        CRecordingSender sender;
        SendInquireParameter(sender, c.number);
        EXPECT_EQ(sender.FrameTexts(), std::vector<std::string>{c.frame});
        EXPECT_EQ(sender.counts[0], 4);
    }
}

TEST(RequestBuilders, FieldOperationMasksAndClips)
{
    struct Case {
        int32_t op, field, start, length, byte;
        const char* frame;
    };
    const Case cases[] = {
        {9, 2, 0, 8, 0, "F0 09 5A 09 02 00 08 00 F7"},
        {10, 4, 127, 127, 127, "F0 09 5A 0A 04 7F 7F 7F F7"},
        {8, 1, 200, 1, 0x85, "F0 09 5A 08 01 7F 01 05 F7"},     // start above 127 goes as 127
        {16, 0, 0, 128, 0, "F0 09 5A 10 00 00 00 00 F7"},       // 128 goes as 00
        {8, 0, -5, 1, 1, "F0 09 5A 08 00 00 01 01 F7"},         // a negative start is no top-bit byte
        {0xF7, 0x80, 0, 1, 1, "F0 09 5A 77 00 00 01 01 F7"},   // op and field cannot end the frame
    };
    for (const Case& c : cases) {
        CRecordingSender sender;
        SendFieldOperation(sender, c.op, c.field, c.start, c.length, c.byte);
        EXPECT_EQ(sender.FrameTexts(), std::vector<std::string>{c.frame});
        EXPECT_EQ(sender.counts[0], 7);
    }
}

TEST(RequestBuilders, WriteFieldDataCutsTheRunAtTheFieldEnd)
{
    std::vector<uint8_t> data(200);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(0x80 + i);

    struct Case {
        int32_t op, start, length;
        size_t dataBytes;
        int32_t expectedCount;  // data bytes in the frame
        uint8_t expectedOp, expectedStart, expectedLengthByte;
    };
    const Case cases[] = {
        {8, 0, 8, 8, 8, 8, 0, 8},
        {8, 124, 8, 8, 4, 8, 124, 4},
        {8, 0, 128, 128, 128, 8, 0, 0},
        {3, 0, 1, 1, 1, 8, 0, 1},        // any op but 0 goes out as Set Zone Split Data
        {0, 0, 2, 2, 2, 0, 0, 2},
        {8, 200, 8, 8, 1, 8, 127, 1},    // start clipped to 127 leaves room for one byte
        {8, -50, 200, 200, 128, 8, 0, 0},// negative start cannot widen the run past 128
        {8, 0, 8, 3, 3, 8, 0, 3},        // never reads past the caller's data
    };
    for (const Case& c : cases) {
        CRecordingSender sender;
        SendWriteFieldData(sender, c.op, 2, c.start, c.length, std::span<const uint8_t>(data.data(), c.dataBytes));
        ASSERT_EQ(sender.frames.size(), 1u);
        const auto& f = sender.frames[0];
        ASSERT_EQ(f.size(), static_cast<size_t>(8 + c.expectedCount)) << c.start << " " << c.length;
        EXPECT_EQ(sender.counts[0], c.expectedCount + 6);
        EXPECT_EQ(HexText({f[0], f[1], f[2]}), "F0 09 5A");
        EXPECT_EQ(f[3], c.expectedOp);
        EXPECT_EQ(f[4], 2);
        EXPECT_EQ(f[5], c.expectedStart);
        EXPECT_EQ(f[6], c.expectedLengthByte);
        for (int32_t k = 0; k < c.expectedCount; ++k)
            EXPECT_EQ(f[7 + static_cast<size_t>(k)], data[static_cast<size_t>(k)] & 0x7F);
        EXPECT_EQ(f.back(), 0xF7);
    }
}

TEST(RequestBuilders, ZoneAndKeymapShorthands)
{
    CRecordingSender sender;
    SendGetZone(sender, 3);
    SendSetSplit(sender, 4);
    SendKeymapDumpRequest(sender, 5);
    EXPECT_EQ(sender.FrameTexts(), (std::vector<std::string>{
                                       "F0 09 5A 09 03 00 08 00 F7",
                                       "F0 09 5A 0A 04 7F 7F 7F F7",
                                       "F0 09 5A 10 05 00 00 00 F7",
                                   }));
}

// The identification flag must be on before the first inquiry leaves, so a
// text answer to the inquiries lands in the identification box.
class CFlagWatchingSender : public CRecordingSender {
public:
    explicit CFlagWatchingSender(const HeldValues& held) : m_held(held) {}
    void SendSysEx(int32_t count, const uint8_t* bytes) override
    {
        flagAtSend.push_back(m_held.IdentificationPending);
        CRecordingSender::SendSysEx(count, bytes);
    }
    std::vector<bool> flagAtSend;

private:
    const HeldValues& m_held;
};

TEST(RequestBuilders, SynchronizeDataSendsFifteenFramesAndSetsIdentificationBetween)
{
    HeldValues held;
    CFlagWatchingSender sender(held);
    SendSynchronizeData(sender, held);
    EXPECT_EQ(sender.FrameTexts(), (std::vector<std::string>{
                                       "F0 09 5A 09 00 00 08 00 F7", "F0 09 5A 09 01 00 08 00 F7",
                                       "F0 09 5A 09 02 00 08 00 F7", "F0 09 5A 09 03 00 08 00 F7",
                                       "F0 09 44 00 00 F7", "F0 09 44 06 00 F7", "F0 09 44 0C 00 F7",
                                       "F0 09 44 15 00 F7", "F0 09 44 17 00 F7", "F0 09 44 19 00 F7",
                                       "F0 09 44 1A 00 F7", "F0 09 44 1B 00 F7", "F0 09 44 1D 00 F7",
                                       "F0 09 44 1E 00 F7", "F0 09 44 1F 00 F7",
                                   }));
    const std::vector<bool> expected = {false, false, false, false, true, true, true, true,
                                        true,  true,  true,  true,  true, true, true};
    EXPECT_EQ(sender.flagAtSend, expected);
}
