// Port selection rules and the exact lines of the lists and the ports,
// against the fake platform.
#include "FakeMidiPlatform.h"
#include "RecordingControls.h"
#include "editors/PortLists.h"
#include "res/resource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kNoError = "No error.";

class PortListsTest : public ::testing::Test {
protected:
    CFakeMidiPlatform platform{{"In A", "In B", "In C"}, {"Out A", "Out B", "Out C"}};
    CaptureRings rings;
    CRecordingControls controls;
    int transfers = 0;
    CPortSession session{platform, rings, controls};
    CPortLists ports{controls, session, [this] { ++transfers; }};

    std::vector<std::string> TakeLines()
    {
        auto lines = controls.lines;
        controls.Reset();
        return lines;
    }

    //! Event kinds recorded since the last call.
    std::vector<uint32_t> TakeEventKinds()
    {
        std::vector<uint32_t> kinds;
        const uint32_t n = rings.events.Unread();
        for (uint32_t i = 0; i < n; ++i)
            kinds.push_back(rings.events.SlotAt(rings.events.readCount.load() + i).kind);
        rings.events.Advance(n);
        return kinds;
    }
};

} // namespace

TEST_F(PortListsTest, ListsDevicesInDeviceOrderAndSeedsNamesOfDeviceZero)
{
    ports.EnumerateMidiPorts();
    EXPECT_THAT(controls.listLines[IDC_MIDI_IN_LIST], ElementsAre("In A", "In B", "In C"));
    EXPECT_THAT(controls.listLines[IDC_MIDI_OUT_LIST], ElementsAre("Out A", "Out B", "Out C"));
    EXPECT_THAT(controls.listLines[IDC_MIDI_THRU_LIST], ElementsAre("Out A", "Out B", "Out C"));
    EXPECT_EQ(session.InputDeviceCount(), 3);
    EXPECT_EQ(session.Port(PortKind::Input).Name(), "In A");
    EXPECT_EQ(session.Port(PortKind::Output).Name(), "Out A");
    EXPECT_THAT(controls.lines, IsEmpty());
}

TEST_F(PortListsTest, FirstClickOnInputZeroOpensItAndQueuesTheReceiveBuffer)
{
    ports.OnInputSelect(0);
    EXPECT_THAT(TakeLines(), ElementsAre("In A"));
    EXPECT_THAT(platform.Calls(), ElementsAre("open in0", "start in0"));
    EXPECT_TRUE(session.Port(PortKind::Input).CountsAsOpen());
    EXPECT_TRUE(session.Capture().ReceiveHeader().flags & MHDR_INQUEUE);
    EXPECT_THAT(TakeEventKinds(), ElementsAre(MIM_OPEN));

    ports.OnInputSelect(0);  // same device, already open: nothing
    EXPECT_THAT(TakeLines(), IsEmpty());
    EXPECT_EQ(platform.Calls().size(), 2u);
}

TEST_F(PortListsTest, SwitchingInputReleasesTheBufferSilentlyAndReportsTheRelease)
{
    ports.OnInputSelect(0);
    TakeLines();
    TakeEventKinds();

    ports.OnInputSelect(2);
    EXPECT_THAT(TakeLines(), ElementsAre("In C"));
    EXPECT_THAT(platform.Calls(), ElementsAre("open in0", "start in0", "reset in0", "stop in0", "close in0",
                                              "open in2", "start in2"));
    // The reset hands the buffer back empty; the callback releases it and
    // leaves the release result for the decoder's report.
    const uint32_t r = rings.events.readCount.load();
    ASSERT_EQ(rings.events.Unread(), 3u);
    EXPECT_EQ(rings.events.SlotAt(r).kind, uint32_t{MIM_LONGDATA});
    EXPECT_EQ(rings.events.SlotAt(r).param1, 0u);
    EXPECT_STREQ(rings.events.SlotAt(r).text, kNoError.c_str());
    EXPECT_EQ(rings.events.SlotAt(r + 1).kind, uint32_t{MIM_CLOSE});
    EXPECT_EQ(rings.events.SlotAt(r + 2).kind, uint32_t{MIM_OPEN});
    EXPECT_TRUE(rings.inputResetting.load());
    EXPECT_EQ(rings.sysex.Unread(), 0u);
    EXPECT_TRUE(session.Capture().ReceiveHeader().flags & MHDR_INQUEUE);  // queued on the new input
    EXPECT_EQ(session.Port(PortKind::Input).Index(), 2);
}

