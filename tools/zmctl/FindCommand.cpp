#include "FindCommand.h"

#include "Escape.h"
#include "Interrupt.h"
#include "UsageError.h"
#include "protocol/BoxFinder.h"

#include <algorithm>
#include <thread>

namespace {

//! `text` quoted for a POSIX shell.
std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

//! What ZMCTL_IN / ZMCTL_OUT should hold to reach `device`: its name, or
//! its number when another device carries the same name.
std::string Choice(const std::vector<DeviceEntry>& devices, int device)
{
    const std::string& name = devices[static_cast<size_t>(device)].name;
    const auto same = std::count_if(devices.begin(), devices.end(), [&](const DeviceEntry& d) { return d.name == name; });
    return same == 1 ? name : std::to_string(device);
}

void WriteDeviceJson(CJsonWriter& json, const DeviceEntry& device)
{
    json.BeginObject().Key("number").Value(device.number).Key("name").Value(device.name).Key("api").Value(device.api);
    json.EndObject();
}

[[noreturn]] void NotFound(CBoxClient& client, const CBoxFinder& finder)
{
    if (finder.InputsOpened() == 0 && finder.Attempts().empty())
        throw CCommandError(kExitPort, finder.InputCount() == 0 ? "no MIDI input to listen on"
                                                                : "no MIDI input could be opened");
    if (finder.Outputs().empty())
        throw CCommandError(kExitPort, "no MIDI output to try");
    std::string silent;
    std::string unopened;
    for (const CBoxFinder::Attempt& attempt : finder.Attempts()) {
        std::string& list = attempt.opened == MIDI_OK ? silent : unopened;
        list += (list.empty() ? "" : ", ") + client.DeviceText(attempt.output, false);
    }
    std::string message = "no ZM1 box answered within " + std::to_string(client.Timeout().count()) + " ms";
    if (!silent.empty())
        message += " on " + silent;
    if (!unopened.empty())
        message += "; could not open " + unopened;
    std::string deaf;
    for (const auto& [input, result] : finder.DeafInputs())
        deaf += (deaf.empty() ? "" : ", ") + client.DeviceText(input, true) + ": " + MidiResultText(result);
    if (!deaf.empty())
        message += "; not listening on " + deaf;
    throw CCommandError(kExitNoAnswer, message);
}

} // namespace

CLI::App* AddFindCommand(CLI::App& app, FindOptions& options)
{
    CLI::App* cmd = app.add_subcommand("find", "Find the box: the input and output on which it answers");
    cmd->add_option("--skip", options.skip, "Never send to this output (a synthesiser); may be repeated")
        ->type_name("DEV");
    cmd->add_flag("--env", options.env, "Print shell assignments of ZMCTL_IN and ZMCTL_OUT for eval");
    cmd->footer("Listens on every input and sends a Revision Request on one output after the other, in the\n"
                "order of zmctl ports, waiting up to --timeout on each; the first input that brings back the\n"
                "box's acknowledgement makes the pair. Ignores --in and --out. Exit status 3 when no box\n"
                "answered (the outputs tried are named), 4 when there is no input or output to try.");
    return cmd;
}

int RunFind(const ClientSource& source, const FindOptions& options, const GlobalOptions& global, COutput& out)
{
    CBoxClient& client = source();
    CBoxFinder::Options search;
    search.replyTimeout = client.Timeout();
    std::vector<int> skipped;
    for (const std::string& skip : options.skip)
        skipped.push_back(client.Device(skip, false));
    for (const DeviceEntry& device : client.Outputs())
        if (std::find(skipped.begin(), skipped.end(), device.number) == skipped.end())
            search.outputs.push_back(device.number);

    CBoxFinder finder(client.Platform(), std::move(search));
    size_t told = 0;
    while (finder.Step()) {
        ThrowIfInterrupted();
        if (finder.Attempts().size() != told && finder.CurrentOutput() >= 0) {
            told = finder.Attempts().size();
            std::fprintf(stderr, "zmctl: trying output %s\n", client.DeviceText(finder.CurrentOutput(), false).c_str());
        }
        std::this_thread::sleep_for(CBoxClient::kPassInterval);
    }
    const std::optional<CBoxFinder::Pair> pair = finder.Found();
    if (!pair)
        NotFound(client, finder);

    const std::vector<DeviceEntry> inputs = client.Inputs();
    const std::vector<DeviceEntry> outputs = client.Outputs();
    if (options.env) {
        out.Line("ZMCTL_IN=" + ShellQuoted(Choice(inputs, pair->input)) + "; ZMCTL_OUT=" +
                 ShellQuoted(Choice(outputs, pair->output)) + "; export ZMCTL_IN ZMCTL_OUT");
    } else if (global.json) {
        CJsonWriter json;
        json.BeginObject().Key("input");
        WriteDeviceJson(json, inputs[static_cast<size_t>(pair->input)]);
        json.Key("output");
        WriteDeviceJson(json, outputs[static_cast<size_t>(pair->output)]);
        json.EndObject();
        out.Write(json.Text());
    } else {
        out.Line("ZM1 box found: input " + client.DeviceText(pair->input, true) + ", output " +
                 client.DeviceText(pair->output, false));
    }
    out.Flush();
    return kExitOk;
}
