// The capture callback: how notifications fill the rings, the receive
// buffer's re-arm and release, and thru forwarding, also across threads.
#include "FakeMidiPlatform.h"
#include "midi/MidiCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using ::testing::ElementsAre;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes SysEx(size_t length, uint8_t seed)
{
    Bytes b(length);
    b.front() = 0xF0;
    for (size_t i = 1; i + 1 < length; ++i)
        b[i] = static_cast<uint8_t>((seed + i) & 0x7F);
    b.back() = 0xF7;
    return b;
}

struct Event {
    uint32_t kind;
    uint32_t param1;
    std::string text;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Event& e)
{
    return os << "{" << e.kind << ", " << std::hex << e.param1 << std::dec << ", '" << e.text << "'}";
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(platform.OpenInput(0, capture, port), MIDI_OK);
        input = static_cast<CFakeInputPort*>(port.get());
        ASSERT_EQ(capture.PrepareReceiveBuffer(*input), MIDI_OK);
        ASSERT_EQ(capture.QueueReceiveBuffer(*input), MIDI_OK);
        ASSERT_EQ(input->Start(), MIDI_OK);
        TakeEvents();
    }

    std::vector<Event> TakeEvents()
    {
        std::vector<Event> events;
        while (rings.events.Unread() != 0) {
            const MidiEventSlot& slot = rings.events.SlotAt(rings.events.readCount.load());
            events.push_back({slot.kind, slot.param1, slot.text});
            rings.events.Advance();
        }
        return events;
    }

    Bytes TakeBytes()
    {
        Bytes bytes;
        while (rings.sysex.Unread() != 0) {
            bytes.push_back(rings.sysex.ByteAt(rings.sysex.readCount.load()));
            rings.sysex.Advance(1);
        }
        return bytes;
    }

    CFakeMidiPlatform platform{{"In"}, {"Thru"}};
    CaptureRings rings;
    CMidiCapture capture{rings};
    std::unique_ptr<IMidiInputPort> port;
    CFakeInputPort* input = nullptr;
};

} // namespace

TEST(ClassifyMidiMessage, SortsWhatADriverHandsOver)
{
    struct Case {
        Bytes bytes;
        uint32_t kind;
        uint32_t param1;
    };
    const Case cases[] = {
        {{0x90, 0x3C, 0x40}, MIM_DATA, 0x403C90},
        {{0xC2, 0x03}, MIM_DATA, 0x03C2},
        {{0xF8}, MIM_DATA, 0xF8},                 // real-time bytes are short data
        {{0xFE}, MIM_DATA, 0xFE},
        {{0xF2, 0x01, 0x02}, MIM_DATA, 0x0201F2},
        {{0xF0, 0x09, 0x1B, 0xF7}, MIM_LONGDATA, 4},
        {{0xF0, 0x09, 0x1B}, MIM_LONGERROR, 3},   // no F7: incomplete
        {{0xF0}, MIM_LONGERROR, 1},
        {{0x90, 0x3C}, MIM_ERROR, 0x3C90},        // too short
        {{0x90, 0x3C, 0x40, 0x41}, MIM_ERROR, 0x403C90},
        {{0x90, 0x3C, 0x80}, MIM_ERROR, 0x803C90}, // status where data belongs
        {{0x3C, 0x40}, MIM_ERROR, 0x403C},        // running status is not ours to guess
        {{0xF7}, MIM_ERROR, 0xF7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        const ClassifiedMessage m = ClassifyMidiMessage(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(m.kind, c.kind);
        EXPECT_EQ(m.param1, c.param1);
    }
}

TEST_F(CaptureTest, SysExMessagesAreCopiedWholeInOrderAndTheBufferReArmed)
{
    const Bytes longReply = SysEx(200, 1);  // far beyond the 64-byte buffer
    const Bytes next = {0xF0, 0x09, 0x1B, 0xF7};
    input->Feed(longReply);
    input->Feed(next);

    Bytes expected = longReply;
    expected.insert(expected.end(), next.begin(), next.end());
    EXPECT_EQ(TakeBytes(), expected);
    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_LONGDATA, 200, ""}, Event{MIM_LONGDATA, 4, ""}));
    const MidiHeader& header = capture.ReceiveHeader();
    EXPECT_TRUE(header.flags & MHDR_INQUEUE);
    EXPECT_TRUE(header.flags & MHDR_PREPARED);
    EXPECT_EQ(header.bufferLength, CMidiCapture::kReceiveBufferSize);
}

