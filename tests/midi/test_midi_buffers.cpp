// The fixed buffers of the JACK ports, without a server: the output queue of
// whole messages, and putting back together SysEx that arrives in pieces.
#include "midi/CaptureRings.h"
#include "midi/MidiInputPortBase.h"
#include "midi/MidiMessageQueue.h"
#include "midi/SysExAssembler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using ::testing::ElementsAre;
using Bytes = std::vector<uint8_t>;

namespace {

struct Taken {
    Bytes bytes;
    uint32_t time;
    bool operator==(const Taken&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Taken& t)
{
    os << "{t=" << t.time << ":";
    for (uint8_t b : t.bytes)
        os << " " << std::hex << int(b) << std::dec;
    return os << "}";
}

bool Take(CMidiMessageQueue& queue, Taken& taken)
{
    CMidiMessageQueue::Front front;
    if (!queue.Peek(front))
        return false;
    taken.bytes.assign(front.size, 0);
    taken.time = front.time;
    queue.CopyFront(taken.bytes.data(), front.size);
    queue.Pop(front.size);
    return true;
}

Bytes Pattern(size_t length, uint8_t seed)
{
    Bytes b(length);
    for (size_t i = 0; i < length; ++i)
        b[i] = static_cast<uint8_t>(seed + i);
    return b;
}

} // namespace

TEST(MidiMessageQueue, KeepsMessagesWholeAndInOrderWhereverTheRingWraps)
{
    CMidiMessageQueue queue(64);
    // Lengths that do not divide the ring put the wrap at every offset,
    // inside headers as well as inside message bytes.
    uint32_t pushed = 0;
    uint32_t taken = 0;
    for (int round = 0; round < 200; ++round) {
        const size_t lengths[] = {1, 3, 17, 2};
        for (size_t length : lengths) {
            const Bytes message = Pattern(length, static_cast<uint8_t>(pushed));
            ASSERT_TRUE(queue.Push(message.data(), message.size(), pushed)) << "round " << round;
            ++pushed;
        }
        Taken t;
        while (Take(queue, t)) {
            ASSERT_EQ(t, (Taken{Pattern(t.bytes.size(), static_cast<uint8_t>(taken)), taken}));
            ++taken;
        }
    }
    EXPECT_EQ(taken, pushed);
    EXPECT_TRUE(queue.Empty());
}

TEST(MidiMessageQueue, RefusesWhatDoesNotFitAndLeavesWhatItHoldsIntact)
{
    CMidiMessageQueue queue(64);
    EXPECT_EQ(queue.MaxMessage(), 56u);
    const Bytes tooLong = Pattern(57, 0);
    EXPECT_FALSE(queue.Push(tooLong.data(), tooLong.size(), 0));
    EXPECT_FALSE(queue.Push(tooLong.data(), 0, 0));
    EXPECT_TRUE(queue.Empty());

    const Bytes first = Pattern(30, 1);
    const Bytes second = Pattern(20, 2);  // 38 + 28 bytes: more than the ring
    ASSERT_TRUE(queue.Push(first.data(), first.size(), 5));
    EXPECT_FALSE(queue.Push(second.data(), second.size(), 6));
    const Bytes fits = Pattern(18, 3);    // 38 + 26 = 64: exactly full
    ASSERT_TRUE(queue.Push(fits.data(), fits.size(), 7));
    EXPECT_FALSE(queue.Push(fits.data(), 1, 8));

    Taken t;
    ASSERT_TRUE(Take(queue, t));
    EXPECT_EQ(t, (Taken{first, 5}));
    ASSERT_TRUE(queue.Push(second.data(), second.size(), 6));  // room again
    ASSERT_TRUE(Take(queue, t));
    EXPECT_EQ(t, (Taken{fits, 7}));
    ASSERT_TRUE(Take(queue, t));
    EXPECT_EQ(t, (Taken{second, 6}));
    EXPECT_FALSE(Take(queue, t));
}

TEST(MidiMessageQueue, AProducerAndAConsumerThreadMeetOnlyThroughTheCounters)
{
    CMidiMessageQueue queue(256);
    constexpr uint32_t kMessages = 50000;
    std::thread producer([&] {
        for (uint32_t n = 0; n < kMessages;) {
            const Bytes message = Pattern(1 + n % 40, static_cast<uint8_t>(n));
            if (queue.Push(message.data(), message.size(), n))
                ++n;
            else
                std::this_thread::yield();  // full: the consumer catches up
        }
    });
    uint32_t expected = 0;
    bool intact = true;
    Taken t;
    while (expected < kMessages) {
        if (!Take(queue, t)) {
            std::this_thread::yield();
            continue;
        }
        intact = intact && t == Taken{Pattern(1 + expected % 40, static_cast<uint8_t>(expected)), expected};
        ++expected;
    }
    producer.join();
    EXPECT_TRUE(intact);
    EXPECT_TRUE(queue.Empty());
}

namespace {

class AssemblerTest : public ::testing::Test {
protected:
    //! Feeds each event and returns every message handed on, in order.
    std::vector<Bytes> Feed(const std::vector<Bytes>& events)
    {
        std::vector<Bytes> out;
        for (const Bytes& event : events)
            assembler.Feed(event.data(), event.size(),
                           [&](const uint8_t* bytes, size_t count) { out.emplace_back(bytes, bytes + count); });
        return out;
    }

