// zmctl zone, mute, preset and aot: the editors of the main window and of
// its two secondary dialogs, each write confirmed by reading it back.
#pragma once

#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

struct ZoneOptions {
    std::string zone;
    std::vector<std::string> assignments;  //!< FIELD=VALUE
};
struct MuteOptions {
    std::string zone;
    std::string state;
};
struct PresetOptions {
    std::string name;
};
struct AotOptionsArgs {
    std::vector<std::string> assignments;  //!< OPTION=on|off
    std::optional<std::string> delay;
};

CLI::App* AddZoneCommand(CLI::App& app, ZoneOptions& options);
CLI::App* AddMuteCommand(CLI::App& app, MuteOptions& options);
CLI::App* AddPresetCommand(CLI::App& app, PresetOptions& options);
CLI::App* AddAotCommand(CLI::App& app, AotOptionsArgs& options);

int RunZone(const ClientSource& client, const ZoneOptions& options, const GlobalOptions& global, COutput& out);
int RunMute(const ClientSource& client, const MuteOptions& options, const GlobalOptions& global, COutput& out);
int RunPreset(const ClientSource& client, const PresetOptions& options, const GlobalOptions& global, COutput& out);
int RunAot(const ClientSource& client, const AotOptionsArgs& options, const GlobalOptions& global, COutput& out);
