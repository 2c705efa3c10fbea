#include "MonitorCommand.h"

#include "protocol/RequestBuilders.h"
#include "Interrupt.h"
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

int RunMonitor(const ClientSource& source, const GlobalOptions& global, const MonitorOptions& options, COutput& out)
{
    (void)global;
    CBoxClient& client = source();
    if (!options.thru.empty())
        client.OpenThru(options.thru);

    client.PrintLinesTo(&out);
    // The key stream stops however the monitor ends (Ctrl-C, a closed
    // output); zmctl lets the request leave before it closes the ports.
    struct StopPlaying {
        CBoxClient* client;
        ~StopPlaying()
        {
            if (client) {
                client->PrintLinesTo(nullptr);
                SendSetParameter(client->Sender(), CSimulatedBox::kParamPlay, 0);
            }
        }
    } stop{options.play && PendingInterrupt() == 0 ? &client : nullptr};
    // Asked to stop while the ports opened: the key stream never starts.
    if (stop.client)
        SendSetParameter(client.Sender(), CSimulatedBox::kParamPlay, 1);
    client.RunUntilInterrupted(nullptr);
    client.PrintLinesTo(nullptr);
    return kExitOk;
}
