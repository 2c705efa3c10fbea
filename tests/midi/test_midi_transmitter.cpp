// SendSysEx: frames leave whole, in call order, off the window thread, paced
// on hardware ports; switching or losing the output never misdirects a frame
// or hangs the caller.
#include "FakeMidiPlatform.h"
#include "RecordingControls.h"
#include "midi/SysExTransmitter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

class TransmitterTest : public ::testing::Test {
protected:
    CFakeOutputPort* OpenPort(int device)
    {
        std::unique_ptr<IMidiOutputPort> port;
        EXPECT_EQ(platform.OpenOutput(device, port), MIDI_OK);
        owned.push_back(std::move(port));
        return static_cast<CFakeOutputPort*>(owned.back().get());
    }

    void Send(const Bytes& frame) { transmitter.SendSysEx(static_cast<int32_t>(frame.size()) - 2, frame.data()); }

    CFakeMidiPlatform platform{{}, {"A", "B"}};
    std::vector<std::unique_ptr<IMidiOutputPort>> owned;
    CRecordingControls controls;
    CSysExTransmitter transmitter{controls};
};

Bytes Frame(uint8_t code, size_t bodyLength = 0)
{
    Bytes frame = {0xF0, 0x09, code};
    for (size_t i = 0; i < bodyLength; ++i)
        frame.push_back(static_cast<uint8_t>(i & 0x7F));
    frame.push_back(0xF7);
    return frame;
}

} // namespace

TEST_F(TransmitterTest, SendsExactlyCountPlusTwoBytes)
{
    CFakeOutputPort* port = OpenPort(0);
    transmitter.SetOutput(port);
    const uint8_t frame[] = {0xF0, 0x09, 0x1A, 0xF7, 0x55, 0x55};  // bytes past the frame stay home
    transmitter.SendSysEx(2, frame);
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_THAT(port->Sent(), ElementsAre(Bytes{0xF0, 0x09, 0x1A, 0xF7}));
    EXPECT_THAT(controls.lines, IsEmpty());
}

TEST_F(TransmitterTest, WithNoOutputNothingIsSentAndNothingLogged)
{
    Send(Frame(0x2A));
    EXPECT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_EQ(transmitter.FramesSent(), 0u);
    EXPECT_THAT(controls.lines, IsEmpty());
}

TEST_F(TransmitterTest, ABurstArrivesIntactAndInCallOrderWhileTheCallerReusesItsBuffer)
{
    CFakeOutputPort* port = OpenPort(0);
    port->block = true;  // the port is slow: everything queues up
    transmitter.SetOutput(port);
    std::vector<Bytes> expected;
    Bytes scratch;
    for (uint8_t i = 0; i < 15; ++i) {
        scratch = Frame(static_cast<uint8_t>(0x40 + i), i);
        expected.push_back(scratch);
        Send(scratch);
        std::fill(scratch.begin(), scratch.end(), 0xEE);  // the caller reuses its frame at once
    }
    port->block = false;
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_EQ(port->Sent(), expected);
    EXPECT_EQ(transmitter.FramesSent(), 15u);
}

TEST_F(TransmitterTest, RefusesWhatThePortCannotCarryWithALine)
{
    struct Case {
        int32_t count;
        bool nullBytes;
        const char* line;
    };
    CFakeOutputPort* port = OpenPort(0);
    port->maxLong = 16;
    transmitter.SetOutput(port);
    const Bytes big = Frame(0x11, 13);  // 17 bytes
    for (const Case& c : {Case{15, false, "midiOutLongMsg        The message is too long for this MIDI port."},
                          Case{-1, false, "midiOutLongMsg        An invalid parameter was passed."},
                          Case{2, true, "midiOutLongMsg        An invalid parameter was passed."}}) {
        controls.Reset();
        transmitter.SendSysEx(c.count, c.nullBytes ? nullptr : big.data());
        EXPECT_THAT(controls.lines, ElementsAre(c.line));
    }
    const Bytes fits = Frame(0x11, 12);
    Send(fits);
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_THAT(port->Sent(), ElementsAre(fits));
}

TEST_F(TransmitterTest, SendFailuresAreReportedOnTheWindowThread)
{
    CFakeOutputPort* port = OpenPort(0);
    port->sendResult = MIDI_ERR_NODRIVER;
    transmitter.SetOutput(port);
    Send(Frame(0x1B));
    Send(Frame(0x1B));
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    // Lines come only from calls on this thread (SendSysEx reports what is
    // known so far, ReportFailures the rest).
    transmitter.ReportFailures();
    EXPECT_THAT(controls.lines, ElementsAre("midiOutLongMsg        The MIDI system is not running.",
                                            "midiOutLongMsg        The MIDI system is not running."));
    transmitter.ReportFailures();
    EXPECT_EQ(controls.lines.size(), 2u);
}

TEST_F(TransmitterTest, FramesAFullPortRefusesAreOfferedAgainAndArriveInOrder)
{
    CFakeOutputPort* port = OpenPort(0);
    port->busyFor = 25;  // its queue stays full for a while
    transmitter.SetOutput(port);
    std::vector<Bytes> frames;
    for (uint8_t i = 0; i < 5; ++i) {
        frames.push_back(Frame(static_cast<uint8_t>(0x30 + i), i));
        Send(frames.back());
    }
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_EQ(port->Sent(), frames);
    EXPECT_EQ(port->busyFor.load(), 0);
    EXPECT_EQ(transmitter.FramesSent(), 5u);
    transmitter.ReportFailures();
    EXPECT_THAT(controls.lines, IsEmpty());
}

