// The options every command that talks to the box shares, and the client
// they describe.
#pragma once

#include "BoxClient.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>

struct GlobalOptions {
    std::string in;             //!< --in DEV (or ZMCTL_IN)
    std::string out;            //!< --out DEV (or ZMCTL_OUT)
    int timeoutMs = 500;        //!< --timeout MS
    bool json = false;          //!< --json
    std::string simTiming = "wire";  //!< --sim-timing wire|instant (or ZMCTL_SIM_TIMING)
    bool verbose = false;       //!< --verbose
    bool quiet = false;         //!< --quiet
};

//! Adds the global options to `app`; they may stand before or after the
//! command's name.
void AddGlobalOptions(CLI::App& app, GlobalOptions& options);

ClientSettings SettingsFrom(const GlobalOptions& options);
SimTiming SimTimingFrom(const std::string& name);

//! Hands a command its client once its arguments have been checked, so
//! that bad arguments never touch a port. Benchmarks pass a ready one.
using ClientSource = std::function<CBoxClient&()>;

//! The client, with --in and/or --out opened as asked.
std::unique_ptr<CBoxClient> OpenClient(const GlobalOptions& options, bool input, bool output);
