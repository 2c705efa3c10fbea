// The MIDI transport on a real MIDI stack: our JACK client against a private
// JACK server (started by the CTest fixture, named by JACK_DEFAULT_SERVER)
// and peer clients made with libjack.
#include "MidiJackPeer.h"
#include "PortRig.h"
#include "PrivateJackServer.h"
#include "RecordingControls.h"
#include "midi/jack/JackClient.h"
#include "sim/SystemMidiPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <set>
#include <thread>

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

std::vector<std::string> Names(const IMidiPlatform& platform, bool input)
{
    std::vector<std::string> names;
    const int count = input ? platform.InputDeviceCount() : platform.OutputDeviceCount();
    for (int n = 0; n < count; ++n)
        names.push_back(input ? platform.InputDeviceName(n) : platform.OutputDeviceName(n));
    return names;
}

std::string UniqueName(const char* prefix)
{
    static int instance = 0;
    return prefix + std::to_string(::getpid()) + "-" + std::to_string(++instance);
}

class JackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        peer = std::make_unique<CMidiJackPeer>(UniqueName("zmpeer"), std::vector<std::string>{"in", "thru_in"});
        ListAgain();
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

    //! A new platform and port logic, listing the clients that exist now.
    void ListAgain()
    {
        ports.reset();
        platform = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = true});
        ports = std::make_unique<PortRig>(*platform, rings, controls);
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
    std::unique_ptr<PortRig> ports;
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

    ports->lists.OnInputSelect(peerOut);
    ports->lists.OnOutputSelect(peerIn);
    ASSERT_NE(ports->session.Port(PortKind::Input).InputPort(), nullptr);
    ASSERT_NE(ports->session.Port(PortKind::Output).OutputPort(), nullptr);
    // Our ports now exist in the graph; a fresh listing leaves them out.
    auto again = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = false});
    for (bool input : {true, false})
        for (const std::string& name : Names(*again, input))
            EXPECT_EQ(name.find("zm_config in"), std::string::npos) << name;
    EXPECT_THAT(Names(*again, true), Contains(peer->PortName("out")));
    EXPECT_THAT(Names(*again, true), Not(Contains(::testing::HasSubstr("zm_config out"))));
}

TEST_F(JackTest, ABackgroundListingComesInWhenTakenAndKeepsAnEarlyListingDone)
{
    // zmctl lists JACK beside its start: until the listing is taken in, the
    // lists hold the other systems' devices only, and a ListingDone() that
    // came first lets the client go at that point without losing the ports.
    for (const bool doneFirst : {false, true}) {
        SCOPED_TRACE(doneFirst ? "ListingDone before the listing is in" : "ListingDone never called");
        auto background =
            CreateMidiPlatform({.alsa = false, .jack = true, .simulator = true, .jackInBackground = true});
        EXPECT_TRUE(background->ListingPending());
        EXPECT_EQ(Names(*background, true), std::vector<std::string>{"ZM1 Simulator"});
        if (doneFirst)
            background->ListingDone();
        EXPECT_TRUE(background->TakeListing(true));
        EXPECT_FALSE(background->ListingPending());
        EXPECT_FALSE(background->TakeListing(true));
        // Other cases' peers may come and go on the same server meanwhile.
        EXPECT_THAT(Names(*background, true), Contains(peer->PortName("out")));
        EXPECT_THAT(Names(*background, false), Contains(peer->PortName("in")));
        EXPECT_EQ(Names(*background, true).back(), "ZM1 Simulator");

        std::unique_ptr<IMidiOutputPort> out;
        ASSERT_EQ(background->OpenOutput(FindDevice(*background, false, peer->PortName("in")), out), MIDI_OK);
        peer->Take(0, 0ms);
        Bytes frame = SysEx(12, 3);
        ASSERT_EQ(out->SendLong(frame.data(), frame.size()), MIDI_OK);
        const std::vector<CMidiJackPeer::Received> got = peer->Take(1, 5s);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got.front().bytes, frame);
        EXPECT_EQ(out->Close(), MIDI_OK);
    }
}