    static uint32_t Kind(const Bytes& message) { return ClassifyMidiMessage(message.data(), message.size()).kind; }

    CSysExAssembler assembler{16};
};

} // namespace

TEST_F(AssemblerTest, PiecesOfASysExBecomeOneMessage)
{
    EXPECT_THAT(Feed({{0xF0, 0x09, 0x43}, {0x1B, 0x00}, {0x10}, {0x03, 0xF7}}),
                ElementsAre(Bytes{0xF0, 0x09, 0x43, 0x1B, 0x00, 0x10, 0x03, 0xF7}));
    // A lone F7 ends one as well.
    EXPECT_THAT(Feed({{0xF0, 0x01, 0x02}, {0xF7}}), ElementsAre(Bytes{0xF0, 0x01, 0x02, 0xF7}));
    EXPECT_FALSE(assembler.Assembling());
}

TEST_F(AssemblerTest, WholeMessagesPassUnchanged)
{
    const std::vector<Bytes> events = {{0x90, 0x3C, 0x40}, {0xF0, 0x09, 0x1B, 0xF7}, {0xF8}, {0xC2, 0x03}, {0xF0, 0xF7}};
    EXPECT_EQ(Feed(events), events);
}

TEST_F(AssemblerTest, RealtimeBytesAmidASysExGoOnAtOnce)
{
    const auto out = Feed({{0xF0, 0x01}, {0xF8}, {0x02, 0xFE, 0x03, 0xF7}});
    EXPECT_THAT(out, ElementsAre(Bytes{0xF8}, Bytes{0xFE}, Bytes{0xF0, 0x01, 0x02, 0x03, 0xF7}));
    EXPECT_EQ(Kind(out.back()), uint32_t{MIM_LONGDATA});
}

TEST_F(AssemblerTest, ASysExCutShortIsHandedOnIncompleteBeforeWhatCutIt)
{
    const auto out = Feed({{0xF0, 0x01, 0x02}, {0x90, 0x3C, 0x40}});
    ASSERT_THAT(out, ElementsAre(Bytes{0xF0, 0x01, 0x02}, Bytes{0x90, 0x3C, 0x40}));
    EXPECT_EQ(Kind(out[0]), uint32_t{MIM_LONGERROR});
    // A new SysEx start cuts one short too, and is then collected itself.
    const auto again = Feed({{0xF0, 0x05}, {0xF0, 0x06}, {0x07, 0xF7}});
    EXPECT_THAT(again, ElementsAre(Bytes{0xF0, 0x05}, Bytes{0xF0, 0x06, 0x07, 0xF7}));
    EXPECT_EQ(Kind(again[0]), uint32_t{MIM_LONGERROR});
}

TEST_F(AssemblerTest, ASysExLongerThanTheBufferIsHandedOnIncompleteAndTheNextOneIsWhole)
{
    const auto out = Feed({{0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {11, 12, 13, 14, 15, 16, 17}, {18, 0xF7}});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), 16u);
    EXPECT_EQ(Kind(out[0]), uint32_t{MIM_LONGERROR});
    // Exactly the capacity, F7 included, still fits.
    const Bytes whole = {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0xF7};
    EXPECT_THAT(Feed({Bytes(whole.begin(), whole.begin() + 9), Bytes(whole.begin() + 9, whole.end())}),
                ElementsAre(whole));
}

TEST_F(AssemblerTest, MessagesFollowingASysExEndInTheSameEventAreHandedOnAfterIt)
{
    EXPECT_THAT(Feed({{0xF0, 0x01}, {0x02, 0xF7, 0x80, 0x3C, 0x00}}),
                ElementsAre(Bytes{0xF0, 0x01, 0x02, 0xF7}, Bytes{0x80, 0x3C, 0x00}));
}
