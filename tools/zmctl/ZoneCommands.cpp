#include "ZoneCommands.h"

#include "BoxExchanges.h"
#include "Escape.h"
#include "UsageError.h"
#include "Values.h"
#include "editors/AotOptions.h"
#include "editors/KeyboardPresets.h"
#include "protocol/RequestBuilders.h"

namespace {

void PrintZones(const std::vector<std::pair<int, std::optional<ZoneBytes>>>& zones, const GlobalOptions& global,
                COutput& out)
{
    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("zones").BeginArray();
        for (const auto& [zone, bytes] : zones)
            WriteZoneJson(json, zone, bytes);
        json.EndArray().EndObject();
        out.Write(json.Text());
    } else {
        PrintZoneTable(out, zones);
    }
    out.Flush();
}

std::pair<std::string, std::string> SplitAssignment(const std::string& text, const char* form)
{
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        throw CUsageError("'" + Escaped(text) + "' is not of the form " + form);
    return {text.substr(0, eq), text.substr(eq + 1)};
}

std::string PresetList()
{
    std::string list;
    for (const KeyboardPreset& preset : kKeyboardPresets)
        list += "  " + std::string(preset.key) + "  (\"" + std::string(preset.name) + "\")\n";
    return list;
}

std::string AotList()
{
    std::string list;
    for (const AotOption& option : kAotOptions)
        list += "  " + std::string(option.key) + "  (bit " + std::to_string(option.bit) + ": \"" +
                std::string(option.caption) + "\")\n";
    return list;
}

} // namespace

CLI::App* AddZoneCommand(CLI::App& app, ZoneOptions& options)
{
    CLI::App* cmd = app.add_subcommand("zone", "Read a zone, or write fields of it and confirm them");
    cmd->add_option("ZONE", options.zone, "Zone 1-4, as the window heads its columns")->required();
    cmd->add_option("FIELD=VALUE", options.assignments, "Fields to write");
    cmd->footer("Fields and ranges, numbered as the window shows them: lo_key 0-127, hi_key 0-127, lo_note\n"
                "0-127, midi_chan 1-16, atk_vel 0-63, rel_vel 0-63, atk_type 0-7, aftrtch_type 0-7. Each field\n"
                "goes to the box as the zone editor sends it (Set Zone Split Data, one byte); then the zone is\n"
                "read back. A field given twice, or lo_key above hi_key, is refused. Without fields the zone is\n"
                "only read.");
    return cmd;
}

CLI::App* AddMuteCommand(CLI::App& app, MuteOptions& options)
{
    CLI::App* cmd = app.add_subcommand("mute", "Mute a zone (on) or let it sound (off)");
    cmd->add_option("ZONE", options.zone, "Zone 1-4, as the window heads its columns")->required();
    cmd->add_option("STATE", options.state, "on or off")->required();
    cmd->footer("Reads the mute bits (parameter 6), changes the zone's bit, writes them and reads them back.");
    return cmd;
}

CLI::App* AddPresetCommand(CLI::App& app, PresetOptions& options)
{
    CLI::App* cmd = app.add_subcommand("preset", "Write one of the Keyboard Configurator's one-touch layouts");
    cmd->add_option("LAYOUT", options.name, "Layout name or caption")->required();
    cmd->footer("Layouts:\n" + PresetList() + "All four zones are written, then read back.");
    return cmd;
}

CLI::App* AddAotCommand(CLI::App& app, AotOptionsArgs& options)
{
    CLI::App* cmd = app.add_subcommand("aot", "Show or set the automatic stream options (parameters 30, 31)");
    cmd->add_option("OPTION=on|off", options.assignments, "Options to change");
    cmd->add_option("--delay", options.delay, "Piston Pending and Transpose Delay, 0-255")->type_name("N");
    cmd->footer("Options:\n" + AotList() + "Without changes the options are only read.");
    return cmd;
}

int RunZone(const ClientSource& source, const ZoneOptions& options, const GlobalOptions& global, COutput& out)
{
    const int zone = ParseZone(options.zone);
    // As the box holds them: a channel typed as 10 goes out as 9.
    std::vector<std::pair<int, int32_t>> writes;
    for (const std::string& text : options.assignments) {
        const auto [name, valueText] = SplitAssignment(text, "FIELD=VALUE");
        const std::optional<int> offset = ZoneFieldOffset(name);
        if (!offset)
            throw CUsageError("zone: no field '" + Escaped(name) + "' (fields: " + ZoneFieldList() + ")");
        // Both values would go to the box, and the command would then fail
        // on the first one's read-back.
        for (const auto& [given, value] : writes)
            if (given == *offset)
                throw CUsageError(std::string(ZoneFieldName(given)) + " given twice");
        const int32_t shown = ParseValue(valueText, std::string(ZoneFieldName(*offset)), ZoneFieldRange(*offset));
        writes.emplace_back(*offset, WireFieldValue(*offset, shown));
    }
    if (const auto fault = CheckZoneFields(writes))
        throw CUsageError(fault->why);
    CBoxClient& client = source();
    for (const auto& [offset, value] : writes)
        SendFieldOperation(client.Sender(), OP_SET_ZONE_SPLIT_DATA, zone, offset, 1, value);
    const ZoneBytes bytes = ConfirmZone(client, zone, writes);
    PrintZones({{zone, bytes}}, global, out);
    return kExitOk;
}