TEST_F(JackTest, PortsOpenedOnceTheListingIsDoneCarryDataBothWays)
{
    // zmctl lets the client that only listed go once its ports are open;
    // a port opened after that (its thru) gets a client again, and one
    // already open keeps the client it has.
    for (const bool inputFirst : {false, true}) {
        SCOPED_TRACE(inputFirst ? "the input open when the listing is done" : "no port open when the listing is done");
        ListAgain();
        const int from = FindDevice(*platform, true, peer->PortName("out"));
        const int to = FindDevice(*platform, false, peer->PortName("in"));
        if (inputFirst)
            ports->lists.OnInputSelect(from);
        platform->ListingDone();
        if (!inputFirst)
            ports->lists.OnInputSelect(from);
        ports->lists.OnOutputSelect(to);
        ASSERT_NE(ports->session.Port(PortKind::Input).InputPort(), nullptr);
        ASSERT_NE(ports->session.Port(PortKind::Output).OutputPort(), nullptr);

        const Bytes request = SysEx(12, 1);
        const Bytes reply = SysEx(40, 2);
        Bytes got;
        std::vector<CMidiJackPeer::Received> sent;
        Exchanging([&] {
            received.clear();
            peer->Take(0, 0ms);
            Bytes scratch = request;
            ports->session.Transmitter().SendSysEx(static_cast<int32_t>(scratch.size()) - 2, scratch.data());
            EXPECT_TRUE(ports->session.Transmitter().Flush(10s));
            sent = peer->Take(1, 5s);
            peer->Send(reply);
            got = WaitForBytes(reply.size());
            return got == reply && sent.size() == 1 ? kComplete : got.empty() && sent.empty() ? kNothing : kPartial;
        });
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent.front().bytes, request);
        EXPECT_EQ(got, reply);
    }
}

TEST_F(JackTest, SysExAndNotesFromAPeerReachTheRingsIntactAndInOrder)
{
    ports->lists.OnInputSelect(peerOut);
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
    ports->lists.OnOutputSelect(peerIn);
    EXPECT_THAT(controls.lines, ElementsAre(std::to_string(peerIn), "midiOutOpen           No error.", peer->PortName("in")));
    std::vector<Bytes> frames;
    for (uint8_t i = 0; i < 15; ++i)
        frames.push_back(i == 7 ? SysEx(1000, i) : SysEx(4 + i, i));
    std::vector<CMidiJackPeer::Received> got;
    Exchanging([&] {
        Bytes scratch;
        for (const Bytes& f : frames) {
            scratch = f;
            ports->session.Transmitter().SendSysEx(static_cast<int32_t>(scratch.size()) - 2, scratch.data());
            std::fill(scratch.begin(), scratch.end(), 0);
        }
        EXPECT_TRUE(ports->session.Transmitter().WaitUntilSent(10s));
        got = peer->Take(frames.size(), 5s);
        return OutcomeOf(got, frames.size());
    });
    ASSERT_EQ(got.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(got[i].port, 0);
        EXPECT_EQ(got[i].bytes, frames[i]) << "frame " << i;
    }
}

TEST_F(JackTest, OnceFlushedEveryFrameHasReachedThePeer)
{
    // "Out" means read by the other end: a tool may exit right after Flush.
    ports->lists.OnOutputSelect(peerIn);
    CSysExTransmitter& transmitter = ports->session.Transmitter();
    std::vector<CMidiJackPeer::Received> got;
    Exchanging([&] {
        peer->Take(0, 0ms);
        for (uint8_t i = 0; i < 40; ++i) {
            const Bytes frame = SysEx(8 + i, i);
            transmitter.SendSysEx(static_cast<int32_t>(frame.size()) - 2, frame.data());
        }
        EXPECT_TRUE(transmitter.Flush(10s));
        EXPECT_EQ(ports->session.Port(PortKind::Output).OutputPort()->MessagesHeld(), 0u);
        EXPECT_THAT(transmitter.NotSent(), testing::IsEmpty());
        got = peer->Take(40, 0ms);
        return OutcomeOf(got, 40);
    });
    ASSERT_EQ(got.size(), 40u);
    EXPECT_EQ(got.back().bytes, SysEx(8 + 39, 39));
}