TEST_F(CaptureTest, ShortMessagesAreRecordedAndForwardedOnlyWhileThruIsAttached)
{
    std::unique_ptr<IMidiOutputPort> thru;
    ASSERT_EQ(platform.OpenOutput(0, thru), MIDI_OK);
    auto* fakeThru = static_cast<CFakeOutputPort*>(thru.get());

    input->Feed({0x90, 0x3C, 0x40});
    capture.AttachThru(thru.get());
    input->Feed({0x80, 0x3C, 0x40});
    input->Feed({0xF8});
    input->Feed({0x90, 0x3C});             // malformed: recorded, not passed on
    input->Feed({0xF0, 0x01, 0xF7});       // SysEx is not passed on
    capture.DetachThru();
    input->Feed({0xB0, 0x07, 0x64});

    EXPECT_THAT(fakeThru->Sent(), ElementsAre(Bytes{0x80, 0x3C, 0x40}, Bytes{0xF8}));
    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_DATA, 0x403C90, ""}, Event{MIM_DATA, 0x403C80, ""},
                                          Event{MIM_DATA, 0xF8, ""}, Event{MIM_ERROR, 0x3C90, ""},
                                          Event{MIM_LONGDATA, 3, ""}, Event{MIM_DATA, 0x6407B0, ""}));
}

TEST_F(CaptureTest, OpenAndCloseNotificationsAreRecordedButNotForwarded)
{
    std::unique_ptr<IMidiOutputPort> thru;
    ASSERT_EQ(platform.OpenOutput(0, thru), MIDI_OK);
    capture.AttachThru(thru.get());
    rings.inputResetting = true;
    input->Reset();
    ASSERT_EQ(input->Close(), MIDI_OK);
    port.reset();
    std::unique_ptr<IMidiInputPort> again;
    ASSERT_EQ(platform.OpenInput(0, capture, again), MIDI_OK);
    capture.DetachThru();

    EXPECT_THAT(static_cast<CFakeOutputPort*>(thru.get())->Sent(), ::testing::IsEmpty());
    const auto events = TakeEvents();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].kind, uint32_t{MIM_CLOSE});
    EXPECT_EQ(events[2].kind, uint32_t{MIM_OPEN});
}

TEST_F(CaptureTest, IncompleteSysExIsAnEventNotAnOverrunAndReceptionGoesOn)
{
    input->Feed({0xF0, 0x09, 0x43, 0x01});  // cut short
    input->Feed({0xF0, 0x09, 0x1B, 0xF7});

    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_LONGERROR, 4, ""}, Event{MIM_LONGDATA, 4, ""}));
    EXPECT_EQ(TakeBytes(), (Bytes{0xF0, 0x09, 0x1B, 0xF7}));
    EXPECT_EQ(rings.sysex.LostBytes(), 0u) << "the ring did not overflow";
    EXPECT_TRUE(capture.ReceiveHeader().flags & MHDR_INQUEUE);
}

TEST_F(CaptureTest, SysExWithoutAQueuedBufferIsReportedAsIncomplete)
{
    input->Reset();  // hands the buffer back (re-armed: no reset is announced)
    input->Stop();
    ASSERT_TRUE(capture.ReceiveHeader().flags & MHDR_INQUEUE);
    CFakeMidiPlatform second{{"In"}, {}};
    std::unique_ptr<IMidiInputPort> other;
    ASSERT_EQ(second.OpenInput(0, capture, other), MIDI_OK);
    other->Start();
    TakeEvents();

    static_cast<CFakeInputPort*>(other.get())->Feed({0xF0, 0x01, 0x02, 0xF7});
    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_LONGERROR, 4, ""}));
    EXPECT_EQ(rings.sysex.Unread(), 0u);
    EXPECT_EQ(rings.sysex.LostBytes(), 0u);
}

TEST_F(CaptureTest, ResetReleasesTheBufferAndStoresTheReleaseText)
{
    rings.inputResetting = true;
    ASSERT_EQ(input->Reset(), MIDI_OK);
    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_LONGDATA, 0, "No error."}));
    EXPECT_EQ(rings.sysex.Unread(), 0u);
    const MidiHeader& header = capture.ReceiveHeader();
    EXPECT_FALSE(header.flags & MHDR_INQUEUE);
    EXPECT_FALSE(header.flags & MHDR_PREPARED);

    // Nothing is delivered once reset, until started again (without a
    // buffer SysEx then counts as lost).
    input->Feed({0x90, 0x3C, 0x40});
    EXPECT_TRUE(TakeEvents().empty());
    input->Start();
    input->Feed({0x90, 0x3C, 0x40});
    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_DATA, 0x403C90, ""}));
}

TEST_F(CaptureTest, ReleasingTwiceReportsTheFailure)
{
    rings.inputResetting = true;
    MidiHeader header = capture.ReceiveHeader();  // a copy never prepared on this port
    header.flags = MHDR_DONE;
    capture.OnMidiInput(*input, MIM_LONGDATA, 0, &header);
    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_LONGDATA, 0, "The buffer has not been prepared."}));
}

TEST_F(CaptureTest, DataArrivingBeforeTheDecoderClearsTheFlagKeepsTheBuffer)
{
    rings.inputResetting = true;  // set for the previous input, not yet reported
    input->Feed({0xF0, 0x09, 0x1B, 0xF7});
    input->Feed({0xF0, 0x09, 0x2A, 0xF7});
    EXPECT_EQ(TakeBytes(), (Bytes{0xF0, 0x09, 0x1B, 0xF7, 0xF0, 0x09, 0x2A, 0xF7}));
    EXPECT_THAT(TakeEvents(), ElementsAre(Event{MIM_LONGDATA, 4, ""}, Event{MIM_LONGDATA, 4, ""}));
    EXPECT_TRUE(capture.ReceiveHeader().flags & MHDR_INQUEUE);
}

