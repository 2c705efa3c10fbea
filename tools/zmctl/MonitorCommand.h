// zmctl monitor: the message window on a terminal. Every line is printed
// as it arrives, until Ctrl-C.
#pragma once

#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <string>

struct MonitorOptions {
    std::string thru;   //!< --thru DEV
    bool play = false;  //!< --play: start the simulated box's key stream
    bool timestamps = false;  //!< -T: seconds since the start before each line
    bool hex = false;   //!< --hex: each message's bytes instead of its lines
};

CLI::App* AddMonitorCommand(CLI::App& app, MonitorOptions& options);
//! `source` opens the input, and the output with --play.
int RunMonitor(const ClientSource& source, const GlobalOptions& global, const MonitorOptions& options, COutput& out);