TEST_F(JackTest, FramesBeyondWhatJackCarriesAreRefusedWithALine)
{
    ports->lists.OnOutputSelect(peerIn);
    ASSERT_NE(ports->session.Port(PortKind::Output).OutputPort(), nullptr);
    controls.Reset();
    // The limit comes from JACK's port buffer; whatever it is, it leaves
    // room for a 512-byte EEPROM reply sent back whole (about 1 KB).
    const size_t limit = ports->session.Port(PortKind::Output).OutputPort()->MaxLongMessage();
    EXPECT_GE(limit, 2048u);
    const Bytes tooLong = SysEx(limit + 1, 1);
    const Bytes longest = SysEx(limit, 2);
    ports->session.Transmitter().SendSysEx(static_cast<int32_t>(tooLong.size()) - 2, tooLong.data());
    EXPECT_THAT(controls.lines, ElementsAre("midiOutLongMsg        The message is too long for this MIDI port."));
    std::vector<CMidiJackPeer::Received> got;
    Exchanging([&] {
        ports->session.Transmitter().SendSysEx(static_cast<int32_t>(longest.size()) - 2, longest.data());
        EXPECT_TRUE(ports->session.Transmitter().WaitUntilSent(10s));
        got = peer->Take(1, 5s);
        return OutcomeOf(got, 1);
    });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bytes, longest);
}

