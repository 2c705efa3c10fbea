#include "midi/CaptureRings.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> Drain(SysExByteRing& ring)
{
    std::vector<uint8_t> out;
    const uint32_t n = ring.Unread();
    const uint32_t r = ring.readCount.load();
    for (uint32_t k = 0; k < n; ++k)
        out.push_back(ring.ByteAt(r + k));
    ring.Advance(n);
    return out;
}

} // namespace

TEST(SysExByteRing, ConcatenatesMessagesAcrossTheWrapPoint)
{
    SysExByteRing ring;
    std::vector<uint8_t> filler(8000, 0x11);
    ASSERT_TRUE(ring.Write(filler.data(), filler.size()));
    EXPECT_EQ(Drain(ring).size(), 8000u);

    const std::vector<uint8_t> a = {0xF0, 0x09, 0x1B, 0xF7};
    std::vector<uint8_t> b(300);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i & 0x7F);
    ASSERT_TRUE(ring.Write(a.data(), a.size()));
    ASSERT_TRUE(ring.Write(b.data(), b.size()));  // crosses position 8192

    std::vector<uint8_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(Drain(ring), expected);
    EXPECT_EQ(ring.LostBytes(), 0u);
}

TEST(SysExByteRing, NeverOverwritesUnreadBytesAndCountsWhatItDrops)
{
    SysExByteRing ring;
    std::vector<uint8_t> big(8000, 0x22);
    std::vector<uint8_t> msg(300, 0x33);
    ASSERT_TRUE(ring.Write(big.data(), big.size()));
    EXPECT_FALSE(ring.Write(msg.data(), msg.size()));  // 192 bytes free: dropped whole
    EXPECT_EQ(ring.LostBytes(), 300u);
    EXPECT_EQ(ring.LostMessages(), 1u);
    const std::vector<uint8_t> small(192, 0x44);
    EXPECT_TRUE(ring.Write(small.data(), small.size()));  // exactly fills the ring

    const auto got = Drain(ring);
    ASSERT_EQ(got.size(), 8192u);
    EXPECT_EQ(got[7999], 0x22);
    EXPECT_EQ(got[8000], 0x44);
}

TEST(SysExByteRing, CountersMayWrapAround)
{
    SysExByteRing ring;
    ring.writeCount = 0xFFFFFFF0u;
    ring.readCount = 0xFFFFFFF0u;
    const std::vector<uint8_t> msg = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    ASSERT_TRUE(ring.Write(msg.data(), msg.size()));
    EXPECT_EQ(ring.Unread(), 20u);
    EXPECT_EQ(Drain(ring), msg);
}

TEST(MidiEventRing, DropsAndCountsWhenFullInsteadOfOverwriting)
{
    MidiEventRing ring;
    for (uint32_t i = 0; i < MidiEventRing::kSize; ++i) {
        MidiEventSlot* slot = ring.BeginWrite();
        ASSERT_NE(slot, nullptr);
        slot->kind = MIM_DATA;
        slot->param1 = i;
        ring.Publish();
    }
    EXPECT_EQ(ring.BeginWrite(), nullptr);
    EXPECT_EQ(ring.LostEvents(), 1u);
    EXPECT_EQ(ring.SlotAt(ring.readCount.load()).param1, 0u);  // oldest entry intact
    ring.Advance();
    ASSERT_NE(ring.BeginWrite(), nullptr);
}

// One writer thread, one reader thread: every byte arrives once, in order.
TEST(CaptureRings, ConcurrentWriterAndReaderLoseNothingWhileThereIsRoom)
{
    SysExByteRing ring;
    constexpr uint32_t kMessages = 20000;
    std::thread writer([&] {
        uint8_t msg[40];
        for (uint32_t m = 0; m < kMessages; ++m) {
            for (uint32_t i = 0; i < sizeof msg; ++i)
                msg[i] = static_cast<uint8_t>(m + i);
            while (!ring.Write(msg, sizeof msg))
                std::this_thread::yield();
        }
    });
    uint64_t received = 0;
    bool inOrder = true;
    while (received < uint64_t{kMessages} * 40) {
        const uint32_t n = ring.Unread();
        const uint32_t r = ring.readCount.load();
        for (uint32_t k = 0; k < n; ++k, ++received) {
            const auto m = static_cast<uint32_t>(received / 40);
            const auto i = static_cast<uint32_t>(received % 40);
            inOrder &= ring.ByteAt(r + k) == static_cast<uint8_t>(m + i);
        }
        ring.Advance(n);
    }
    writer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.Unread(), 0u);
}
