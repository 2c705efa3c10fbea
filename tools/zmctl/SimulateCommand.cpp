#include "SimulateCommand.h"

#include "ArgumentChecks.h"
#include "Escape.h"
#include "Interrupt.h"
#include "UsageError.h"
#include "Values.h"
#include "midi/jack/JackClient.h"
#include "midi/jack/JackMidiPorts.h"
#include "midi/rtmidi/RtMidiInputPort.h"
#include "midi/rtmidi/RtMidiOutputPort.h"
#include "midi/rtmidi/RtMidiPlatform.h"
#include "protocol/RequestBuilders.h"
#include "sim/SimMidiPlatform.h"
#include "sim/SimulatedBox.h"

#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

// Passes every message an input port delivers on to an output port, as the
// capture callback passes short messages to thru: on the input's driver
// thread, without lock or allocation. Re-arms the input's receive buffer
// after each System Exclusive message, as the capture does.
class CForwarder final : public IMidiInputHandler {
public:
    explicit CForwarder(IMidiOutputPort& target) : m_target(target) {}

    //! Queues the receive buffer on `port`; call before starting it.
    bool Arm(IMidiInputPort& port) noexcept { return Rearm(port); }

    void OnMidiInput(IMidiInputPort& port, uint32_t kind, uint32_t param1, MidiHeader* header) noexcept override
    {
        if (kind == MIM_LONGDATA && header != nullptr && header->bytesRecorded != 0) {
            Count(m_target.SendLong(header->data, header->bytesRecorded));
            Rearm(port);
        } else if (kind == MIM_LONGERROR) {
            m_lost.fetch_add(1, std::memory_order_relaxed);
            if (header != nullptr)
                Rearm(port);
        } else if (kind == MIM_DATA) {
            Count(m_target.SendShort(param1));
        }
    }

    //! Messages that could not be passed on so far.
    uint32_t Lost() const noexcept { return m_lost.load(std::memory_order_relaxed); }

private:
    void Count(MidiResult result) noexcept
    {
        if (result != MIDI_OK)
            m_lost.fetch_add(1, std::memory_order_relaxed);
    }

    bool Rearm(IMidiInputPort& port) noexcept
    {
        return QueueEmptyReceiveBuffer(port, m_header, m_buffer, sizeof m_buffer);
    }

    IMidiOutputPort& m_target;
    uint8_t m_buffer[64] = {};
    MidiHeader m_header;
    std::atomic<uint32_t> m_lost{0};
};

// One MIDI system's pair of ports joined to the box: what programs send to
// `clientIn` reaches the box, what the box answers leaves on `clientOut`.
struct Bridge {
    std::string api;
    std::string requestsTo;
    std::string repliesFrom;
    std::shared_ptr<CJackClient> jack;   //!< JACK only
    std::unique_ptr<IMidiOutputPort> clientOut;
    std::unique_ptr<IMidiOutputPort> toBox;
    std::unique_ptr<CForwarder> fromClients;
    std::unique_ptr<CForwarder> fromBox;
    std::unique_ptr<IMidiInputPort> clientIn;
    std::unique_ptr<IMidiInputPort> boxIn;

    //! Inputs first, so that nothing forwards into an output being closed.
    ~Bridge()
    {
        clientIn.reset();
        boxIn.reset();
        clientOut.reset();
        toBox.reset();
    }

    uint32_t Lost() const { return (fromClients ? fromClients->Lost() : 0) + (fromBox ? fromBox->Lost() : 0); }
};