TEST_F(JackTest, ThruForwardsThePeersNotesUntilSwitchedOff)
{
    ports->lists.OnInputSelect(peerOut);
    std::vector<CMidiJackPeer::Received> greeting;
    Exchanging([&] {
        if (ports->session.Port(PortKind::Thru).CountsAsOpen())
            ports->lists.OnThruSelect(peerThru);  // off, to open it again
        ports->lists.OnThruSelect(peerThru);
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

    ports->lists.OnThruSelect(peerThru);  // switched off
    EXPECT_FALSE(ports->session.Port(PortKind::Thru).CountsAsOpen());
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
    ports->lists.OnInputSelect(peerOut);
    ports->lists.OnOutputSelect(peerIn);
    peer->Close();
    std::this_thread::sleep_for(50ms);

    // Sending into a port whose peer is gone neither blocks nor fails.
    const Bytes frame = {0xF0, 0x09, 0x2A, 0xF7};
    for (int i = 0; i < 100; ++i)
        ports->session.Transmitter().SendSysEx(2, frame.data());
    EXPECT_TRUE(ports->session.Transmitter().WaitUntilSent(10s));

    // Choosing the vanished ports again: another device first, then theirs.
    const int sim = platform->InputDeviceCount() - 1;
    ports->lists.OnInputSelect(sim);
    ports->lists.OnOutputSelect(platform->OutputDeviceCount() - 1);
    controls.Reset();
    ports->lists.OnInputSelect(peerOut);
    ports->lists.OnOutputSelect(peerIn);
    EXPECT_THAT(controls.lines,
                ElementsAre("midiInOpen            The MIDI device is no longer present.",
                            "midiInStart           The MIDI port is not open.",
                            "midiInPrepareHeader   The MIDI port is not open.",
                            "midiInAddBuffer       The MIDI port is not open.", peer->PortName("out"),
                            std::to_string(peerIn), "midiOutClose           No error.",
                            "midiOutOpen           The MIDI device is no longer present.", peer->PortName("in")));
    ports->session.Teardown();
}

TEST_F(JackTest, SysExSplitOverSeveralJackEventsReachesTheRingWhole)
{
    ports->lists.OnInputSelect(peerOut);
    const Bytes whole = SysEx(600, 3);
    const Bytes first(whole.begin(), whole.begin() + 200);         // F0 and data, no F7
    const Bytes middle(whole.begin() + 200, whole.begin() + 450);  // data only
    const Bytes last(whole.begin() + 450, whole.end());            // data and F7
    const Bytes noteOn = {0x90, 0x3C, 0x40};
    const Bytes noteOff = {0x80, 0x3C, 0x00};
    using Event = std::pair<uint32_t, uint32_t>;

    for (const bool oneCycle : {true, false}) {
        SCOPED_TRACE(oneCycle ? "pieces in one cycle" : "pieces in separate cycles, a clock byte between");
        Bytes got;
        std::vector<Event> events;
        std::vector<uint32_t> sentAt;
        Exchanging([&] {
            received.clear();
            TakeEvents();
            peer->TakeSent(0, 0ms);
            if (oneCycle) {
                peer->SendTogether({noteOn, first, middle, last, noteOff});
                sentAt = peer->TakeSent(5, 2s);
            } else {
                // Each piece waits until the one before has left.
                sentAt.clear();
                for (const auto& group : std::vector<std::vector<Bytes>>{{noteOn, first}, {{0xF8}, middle}, {last, noteOff}}) {
                    peer->SendTogether(group);
                    for (uint32_t frame : peer->TakeSent(group.size(), 2s))
                        sentAt.push_back(frame);
                }
            }
            got = WaitForBytes(whole.size());
            std::this_thread::sleep_for(50ms);
            events = TakeEvents();
            const size_t expected = oneCycle ? 4 : 5;
            return got == whole && events.size() == expected ? kComplete
                : got.empty() && events.empty()             ? kNothing
                                                            : kPartial;
        });
        EXPECT_EQ(got, whole);
        EXPECT_EQ(rings.sysex.LostBytes(), 0u);
        // The peer put each message in one event at consecutive frames of a
        // cycle; pieces of different cycles lie a period apart or more.
        ASSERT_EQ(sentAt.size(), oneCycle ? 5u : 6u);
        if (oneCycle) {
            EXPECT_EQ(sentAt.back() - sentAt.front(), 4u);
            EXPECT_THAT(events, ElementsAre(Event{MIM_DATA, 0x403C90}, Event{MIM_LONGDATA, 600},
                                            Event{MIM_DATA, 0x003C80}));
        } else {
            EXPECT_GE(sentAt[2] - sentAt[1], peer->BufferSize() / 2);
            EXPECT_GE(sentAt[4] - sentAt[3], peer->BufferSize() / 2);
            // The clock byte that came amid the SysEx is passed on at once.
            EXPECT_THAT(events, ElementsAre(Event{MIM_DATA, 0x403C90}, Event{MIM_DATA, 0xF8},
                                            Event{MIM_LONGDATA, 600}, Event{MIM_DATA, 0x003C80}));
        }
    }
}

TEST_F(JackTest, ABurstLargerThanOneCyclesBufferArrivesWholeOverSeveralCycles)
{
    ports->lists.OnOutputSelect(peerIn);
    ASSERT_NE(ports->session.Port(PortKind::Output).OutputPort(), nullptr);
    controls.Reset();
    // 100 KB: more than a port's queue and three times what JACK's buffer
    // takes in one cycle.
    std::vector<Bytes> frames;
    for (uint8_t i = 0; i < 100; ++i)
        frames.push_back(SysEx(1000, i));
    std::vector<CMidiJackPeer::Received> got;
    Exchanging([&] {
        for (const Bytes& f : frames)
            ports->session.Transmitter().SendSysEx(static_cast<int32_t>(f.size()) - 2, f.data());
        EXPECT_TRUE(ports->session.Transmitter().WaitUntilSent(20s));
        got = peer->Take(frames.size(), 10s);
        return OutcomeOf(got, frames.size());
    });
    ASSERT_EQ(got.size(), frames.size());
    std::set<uint32_t> cycles;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(got[i].bytes, frames[i]) << "frame " << i;
        cycles.insert(got[i].frame / peer->BufferSize());
    }
    EXPECT_GE(cycles.size(), 3u);
    ports->session.Transmitter().ReportFailures();
    EXPECT_THAT(controls.lines, ::testing::IsEmpty());
}

TEST_F(JackTest, ThruNotesLeaveInTheCycleTheyCameInAtTheSameFrame)
{
    // Source and sink are separate clients, as a keyboard and a synthesiser
    // are: one client at both ends would close a loop, which JACK runs a
    // cycle late whatever our part.
    CMidiJackPeer source(UniqueName("zmsource"), {});
    CMidiJackPeer sink(UniqueName("zmsink"), {"direct_in", "thru_in"});
    ASSERT_TRUE(source.Connect(source.PortName("out"), sink.PortName("direct_in")));
    ListAgain();
    ports->lists.OnInputSelect(FindDevice(*platform, true, source.PortName("out")));
    ports->lists.OnThruSelect(FindDevice(*platform, false, sink.PortName("thru_in")));
    ASSERT_NE(ports->session.Port(PortKind::Input).InputPort(), nullptr);
    ASSERT_NE(ports->session.Port(PortKind::Thru).OutputPort(), nullptr);
    sink.Take(1, 2s);  // the program change sent on opening

    // Single notes and groups sharing a cycle, each note its own number.
    std::vector<std::vector<Bytes>> groups;
    uint8_t note = 0;
    for (int i = 0; i < 10; ++i) {
        std::vector<Bytes> group;
        for (int n = 0; n < 1 + i % 4; ++n, ++note)
            group.push_back({0x90, note, 0x40});
        groups.push_back(group);
    }
    std::map<uint8_t, uint32_t> direct;
    std::map<uint8_t, uint32_t> thru;
    Exchanging([&] {
        direct.clear();
        thru.clear();
        for (const auto& group : groups) {
            source.SendTogether(group);
            source.TakeSent(group.size(), 2s);
        }
        for (const auto& r : sink.Take(2 * note, 5s))
            (r.port == 0 ? direct : thru)[r.bytes[1]] = r.frame;
        return direct.size() == note && direct == thru ? kComplete
            : direct.empty() && thru.empty()           ? kNothing
                                                       : kPartial;
    });
    ASSERT_EQ(direct.size(), note);
    EXPECT_EQ(thru, direct);
}

TEST_F(JackTest, ClosingPortsWhileNotesFlowIsSafeAndNeverRepeatsANote)
{
    ports->lists.OnInputSelect(peerOut);
    ports->lists.OnOutputSelect(peerIn);
    const int simIn = platform->InputDeviceCount() - 1;
    const int simOut = platform->OutputDeviceCount() - 1;
    std::atomic<bool> streaming{true};
    std::thread stream([&] {
        // A running count in the note's two data bytes: every note unique.
        for (uint32_t n = 0; streaming.load() && n < 16384; ++n) {
            peer->Send({0x91, static_cast<uint8_t>(n >> 7), static_cast<uint8_t>(n & 0x7F)});
            std::this_thread::sleep_for(500us);
        }
    });
    const Bytes frame = SysEx(300, 9);
    for (int i = 0; i < 15; ++i) {
        ports->lists.OnThruSelect(peerThru);  // on
        for (int f = 0; f < 5; ++f)
            ports->session.Transmitter().SendSysEx(static_cast<int32_t>(frame.size()) - 2, frame.data());
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + i % 4 * 10));
        ports->lists.OnThruSelect(peerThru);  // off, while notes come in
        if (i % 3 == 0) {
            ports->lists.OnInputSelect(simIn);
            ports->lists.OnInputSelect(peerOut);
        }
        if (i % 4 == 0) {
            ports->lists.OnOutputSelect(simOut);  // closes ours while frames may be queued
            ports->lists.OnOutputSelect(peerIn);
        }
        TakeEvents();
        rings.sysex.Advance(rings.sysex.Unread());
    }
    streaming = false;
    stream.join();

    uint32_t previous = 0;
    bool first = true;
    size_t forwarded = 0;
    for (const auto& r : peer->Take(0, 300ms)) {
        if (r.port != 1 || r.bytes.size() != 3 || r.bytes[0] != 0x91)
            continue;  // frames, greetings
        const uint32_t n = uint32_t{r.bytes[1]} << 7 | r.bytes[2];
        EXPECT_TRUE(first || n > previous) << "note " << n << " after " << previous;
        previous = n;
        first = false;
        ++forwarded;
    }
    EXPECT_GT(forwarded, 0u);

    // Everything still works afterwards.
    ports->lists.OnThruSelect(peerThru);
    std::vector<CMidiJackPeer::Received> after;
    Exchanging([&] {
        peer->Take(0, 0ms);
        peer->Send({0x92, 0x11, 0x22});
        after = peer->Take(2, 2s);  // the program change, then the note
        std::erase_if(after, [](const auto& r) { return r.bytes != Bytes{0x92, 0x11, 0x22}; });
        return OutcomeOf(after, 1);
    });
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].port, 1);
}

