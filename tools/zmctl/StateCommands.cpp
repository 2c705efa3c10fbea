#include "StateCommands.h"

#include "BoxExchanges.h"
#include "Values.h"
#include "UsageError.h"
#include "protocol/BoxParameters.h"

namespace {

std::string ParameterNameHelp()
{
    std::string text = "Parameters (number or name, with or without ZmFunc_):\n";
    for (const BoxParameter& p : kBoxParameters) {
        text += (p.number % 4 == 0 ? "  " : "") + std::to_string(p.number) + " " + std::string(p.name);
        text += p.number % 4 == 3 ? "\n" : "  ";
    }
    return text;
}

void WriteMissingJson(CJsonWriter& json, const std::vector<std::string>& missing)
{
    json.Key("missing").BeginArray();
    for (const std::string& what : missing)
        json.Value(what);
    json.EndArray();
}

void PrintParameters(const BoxSnapshot& snapshot, const std::vector<std::string>& missing, const GlobalOptions& global,
                     COutput& out)
{
    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("parameters").BeginArray();
        for (const auto& [number, value] : snapshot.parameters)
            WriteParameterJson(json, number, value);
        json.EndArray();
        WriteMissingJson(json, missing);
        json.EndObject();
        out.Write(json.Text());
    } else {
        PrintParameterTable(out, snapshot.parameters);
    }
    out.Flush();
}

} // namespace

CLI::App* AddPortsCommand(CLI::App& app)
{
    return app.add_subcommand("ports", "List the MIDI input and output devices, numbered as zm_config lists them");
}

CLI::App* AddSyncCommand(CLI::App& app)
{
    CLI::App* cmd = app.add_subcommand("sync", "Synchronize Data: read the four zones and the working parameters");
    cmd->footer("Sends what zm_config's \"Synchronize Data\" sends (four zone reads, eleven parameter inquiries)\n"
                "and prints the zones and parameters as a table, or with --json as JSON. Every zone or\n"
                "parameter that did not answer within the timeout is named; the exit status is then 3.");
    return cmd;
}

CLI::App* AddGetCommand(CLI::App& app, GetOptions& options)
{
    CLI::App* cmd = app.add_subcommand("get", "Read parameters of the box");
    cmd->add_option("PARAMETER", options.parameters, "Parameter numbers (0-127) or names")->required();
    cmd->footer(ParameterNameHelp());
    return cmd;
}

CLI::App* AddSetCommand(CLI::App& app, SetOptions& options)
{
    CLI::App* cmd = app.add_subcommand("set", "Write a parameter and confirm it by reading it back");
    cmd->add_option("PARAMETER", options.parameter, "Parameter number (0-16383) or name")->required();
    cmd->add_option("VALUE", options.value, "Value 0-16383")->required();
    cmd->footer(ParameterNameHelp() +
                "The box of the built-in simulator plays keys while parameter 8 is 1 and simulates a\n"
                "fault from parameter 5 (1-127: key N-1 has short travel; 128+K: key K sticks).");
    return cmd;
}

int RunPorts(const ClientSource& source, const GlobalOptions& global, COutput& out)
{
    CBoxClient& client = source();
    const std::vector<DeviceEntry> inputs = client.Inputs();
    const std::vector<DeviceEntry> outputs = client.Outputs();
    if (global.json) {
        CJsonWriter json;
        json.BeginObject();
        for (const auto& [key, list] : {std::pair{"inputs", &inputs}, std::pair{"outputs", &outputs}}) {
            json.Key(key).BeginArray();
            for (const DeviceEntry& d : *list)
                json.BeginObject().Key("number").Value(d.number).Key("name").Value(d.name).Key("api").Value(d.api).EndObject();
            json.EndArray();
        }
        json.EndObject();
        out.Write(json.Text());
    } else {
        for (const auto& [title, list] : {std::pair{"inputs:", &inputs}, std::pair{"outputs:", &outputs}}) {
            out.Line(title);
            for (const DeviceEntry& d : *list) {
                char number[16];
                std::snprintf(number, sizeof number, "%3d  ", d.number);
                out.Line(number + d.name + "  (" + d.api + ")");
            }
        }
    }
    out.Flush();
    return kExitOk;
}

int RunSync(const ClientSource& source, const GlobalOptions& global, COutput& out)
{
    CBoxClient& client = source();
    const BoxSnapshot snapshot = Synchronize(client);
    const std::vector<std::string> missing = snapshot.Missing({0, 1, 2, 3});
    if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("zones").BeginArray();
        for (int zone = 0; zone < 4; ++zone)
            WriteZoneJson(json, zone, snapshot.zones[static_cast<size_t>(zone)]);
        json.EndArray().Key("parameters").BeginArray();
        for (const auto& [number, value] : snapshot.parameters)
            WriteParameterJson(json, number, value);
        json.EndArray().Key("identification");
        if (snapshot.identification)
            json.Value(*snapshot.identification);
        else
            json.Null();
        WriteMissingJson(json, missing);
        json.EndObject();
        out.Write(json.Text());
    } else {
        std::vector<std::pair<int, std::optional<ZoneBytes>>> zones;
        for (int zone = 0; zone < 4; ++zone)
            zones.emplace_back(zone, snapshot.zones[static_cast<size_t>(zone)]);
        PrintZoneTable(out, zones);
        out.Line("");
        PrintParameterTable(out, snapshot.parameters, true);
        if (snapshot.identification)
            out.Line("identification: " + *snapshot.identification);
    }
    out.Flush();
    RequireAnswers(missing, client);
    return kExitOk;
}

int RunGet(const ClientSource& source, const GetOptions& options, const GlobalOptions& global, COutput& out)
{
    std::vector<int32_t> numbers;
    for (const std::string& text : options.parameters)
        numbers.push_back(ParseParameter(text, kInquiryNumber));
    CBoxClient& client = source();
    const BoxSnapshot snapshot = ReadBox(client, {}, numbers);
    const std::vector<std::string> missing = snapshot.Missing({});
    PrintParameters(snapshot, missing, global, out);
    RequireAnswers(missing, client);
    return kExitOk;
}

int RunSet(const ClientSource& source, const SetOptions& options, const GlobalOptions& global, COutput& out)
{
    const int32_t number = ParseParameter(options.parameter, kSetNumber);
    const int32_t value = ParseValue(options.value, "value", kParameterValue);
    CBoxClient& client = source();
    const auto readBack = WriteParameters(client, {{number, value}});
    BoxSnapshot snapshot;
    for (const auto& [n, v] : readBack)
        snapshot.parameters.emplace_back(n, v);
    PrintParameters(snapshot, {}, global, out);
    return kExitOk;
}
