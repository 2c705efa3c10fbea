// zmctl simulate: the simulated ZM1 box of the built-in "ZM1 Simulator",
// served on ports other programs connect to: JACK ports of a client of our
// own and ALSA virtual ports (RtMidi). It answers at wire speed (or, with
// --sim-timing instant, at once) until Ctrl-C.
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