TEST_F(JackTest, AClosedPortLetsGoOfItsDeviceAndServesTheNextOpen)
{
    // libjack walks a client's ports on its notification thread, unguarded,
    // whenever any client changes the graph; a port unregistered meanwhile
    // crashes that thread. So closing only cuts the connection, and the
    // JACK port stays ours for the next open, however often it happens.
    const int simIn = platform->InputDeviceCount() - 1;
    const int simOut = platform->OutputDeviceCount() - 1;
    std::vector<std::string> ours;
    for (int round = 0; round <= static_cast<int>(CJackClient::kMaxPorts); ++round) {
        ports->lists.OnInputSelect(peerOut);
        ports->lists.OnOutputSelect(peerIn);
        ASSERT_TRUE(ports->session.Port(PortKind::Input).InputPort() && ports->session.Port(PortKind::Output).OutputPort())
            << round;
        const auto feeding = peer->ConnectionsOf("out");
        const auto fed = peer->ConnectionsOf("in");
        ASSERT_EQ(feeding.size(), 1u) << round;
        ASSERT_EQ(fed.size(), 1u) << round;
        if (round == 0)
            ours = {feeding[0], fed[0]};
        EXPECT_EQ(std::vector<std::string>({feeding[0], fed[0]}), ours) << round;

        ports->lists.OnInputSelect(simIn);
        ports->lists.OnOutputSelect(simOut);
        EXPECT_THAT(peer->ConnectionsOf("out"), testing::IsEmpty()) << round;
        EXPECT_THAT(peer->ConnectionsOf("in"), testing::IsEmpty()) << round;
        EXPECT_THAT(peer->PortsOf(ours[0].substr(0, ours[0].find(':'))), testing::UnorderedElementsAreArray(ours))
            << round;
    }
}