TEST_F(PortListsTest, FailedInputOpenLogsEachFailingStepAndStillCountsAsOpen)
{
    platform.failOpen["in1"] = MIDI_ERR_DEVICEGONE;
    ports.OnInputSelect(1);
    EXPECT_THAT(TakeLines(), ElementsAre("midiInOpen            The MIDI device is no longer present.",
                                         "midiInStart           The MIDI port is not open.",
                                         "midiInPrepareHeader   The MIDI port is not open.",
                                         "midiInAddBuffer       The MIDI port is not open.",
                                         "In B"));
    EXPECT_EQ(transfers, 2);  // bound texts rewritten after each buffer failure
    EXPECT_TRUE(session.Port(PortKind::Input).CountsAsOpen());

    ports.OnInputSelect(1);  // counts as open: nothing happens
    EXPECT_THAT(TakeLines(), IsEmpty());

    ports.OnInputSelect(0);  // another entry closes the failed one and opens
    EXPECT_THAT(TakeLines(), ElementsAre("In A"));
    EXPECT_NE(platform.liveInput, nullptr);
    // No buffer was queued on the failed input, so nothing announces a release.
    EXPECT_FALSE(rings.inputResetting.load());
}

TEST_F(PortListsTest, OutputSelectionLogsNumberCloseOpenAndName)
{
    ports.OnOutputSelect(0);
    EXPECT_THAT(TakeLines(), ElementsAre("0", "midiOutOpen           " + kNoError, "Out A"));
    ports.OnOutputSelect(0);
    EXPECT_THAT(TakeLines(), IsEmpty());
    ports.OnOutputSelect(2);
    EXPECT_THAT(TakeLines(), ElementsAre("2", "midiOutClose           " + kNoError,
                                         "midiOutOpen           " + kNoError, "Out C"));
    EXPECT_EQ(session.Port(PortKind::Output).Index(), 2);
    EXPECT_EQ(session.Port(PortKind::Output).Name(), "Out C");
}

TEST_F(PortListsTest, OutputAndThruRefuseTheDeviceTheOtherHolds)
{
    ports.OnOutputSelect(1);
    ports.OnThruSelect(2);
    TakeLines();

    ports.OnOutputSelect(2);
    EXPECT_THAT(controls.calls, ElementsAre("Midi port # 2 Already in use as Thru/Output",
                                            "@" + std::to_string(IDC_MIDI_OUT_LIST) + " select 1"));
    controls.Reset();
    ports.OnThruSelect(1);
    EXPECT_THAT(controls.calls, ElementsAre("Midi port # 1 Already in use as output",
                                            "@" + std::to_string(IDC_MIDI_THRU_LIST) + " select 2"));
    EXPECT_EQ(session.Port(PortKind::Output).Index(), 1);
    EXPECT_EQ(session.Port(PortKind::Thru).Index(), 2);
}

TEST_F(PortListsTest, ClickingTheOpenThruDeviceTogglesItAndEachOpenSendsTheProgramChange)
{
    ports.OnThruSelect(1);
    EXPECT_THAT(TakeLines(), ElementsAre("MidiThruOutOpen           " + kNoError));
    ASSERT_EQ(platform.liveOutputs.count(1), 1u);
    EXPECT_THAT(platform.liveOutputs[1]->Sent(), ElementsAre(std::vector<uint8_t>{0xC2, 0x03}));

    ports.OnThruSelect(1);
    EXPECT_THAT(controls.calls, ElementsAre("MidiThruOutClose           " + kNoError,
                                            "@" + std::to_string(IDC_MIDI_THRU_LIST) + " select -1"));
    EXPECT_FALSE(session.Port(PortKind::Thru).CountsAsOpen());
    controls.Reset();

    ports.OnThruSelect(1);
    EXPECT_THAT(TakeLines(), ElementsAre("MidiThruOutOpen           " + kNoError));
    EXPECT_THAT(platform.liveOutputs[1]->Sent(), ElementsAre(std::vector<uint8_t>{0xC2, 0x03}));

    ports.OnThruSelect(0);  // another device: close, then open, no name line
    EXPECT_THAT(TakeLines(), ElementsAre("MidiThruOutClose           " + kNoError,
                                         "MidiThruOutOpen           " + kNoError));
    EXPECT_EQ(session.Port(PortKind::Thru).Name(), "Out A");
}

