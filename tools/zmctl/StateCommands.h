// zmctl ports, sync, get and set: the devices, and the box's zones and
// parameters read and written.
#pragma once

#include "BoxClient.h"
#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

struct GetOptions {
    std::vector<std::string> parameters;
};
struct SetOptions {
    std::string parameter;
    std::string value;
};

CLI::App* AddPortsCommand(CLI::App& app);
CLI::App* AddSyncCommand(CLI::App& app);
CLI::App* AddGetCommand(CLI::App& app, GetOptions& options);
CLI::App* AddSetCommand(CLI::App& app, SetOptions& options);

int RunPorts(const ClientSource& client, const GlobalOptions& global, COutput& out);
int RunSync(const ClientSource& client, const GlobalOptions& global, COutput& out);
int RunGet(const ClientSource& client, const GetOptions& options, const GlobalOptions& global, COutput& out);
int RunSet(const ClientSource& client, const SetOptions& options, const GlobalOptions& global, COutput& out);