TEST(JackServer, GoingAwayMidSessionGivesErrorLinesAndNoHang)
{
    // A server of our own, so that stopping it disturbs no other test.
    CPrivateJackServer server("zmgone");
    ASSERT_TRUE(server.Started());
    {
        CMidiJackPeer peer("zmgone-peer", {"in"});
        auto platform = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = true});
        CaptureRings rings;
        CRecordingControls controls;
        PortRig ports(*platform, rings, controls);
        const int in = FindDevice(*platform, true, peer.PortName("out"));
        const int out = FindDevice(*platform, false, peer.PortName("in"));
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        ports.lists.OnInputSelect(in);
        ports.lists.OnOutputSelect(out);
        ports.lists.OnThruSelect(platform->OutputDeviceCount() - 1);  // the simulator

        ASSERT_TRUE(server.Stop());
        std::this_thread::sleep_for(200ms);

        controls.Reset();
        const Bytes frame = {0xF0, 0x09, 0x2A, 0xF7};
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 2000; ++i)  // far more than JACK's ring holds
            ports.session.Transmitter().SendSysEx(2, frame.data());
        EXPECT_TRUE(ports.session.Transmitter().WaitUntilSent(10s));
        ports.session.Transmitter().ReportFailures();
        ASSERT_FALSE(controls.lines.empty());
        EXPECT_EQ(controls.lines.front(), "midiOutLongMsg        The MIDI system is not running.");

        controls.Reset();
        ports.lists.OnOutputSelect(out);  // nothing changes: it is open
        ports.lists.OnInputSelect(platform->InputDeviceCount() - 1);
        // A JACK device chosen now is refused at once, not waited for.
        ports.lists.OnInputSelect(in);
        EXPECT_THAT(controls.lines, Contains("midiInOpen            The MIDI system is not running."));
        ports.session.Teardown();
        EXPECT_THAT(controls.lines, Contains("midiOutClose           No error."));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
        peer.Close();
    }
}

