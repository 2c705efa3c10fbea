// The MIDI transport on a real MIDI stack: our JACK client against a private
// JACK server (started by the CTest fixture, named by JACK_DEFAULT_SERVER)
// and peer clients made with libjack.
#include "MidiJackPeer.h"
#include "RecordingControls.h"
#include "midi/CombinedMidiPlatform.h"
#include "midi/MidiPorts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

namespace {

Bytes SysEx(size_t length, uint8_t seed)
{
    Bytes b(length);
    b.front() = 0xF0;
    for (size_t i = 1; i + 1 < length; ++i)
        b[i] = static_cast<uint8_t>((seed + i * 7) & 0x7F);
    b.back() = 0xF7;
    return b;
}

int FindDevice(const IMidiPlatform& platform, bool input, const std::string& name)
{
    const int count = input ? platform.InputDeviceCount() : platform.OutputDeviceCount();
    for (int n = 0; n < count; ++n)
        if ((input ? platform.InputDeviceName(n) : platform.OutputDeviceName(n)) == name)
            return n;
    return -1;
}

std::vector<std::string> Names(const IMidiPlatform& platform, bool input)
{
    std::vector<std::string> names;
    const int count = input ? platform.InputDeviceCount() : platform.OutputDeviceCount();
    for (int n = 0; n < count; ++n)
        names.push_back(input ? platform.InputDeviceName(n) : platform.OutputDeviceName(n));
    return names;
}

class JackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int instance = 0;
        peer = std::make_unique<CMidiJackPeer>("zmpeer" + std::to_string(::getpid()) + "-" + std::to_string(++instance),
                                               std::vector<std::string>{"in", "thru_in"});
        platform = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = true});
        ports = std::make_unique<CMidiPorts>(*platform, rings, controls, [] {});
        peerOut = FindDevice(*platform, true, peer->PortName("out"));
        peerIn = FindDevice(*platform, false, peer->PortName("in"));
        peerThru = FindDevice(*platform, false, peer->PortName("thru_in"));
        ASSERT_GE(peerOut, 0);
        ASSERT_GE(peerIn, 0);
        ASSERT_GE(peerThru, 0);
    }

    void TearDown() override
    {
        ports.reset();
        platform.reset();
    }

    //! Drains the byte ring until `count` bytes came (bounded wait).
    Bytes WaitForBytes(size_t count, std::chrono::milliseconds timeout = 5s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (rings.sysex.Unread() + received.size() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        const uint32_t n = rings.sysex.Unread();
        for (uint32_t i = 0; i < n; ++i)
            received.push_back(rings.sysex.ByteAt(rings.sysex.readCount.load() + i));
        rings.sysex.Advance(n);
        return received;
    }

    std::vector<std::pair<uint32_t, uint32_t>> TakeEvents()
    {
        std::vector<std::pair<uint32_t, uint32_t>> events;
        while (rings.events.Unread() != 0) {
            const MidiEventSlot& slot = rings.events.SlotAt(rings.events.readCount.load());
            events.emplace_back(slot.kind, slot.param1);
            rings.events.Advance();
        }
        return events;
    }

    enum Outcome { kComplete, kNothing, kPartial };

    //! Runs `exchange` (which reports an Outcome) and repeats it, up to
    //! three times, when nothing at all arrived or a JACK cycle was missed
    //! meanwhile: on a starved machine JACK drops what a late client sent
    //! in a cycle, which says nothing about our code. A fault of ours shows
    //! in every attempt.
    template <typename Exchange>
    void Exchanging(Exchange&& exchange)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int xruns = peer->XRuns();
            const Outcome outcome = exchange();
            if (outcome == kComplete || (outcome == kPartial && peer->XRuns() == xruns))
                return;
        }
    }

    template <typename Container>
    static Outcome OutcomeOf(const Container& got, size_t expected)
    {
        return got.size() == expected ? kComplete : got.empty() ? kNothing : kPartial;
    }

    std::unique_ptr<CMidiJackPeer> peer;
    std::unique_ptr<IMidiPlatform> platform;
    CaptureRings rings;
    CRecordingControls controls;
    std::unique_ptr<CMidiPorts> ports;
    int peerOut = -1;
    int peerIn = -1;
    int peerThru = -1;
    Bytes received;
};

} // namespace

TEST_F(JackTest, ListsJackPortsThenTheSimulatorAndNeverOurOwnPorts)
{
    EXPECT_EQ(Names(*platform, true).back(), "ZM1 Simulator");
    EXPECT_EQ(Names(*platform, false).back(), "ZM1 Simulator");

    ports->OnInputSelect(peerOut);
    ports->OnOutputSelect(peerIn);
    ASSERT_NE(ports->State().inputHandle, nullptr);
    ASSERT_NE(ports->State().outputHandle, nullptr);
    // Our ports now exist in the graph; a fresh listing leaves them out.
    auto again = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = false});
    for (bool input : {true, false})
        for (const std::string& name : Names(*again, input))
            EXPECT_EQ(name.find("zm_config in"), std::string::npos) << name;
    EXPECT_THAT(Names(*again, true), Contains(peer->PortName("out")));
    EXPECT_THAT(Names(*again, true), Not(Contains(::testing::HasSubstr("zm_config out"))));
}

