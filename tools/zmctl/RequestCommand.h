// zmctl request: prints the frame(s) a request builder produces, or with
// --send sends them to the box and prints the decoded replies until quiet.
#pragma once

#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

struct RequestOptions {
    std::string name;
    std::vector<std::string> args;
    bool send = false;
};

CLI::App* AddRequestCommand(CLI::App& app, RequestOptions& options);
//! Without --send no client is asked for.
int RunRequest(const ClientSource& client, const RequestOptions& options, COutput& out);