TEST_F(PortListsTest, FailedOutputOpenCountsAsOpenUntilAnotherEntryIsChosen)
{
    struct Case {
        const char* name;
        bool thru;
    };
    for (const Case& c : {Case{"output", false}, Case{"thru", true}}) {
        SCOPED_TRACE(c.name);
        CFakeMidiPlatform fake{{"In"}, {"Out A", "Out B"}};
        CaptureRings localRings;
        CRecordingControls log;
        CPortSession localSession(fake, localRings, log);
        CPortLists local(log, localSession, {});
        fake.failOpen["out0"] = MIDI_ERR_OPENFAILED;
        auto select = [&](int n) { c.thru ? local.OnThruSelect(n) : local.OnOutputSelect(n); };
        const std::string open = c.thru ? "MidiThruOutOpen           " : "midiOutOpen           ";

        select(0);
        std::vector<std::string> expected = {open + "The MIDI system could not open the device."};
        if (!c.thru)
            expected = {"0", expected[0], "Out A"};
        EXPECT_EQ(log.lines, expected);
        log.Reset();

        if (!c.thru) {
            select(0);  // counts as open
            EXPECT_THAT(log.lines, IsEmpty());
        }
        select(1);  // nothing to close: the new device opens
        expected = {open + kNoError};
        if (!c.thru)
            expected = {"1", expected[0], "Out B"};
        EXPECT_EQ(log.lines, expected);
        EXPECT_EQ(fake.liveOutputs.count(1), 1u);
    }
}

TEST_F(PortListsTest, TeardownClosesEverythingAndARepeatOnlyAddsFailureLines)
{
    ports.OnInputSelect(1);
    ports.OnOutputSelect(0);
    ports.OnThruSelect(2);
    TakeLines();

    session.Teardown();
    EXPECT_THAT(TakeLines(), ElementsAre("midiOutClose           " + kNoError, "MidiThruOutClose           " + kNoError));
    EXPECT_TRUE(session.Port(PortKind::Input).CountsAsOpen());  // the input mark stays set
    EXPECT_FALSE(session.Port(PortKind::Output).CountsAsOpen());
    EXPECT_FALSE(session.Port(PortKind::Thru).CountsAsOpen());
    EXPECT_EQ(platform.liveInput, nullptr);
    EXPECT_TRUE(rings.inputResetting.load());

    session.Teardown();
    EXPECT_THAT(TakeLines(), ElementsAre("midiOutClose failed THIS may be BAD", "MidiThruOutClose failed THIS may be BAD"));
}