int RunMute(const ClientSource& source, const MuteOptions& options, const GlobalOptions& global, COutput& out)
{
    const int zone = ParseZone(options.zone);
    const bool mute = ParseSwitch(options.state, "state");
    CBoxClient& client = source();
    const BoxSnapshot current = ReadBox(client, {}, {ZmFunc_ZoneMutBits});
    RequireAnswers(current.Missing({}), client);
    const int32_t bits = *current.parameters.front().second;
    // A set bit lets the zone sound.
    const int32_t wanted = mute ? bits & ~(1 << zone) : bits | (1 << zone);
    const int32_t confirmed = WriteParameters(client, {{ZmFunc_ZoneMutBits, wanted}}).front().second;
    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("mute_bits").Value(confirmed).Key("zones").BeginArray();
        for (int z = 0; z < 4; ++z)
            json.BeginObject().Key("zone").Value(ShownZone(z)).Key("muted").Value((confirmed & (1 << z)) == 0).EndObject();
        json.EndArray().EndObject();
        out.Write(json.Text());
    } else {
        for (int z = 0; z < 4; ++z)
            out.Line("zone " + std::to_string(ShownZone(z)) + ((confirmed & (1 << z)) ? " sounds" : " muted"));
    }
    out.Flush();
    return kExitOk;
}

int RunPreset(const ClientSource& source, const PresetOptions& options, const GlobalOptions& global, COutput& out)
{
    const KeyboardPreset* preset = FindKeyboardPreset(options.name);
    if (preset == nullptr)
        throw CUsageError("preset: no layout is named '" + Escaped(options.name) + "'; the layouts:\n" + PresetList());
    CBoxClient& client = source();
    // As the configurator sends it: four whole records, wire zones 0-3.
    for (int zone = 0; zone < 4; ++zone)
        SendWriteFieldData(client.Sender(), OP_SET_ZONE_SPLIT_DATA, zone, 0, 8, preset->zones[static_cast<size_t>(zone)]);
    std::vector<std::pair<int, std::optional<ZoneBytes>>> zones;
    for (int zone = 0; zone < 4; ++zone) {
        std::vector<std::pair<int, int32_t>> expected;
        for (int offset = 0; offset < 8; ++offset)
            expected.emplace_back(offset, preset->zones[static_cast<size_t>(zone)][static_cast<size_t>(offset)]);
        zones.emplace_back(zone, ConfirmZone(client, zone, expected));
    }
    PrintZones(zones, global, out);
    return kExitOk;
}

int RunAot(const ClientSource& source, const AotOptionsArgs& options, const GlobalOptions& global, COutput& out)
{
    std::vector<std::pair<const AotOption*, bool>> changes;
    for (const std::string& text : options.assignments) {
        const auto [key, state] = SplitAssignment(text, "OPTION=on|off");
        const AotOption* option = FindAotOption(key);
        if (option == nullptr)
            throw CUsageError("aot: no option '" + Escaped(key) + "'; the options:\n" + AotList());
        changes.emplace_back(option, ParseSwitch(state, std::string(option->key)));
    }
    // A plain value and a flag: g++ 12 takes an optional here for uninitialised.
    const bool setDelay = options.delay.has_value();
    const int32_t delay = setDelay ? ParseValue(*options.delay, "--delay", kAotDelay) : 0;

    CBoxClient& client = source();
    const BoxSnapshot current = ReadBox(client, {}, {ZmFunc_AotBooleans, ZmFunc_Aot_t_delay});
    RequireAnswers(current.Missing({}), client);
    int32_t byte = *current.parameters[0].second & 0xFF;
    int32_t delayValue = *current.parameters[1].second;
    std::vector<std::pair<int32_t, int32_t>> writes;
    if (!changes.empty()) {
        for (const auto& [option, on] : changes)
            byte = on ? byte | (1 << option->bit) : byte & ~(1 << option->bit);
        writes.emplace_back(ZmFunc_AotBooleans, byte);
    }
    if (setDelay)
        writes.emplace_back(ZmFunc_Aot_t_delay, delay);
    if (!writes.empty())
        for (const auto& [number, value] : WriteParameters(client, writes))
            (number == ZmFunc_AotBooleans ? byte : delayValue) = value;

    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("byte").Value(byte).Key("options").BeginObject();
        for (const AotOption& option : kAotOptions)
            json.Key(option.key).Value((byte & (1 << option.bit)) != 0);
        json.EndObject().Key("delay").Value(delayValue).EndObject();
        out.Write(json.Text());
    } else {
        for (const AotOption& option : kAotOptions) {
            char line[160];
            std::snprintf(line, sizeof line, "%-24s %-3s  %.*s", std::string(option.key).c_str(),
                          (byte & (1 << option.bit)) ? "on" : "off", static_cast<int>(option.caption.size()),
                          option.caption.data());
            out.Line(line);
        }
        out.Line("delay " + std::to_string(delayValue));
    }
    out.Flush();
    return kExitOk;
}
