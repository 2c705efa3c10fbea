// zmctl dump: the main window's dump buttons (EEPROM DUMP, Smart eeprom
// Dump, Scan Dump) and the zone editor's keymap buttons, with the reports
// printed as the message window shows them.
#pragma once

#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <string>

struct DumpOptions {
    std::string kind;   //!< eeprom, smart, scan, keymap
    std::string table;  //!< keymap table
    int keys = 88;
    std::string sections = "keys";
};

CLI::App* AddDumpCommand(CLI::App& app, DumpOptions& options);
int RunDump(const ClientSource& client, const DumpOptions& options, const GlobalOptions& global, COutput& out);