TEST_F(PortListsTest, AFailedCloseKeepsThePortOpenAndInUse)
{
    ports.OnOutputSelect(0);
    ports.OnThruSelect(1);
    platform.liveOutputs[0]->closeResult = MIDI_ERR_BUSY;
    platform.liveOutputs[1]->closeResult = MIDI_ERR_BUSY;
    TakeLines();

    ports.OnOutputSelect(2);
    EXPECT_THAT(TakeLines(), ElementsAre("2", "midiOutClose failed THIS may be BAD",
                                         "midiOutOpen called when already open THIS IS BAD but protected now ",
                                         "Out C"));
    EXPECT_TRUE(session.Port(PortKind::Output).CountsAsOpen());
    // Frames still go to the port that stayed open.
    const uint8_t frame[] = {0xF0, 0x09, 0x1A, 0xF7};
    session.Transmitter().SendSysEx(2, frame);
    ASSERT_TRUE(session.Transmitter().WaitUntilSent(std::chrono::seconds(5)));
    EXPECT_THAT(platform.liveOutputs[0]->Sent(), ElementsAre(std::vector<uint8_t>(frame, frame + 4)));

    ports.OnThruSelect(1);
    EXPECT_THAT(TakeLines(), ElementsAre("MidiThruOutClose failed THIS may be BAD"));
    EXPECT_TRUE(session.Port(PortKind::Thru).CountsAsOpen());
    platform.liveOutputs[0]->closeResult = MIDI_OK;
    platform.liveOutputs[1]->closeResult = MIDI_OK;
}

TEST_F(PortListsTest, OpeningAnOpenPortDirectlyIsRefusedWithItsLine)
{
    ports.OnInputSelect(0);
    ports.OnOutputSelect(0);
    ports.OnThruSelect(1);
    TakeLines();
    session.OpenInputPort();
    session.OpenOutputPort();
    session.OpenThruPort();
    EXPECT_THAT(TakeLines(), ElementsAre("midiInOpen called when already open THIS IS BAD but protected now ",
                                         "midiOutOpen called when already open THIS IS BAD but protected now ",
                                         "MidiThruOutOpen called when already open THIS IS BAD but protected now "));
}

TEST_F(PortListsTest, FramesFollowTheCurrentOutput)
{
    const uint8_t first[] = {0xF0, 0x09, 0x2A, 0xF7};
    const uint8_t second[] = {0xF0, 0x09, 0x1B, 0xF7};
    session.Transmitter().SendSysEx(2, first);  // no output yet: goes nowhere, no line
    EXPECT_THAT(controls.lines, IsEmpty());

    ports.OnOutputSelect(0);
    session.Transmitter().SendSysEx(2, first);
    ASSERT_TRUE(session.Transmitter().WaitUntilSent(std::chrono::seconds(5)));
    ports.OnOutputSelect(1);
    session.Transmitter().SendSysEx(2, second);
    ASSERT_TRUE(session.Transmitter().WaitUntilSent(std::chrono::seconds(5)));

    EXPECT_THAT(platform.liveOutputs[1]->Sent(), ElementsAre(std::vector<uint8_t>(second, second + 4)));
    EXPECT_EQ(session.Transmitter().FramesSent(), 2u);
}

TEST_F(PortListsTest, NegativeSelectionDoesNothing)
{
    ports.OnInputSelect(-1);
    ports.OnOutputSelect(-1);
    ports.OnThruSelect(-1);
    EXPECT_THAT(controls.calls, IsEmpty());
    EXPECT_THAT(platform.Calls(), IsEmpty());
}

// ---- devices that come and go ---------------------------------------------------

TEST_F(PortListsTest, AGoneDeviceIsClosedOnceAndRequestsAfterwardsGoNowhereWithoutALineEach)
{
    ports.EnumerateMidiPorts();
    ports.OnInputSelect(1);
    ports.OnOutputSelect(0);
    ports.OnThruSelect(2);
    TakeLines();
    TakeEventKinds();
    const uint8_t frame[] = {0xF0, 0x09, 0x2A, 0xF7};

    // Unplugged: the MIDI stack refuses every frame until someone notices.
    platform.gone = {"In B", "Out A"};
    platform.liveOutputs[0]->sendResult = MIDI_ERR_SENDFAILED;
    session.Transmitter().SendSysEx(2, frame);
    ASSERT_TRUE(session.Transmitter().WaitUntilSent(std::chrono::seconds(5)));
    // Two timer ticks' worth: send failures first, then the devices.
    for (int tick = 0; tick < 2; ++tick) {
        session.Transmitter().ReportFailures();
        ports.CheckDevices();
    }
    EXPECT_THAT(TakeLines(), ElementsAre("midiOutLongMsg        The MIDI system could not send the message.",
                                         "Midi Input Port closed: In B is gone",
                                         "Midi Out Port closed: Out A is gone"));
    EXPECT_FALSE(session.Port(PortKind::Input).CountsAsOpen());
    EXPECT_EQ(session.Port(PortKind::Input).InputPort(), nullptr);
    EXPECT_FALSE(session.Port(PortKind::Output).CountsAsOpen());
    EXPECT_TRUE(session.Port(PortKind::Thru).CountsAsOpen());
    EXPECT_THAT(TakeEventKinds(), IsEmpty()) << "the buffer went with the device: no release to report";
    EXPECT_FALSE(rings.inputResetting.load());

    for (int i = 0; i < 3; ++i)
        session.Transmitter().SendSysEx(2, frame);
    session.Transmitter().ReportFailures();
    EXPECT_THAT(TakeLines(), IsEmpty());
    // Still the user's choice: for a rescan, and for the next start.
    EXPECT_EQ(ports.Chosen(), (ChosenPorts{"In B", "Out A", "Out C"}));
}

