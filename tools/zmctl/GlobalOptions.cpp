#include "GlobalOptions.h"

#include "ArgumentChecks.h"

void AddGlobalOptions(CLI::App& app, GlobalOptions& options)
{
    app.add_option("--in", options.in, "Input port the box answers on: number or unique part of its name")
        ->envname("ZMCTL_IN")
        ->type_name("DEV");
    app.add_option("--out", options.out, "Output port to the box: number or unique part of its name")
        ->envname("ZMCTL_OUT")
        ->type_name("DEV");
    app.add_option("--timeout", options.timeoutMs, "How long to wait for an answer after the request (or its last part), and for a port to appear, in ms")
        ->check(WholeNumberIn(1, 600000))
        ->default_val(500)
        ->type_name("MS");
    app.add_flag("--json", options.json, "Print results as JSON");
    app.add_option("--sim-timing", options.simTiming,
                   "Replies of the built-in \"ZM1 Simulator\": wire (MIDI cable speed) or instant")
        ->envname("ZMCTL_SIM_TIMING")
        ->check(OneOf("timing", {"wire", "instant"}))
        ->default_val("wire")
        ->type_name("TIMING");
    app.add_flag("-v,--verbose", options.verbose, "Also print every message-window line to standard error");
    app.add_flag("-q,--quiet", options.quiet, "Do not name the ports used on standard error");
}

SimTiming SimTimingFrom(const std::string& name)
{
    return name == "instant" ? SimTiming::Instant : SimTiming::WireSpeed;
}

ClientSettings SettingsFrom(const GlobalOptions& options)
{
    ClientSettings settings;
    settings.timeout = std::chrono::milliseconds(options.timeoutMs);
    settings.simTiming = SimTimingFrom(options.simTiming);
    settings.verbose = options.verbose;
    settings.quiet = options.quiet;
    return settings;
}

std::unique_ptr<CBoxClient> OpenClient(const GlobalOptions& options, bool input, bool output)
{
    ClientSettings settings = SettingsFrom(options);
    // Ports chosen by name on the built-in box need no JACK listing first.
    settings.listJackInBackground = input || output;
    auto client = std::make_unique<CBoxClient>(settings);
    if (input)
        client->OpenInput(options.in);
    if (output)
        client->OpenOutput(options.out);
    // Commands that open ports of their own (find) keep what listed them.
    if (input || output)
        client->PortsChosen();
    return client;
}
