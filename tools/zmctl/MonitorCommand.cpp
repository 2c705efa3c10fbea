#include "MonitorCommand.h"

#include "FrameText.h"
#include "Interrupt.h"
#include "UsageError.h"
#include "protocol/RequestBuilders.h"
#include "sim/SimulatedBox.h"

#include <cstdio>

CLI::App* AddMonitorCommand(CLI::App& app, MonitorOptions& options)
{
    CLI::App* cmd = app.add_subcommand("monitor", "Print every line from the box as it arrives, until Ctrl-C");
    cmd->add_option("--thru", options.thru, "Pass the box's stream on to this output (a synthesiser)")
        ->type_name("DEV");
    cmd->add_flag("--play", options.play,
                  "Start a simulated box's key stream (parameter 8) on --out, and stop it at the end");
    cmd->add_flag("-T,--timestamps", options.timestamps,
                  "Begin each line with the seconds since the monitor started, to the microsecond");
    cmd->add_flag("--hex", options.hex, "Print each message's bytes in hex instead of the lines it gives");
    cmd->footer("Needs --in; --out only with --play. Ends with exit status 0 on Ctrl-C. With --json, one JSON\n"
                "object per line for every message: time (seconds since the start), direction (in from the\n"
                "box, out for what --play sends), bytes (hex) and lines (what the message window shows).");
    return cmd;
}

namespace {

//! Prints each message as the options ask.
class CMonitorPrinter {
public:
    CMonitorPrinter(const MonitorOptions& options, bool json, COutput& out)
        : m_options(options), m_json(json), m_out(out), m_start(std::chrono::steady_clock::now())
    {
    }

    void Print(const char* direction, std::chrono::steady_clock::time_point time, const std::vector<uint8_t>& bytes,
               const std::vector<std::string>& lines)
    {
        const double seconds = std::chrono::duration<double>(time - m_start).count();
        if (m_json) {
            CJsonWriter json(true);
            json.BeginObject().Key("time").Value(seconds).Key("direction").Value(direction);
            json.Key("bytes").Value(FrameText(bytes.data(), bytes.size())).Key("lines").BeginArray();
            for (const std::string& line : lines)
                json.Value(line);
            json.EndArray().EndObject();
            m_out.Write(json.Text());
        } else {
            char stamp[32] = "";
            if (m_options.timestamps)
                std::snprintf(stamp, sizeof stamp, "%.6f ", seconds);
            if (m_options.hex) {
                if (!bytes.empty())
                    m_out.Line(stamp + FrameText(bytes.data(), bytes.size()));
            } else {
                for (const std::string& line : lines)
                    m_out.Line(stamp + line);
            }
        }
        m_out.Flush();
    }

private:
    const MonitorOptions& m_options;
    bool m_json;
    COutput& m_out;
    std::chrono::steady_clock::time_point m_start;
};

//! Passes requests on and shows them as leaving (--json).
class CShownSender : public ISysExSender {
public:
    CShownSender(ISysExSender& target, CMonitorPrinter* printer) : m_target(target), m_printer(printer) {}
    void SendSysEx(int32_t count, const uint8_t* bytes) override
    {
        m_target.SendSysEx(count, bytes);
        if (m_printer)
            m_printer->Print("out", std::chrono::steady_clock::now(), {bytes, bytes + count + 2}, {});
    }

private:
    ISysExSender& m_target;
    CMonitorPrinter* m_printer;
};

} // namespace

int RunMonitor(const ClientSource& source, const GlobalOptions& global, const MonitorOptions& options, COutput& out)
{
    CMonitorPrinter printer(options, global.json, out);
    CBoxClient& client = source();
    if (!options.thru.empty())
        client.OpenThru(options.thru);

    // Message by message when each needs its time or bytes; otherwise the
    // lines of each pass, as the message window shows them.
    const bool perMessage = options.timestamps || options.hex || global.json;
    if (perMessage)
        client.HandleMessages([&](const ArrivedMessage& message) {
            // The input's own notices (opened, closed) carry neither.
            if (!message.bytes.empty() || !message.lines.empty())
                printer.Print("in", message.time, message.bytes, message.lines);
        });
    else
        client.PrintLinesTo(&out);
    CShownSender sender(client.Sender(), global.json ? &printer : nullptr);
    // The key stream stops however the monitor ends (Ctrl-C, a closed
    // output); zmctl lets the request leave before it closes the ports.
    struct StopPlaying {
        CBoxClient* client;
        ISysExSender& sender;
        ~StopPlaying()
        {
            if (!client)
                return;
            client->PrintLinesTo(nullptr);
            client->HandleMessages(nullptr);
            try {
                SendSetParameter(sender, CSimulatedBox::kParamPlay, 0);
            } catch (const CCommandError&) {
                // Showing it failed (a closed output): it is sent all the same.
            }
        }
    } stop{options.play && PendingInterrupt() == 0 ? &client : nullptr, sender};
    // Asked to stop while the ports opened: the key stream never starts.
    if (stop.client)
        SendSetParameter(sender, CSimulatedBox::kParamPlay, 1);
    client.RunUntilInterrupted(nullptr);
    client.PrintLinesTo(nullptr);
    client.HandleMessages(nullptr);
    return kExitOk;
}
