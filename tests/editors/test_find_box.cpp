// "Find ZM1 box" through the main window's editors, against the simulated
// box among a MIDI through port (an echo) and a synthesiser: what the
// message window shows and which ports are open afterwards, from each
// starting point. The decoder runs on every tick, so an answer to the
// search that reached it would show as a line.
#include "DeviceRow.h"
#include "RecordingControls.h"
#include "editors/MainEditors.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string kOpened = "midiOutOpen           No error.";
const std::string kClosed = "midiOutClose           No error.";
const std::string kFound = "ZM1 box found: input \"ZM1 Simulator\", output \"ZM1 Simulator\"";

//! The main window's editors over the three devices.
struct Window {
    CRecordingControls controls;
    CMainEditors editors{controls, MakeDeviceRow({{"Midi Through", DeviceKind::Echo},
                                                  {"Synth", DeviceKind::Silent},
                                                  {"ZM1 Simulator", DeviceKind::Box}})};

    void Choose(int list, int device)
    {
        if (device >= 0)
            editors.OnListSelChange(list, device);
    }

    //! Ticks as the window's timer does until the search is over, then
    //! lets the decoder see whatever else came in.
    void TickToEnd()
    {
        const auto giveUp = std::chrono::steady_clock::now() + 10s;
        while (editors.FindBox().Running() && std::chrono::steady_clock::now() < giveUp) {
            editors.Tick();
            std::this_thread::sleep_for(1ms);
        }
        std::this_thread::sleep_for(20ms);
        editors.Tick();
    }

    //! The device open for `kind`, or -1.
    int Open(PortKind kind)
    {
        const CMidiPort& port = editors.Ports().Port(kind);
        return port.Status() == PortStatus::Open ? port.Index() : -1;
    }
};

} // namespace

TEST(FindBox, EachStartingPointEndsWithOneLineAndThePortsItNames)
{
    struct Case {
        const char* what;
        int input, output, thru;  //!< chosen before the search; -1: none
        bool includeThru;
        Lines lines;
        int endInput, endOutput, endThru;
    };
    const Case cases[] = {
        {"nothing chosen", -1, -1, -1, false, {"ZM1 Simulator", "2", kOpened, "ZM1 Simulator", kFound}, 2, 2, -1},
        {"the box chosen already: its ports stay open", 2, 2, -1, false, {kFound}, 2, 2, -1},
        {"decoys chosen: the box's ports replace them", 0, 1, -1, false,
         {"ZM1 Simulator", "2", kClosed, kOpened, "ZM1 Simulator", kFound}, 2, 2, -1},
        {"thru open on the box: left alone", 0, 1, 2, false,
         {"No ZM1 box found: no answer on \"Synth\", \"Midi Through\"; thru/out \"ZM1 Simulator\" not tried"}, 0, 1,
         2},
        {"thru included when asked: switched off for the box", 0, 1, 2, true,
         {"MidiThruOutClose           No error.", "ZM1 Simulator", "2", kClosed, kOpened, "ZM1 Simulator", kFound},
         2, 2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window window;
        window.Choose(IDC_MIDI_IN_LIST, c.input);
        window.Choose(IDC_MIDI_OUT_LIST, c.output);
        window.Choose(IDC_MIDI_THRU_LIST, c.thru);
        window.editors.Tick();
        const size_t mark = window.controls.lines.size();

        window.editors.FindBox().SetReplyTimeout(100ms);
        ASSERT_TRUE(window.editors.FindBox().Start(c.includeThru));
        EXPECT_FALSE(window.editors.FindBox().Start(c.includeThru)) << "one search at a time";
        window.TickToEnd();

        EXPECT_EQ(Lines(window.controls.lines.begin() + static_cast<ptrdiff_t>(mark), window.controls.lines.end()),
                  c.lines);
        EXPECT_EQ(window.Open(PortKind::Input), c.endInput);
        EXPECT_EQ(window.Open(PortKind::Output), c.endOutput);
        EXPECT_EQ(window.Open(PortKind::Thru), c.endThru);
        if (c.lines.back() == kFound) {
            EXPECT_EQ(window.controls.selections[IDC_MIDI_IN_LIST], c.endInput);
            EXPECT_EQ(window.controls.selections[IDC_MIDI_OUT_LIST], c.endOutput);
        }
    }
}

TEST(FindBox, ChoosingAPortByHandStopsTheSearchWithThePortsAsTheyWere)
{
    Window window;
    window.Choose(IDC_MIDI_IN_LIST, 0);
    window.Choose(IDC_MIDI_OUT_LIST, 1);
    ASSERT_TRUE(window.editors.FindBox().Start());
    window.editors.Tick();
    ASSERT_TRUE(window.editors.FindBox().Running());
    EXPECT_EQ(window.Open(PortKind::Input), -1) << "the input rests while the search runs";
    const size_t mark = window.controls.lines.size();

    window.Choose(IDC_MIDI_THRU_LIST, 2);
    EXPECT_FALSE(window.editors.FindBox().Running());
    EXPECT_EQ(Lines(window.controls.lines.begin() + static_cast<ptrdiff_t>(mark), window.controls.lines.end()),
              (Lines{"Find ZM1 box stopped; the ports are as they were", "MidiThruOutOpen           No error."}));
    EXPECT_EQ(window.Open(PortKind::Input), 0);
    EXPECT_EQ(window.Open(PortKind::Output), 1);
    EXPECT_EQ(window.Open(PortKind::Thru), 2);
}
