// zmctl simulate: the simulated ZM1 box of the built-in "ZM1 Simulator",
// served on ports other programs connect to: JACK ports of a client of our
// own and ALSA virtual ports (RtMidi). It answers at wire speed (or, with
// --sim-timing instant, at once) until Ctrl-C.
//
// Threading contract: the main thread opens the ports, then only looks every
// 50 ms for a signal, for messages lost and for a JACK server gone, and at
// the end closes the inputs before the outputs. The messages themselves
// never touch it: requests are passed to the box on the thread of the MIDI
// system they arrive on (JACK's process thread, RtMidi's input thread), and
// the box's replies leave on the simulator's own thread, each without lock
// or allocation, and each output port written by that one thread.
#pragma once

#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

struct SimulateOptions {
    std::string backend = "all";  //!< jack, alsa or all
    std::string name = "zm1-sim";
    bool play = false;
    std::optional<std::string> fault;
};

CLI::App* AddSimulateCommand(CLI::App& app, SimulateOptions& options);
int RunSimulate(const SimulateOptions& options, const GlobalOptions& global, COutput& out);
