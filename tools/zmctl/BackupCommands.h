// zmctl backup, restore and diff: the box's zones and parameters saved as
// the requests that restore them, sent back at wire speed and verified,
// and compared field by field.
#pragma once

#include "GlobalOptions.h"
#include "Output.h"

#include <CLI/CLI.hpp>

#include <string>

struct BackupOptions {
    std::string file;
};

CLI::App* AddBackupCommand(CLI::App& app, BackupOptions& options);
CLI::App* AddRestoreCommand(CLI::App& app, BackupOptions& options);
CLI::App* AddDiffCommand(CLI::App& app, BackupOptions& options);

int RunBackup(const ClientSource& client, const BackupOptions& options, const GlobalOptions& global, COutput& out);
int RunRestore(const ClientSource& client, const BackupOptions& options, const GlobalOptions& global, COutput& out);
int RunDiff(const ClientSource& client, const BackupOptions& options, const GlobalOptions& global, COutput& out);