TEST_F(JackTest, SysExAndNotesFromAPeerReachTheRingsIntactAndInOrder)
{
    ports->OnInputSelect(peerOut);
    EXPECT_THAT(controls.lines, ElementsAre(peer->PortName("out")));
    TakeEvents();

    const Bytes big = SysEx(1000, 5);
    const Bytes small = {0xF0, 0x09, 0x1B, 0xF7};
    Bytes expected = big;
    expected.insert(expected.end(), small.begin(), small.end());
    Bytes got;
    std::vector<std::pair<uint32_t, uint32_t>> events;
    Exchanging([&] {
        received.clear();
        peer->Send({0x90, 0x3C, 0x40});
        peer->Send(big);
        peer->Send({0x80, 0x3C, 0x00});
        peer->Send(small);
        got = WaitForBytes(expected.size());
        std::this_thread::sleep_for(50ms);
        events = TakeEvents();
        return got == expected && events.size() == 4 ? kComplete : got.empty() && events.empty() ? kNothing : kPartial;
    });
    EXPECT_EQ(got, expected);
    EXPECT_THAT(events, ElementsAre(std::pair<uint32_t, uint32_t>{MIM_DATA, 0x403C90},
                                    std::pair<uint32_t, uint32_t>{MIM_LONGDATA, 1000},
                                    std::pair<uint32_t, uint32_t>{MIM_DATA, 0x003C80},
                                    std::pair<uint32_t, uint32_t>{MIM_LONGDATA, 4}));
    EXPECT_EQ(rings.sysex.LostBytes(), 0u);
}

TEST_F(JackTest, FramesHandedToSendSysExArriveIntactAndInOrder)
{
    ports->OnOutputSelect(peerIn);
    EXPECT_THAT(controls.lines, ElementsAre(std::to_string(peerIn), "midiOutOpen           No error.", peer->PortName("in")));
    std::vector<Bytes> frames;
    for (uint8_t i = 0; i < 15; ++i)
        frames.push_back(i == 7 ? SysEx(1000, i) : SysEx(4 + i, i));
    std::vector<CMidiJackPeer::Received> got;
    Exchanging([&] {
        Bytes scratch;
        for (const Bytes& f : frames) {
            scratch = f;
            ports->Transmitter().SendSysEx(static_cast<int32_t>(scratch.size()) - 2, scratch.data());
            std::fill(scratch.begin(), scratch.end(), 0);
        }
        EXPECT_TRUE(ports->Transmitter().WaitUntilSent(10s));
        got = peer->Take(frames.size(), 5s);
        return OutcomeOf(got, frames.size());
    });
    ASSERT_EQ(got.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(got[i].port, 0);
        EXPECT_EQ(got[i].bytes, frames[i]) << "frame " << i;
    }
}

TEST_F(JackTest, FramesBeyondWhatJackCarriesAreRefusedWithALine)
{
    ports->OnOutputSelect(peerIn);
    ASSERT_NE(ports->State().outputHandle, nullptr);
    controls.Reset();
    // The limit comes from JACK's port buffer; whatever it is, it leaves
    // room for a 512-byte EEPROM reply sent back whole (about 1 KB).
    const size_t limit = ports->State().outputHandle->MaxLongMessage();
    EXPECT_GE(limit, 2048u);
    const Bytes tooLong = SysEx(limit + 1, 1);
    const Bytes longest = SysEx(limit, 2);
    ports->Transmitter().SendSysEx(static_cast<int32_t>(tooLong.size()) - 2, tooLong.data());
    EXPECT_THAT(controls.lines, ElementsAre("midiOutLongMsg        The message is too long for this MIDI port."));
    std::vector<CMidiJackPeer::Received> got;
    Exchanging([&] {
        ports->Transmitter().SendSysEx(static_cast<int32_t>(longest.size()) - 2, longest.data());
        EXPECT_TRUE(ports->Transmitter().WaitUntilSent(10s));
        got = peer->Take(1, 5s);
        return OutcomeOf(got, 1);
    });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bytes, longest);
}