TEST_F(JackTest, ADeviceThatGoesIsClosedOnceAndReopenedByNameWhenItComesBack)
{
    const std::string source = peer->PortName("out");
    const std::string sink = peer->PortName("in");
    const std::string client = source.substr(0, source.find(':'));
    ports->lists.EnumerateMidiPorts();
    ports->lists.OnInputSelect(peerOut);
    ports->lists.OnOutputSelect(peerIn);
    controls.Reset();

    peer->Close();  // unplugged
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (controls.lines.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        ports->lists.CheckDevices();
        std::this_thread::sleep_for(5ms);
    }
    ports->lists.CheckDevices();
    EXPECT_THAT(controls.lines, testing::UnorderedElementsAre("Midi Input Port closed: " + source + " is gone",
                                                              "Midi Out Port closed: " + sink + " is gone"));
    controls.Reset();
    const Bytes frame = {0xF0, 0x09, 0x2A, 0xF7};
    for (int i = 0; i < 10; ++i)
        ports->session.Transmitter().SendSysEx(2, frame.data());
    ports->session.Transmitter().ReportFailures();
    ports->lists.CheckDevices();
    EXPECT_THAT(controls.lines, testing::IsEmpty());

    // Back under its name, after another client that now comes first.
    CMidiJackPeer other(UniqueName("zmother"), {"in"});
    peer = std::make_unique<CMidiJackPeer>(client, std::vector<std::string>{"in", "thru_in"});
    ASSERT_EQ(peer->PortName("out"), source);
    ports->lists.Rescan();
    const CMidiPort& input = ports->session.Port(PortKind::Input);
    const CMidiPort& output = ports->session.Port(PortKind::Output);
    ASSERT_TRUE(input.Status() == PortStatus::Open && output.Status() == PortStatus::Open);
    EXPECT_EQ(platform->InputDeviceName(input.Index()), source);
    EXPECT_EQ(platform->OutputDeviceName(output.Index()), sink);
    ASSERT_EQ(controls.lines.size(), 5u);
    EXPECT_THAT(controls.lines[0], testing::StartsWith("MIDI ports listed again: "));
    EXPECT_THAT(std::vector<std::string>(controls.lines.begin() + 1, controls.lines.end()),
                ElementsAre(source, std::to_string(output.Index()), "midiOutOpen           No error.", sink));

    // The reopened ports carry data again, both ways.
    const Bytes reply = SysEx(12, 5);
    Exchanging([&] {
        received.clear();
        peer->Send(reply);
        return OutcomeOf(WaitForBytes(reply.size()), reply.size());
    });
    EXPECT_EQ(received, reply);
    ports->session.Transmitter().SendSysEx(2, frame.data());
    const auto arrived = peer->Take(1, 5s);
    ASSERT_FALSE(arrived.empty());
    EXPECT_EQ(arrived[0].bytes, frame);
    ports->session.Teardown();
}