//! Joins the bridge's client ports to the simulator's box: `clientOut`
//! must be open; `openClientIn` opens the client input around the handler
//! it is given. Throws CCommandError (status 4).
template <typename OpenClientIn>
void Join(Bridge& bridge, CSimMidiPlatform& sim, OpenClientIn&& openClientIn)
{
    if (sim.OpenOutput(0, bridge.toBox) != MIDI_OK)
        throw CCommandError(kExitPort, bridge.api + ": cannot reach the simulated box");
    bridge.fromClients = std::make_unique<CForwarder>(*bridge.toBox);
    bridge.fromBox = std::make_unique<CForwarder>(*bridge.clientOut);
    bridge.clientIn = openClientIn(*bridge.fromClients);
    if (sim.OpenInput(0, *bridge.fromBox, bridge.boxIn) != MIDI_OK || !bridge.fromBox->Arm(*bridge.boxIn)
        || bridge.boxIn->Start() != MIDI_OK)
        throw CCommandError(kExitPort, bridge.api + ": cannot reach the simulated box");
    if (!bridge.fromClients->Arm(*bridge.clientIn) || bridge.clientIn->Start() != MIDI_OK)
        throw CCommandError(kExitPort, bridge.api + ": cannot start the port " + bridge.requestsTo);
}

std::unique_ptr<Bridge> OpenJack(const std::string& name, CSimMidiPlatform& sim)
{
    auto bridge = std::make_unique<Bridge>();
    bridge->api = "JACK";
    bridge->jack = CJackClient::Open(name);
    if (!bridge->jack)
        throw CCommandError(kExitPort, "JACK: no JACK server is running (zmctl never starts one)");
    int inSlot = -1;
    int outSlot = -1;
    jack_port_t* in = bridge->jack->Register(true, "in", inSlot);
    jack_port_t* out = bridge->jack->Register(false, "out", outSlot);
    if (in == nullptr || out == nullptr)
        throw CCommandError(kExitPort, "JACK: the server refused our ports");
    bridge->requestsTo = jack_port_name(in);
    bridge->repliesFrom = jack_port_name(out);
    // Virtual ports: whoever connects is the other end, so no device is
    // watched for going away.
    bridge->clientOut = std::make_unique<CJackOutputPort>(bridge->jack, outSlot, out, std::string(), 0);
    Join(*bridge, sim, [&](IMidiInputHandler& handler) -> std::unique_ptr<IMidiInputPort> {
        return std::make_unique<CJackInputPort>(handler, bridge->jack, inSlot, in, std::string());
    });
    return bridge;
}

std::unique_ptr<Bridge> OpenAlsa(const std::string& name, CSimMidiPlatform& sim)
{
    // Without the sequencer device RtMidi throws and ALSA prints.
    if (::access("/dev/snd/seq", R_OK | W_OK) != 0)
        throw CCommandError(kExitPort, "ALSA: no sequencer here (/dev/snd/seq is missing or not accessible)");
    auto bridge = std::make_unique<Bridge>();
    bridge->api = "ALSA";
    try {
        auto midiOut = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, name);
        if (CRtMidiOutputPort::OpenVirtualPort(*midiOut, "out") != MIDI_OK)
            throw CCommandError(kExitPort, "ALSA: the sequencer refused our ports");
        bridge->clientOut = std::make_unique<CRtMidiOutputPort>(std::move(midiOut), AlsaDevice{}, name,
                                                                CRtMidiPlatform::kAlsaMaxMessage, 0);
        bridge->requestsTo = name + ":in";
        bridge->repliesFrom = name + ":out";
        Join(*bridge, sim, [&](IMidiInputHandler& handler) -> std::unique_ptr<IMidiInputPort> {
            auto input = std::make_unique<CRtMidiInputPort>(handler, AlsaDevice{}, name);
            if (input->OpenVirtual(std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, name), "in") != MIDI_OK)
                throw CCommandError(kExitPort, "ALSA: the sequencer refused our ports");
            return input;
        });
    } catch (const RtMidiError& e) {
        throw CCommandError(kExitPort, "ALSA: " + Escaped(e.getMessage()));
    }
    return bridge;
}