TEST_F(JackTest, ThruForwardsThePeersNotesUntilSwitchedOff)
{
    ports->OnInputSelect(peerOut);
    std::vector<CMidiJackPeer::Received> greeting;
    Exchanging([&] {
        if (ports->State().thruOpen)
            ports->OnThruSelect(peerThru);  // off, to open it again
        ports->OnThruSelect(peerThru);
        greeting = peer->Take(1, 5s);
        return OutcomeOf(greeting, 1);
    });
    ASSERT_EQ(greeting.size(), 1u);
    EXPECT_EQ(greeting[0].port, 1);
    EXPECT_EQ(greeting[0].bytes, (Bytes{0xC2, 0x03}));

    const std::vector<Bytes> notes = {{0x90, 0x3C, 0x40}, {0xB0, 0x40, 0x7F}, {0x80, 0x3C, 0x10}, {0xF8}};
    std::vector<CMidiJackPeer::Received> forwarded;
    Exchanging([&] {
        for (const Bytes& n : notes)
            peer->Send(n);
        peer->Send(SysEx(20, 1));  // not passed on
        forwarded = peer->Take(notes.size(), 5s);
        std::this_thread::sleep_for(100ms);
        for (auto& r : peer->Take(0, 0ms))
            forwarded.push_back(r);
        return OutcomeOf(forwarded, notes.size());
    });
    ASSERT_EQ(forwarded.size(), notes.size());
    for (size_t i = 0; i < notes.size(); ++i)
        EXPECT_EQ(forwarded[i].bytes, notes[i]);

    ports->OnThruSelect(peerThru);  // switched off
    EXPECT_FALSE(ports->State().thruOpen);
    TakeEvents();
    std::vector<std::pair<uint32_t, uint32_t>> recorded;
    Exchanging([&] {
        peer->Send({0x90, 0x40, 0x40});
        EXPECT_TRUE(peer->Take(1, 300ms).empty());
        std::this_thread::sleep_for(50ms);
        recorded = TakeEvents();
        return OutcomeOf(recorded, 1);
    });
    // Still recorded, no longer passed on.
    EXPECT_THAT(recorded, ElementsAre(std::pair<uint32_t, uint32_t>{MIM_DATA, 0x404090}));
}

TEST_F(JackTest, APeerThatDisappearsLeavesTheProgramRunningWithErrorLines)
{
    ports->OnInputSelect(peerOut);
    ports->OnOutputSelect(peerIn);
    peer->Close();
    std::this_thread::sleep_for(50ms);

    // Sending into a port whose peer is gone neither blocks nor fails.
    const Bytes frame = {0xF0, 0x09, 0x2A, 0xF7};
    for (int i = 0; i < 100; ++i)
        ports->Transmitter().SendSysEx(2, frame.data());
    EXPECT_TRUE(ports->Transmitter().WaitUntilSent(10s));

    // Choosing the vanished ports again: another device first, then theirs.
    const int sim = platform->InputDeviceCount() - 1;
    ports->OnInputSelect(sim);
    ports->OnOutputSelect(platform->OutputDeviceCount() - 1);
    controls.Reset();
    ports->OnInputSelect(peerOut);
    ports->OnOutputSelect(peerIn);
    EXPECT_THAT(controls.lines,
                ElementsAre("midiInOpen            The MIDI device is no longer present.",
                            "midiInStart           The MIDI port is not open.",
                            "midiInPrepareHeader   The MIDI port is not open.",
                            "midiInAddBuffer       The MIDI port is not open.", peer->PortName("out"),
                            std::to_string(peerIn), "midiOutClose           No error.",
                            "midiOutOpen           The MIDI device is no longer present.", peer->PortName("in")));
    ports->Teardown();
}

TEST(JackServer, GoingAwayMidSessionGivesErrorLinesAndNoHang)
{
    // A server of our own, so that stopping it disturbs no other test.
    const std::string name = "zmgone-" + std::to_string(::getpid());
    const std::string script = ZM_JACK_SCRIPT;
    const std::string dir = ZM_TEST_STATE_DIR;
    ASSERT_EQ(std::system((script + " start " + name + " " + dir + " >/dev/null").c_str()), 0);
    const char* previous = std::getenv("JACK_DEFAULT_SERVER");
    const std::string saved = previous ? previous : "";
    ::setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);

    {
        CMidiJackPeer peer("zmgone-peer", {"in"});
        auto platform = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = true});
        CaptureRings rings;
        CRecordingControls controls;
        CMidiPorts ports(*platform, rings, controls, {});
        const int in = FindDevice(*platform, true, peer.PortName("out"));
        const int out = FindDevice(*platform, false, peer.PortName("in"));
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        ports.OnInputSelect(in);
        ports.OnOutputSelect(out);
        ports.OnThruSelect(platform->OutputDeviceCount() - 1);  // the simulator

        ASSERT_EQ(std::system((script + " stop " + name + " " + dir).c_str()), 0);
        std::this_thread::sleep_for(200ms);

        controls.Reset();
        const Bytes frame = {0xF0, 0x09, 0x2A, 0xF7};
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 2000; ++i)  // far more than JACK's ring holds
            ports.Transmitter().SendSysEx(2, frame.data());
        EXPECT_TRUE(ports.Transmitter().WaitUntilSent(10s));
        ports.Transmitter().ReportFailures();
        ASSERT_FALSE(controls.lines.empty());
        EXPECT_EQ(controls.lines.front(), "midiOutLongMsg        The MIDI system is not running.");

        controls.Reset();
        ports.OnOutputSelect(out);  // nothing changes: it is open
        ports.OnInputSelect(platform->InputDeviceCount() - 1);
        ports.Teardown();
        EXPECT_THAT(controls.lines, Contains("midiOutClose           No error."));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
        peer.Close();
    }
    if (previous)
        ::setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1);
    else
        ::unsetenv("JACK_DEFAULT_SERVER");
}
