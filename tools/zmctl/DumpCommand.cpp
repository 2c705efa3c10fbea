#include "DumpCommand.h"

#include "ArgumentChecks.h"
#include "BoxExchanges.h"
#include "Escape.h"
#include "UsageError.h"
#include "Values.h"
#include "editors/KeyboardReport.h"
#include "editors/KeyboardViewFeed.h"
#include "protocol/RequestBuilders.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<std::string_view, 6> kTableNames = {"enable", "zone1", "zone2", "zone3", "zone4", "raw"};

int ParseTable(const std::string& text)
{
    for (size_t i = 0; i < kTableNames.size(); ++i)
        if (text == kTableNames[i])
            return static_cast<int>(i);
    if (text.empty())
        throw CUsageError("dump keymap: a table is required (0-5, or enable, zone1-zone4, raw)");
    return ParseValue(text, "table", kKeymapField);
}

//! True for a plain PEEK acknowledgement that reaches the EEPROM's end.
bool ReachesEepromEnd(std::string_view line)
{
    unsigned address = 0;
    unsigned length = 0;
    return std::sscanf(std::string(line).c_str(), "EEPROM PEEK Acknowledge address %5X length %4X", &address,
                       &length) == 2
        && address + length >= kEepromImageSlots;
}

//! The smart dump's calibration or the scan values as numbers per key, in
//! the Keyboard View's CSV columns: key, note (the note the box sends for
//! the key, by the zones; null under no zone), then rest, down, travel, odd
//! or scan.
void WriteKeysJson(CJsonWriter& json, bool smart, CBoxClient& client)
{
    CKeyboardViewFeed feed(client.Held(), client.Options(), client.Reports());
    feed.ZonesChanged();
    if (smart)
        feed.SmartDumpReported();
    else
        feed.ScanDumpReported();
    const auto now = std::chrono::system_clock::now();
    const CKeyboardReport report(feed, LocalReportTime(now), std::chrono::steady_clock::now());
    json.Key("keys").BeginArray();
    for (const ReportKeyRow& row : report.Rows()) {
        json.BeginObject().Key("key").Value(row.key).Key("note");
        if (row.note < 0)
            json.Null();
        else
            json.Value(NoteName(row.note));
        if (smart)
            json.Key("rest").Value(row.rest).Key("down").Value(row.down).Key("travel").Value(row.travel)
                .Key("odd").Value(row.odd);
        else
            json.Key("scan").Value(row.scan);
        json.EndObject();
    }
    json.EndArray();
}

} // namespace

CLI::App* AddDumpCommand(CLI::App& app, DumpOptions& options)
{
    CLI::App* cmd = app.add_subcommand("dump", "Dump the box's EEPROM, scan values or keymaps as reports");
    cmd->add_option("KIND", options.kind, "eeprom, smart, scan or keymap")
        ->required()
        ->check(OneOf("kind", {"eeprom", "smart", "scan", "keymap"}));
    cmd->add_option("TABLE", options.table, "keymap table: 0-5, or enable, zone1-zone4, raw");
    cmd->add_option("--keys", options.keys, "Scanner key count of the smart report")
        ->check(OneOf("key count", {"88", "122"}))
        ->default_val(88);
    cmd->add_option("--sections", options.sections, "Smart report sections: comma list of keys, xopto, misc")
        ->default_val("keys")
        ->type_name("LIST");
    cmd->footer("eeprom: EEPROM dump request, printed as plain hex dumps; smart: the 512-byte peek printed as\n"
                "the smart report; scan: the scan values; keymap TABLE: a keymap (0 Zone Enable Booleans,\n"
                "1-4 Zone 1-4 Keymap, 5 Raw Keydown Keymap). Lines are printed as they arrive. --json gives\n"
                "smart and scan as numbers per key in the Keyboard View's CSV columns (key, note, rest, down,\n"
                "travel, odd; key, note, scan; the zones are read first to name the notes), the other dumps'\n"
                "lines collected.");
    return cmd;
}

int RunDump(const ClientSource& source, const DumpOptions& options, const GlobalOptions& global, COutput& out)
{
    const int table = options.kind == "keymap" ? ParseTable(options.table) : -1;
    if (options.kind != "keymap" && !options.table.empty())
        throw CUsageError("dump " + options.kind + ": takes no TABLE ('" + Escaped(options.table) + "')");
    ReportOptions report;
    report.ScannerKeyCount = options.keys;
    ApplySections(options.sections, report);

    CBoxClient& client = source();
    client.Options() = report;
    // Per key, the keys are named by the notes the zones give them.
    const bool perKey = global.json && (options.kind == "smart" || options.kind == "scan");
    if (perKey) {
        const BoxSnapshot zones = ReadBox(client, {0, 1, 2, 3}, {});
        RequireAnswers(zones.Missing({0, 1, 2, 3}), client);
    }
    // As a table the lines go out as they come; as JSON, all at the end.
    std::vector<std::string> lines;
    if (!global.json)
        client.PrintLinesTo(&out);
    // Whether a line ends the dump, and whether it begins one of the
    // dump's messages, looked at once as it arrives.
    std::function<bool(std::string_view)> lastLine = [](std::string_view) { return false; };
    std::function<bool(std::string_view)> partLine = [](std::string_view) { return false; };
    bool lastLineSeen = false;
    uint64_t parts = 0;
    client.SetLineHandler([&](std::string_view line) {
        if (global.json)
            lines.emplace_back(line);
        lastLineSeen = lastLineSeen || lastLine(line);
        parts += partLine(line) ? 1 : 0;
    });
    client.BeginExchange();
    auto startsWith = [](std::string_view prefix) {
        return [prefix](std::string_view line) { return line.substr(0, prefix.size()) == prefix; };
    };
    std::function<bool()> done = [&] { return lastLineSeen; };
    if (options.kind == "eeprom") {
        // The echo, then one acknowledgement after the other: each gives
        // the next one the timeout afresh.
        lastLine = ReachesEepromEnd;
        partLine = [&](std::string_view line) {
            return startsWith("eeprom dump no argument")(line) || startsWith("EEPROM PEEK Acknowledge")(line);
        };
        SendEepromDumpRequest(client.Sender());
    } else if (options.kind == "smart") {
        SendSmartEepromPeek(client.Sender(), client.Options());
        done = [&] { return !client.Options().SmartDumpPending; };
    } else if (options.kind == "scan") {
        lastLine = startsWith("Scan Dump");
        SendScanDumpRequest(client.Sender());
    } else {
        lastLine = startsWith("KeyMaps");
        SendKeymapDumpRequest(client.Sender(), table);
    }
    const bool complete = client.WaitFor(done, [&] { return parts; });
    client.SetLineHandler(nullptr);
    client.PrintLinesTo(nullptr);
    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("dump").Value(options.kind);
        if (perKey) {
            WriteKeysJson(json, options.kind == "smart", client);
        } else {
            json.Key("lines").BeginArray();
            for (const std::string& line : lines)
                json.Value(line);
            json.EndArray();
        }
        json.Key("complete").Value(complete).EndObject();
        out.Write(json.Text());
    }
    out.Flush();
    if (!complete)
        throw CCommandError(kExitNoAnswer, "no complete " + options.kind + " dump within " +
                                               std::to_string(client.Timeout().count()) + " ms");
    return kExitOk;
}
