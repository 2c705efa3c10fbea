// zmctl find: searches the MIDI devices for the box, as zm_config's
// "Find ZM1 box" does (CBoxFinder), and names the input and output that
// reach it.
#pragma once

#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

struct FindOptions {
    std::vector<std::string> skip;  //!< --skip DEV: outputs never sent to
    bool env = false;               //!< --env: shell assignments of ZMCTL_IN and ZMCTL_OUT
};

CLI::App* AddFindCommand(CLI::App& app, FindOptions& options);
int RunFind(const ClientSource& client, const FindOptions& options, const GlobalOptions& global, COutput& out);