TEST_F(PortListsTest, RescanFindsEveryPortByNameAndReopensAChoiceWhoseDeviceCameBack)
{
    ports.EnumerateMidiPorts();
    ports.OnInputSelect(1);    // In B
    ports.OnOutputSelect(1);   // Out B
    platform.failOpen["out2"] = MIDI_ERR_OPENFAILED;
    ports.OnThruSelect(2);     // Out C, which fails to open
    platform.failOpen.clear();
    platform.gone = {"Out B"};
    ports.CheckDevices();
    TakeLines();

    // Back; a new device shifts the inputs. The failed thru/out device
    // keeps its number: choosing it again is no click on an open port.
    platform.gone.clear();
    platform.nextListing = {{"New In", "In A", "In C", "In B"}, {"Twin", "Out B", "Out C", "Twin"}};
    ports.Rescan();
    EXPECT_THAT(controls.listLines[IDC_MIDI_IN_LIST], ElementsAre("New In", "In A", "In C", "In B"));
    EXPECT_THAT(controls.listLines[IDC_MIDI_THRU_LIST], ElementsAre("Twin", "Out B", "Out C", "Twin"));
    EXPECT_EQ(session.Port(PortKind::Input).Index(), 3) << "the open input kept, only renumbered";
    EXPECT_EQ(session.Port(PortKind::Output).Index(), 1);
    EXPECT_TRUE(session.Port(PortKind::Thru).OutputPort());
    EXPECT_EQ(controls.selections[IDC_MIDI_IN_LIST], 3);
    EXPECT_EQ(controls.selections[IDC_MIDI_OUT_LIST], 1);
    EXPECT_EQ(controls.selections[IDC_MIDI_THRU_LIST], 2);
    EXPECT_THAT(platform.Calls(), ::testing::Not(::testing::Contains("open in3")));
    EXPECT_THAT(TakeLines(), ElementsAre("MIDI ports listed again: 4 input(s), 4 output(s)", "1",
                                         "midiOutOpen           " + kNoError, "Out B",
                                         "MidiThruOutOpen           " + kNoError));

    // The output goes again, and two devices now carry its name: which one
    // it was cannot be told, so neither is opened. The thru/out device is no
    // longer listed at all.
    platform.gone = {"Out B"};
    platform.nextListing = {{"In B"}, {"Out B", "Out B", "Out D"}};
    ports.Rescan();
    EXPECT_EQ(session.Port(PortKind::Input).Index(), 0);
    EXPECT_TRUE(session.Port(PortKind::Input).CountsAsOpen());
    EXPECT_EQ(controls.selections[IDC_MIDI_OUT_LIST], -1);
    EXPECT_EQ(controls.selections[IDC_MIDI_THRU_LIST], -1);
    EXPECT_FALSE(session.Port(PortKind::Thru).CountsAsOpen());
    EXPECT_THAT(TakeLines(), ElementsAre("Midi Out Port closed: Out B is gone",
                                         "MIDI ports listed again: 1 input(s), 3 output(s)",
                                         "Midi Out Port not reopened: more than one device is called Out B",
                                         "Midi Thru/Out Port closed: Out C is gone"));
    EXPECT_EQ(ports.Chosen(), (ChosenPorts{"In B", "Out B", "Out C"}));
}