TEST_F(CaptureTest, FullRingsDropAndCountInsteadOfOverwriting)
{
    for (uint32_t i = 0; i < MidiEventRing::kSize; ++i)
        input->Feed({0x90, static_cast<uint8_t>(i & 0x7F), 0x40});
    input->Feed({0xF0, 0x09, 0x1B, 0xF7});  // its event does not fit, its bytes do
    EXPECT_EQ(rings.events.LostEvents(), 1u);
    EXPECT_EQ(TakeBytes(), (Bytes{0xF0, 0x09, 0x1B, 0xF7}));
    const auto events = TakeEvents();
    ASSERT_EQ(events.size(), MidiEventRing::kSize);
    EXPECT_EQ(events.front().param1, 0x400090u);  // the oldest entry survived
    EXPECT_EQ(events.back().param1, PackShortMessage(0x90, (MidiEventRing::kSize - 1) & 0x7F, 0x40));

    input->Feed(SysEx(SysExByteRing::kSize, 3));
    input->Feed(SysEx(10, 4));  // no room left behind the first
    EXPECT_EQ(rings.sysex.LostBytes(), 10u);
    EXPECT_EQ(TakeBytes(), SysEx(SysExByteRing::kSize, 3));
    EXPECT_TRUE(capture.ReceiveHeader().flags & MHDR_INQUEUE);
}

// ---- across threads (also run under ThreadSanitizer) ----

TEST_F(CaptureTest, ADriverThreadAndTheReaderMeetOnlyThroughTheCounters)
{
    constexpr int kMessages = 16000;  // short message i carries i in its two data bytes
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        for (int i = 0; i < kMessages; ++i) {
            if (i % 10 == 0)
                input->Feed(SysEx(5 + i % 50, static_cast<uint8_t>(i)));
            else
                input->Feed({0x90, static_cast<uint8_t>(i & 0x7F), static_cast<uint8_t>(i >> 7)});
            if (i % 64 == 0)
                std::this_thread::yield();
        }
        finished = true;
    });
    // The reader drains as the decoder does while the writer writes. What
    // the writer had to drop is counted, so the totals add up; what arrives
    // is in order and every SysEx message is intact.
    uint64_t eventsSeen = 0;
    uint64_t bytesSeen = 0;
    int lastShort = -1;
    bool ordered = true;
    bool intact = true;
    Bytes frame;
    auto drain = [&] {
        for (const Event& e : TakeEvents()) {
            ++eventsSeen;
            if (e.kind == MIM_DATA) {
                const int i = static_cast<int>(((e.param1 >> 8) & 0x7F) | (((e.param1 >> 16) & 0x7F) << 7));
                ordered = ordered && i > lastShort;
                lastShort = i;
            }
        }
        for (uint8_t b : TakeBytes()) {
            ++bytesSeen;
            frame.push_back(b);
            if (b == 0xF7) {
                intact = intact && frame.size() >= 5 && frame.front() == 0xF0;
                for (size_t k = 2; intact && k + 1 < frame.size(); ++k)
                    intact = frame[k] == ((frame[k - 1] + 1) & 0x7F);
                frame.clear();
            }
        }
    };
    while (!finished.load()) {
        drain();
        std::this_thread::yield();
    }
    driver.join();
    drain();

    EXPECT_EQ(eventsSeen + rings.events.LostEvents(), static_cast<uint64_t>(kMessages));
    uint64_t sysexBytes = 0;
    for (int i = 0; i < kMessages; i += 10)
        sysexBytes += 5 + i % 50;
    EXPECT_EQ(bytesSeen + rings.sysex.LostBytes(), sysexBytes);
    EXPECT_TRUE(ordered);
    EXPECT_TRUE(intact);
    EXPECT_TRUE(frame.empty());
}

TEST_F(CaptureTest, DetachingThruWhileForwardingNeverReachesAClosedPort)
{
    std::atomic<bool> stop{false};
    std::thread driver([&] {
        while (!stop.load())
            input->Feed({0x90, 0x3C, 0x40});
    });
    for (int round = 0; round < 200; ++round) {
        std::unique_ptr<IMidiOutputPort> thru;
        ASSERT_EQ(platform.OpenOutput(0, thru), MIDI_OK);
        auto* fake = static_cast<CFakeOutputPort*>(thru.get());
        capture.AttachThru(thru.get());
        std::this_thread::yield();
        capture.DetachThru();
        ASSERT_EQ(thru->Close(), MIDI_OK);
        EXPECT_EQ(fake->sendsAfterClose.load(), 0);
        TakeEvents();
    }
    stop = true;
    driver.join();
}
