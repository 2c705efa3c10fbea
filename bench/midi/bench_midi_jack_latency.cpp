// Thru latency on a real JACK server, laid out as on a stage: a source
// client stands for the box's MIDI output and a separate sink client for a
// synthesiser. Each note from the source's port "out" reaches the sink three
// ways in the same run:
//   direct     source:out -> sink:direct_in
//   relay      source:out -> relay:in, relay:out -> sink:relay_in, where the
//              relay is a minimal client that copies each event within its
//              process callback, the best any separate client can do
//   ours       source:out -> our input, our thru/out port -> sink:thru_in
// Latency is the sink's frame time of an event (cycle start + event offset)
// minus the source's frame time of the note. Source and sink must be two
// clients: one client that both sends and receives closes a loop through
// every other client, and JACK delivers a loop's data one cycle late, which
// would hide what the path itself costs.
//
// Target: our thru path adds no JACK period to the direct connection
// (median); "target_met" reports it, "thru_same_cycle" the share of notes
// our path delivered in the cycle of the direct one.
//
// Why our path can match the direct one: every port we open belongs to one
// JACK client, so our input and our thru/out port sit in the same client.
// JACK2 starts a client once every client feeding its input ports has
// finished, which puts ours after the source and before the sink; within
// our process callback the inputs are read (the capture callback forwards
// each note into the thru/out port's queue) before the outputs are written,
// and a forwarded note keeps its source event's frame. A back end that made
// the thru/out port a client of its own, with no input port, would be
// started with the cycle, in parallel with the source, and would send a
// forwarded note one period late.
#include "MidiJackPeer.h"
#include "RecordingControls.h"
#include "PortRig.h"
#include "midi/DriverHandoff.h"
#include "sim/SystemMidiPlatform.h"

#include <benchmark/benchmark.h>

#include <jack/jack.h>
#include <jack/midiport.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

std::string g_privateServer;

//! Passes every event from its input to its output within the same cycle.
class CRelay {
public:
    CRelay()
    {
        jack_status_t status{};
        m_client = jack_client_open("zmbench-relay", JackNoStartServer, &status);
        if (m_client == nullptr)
            return;
        m_in = jack_port_register(m_client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        m_out = jack_port_register(m_client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        PublishToDriver(this);
        jack_set_process_callback(m_client, &CRelay::Process, this);
        jack_activate(m_client);
    }
    ~CRelay()
    {
        if (m_client != nullptr)
            jack_client_close(m_client);
    }
    std::string PortName(const char* port) const { return std::string(jack_get_client_name(m_client)) + ":" + port; }
    bool Ok() const { return m_client != nullptr; }

private:
    static int Process(jack_nframes_t frames, void* arg)
    {
        AcceptFromDriver(arg);
        auto* self = static_cast<CRelay*>(arg);
        void* in = jack_port_get_buffer(self->m_in, frames);
        void* out = jack_port_get_buffer(self->m_out, frames);
        jack_midi_clear_buffer(out);
        const jack_nframes_t count = jack_midi_get_event_count(in);
        for (jack_nframes_t e = 0; e < count; ++e) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, in, e) == 0)
                jack_midi_event_write(out, event.time, event.buffer, event.size);
        }
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_port_t* m_in = nullptr;
    jack_port_t* m_out = nullptr;
};

bool ServerAnswers()
{
    jack_status_t status{};
    jack_client_t* client = jack_client_open("zmbench-probe", JackNoStartServer, &status);
    if (client == nullptr)
        return false;
    jack_client_close(client);
    return true;
}

void StopPrivateServer()
{
    if (!g_privateServer.empty()) {
        const std::string command = std::string(ZM_JACK_SCRIPT) + " stop " + g_privateServer + " " + ZM_BENCH_STATE_DIR;
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "could not stop JACK server %s\n", g_privateServer.c_str());
    }
}

bool EnsureServer()
{
    if (std::getenv("JACK_DEFAULT_SERVER") != nullptr && ServerAnswers())
        return true;
    g_privateServer = "zmbench-" + std::to_string(::getpid());
    const std::string command = std::string(ZM_JACK_SCRIPT) + " start " + g_privateServer + " " + ZM_BENCH_STATE_DIR;
    if (std::system(command.c_str()) != 0)
        return false;
    ::setenv("JACK_DEFAULT_SERVER", g_privateServer.c_str(), 1);
    std::atexit(StopPrivateServer);
    return ServerAnswers();
}

double Median(std::vector<int64_t> values)
{
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? double(values[mid]) : (values[mid - 1] + values[mid]) / 2.0;
}