TEST_F(TransmitterTest, APortThatStaysFullGetsALineAfterTheTimeOutAndSendingGoesOn)
{
    CFakeOutputPort* port = OpenPort(0);
    port->busyFor = 1 << 30;
    transmitter.SetOutput(port);
    Send(Frame(0x01));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(transmitter.WaitUntilSent(CSysExTransmitter::kSendTimeout + 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - start, CSysExTransmitter::kSendTimeout - 100ms);
    transmitter.ReportFailures();
    EXPECT_THAT(controls.lines, ElementsAre("midiOutLongMsg        The MIDI port is busy."));

    port->busyFor = 0;
    Send(Frame(0x02));
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_THAT(port->Sent(), ElementsAre(Frame(0x02)));
}

TEST_F(TransmitterTest, HardwarePortsArePacedToWireSpeed)
{
    CFakeOutputPort* port = OpenPort(0);
    port->wireRate = 3125;
    transmitter.SetOutput(port);
    std::vector<Bytes> frames;
    for (uint8_t i = 0; i < 6; ++i)
        frames.push_back(Frame(0x43, 20 + i));  // 24..29 bytes, ~8 ms each on the wire
    const auto start = std::chrono::steady_clock::now();
    for (const Bytes& f : frames)
        Send(f);
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    const auto times = port->SendTimes();
    ASSERT_EQ(times.size(), frames.size());
    // Frame i cannot start before all earlier frames can have left the wire
    // (delays on a busy machine only make it later).
    std::chrono::microseconds onWire{0};
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_GE(times[i] - start, onWire) << "frame " << i << " overran the wire";
        onWire += std::chrono::microseconds(frames[i].size() * 1000000 / 3125);
    }
    // ...and the burst is not held back beyond its wire time by much.
    EXPECT_LT(times.back() - start, onWire + 2s);
}

TEST_F(TransmitterTest, SwitchingOutputDropsQueuedFramesWithALineInsteadOfMisdirectingThem)
{
    CFakeOutputPort* first = OpenPort(0);
    CFakeOutputPort* second = OpenPort(1);
    first->block = true;
    transmitter.SetOutput(first);
    Send(Frame(0x01));  // taken by the transmitter thread, stuck in the port
    std::this_thread::sleep_for(20ms);
    Send(Frame(0x02));
    Send(Frame(0x03));

    std::thread unblock([&] {
        std::this_thread::sleep_for(50ms);
        first->block = false;
    });
    EXPECT_TRUE(transmitter.SetOutput(second));  // waits for the send under way only
    unblock.join();
    EXPECT_THAT(controls.lines, ElementsAre("2 SysEx frame(s) not sent: the output port was closed"));
    Send(Frame(0x04));
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_THAT(first->Sent(), ElementsAre(Frame(0x01)));
    EXPECT_THAT(second->Sent(), ElementsAre(Frame(0x04)));
}

TEST_F(TransmitterTest, AStuckPortIsLeftBehindAfterTheTimeOutAndSendingGoesOn)
{
    CFakeOutputPort* stuck = OpenPort(0);
    CFakeOutputPort* next = OpenPort(1);
    stuck->block = true;
    transmitter.SetOutput(stuck);
    Send(Frame(0x01));
    std::this_thread::sleep_for(20ms);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(transmitter.SetOutput(next));
    EXPECT_LT(std::chrono::steady_clock::now() - start, CSysExTransmitter::kSendTimeout + 3s);
    Send(Frame(0x02));
    ASSERT_TRUE(transmitter.WaitUntilSent(5s));
    EXPECT_THAT(next->Sent(), ElementsAre(Frame(0x02)));

    // The port comes back eventually; its thread then ends without touching
    // anything else.
    stuck->block = false;
    std::this_thread::sleep_for(20ms);
    EXPECT_THAT(next->Sent(), ElementsAre(Frame(0x02)));
}

TEST_F(TransmitterTest, FlushWaitsForThePortToLetFramesOutAndNotSentNamesTheRest)
{
    CFakeOutputPort* port = OpenPort(0);
    transmitter.SetOutput(port);
    // The port keeps the last two frames it accepted, as a JACK port keeps
    // its queue until the next cycles.
    port->holding = 2;
    for (uint8_t code : {0x10, 0x11, 0x12})
        Send(Frame(code));
    EXPECT_FALSE(transmitter.Flush(50ms));
    EXPECT_THAT(transmitter.NotSent(), ElementsAre(Frame(0x11), Frame(0x12)));
    port->holding = 0;
    EXPECT_TRUE(transmitter.Flush(5s));
    EXPECT_THAT(transmitter.NotSent(), IsEmpty());

    // A frame whose send failed never left, though nothing is inside.
    port->sendResult = MIDI_ERR_NODRIVER;
    Send(Frame(0x13));
    EXPECT_TRUE(transmitter.Flush(5s));
    EXPECT_THAT(transmitter.NotSent(), ElementsAre(Frame(0x13)));

    // Behind a port that does not return: the frame being handed over and
    // those queued after it.
    port->sendResult = MIDI_OK;
    port->block = true;
    Send(Frame(0x14));
    Send(Frame(0x15));
    EXPECT_FALSE(transmitter.Flush(50ms));
    EXPECT_THAT(transmitter.NotSent(), ElementsAre(Frame(0x13), Frame(0x14), Frame(0x15)));
    port->block = false;
    EXPECT_TRUE(transmitter.Flush(5s));
    EXPECT_THAT(transmitter.NotSent(), ElementsAre(Frame(0x13)));
}
