// The built-in simulated devices, end to end through the port lists, the
// transmitter and the capture callback.
#include "RecordingControls.h"
#include "editors/PortLists.h"
#include "sim/LoopbackDevice.h"
#include "sim/SimMidiPlatform.h"
#include "sim/SystemMidiPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using ::testing::ElementsAre;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

//! Waits (bounded) until the byte ring holds `count` unread bytes.
Bytes WaitForBytes(CaptureRings& rings, size_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (rings.sysex.Unread() < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    Bytes bytes;
    const uint32_t n = rings.sysex.Unread();
    for (uint32_t i = 0; i < n; ++i)
        bytes.push_back(rings.sysex.ByteAt(rings.sysex.readCount.load() + i));
    rings.sysex.Advance(n);
    return bytes;
}

//! Replies to each frame with its command byte plus one, to tell replies
//! from echoes.
class CAnsweringDevice : public ISimDevice {
public:
    void OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& replies) override
    {
        Bytes reply(bytes, bytes + count);
        if (reply.size() > 2)
            ++reply[2];
        replies.Reply(reply.data(), reply.size());
    }
};

//! The simulator behind `device`, answering at once, with the port lists
//! and the capture rings of the main dialog.
struct SimRig {
    explicit SimRig(std::unique_ptr<ISimDevice> device) : platform(std::move(device), SimTiming::Instant) {}

    CSimMidiPlatform platform;
    CaptureRings rings;
    CRecordingControls controls;
    CPortSession session{platform, rings, controls};
    CPortLists ports{controls, session, {}};

    //! The simulator as input and output, as a user picks it in the lists.
    void OpenInputAndOutput()
    {
        ports.OnInputSelect(0);
        ports.OnOutputSelect(0);
    }
    //! Sends a Revision Request and returns the first four bytes that come back.
    Bytes AskRevision()
    {
        const uint8_t request[] = {0xF0, 0x09, 0x1A, 0xF7};
        session.Transmitter().SendSysEx(2, request);
        return WaitForBytes(rings, 4);
    }
};

} // namespace

TEST(SimulatedDevices, AreListedAfterTheSystemDevicesUnderTheirName)
{
    auto platform = CreateMidiPlatform({.alsa = false, .jack = false, .simulator = true});
    ASSERT_EQ(platform->InputDeviceCount(), 1);
    ASSERT_EQ(platform->OutputDeviceCount(), 1);
    EXPECT_EQ(platform->InputDeviceName(0), "ZM1 Simulator");
    EXPECT_EQ(platform->OutputDeviceName(0), "ZM1 Simulator");
    EXPECT_EQ(platform->InputDeviceName(1), "");

    std::unique_ptr<IMidiOutputPort> port;
    EXPECT_EQ(platform->OpenOutput(1, port), MIDI_ERR_BADDEVICEID);
    EXPECT_EQ(port, nullptr);
}

TEST(SimulatedDevices, FramesSentToTheSimulatorComeBackOnItsInput)
{
    SimRig rig(std::make_unique<CLoopbackDevice>());
    auto& [platform, rings, controls, session, ports] = rig;
    rig.OpenInputAndOutput();
    EXPECT_THAT(controls.lines, ElementsAre("ZM1 Simulator", "0", "midiOutOpen           No error.", "ZM1 Simulator"));

    std::vector<Bytes> frames;
    Bytes expected;
    for (uint8_t i = 0; i < 15; ++i) {
        Bytes f = {0xF0, 0x09, 0x5A, 0x09, i};
        f.insert(f.end(), i * 20u, static_cast<uint8_t>(i));
        f.push_back(0xF7);
        frames.push_back(f);
        expected.insert(expected.end(), f.begin(), f.end());
    }
    for (const Bytes& f : frames)
        session.Transmitter().SendSysEx(static_cast<int32_t>(f.size()) - 2, f.data());
    EXPECT_EQ(WaitForBytes(rings, expected.size()), expected);
}

TEST(SimulatedDevices, AThruPortOnTheSimulatorDoesNotFeedItsOwnInput)
{
    SimRig rig(std::make_unique<CLoopbackDevice>());
    auto& [platform, rings, controls, session, ports] = rig;
    ports.OnInputSelect(0);
    ports.OnThruSelect(0);  // sends C2 03 to the simulator
    session.CloseThruPort();  // drains what the port was sent
    ports.OnOutputSelect(0);
    EXPECT_EQ(rig.AskRevision(), (Bytes{0xF0, 0x09, 0x1A, 0xF7}));

    uint32_t shortMessages = 0;
    for (uint32_t i = 0, n = rings.events.Unread(); i < n; ++i)
        if (rings.events.SlotAt(rings.events.readCount.load() + i).kind == MIM_DATA)
            ++shortMessages;
    EXPECT_EQ(shortMessages, 0u);
}

TEST(SimulatedDevices, TheLoopbackCanBeReplacedByADeviceModel)
{
    SimRig rig(std::make_unique<CAnsweringDevice>());
    rig.OpenInputAndOutput();
    EXPECT_EQ(rig.AskRevision(), (Bytes{0xF0, 0x09, 0x1B, 0xF7}));
}

TEST(SimulatedDevices, WhatAnOutputWasSentBeforeClosingStillArrives)
{
    SimRig rig(std::make_unique<CLoopbackDevice>());
    auto& [platform, rings, controls, session, ports] = rig;
    rig.OpenInputAndOutput();
    const uint8_t frame[] = {0xF0, 0x09, 0x2A, 0xF7};
    for (int i = 0; i < 50; ++i)
        session.Transmitter().SendSysEx(2, frame);
    ASSERT_TRUE(session.Transmitter().WaitUntilSent(5s));
    session.CloseOutputPort();
    EXPECT_EQ(WaitForBytes(rings, 200).size(), 200u);
}
