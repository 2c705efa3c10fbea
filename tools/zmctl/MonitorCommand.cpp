#include "MonitorCommand.h"

#include "protocol/RequestBuilders.h"
#include "UsageError.h"
#include "sim/SimulatedBox.h"

CLI::App* AddMonitorCommand(CLI::App& app, MonitorOptions& options)
{
    CLI::App* cmd = app.add_subcommand("monitor", "Print every line from the box as it arrives, until Ctrl-C");
    cmd->add_option("--thru", options.thru, "Pass the box's stream on to this output (a synthesiser)")
        ->type_name("DEV");
    cmd->add_flag("--play", options.play,
                  "Start a simulated box's key stream (parameter 8) on --out, and stop it at the end");
    cmd->footer("Needs --in; --out only with --play. Ends with exit status 0 on Ctrl-C.");
    return cmd;
}

int RunMonitor(const GlobalOptions& global, const MonitorOptions& options, COutput& out)
{
    std::unique_ptr<CBoxClient> client = OpenClient(global, true, options.play);
    if (!options.thru.empty())
        client->OpenThru(options.thru);

    client->PrintLinesTo(&out);
    // The key stream stops however the monitor ends (Ctrl-C, a closed
    // output); the client lets the request leave before it closes.
    struct StopPlaying {
        CBoxClient* client;
        ~StopPlaying()
        {
            if (client)
                SendSetParameter(client->Sender(), CSimulatedBox::kParamPlay, 0);
        }
    } stop{options.play ? client.get() : nullptr};
    if (options.play)
        SendSetParameter(client->Sender(), CSimulatedBox::kParamPlay, 1);
    client->RunUntilInterrupted(nullptr);
    client->PrintLinesTo(nullptr);
    return kExitOk;
}
