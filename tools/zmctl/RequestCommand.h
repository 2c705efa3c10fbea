// zmctl request: prints the frame(s) a request builder produces.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

struct RequestOptions {
    std::string name;
    std::vector<std::string> args;
};

CLI::App* AddRequestCommand(CLI::App& app, RequestOptions& options);
int RunRequest(const RequestOptions& options);