TEST_F(PortListsTest, RememberedPortsOpenAsClicksAndAMissingOneIsReportedInOneLine)
{
    ports.EnumerateMidiPorts();
    ports.ReopenPorts({"In C", "Out Z", "Out A"});
    EXPECT_EQ(controls.selections[IDC_MIDI_IN_LIST], 2);
    EXPECT_EQ(controls.selections[IDC_MIDI_OUT_LIST], -1);
    EXPECT_EQ(controls.selections[IDC_MIDI_THRU_LIST], 0);
    EXPECT_THAT(TakeLines(), ElementsAre("In C", "Midi Out Port not reopened: Out Z is not there",
                                         "MidiThruOutOpen           " + kNoError));
    EXPECT_THAT(platform.Calls(), ElementsAre("open in2", "start in2", "open out0"));
    EXPECT_EQ(ports.Chosen(), (ChosenPorts{"In C", "", "Out A"}));
}

// Every port, the input and the two outputs alike, moves through the same
// states on the same steps.
TEST(PortStates, EachStepMovesEveryKindOfPortAlike)
{
    enum class Step { Open, FailingOpen, Close, DeviceGoes, DeviceBack, MarkLost };
    struct Case {
        const char* name;
        std::vector<std::pair<Step, PortStatus>> steps;
    };
    const Case cases[] = {
        {"opened and closed", {{Step::Open, PortStatus::Open}, {Step::Close, PortStatus::Closed}}},
        {"a failed open stands until closed",
         {{Step::FailingOpen, PortStatus::OpenFailed}, {Step::Open, PortStatus::OpenFailed},
          {Step::Close, PortStatus::Closed}, {Step::Open, PortStatus::Open}}},
        {"a gone device loses the port until it opens again",
         {{Step::Open, PortStatus::Open}, {Step::DeviceGoes, PortStatus::Lost}, {Step::Close, PortStatus::Lost},
          {Step::DeviceBack, PortStatus::Lost}, {Step::Open, PortStatus::Open}}},
        {"a failed choice is lost on a rescan", {{Step::FailingOpen, PortStatus::OpenFailed},
                                                {Step::MarkLost, PortStatus::Lost}, {Step::Open, PortStatus::Open}}},
        {"an open port is never marked lost", {{Step::Open, PortStatus::Open}, {Step::MarkLost, PortStatus::Open}}},
    };
    for (PortKind kind : {PortKind::Input, PortKind::Output, PortKind::Thru}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(PortTitle(kind)) + ": " + c.name);
            CFakeMidiPlatform fake{{"In"}, {"Out"}};
            CaptureRings rings;
            CRecordingControls log;
            CPortSession session(fake, rings, log);
            const std::string device = kind == PortKind::Input ? "in0" : "out0";
            const std::string name = kind == PortKind::Input ? "In" : "Out";
            for (const auto& [step, status] : c.steps) {
                switch (step) {
                case Step::FailingOpen:
                    fake.failOpen[device] = MIDI_ERR_OPENFAILED;
                    [[fallthrough]];
                case Step::Open:
                    kind == PortKind::Input ? session.OpenInputPort()
                                            : kind == PortKind::Output ? session.OpenOutputPort() : session.OpenThruPort();
                    fake.failOpen.erase(device);
                    break;
                case Step::Close:
                    kind == PortKind::Input ? session.CloseInputPort()
                                            : kind == PortKind::Output ? session.CloseOutputPort() : session.CloseThruPort();
                    break;
                case Step::DeviceGoes: fake.gone.insert(name); session.CheckDevices(); break;
                case Step::DeviceBack: fake.gone.erase(name); break;
                case Step::MarkLost: session.MarkLost(kind); break;
                }
                EXPECT_EQ(session.Port(kind).Status(), status) << static_cast<int>(step);
            }
        }
    }
}
