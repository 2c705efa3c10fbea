#include "BackupCommands.h"

#include "BackupFile.h"
#include "BoxExchanges.h"
#include "Escape.h"
#include "FileSet.h"
#include "protocol/BoxParameters.h"
#include "UsageError.h"
#include "Values.h"


namespace {

//! What an exchange that read the setup's zones and parameters found: the
//! differences, after a status 3 or 5 when anything did not answer.
std::vector<SetupDifference> Differences(CBoxClient& client, const CSetupExchange& exchange,
                                         const SetupContents& contents)
{
    RequireAnswers(exchange.Missing(), client);
    return CompareSetup(contents, exchange.Snapshot());
}

//! Reads what the backup holds from the box (status 3 when anything is
//! missing) and lists every field that differs, in file order.
std::vector<SetupDifference> Compare(CBoxClient& client, const SetupContents& contents)
{
    CSetupExchange exchange = client.Exchange();
    exchange.StartRead(contents.Zones(), contents.Parameters());
    client.Run(exchange);
    return Differences(client, exchange, contents);
}

std::string DifferenceText(const SetupDifference& d)
{
    return d.What() + ": backup " + std::to_string(d.file) + ", box " + std::to_string(d.box);
}

constexpr const char* kBackupFile = "A .syx file written by zmctl backup";

// backup, restore and diff: each takes one file and says the rest below.
CLI::App* AddFileCommand(CLI::App& app, BackupOptions& options, const char* name, const char* description,
                         const char* fileDescription, const char* footer)
{
    CLI::App* cmd = app.add_subcommand(name, description);
    cmd->add_option("FILE", options.file, fileDescription)->required();
    cmd->footer(footer);
    return cmd;
}

} // namespace

CLI::App* AddBackupCommand(CLI::App& app, BackupOptions& options)
{
    return AddFileCommand(
        app, options, "backup", "Save the box's zones and parameters as the requests that restore them",
        "The .syx file to write; a readable JSON goes beside it",
        "Reads the four zones and all 32 parameters (the automatic stream options among them) and\n"
        "writes FILE: Set parameter requests for every parameter but the read-only and action ones\n"
        "(1 ZmFunc_SoftwareRev, 2 ZmFunc_ClearEEprom, 3 ZmFunc_RestrEEprom, 4 ZmFunc_EepromFreeB,\n"
        "7 ZmFunc_DumpEEprom), then one whole-zone Set Zone Split Data request per zone. FILE.json\n"
        "(FILE without .syx) holds everything read. Nothing is written unless every answer came;\n"
        "both files are written to temporary files first and then renamed, together or not at all.\n"
        "FILE and FILE.json must be missing or regular files: nothing else is ever replaced.");
}

CLI::App* AddRestoreCommand(CLI::App& app, BackupOptions& options)
{
    return AddFileCommand(
        app, options, "restore", "Send a backup to the box at wire speed and verify it", kBackupFile,
        "The requests are paced as a MIDI cable carries them (3,125 bytes/s); then everything the\n"
        "backup sets is read back. Exit status 5 names what the box does not hold as written.");
}

CLI::App* AddDiffCommand(CLI::App& app, BackupOptions& options)
{
    return AddFileCommand(
        app, options, "diff", "Show field by field where the box differs from a backup", kBackupFile,
        "Prints one line per differing field and ends with status 1; prints nothing and ends with 0\n"
        "when the box holds what the backup sets. With --json, each difference as data: zone (1-4) or\n"
        "parameter (its number), field (the zone field's or the parameter's name), backup and box\n"
        "(the values, as the window shows them).");
}

int RunBackup(const ClientSource& source, const BackupOptions& options, const GlobalOptions& global, COutput& out)
{
    // Refused before the box is asked, and checked again before the files
    // are put in place.
    const std::string jsonPath = SetupJsonPath(options.file);
    CFileSet::CheckTarget(options.file);
    CFileSet::CheckTarget(jsonPath);
    CBoxClient& client = source();
    std::vector<int32_t> parameters;
    for (int32_t number = 0; number < kParameterCount; ++number)
        parameters.push_back(number);
    CSetupExchange exchange = client.Exchange();
    exchange.StartRead({0, 1, 2, 3}, parameters, CSetupExchange::Asking::Identified);
    client.Run(exchange);
    RequireAnswers(exchange.Missing(), client);

    const BoxSnapshot snapshot = exchange.Snapshot();
    CReplacingFileSet files;
    if (!WriteSetupFiles(options.file, snapshot, files))
        throw CCommandError(kExitOutput, "cannot write " + Escaped(files.FailedPath()) + ": " + files.Error());

    const size_t restored = ParseBackup(SetupFrames(snapshot), options.file).parameters.size();
    if (global.json) {
        CJsonWriter summary;
        summary.BeginObject().Key("file").Value(options.file).Key("json").Value(jsonPath);
        summary.Key("zones").Value(4).Key("parameters").Value(static_cast<int64_t>(restored)).EndObject();
        out.Write(summary.Text());
    } else {
        out.Line("backup of 4 zones and " + std::to_string(restored) + " parameters in " + options.file +
                 " (readable copy: " + jsonPath + ")");
    }
    out.Flush();
    return kExitOk;
}

int RunRestore(const ClientSource& source, const BackupOptions& options, const GlobalOptions& global, COutput& out)
{
    const SetupContents contents = ReadBackupFile(options.file);
    CBoxClient& client = source();
    CSetupExchange exchange = client.Exchange();
    exchange.StartWrite(contents);
    client.Run(exchange);
    const std::vector<SetupDifference> differences = Differences(client, exchange, contents);
    if (!differences.empty()) {
        std::string list;
        for (const SetupDifference& d : differences)
            list += (list.empty() ? "" : "; ") + DifferenceText(d);
        throw CCommandError(kExitRefused, "restored, but the box does not hold: " + list);
    }
    const size_t zones = contents.Zones().size();
    if (global.json) {
        CJsonWriter summary;
        summary.BeginObject().Key("file").Value(options.file).Key("requests").Value(static_cast<int64_t>(contents.frames.size()));
        summary.Key("verified").Value(true).EndObject();
        out.Write(summary.Text());
    } else {
        out.Line("restored " + std::to_string(contents.parameters.size()) + " parameters and " + std::to_string(zones) +
                 " zones from " + options.file + "; read back, all as written");
    }
    out.Flush();
    return kExitOk;
}

int RunDiff(const ClientSource& source, const BackupOptions& options, const GlobalOptions& global, COutput& out)
{
    const SetupContents contents = ReadBackupFile(options.file);
    CBoxClient& client = source();
    const std::vector<SetupDifference> differences = Compare(client, contents);
    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("differences").BeginArray();
        for (const SetupDifference& d : differences) {
            json.BeginObject();
            if (d.zone >= 0)
                json.Key("zone").Value(ShownZone(d.zone));
            else
                json.Key("parameter").Value(d.parameter);
            json.Key("field").Value(d.Name()).Key("backup").Value(d.file).Key("box").Value(d.box).EndObject();
        }
        json.EndArray().EndObject();
        out.Write(json.Text());
    } else {
        for (const SetupDifference& d : differences)
            out.Line(DifferenceText(d));
    }
    out.Flush();
    return differences.empty() ? kExitOk : kExitDifferent;
}
