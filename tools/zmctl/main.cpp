// zmctl: the command-line companion of zm_config.
#include "ArgumentChecks.h"
#include "BackupCommands.h"
#include "DecodeCommand.h"
#include "DumpCommand.h"
#include "FindCommand.h"
#include "Escape.h"
#include "GlobalOptions.h"
#include "Interrupt.h"
#include "MonitorCommand.h"
#include "Output.h"
#include "RequestCommand.h"
#include "SimulateCommand.h"
#include "StateCommands.h"
#include "UsageError.h"
#include "ZoneCommands.h"
#include "midi/StandardDescriptors.h"
#include "zm/Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct CommandEntry {
    CLI::App* app;
    std::function<int()> run;
    //! Prints message-window lines as they come, so takes no --json.
    bool printsLines = false;
    //! Takes the global options (all but decode, which works on files).
    bool takesGlobals = true;
};

//! The first word that is neither an option nor a global option's value:
//! the command's name, or null.
const char* CommandWord(int argc, char** argv)
{
    static constexpr const char* kTakeValue[] = {"--in", "--out", "--timeout", "--sim-timing"};
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-')
            return argv[i];
        for (const char* option : kTakeValue)
            if (std::strcmp(argv[i], option) == 0)
                ++i;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    ReopenClosedStandardDescriptors();
    InstallInterruptHandling();

    CLI::App app("zmctl - command-line companion of zm_config for the ZM1 key-scanner controller", "zmctl");
    app.require_subcommand(1);
    // Global options may follow the command's name too.
    app.fallthrough();
    GlobalOptions global;
    AddGlobalOptions(app, global);
    app.set_version_flag("-V,--version", "zmctl " ZM_VERSION, "Print zmctl's version and exit");
    app.footer("Exit status: 0 success; 1 diff found differences; 2 bad arguments or input; 3 no answer from\n"
               "the box within the timeout; 4 port not found, ambiguous or not opened, or a request that could\n"
               "not leave it; 5 a write the box did not confirm or a request it refused; 6 output could not be\n"
               "written; 130 interrupted (Ctrl-C). See zmctl(1).");

    RequestOptions request;
    GetOptions get;
    SetOptions set;
    ZoneOptions zone;
    MuteOptions mute;
    PresetOptions preset;
    AotOptionsArgs aot;
    DumpOptions dump;
    MonitorOptions monitor;
    BackupOptions backup;
    BackupOptions restore;
    BackupOptions diff;
    SimulateOptions simulate;
    DecodeOptions decode;
    FindOptions find;

    std::unique_ptr<CBoxClient> client;
    bool needInput = true;
    bool needOutput = true;
    COutput out(stdout, "standard output");
    const ClientSource source = [&]() -> CBoxClient& {
        if (!client) {
            client = OpenClient(global, needInput, needOutput);
            // The ports used are named before the first result.
            out.BeforeFirstWrite([&client] { client->ListingIn(); });
        }
        return *client;
    };

    const std::vector<CommandEntry> commands = {
        {AddPortsCommand(app),
         [&] {
             needInput = needOutput = false;
             return RunPorts(source, global, out);
         }},
        {AddRequestCommand(app, request), [&] { return RunRequest(source, request, out); }, true},
        {AddSyncCommand(app), [&] { return RunSync(source, global, out); }},
        {AddGetCommand(app, get), [&] { return RunGet(source, get, global, out); }},
        {AddSetCommand(app, set), [&] { return RunSet(source, set, global, out); }},
        {AddZoneCommand(app, zone), [&] { return RunZone(source, zone, global, out); }},
        {AddMuteCommand(app, mute), [&] { return RunMute(source, mute, global, out); }},
        {AddPresetCommand(app, preset), [&] { return RunPreset(source, preset, global, out); }},
        {AddAotCommand(app, aot), [&] { return RunAot(source, aot, global, out); }},
        {AddDumpCommand(app, dump), [&] { return RunDump(source, dump, global, out); }},
        {AddMonitorCommand(app, monitor),
         [&] {
             needOutput = monitor.play;
             return RunMonitor(source, global, monitor, out);
         }},
        {AddBackupCommand(app, backup), [&] { return RunBackup(source, backup, global, out); }},
        {AddRestoreCommand(app, restore), [&] { return RunRestore(source, restore, global, out); }},
        {AddDiffCommand(app, diff), [&] { return RunDiff(source, diff, global, out); }},
        {AddSimulateCommand(app, simulate), [&] { return RunSimulate(simulate, global, out); }, true},
        {AddDecodeCommand(app, decode), [&] { return RunDecode(decode, out); }, true, false},
        {AddFindCommand(app, find),
         [&] {
             needInput = needOutput = false;
             return RunFind(source, find, global, out);
         }},
    };

    // CLI11 shows a command's own options only; the shared ones work with
    // every command that talks to the box.
    std::string names;
    for (const CommandEntry& command : commands) {
        names += (names.empty() ? "" : ", ") + command.app->get_name();
        if (command.takesGlobals)
            command.app->footer(command.app->get_footer() + (command.app->get_footer().empty() ? "" : "\n") +
                                "Global options (zmctl --help): --in DEV, --out DEV, --timeout MS, --json,\n"
                                "--sim-timing wire|instant, -v, -q.");
    }

    // Without this CLI11 would only say that a subcommand is required.
    const char* word = CommandWord(argc, argv);
    if (word != nullptr && std::none_of(commands.begin(), commands.end(),
                                        [&](const CommandEntry& command) { return command.app->get_name() == word; })) {
        std::fprintf(stderr, "zmctl: error: unknown command '%s' (commands: %s)\nRun with --help for more information.\n",
                     Escaped(word).c_str(), names.c_str());
        return kUsageExit;
    }
    // Help is a result like any other: a failed write of it is an error.
    const auto help = [&](const CLI::Error& e) {
        const int status = app.exit(e);
        try {
            out.Flush();
        } catch (const CCommandError& failed) {
            std::fprintf(stderr, "zmctl: error: %s\n", failed.what());
            return failed.Status();
        }
        return status;
    };
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return help(e);
    } catch (const CLI::CallForAllHelp& e) {
        return help(e);
    } catch (const CLI::CallForVersion& e) {
        return help(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "zmctl: error: %s\nRun with --help for more information.\n",
                     Escaped(PlainParseMessage(e.what())).c_str());
        return kUsageExit;
    }

    int status = kUsageExit;
    try {
        for (const CommandEntry& command : commands)
            if (command.app->parsed()) {
                // A JSON option they would pass over in silence is refused.
                if (global.json && command.printsLines) {
                    std::fprintf(stderr, "zmctl: error: --json: %s prints message-window lines as text, not JSON\n"
                                 "Run with --help for more information.\n", command.app->get_name().c_str());
                    return kUsageExit;
                }
                status = command.run();
                break;
            }
    } catch (const CCommandError& e) {
        // The ports used are named, and results already written go out,
        // before the message.
        if (client)
            client->ListingIn();
        std::fflush(stdout);
        std::fprintf(stderr, "zmctl: error: %s\n", e.what());
        status = e.Status();
    }
    // However the command ended, what it queued for the box leaves now, or
    // the user learns what the box did not get.
    if (client) {
        const std::vector<std::string> notSent = client->FinishSending();
        for (const std::string& request : notSent)
            std::fprintf(stderr, "zmctl: error: request %s did not leave the output port\n", request.c_str());
        if (!notSent.empty() && (status == kExitOk || status == kExitDifferent))
            status = kExitPort;
    }
    return status;
}