//! Latency of one note per path, in frames; -1 where it did not arrive.
struct Sample {
    int64_t direct = -1;
    int64_t relay = -1;
    int64_t thru = -1;
};

// Arg 0 opens our input before the thru/out port, as a user does; arg 1 the
// other way round. Both ports live in one client, so the order must not
// matter.
void BM_ThruLatencyJack(benchmark::State& state)
{
    enum SinkPort { kDirect, kRelay, kThru };
    CMidiJackPeer source("zmbench-source", {});
    CMidiJackPeer sink("zmbench-sink", {"direct_in", "relay_in", "thru_in"});
    CRelay relay;
    if (!relay.Ok() || !source.Connect(source.PortName("out"), sink.PortName("direct_in"))
        || !source.Connect(source.PortName("out"), relay.PortName("in"))
        || !source.Connect(relay.PortName("out"), sink.PortName("relay_in"))) {
        state.SkipWithError("cannot connect the reference paths");
        return;
    }
    auto platform = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = false});
    CaptureRings rings;
    CRecordingControls controls;
    PortRig ports(*platform, rings, controls);
    const int input = FindDevice(*platform, true, source.PortName("out"));
    const int thru = FindDevice(*platform, false, sink.PortName("thru_in"));
    if (input < 0 || thru < 0) {
        state.SkipWithError("source or sink ports not listed");
        return;
    }
    if (state.range(0) == 0) {
        ports.lists.OnInputSelect(input);
        ports.lists.OnThruSelect(thru);
    } else {
        ports.lists.OnThruSelect(thru);
        ports.lists.OnInputSelect(input);
    }
    if (!ports.session.Port(PortKind::Input).CountsAsOpen() || !ports.session.Port(PortKind::Thru).CountsAsOpen()) {
        state.SkipWithError("cannot open our input or thru/out port");
        return;
    }
    sink.Take(1, std::chrono::seconds(2));  // the program change sent on opening
    source.TakeSent(0, std::chrono::milliseconds(0));

    constexpr int kNotes = 300;
    std::vector<Sample> samples;
    const int xrunsBefore = source.XRuns();
    for (auto _ : state) {
        for (int i = 0; i < kNotes; ++i) {
            const std::vector<uint8_t> note{0x90, static_cast<uint8_t>(i & 0x7F), static_cast<uint8_t>(1 + i % 100)};
            source.Send(note);
            const auto sent = source.TakeSent(1, std::chrono::seconds(1));
            const auto got = sink.Take(3, std::chrono::seconds(1));
            Sample sample;
            if (sent.size() == 1) {
                for (const auto& r : got) {
                    if (r.bytes != note)
                        continue;  // a straggler of an earlier note
                    int64_t& slot = r.port == kDirect ? sample.direct : r.port == kRelay ? sample.relay : sample.thru;
                    if (slot < 0)
                        slot = static_cast<int32_t>(r.frame - sent[0]);
                }
            }
            samples.push_back(sample);
            rings.events.Advance(rings.events.Unread());
        }
    }

    std::vector<int64_t> direct;
    std::vector<int64_t> viaRelay;
    std::vector<int64_t> viaThru;
    int lost = 0;
    int thruWithDirect = 0;
    for (const Sample& s : samples) {
        if (s.direct < 0 || s.relay < 0 || s.thru < 0) {
            ++lost;
            continue;
        }
        direct.push_back(s.direct);
        viaRelay.push_back(s.relay);
        viaThru.push_back(s.thru);
        thruWithDirect += s.thru == s.direct;
    }
    if (direct.empty()) {
        state.SkipWithError("nothing arrived on all three paths");
        return;
    }
    const double period = sink.BufferSize();
    const double added = (Median(viaThru) - Median(direct)) / period;
    state.counters["period_frames"] = period;
    state.counters["direct_median_frames"] = Median(direct);
    state.counters["relay_median_frames"] = Median(viaRelay);
    state.counters["thru_median_frames"] = Median(viaThru);
    state.counters["added_periods"] = added;
    state.counters["added_periods_vs_relay"] = (Median(viaThru) - Median(viaRelay)) / period;
    // Share of notes our path delivered in the very cycle of the direct one.
    state.counters["thru_same_cycle"] = double(thruWithDirect) / double(direct.size());
    state.counters["lost"] = lost;
    state.counters["xruns"] = source.XRuns() - xrunsBefore;
    state.counters["target_met"] = added <= 0.0;
}
BENCHMARK(BM_ThruLatencyJack)->ArgName("thru_opened_first")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!EnsureServer()) {
        std::fprintf(stderr, "no JACK server and none could be started\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