//! The box as delivered, then set as asked (as its parameters 5 and 8
//! would set it) before any program can talk to it.
std::unique_ptr<CSimulatedBox> MakeBox(const std::optional<int32_t>& fault, bool play)
{
    auto box = std::make_unique<CSimulatedBox>();
    struct CDiscard : ISimReplySink {
        void Reply(const uint8_t*, size_t) override {}
    };
    struct CToBox : ISysExSender {
        explicit CToBox(CSimulatedBox& box) : m_box(box) {}
        void SendSysEx(int32_t count, const uint8_t* bytes) override
        {
            CDiscard discard;
            m_box.OnMessage(bytes, static_cast<size_t>(count) + 2, discard);
        }
        CSimulatedBox& m_box;
    } toBox(*box);
    if (fault)
        SendSetParameter(toBox, CSimulatedBox::kParamFault, *fault);
    if (play)
        SendSetParameter(toBox, CSimulatedBox::kParamPlay, 1);
    return box;
}

} // namespace

CLI::App* AddSimulateCommand(CLI::App& app, SimulateOptions& options)
{
    CLI::App* cmd = app.add_subcommand("simulate", "Serve the simulated ZM1 box on JACK and ALSA ports until Ctrl-C");
    cmd->add_option("--backend", options.backend, "jack, alsa, or all that are there")
        ->check(OneOf("back-end", {"jack", "alsa", "all"}))
        ->default_val("all");
    cmd->add_option("--name", options.name, "Client name of the ports")->default_val("zm1-sim");
    cmd->add_flag("--play", options.play, "Start the key stream at once (as parameter 8 = 1 does)");
    cmd->add_option("--fault", options.fault,
                    "Simulate a fault (as parameter 5): 1-127 key N-1 has short travel, 128+K key K sticks")
        ->type_name("N");
    cmd->footer("Prints the ports it serves, then answers every request as the built-in \"ZM1 Simulator\"\n"
                "does, at wire speed unless --sim-timing instant. Any program may start and stop the key\n"
                "stream with parameter 8 (zmctl set 8 1) and set a fault with parameter 5. Ctrl-C ends it\n"
                "with exit status 0; status 4 when no MIDI system could serve the ports.");
    return cmd;
}

int RunSimulate(const SimulateOptions& options, const GlobalOptions& global, COutput& out)
{
    const std::optional<int32_t> fault =
        options.fault ? std::optional<int32_t>(ParseValue(*options.fault, "--fault", {0, 255})) : std::nullopt;
    if (options.name.empty())
        throw CUsageError("--name: the client name must not be empty");

    // Declared before the bridges, so that it outlives their ports.
    CSimMidiPlatform sim(MakeBox(fault, options.play), SimTimingFrom(global.simTiming));
    std::vector<std::unique_ptr<Bridge>> bridges;
    std::string unavailable;
    for (const char* api : {"jack", "alsa"}) {
        if (options.backend != "all" && options.backend != api)
            continue;
        try {
            bridges.push_back(api == std::string("jack") ? OpenJack(options.name, sim) : OpenAlsa(options.name, sim));
        } catch (const CCommandError& e) {
            if (options.backend != "all")
                throw;
            unavailable += (unavailable.empty() ? "" : "; ") + std::string(e.what());
        }
    }
    if (bridges.empty())
        throw CCommandError(kExitPort, "no MIDI system to serve the box on: " + unavailable);
    if (!unavailable.empty())
        std::fprintf(stderr, "zmctl: simulate: %s\n", unavailable.c_str());

    out.Line(std::string("simulated ZM1 box, replies ") +
             (global.simTiming == "instant" ? "at once" : "at MIDI wire speed") + "; Ctrl-C ends it");
    for (const auto& bridge : bridges) {
        out.Line(bridge->api + ": send requests to " + bridge->requestsTo);
        out.Line(bridge->api + ": replies come from " + bridge->repliesFrom);
    }
    out.Flush();

    uint32_t lostReported = 0;
    while (PendingInterrupt() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        uint32_t lost = 0;
        for (const auto& bridge : bridges) {
            lost += bridge->Lost();
            if (bridge->jack && bridge->jack->Gone())
                throw CCommandError(kExitPort, "JACK: the server has gone away");
        }
        if (lost != lostReported) {
            std::fprintf(stderr, "zmctl: simulate: %u messages could not be passed on so far\n", lost);
            lostReported = lost;
        }
    }
    std::fprintf(stderr, "zmctl: simulate: stopped\n");
    return kExitOk;
}
