#include "BackupCommands.h"

#include "BackupFile.h"
#include "BoxExchanges.h"
#include "Escape.h"
#include "FileSet.h"
#include "UsageError.h"
#include "Values.h"

#include <algorithm>
#include <optional>

namespace {

struct Difference {
    std::string what;   //!< as the text line names it
    std::string field;  //!< the zone field's or the parameter's name
    std::optional<int> zone;        //!< 1-4, for a zone field
    std::optional<int32_t> number;  //!< for a parameter
    int32_t backup;
    int32_t box;
};

std::vector<int> ZonesIn(const BackupContents& contents)
{
    std::vector<int> zones;
    for (int zone = 0; zone < 4; ++zone)
        if (contents.zones[static_cast<size_t>(zone)])
            zones.push_back(zone);
    return zones;
}

std::vector<int32_t> ParametersIn(const BackupContents& contents)
{
    std::vector<int32_t> numbers;
    for (const auto& [number, value] : contents.parameters)
        if (std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    return numbers;
}

//! Reads what the backup holds from the box (status 3 when anything is
//! missing) and lists every field that differs, in file order.
std::vector<Difference> Compare(CBoxClient& client, const BackupContents& contents)
{
    const std::vector<int> zones = ZonesIn(contents);
    const BoxSnapshot box = ReadBox(client, zones, ParametersIn(contents));
    RequireAnswers(box.Missing(zones), client);

    std::vector<Difference> differences;
    for (const auto& [number, value] : box.parameters) {
        // A parameter written twice in a file ends with its last value.
        int32_t expected = 0;
        for (const auto& [n, v] : contents.parameters)
            if (n == number)
                expected = v;
        if (*value != expected)
            differences.push_back({"parameter " + ParameterLabel(number), ParameterName(number), std::nullopt, number,
                                   expected, *value});
    }
    for (int zone : zones) {
        const auto& record = *contents.zones[static_cast<size_t>(zone)];
        const ZoneBytes& bytes = *box.zones[static_cast<size_t>(zone)];
        for (int offset = 0; offset < 8; ++offset)
            if (record[static_cast<size_t>(offset)] != bytes[static_cast<size_t>(offset)])
                differences.push_back({"zone " + std::to_string(ShownZone(zone)) + " " + std::string(ZoneFieldName(offset)),
                                       std::string(ZoneFieldName(offset)), ShownZone(zone), std::nullopt,
                                       ShownFieldValue(offset, record[static_cast<size_t>(offset)]),
                                       ShownFieldValue(offset, bytes[static_cast<size_t>(offset)])});
    }
    return differences;
}

std::string DifferenceText(const Difference& d)
{
    return d.what + ": backup " + std::to_string(d.backup) + ", box " + std::to_string(d.box);
}

} // namespace

CLI::App* AddBackupCommand(CLI::App& app, BackupOptions& options)
{
    CLI::App* cmd = app.add_subcommand("backup", "Save the box's zones and parameters as the requests that restore them");
    cmd->add_option("FILE", options.file, "The .syx file to write; a readable JSON goes beside it")->required();
    cmd->footer("Reads the four zones and all 32 parameters (the automatic stream options among them) and\n"
                "writes FILE: Set parameter requests for every parameter but the read-only and action ones\n"
                "(1 ZmFunc_SoftwareRev, 2 ZmFunc_ClearEEprom, 3 ZmFunc_RestrEEprom, 4 ZmFunc_EepromFreeB,\n"
                "7 ZmFunc_DumpEEprom), then one whole-zone Set Zone Split Data request per zone. FILE.json\n"
                "(FILE without .syx) holds everything read. Nothing is written unless every answer came;\n"
                "both files are written to temporary files first and then renamed, together or not at all.\n"
                "FILE and FILE.json must be missing or regular files: nothing else is ever replaced.");
    return cmd;
}

CLI::App* AddRestoreCommand(CLI::App& app, BackupOptions& options)
{
    CLI::App* cmd = app.add_subcommand("restore", "Send a backup to the box at wire speed and verify it");
    cmd->add_option("FILE", options.file, "A .syx file written by zmctl backup")->required();
    cmd->footer("The requests are paced as a MIDI cable carries them (3,125 bytes/s); then everything the\n"
                "backup sets is read back. Exit status 5 names what the box does not hold as written.");
    return cmd;
}

CLI::App* AddDiffCommand(CLI::App& app, BackupOptions& options)
{
    CLI::App* cmd = app.add_subcommand("diff", "Show field by field where the box differs from a backup");
    cmd->add_option("FILE", options.file, "A .syx file written by zmctl backup")->required();
    cmd->footer("Prints one line per differing field and ends with status 1; prints nothing and ends with 0\n"
                "when the box holds what the backup sets. With --json, each difference as data: zone (1-4) or\n"
                "parameter (its number), field (the zone field's or the parameter's name), backup and box\n"
                "(the values, as the window shows them).");
    return cmd;
}

int RunBackup(const ClientSource& source, const BackupOptions& options, const GlobalOptions& global, COutput& out)
{
    // Refused before the box is asked, and checked again before the files
    // are put in place.
    const std::string jsonPath = JsonPathFor(options.file);
    CFileSet::CheckTarget(options.file);
    CFileSet::CheckTarget(jsonPath);
    CBoxClient& client = source();
    std::vector<int32_t> parameters;
    for (int32_t number = 0; number < kParameterCount; ++number)
        parameters.push_back(number);
    // The box names itself after the station name, as after Synchronize Data.
    client.Held().IdentificationPending = true;
    const BoxSnapshot snapshot = ReadBox(client, {0, 1, 2, 3}, parameters);
    client.Held().IdentificationPending = false;
    RequireAnswers(snapshot.Missing({0, 1, 2, 3}), client);

    const std::vector<uint8_t> frames = BackupFrames(snapshot);
    CFileSet files;
    files.Add(options.file, std::string_view(reinterpret_cast<const char*>(frames.data()), frames.size()));
    files.Add(jsonPath, BackupJson(snapshot));
    files.Commit();

    const size_t restored = ParseBackup(frames, options.file).parameters.size();
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
    const BackupContents contents = ReadBackupFile(options.file);
    CBoxClient& client = source();
    client.BeginExchange();
    for (const std::vector<uint8_t>& frame : contents.frames)
        client.SendPaced(frame);
    const std::vector<Difference> differences = Compare(client, contents);
    if (!differences.empty()) {
        std::string list;
        for (const Difference& d : differences)
            list += (list.empty() ? "" : "; ") + DifferenceText(d);
        throw CCommandError(kExitRefused, "restored, but the box does not hold: " + list);
    }
    const size_t zones = ZonesIn(contents).size();
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
    const BackupContents contents = ReadBackupFile(options.file);
    CBoxClient& client = source();
    const std::vector<Difference> differences = Compare(client, contents);
    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("differences").BeginArray();
        for (const Difference& d : differences) {
            json.BeginObject();
            if (d.zone)
                json.Key("zone").Value(*d.zone);
            if (d.number)
                json.Key("parameter").Value(*d.number);
            json.Key("field").Value(d.field).Key("backup").Value(d.backup).Key("box").Value(d.box).EndObject();
        }
        json.EndArray().EndObject();
        out.Write(json.Text());
    } else {
        for (const Difference& d : differences)
            out.Line(DifferenceText(d));
    }
    out.Flush();
    return differences.empty() ? kExitOk : kExitDifferent;
}
