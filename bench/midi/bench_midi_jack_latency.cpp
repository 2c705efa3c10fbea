// Thru latency on a real JACK server: a peer sends notes from its port
// "out", which is connected straight to the peer's "direct_in", to a
// minimal relay client (copies each event in its process callback, the best
// any separate client can do) that returns them to "relay_in", and to our
// input; our thru port forwards them to "thru_in". The peer notes the frame
// time each note left and arrived, so all paths are measured in the same
// run and compared in JACK periods.
#include "MidiJackPeer.h"
#include "RecordingControls.h"
#include "midi/CombinedMidiPlatform.h"
#include "midi/DriverHandoff.h"
#include "midi/MidiPorts.h"

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

int FindDevice(const IMidiPlatform& platform, bool input, const std::string& name)
{
    const int count = input ? platform.InputDeviceCount() : platform.OutputDeviceCount();
    for (int n = 0; n < count; ++n)
        if ((input ? platform.InputDeviceName(n) : platform.OutputDeviceName(n)) == name)
            return n;
    return -1;
}

double Median(std::vector<int64_t> values)
{
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? double(values[mid]) : (values[mid - 1] + values[mid]) / 2.0;
}

void BM_ThruLatencyJack(benchmark::State& state)
{
    CMidiJackPeer peer("zmbench-peer", {"direct_in", "thru_in", "relay_in"});
    CRelay relay;
    if (!relay.Ok() || !peer.Connect(peer.PortName("out"), peer.PortName("direct_in"))
        || !peer.Connect(peer.PortName("out"), relay.PortName("in"))
        || !peer.Connect(relay.PortName("out"), peer.PortName("relay_in"))) {
        state.SkipWithError("cannot connect the reference paths");
        return;
    }
    auto platform = CreateMidiPlatform({.alsa = false, .jack = true, .simulator = false});
    CaptureRings rings;
    CRecordingControls controls;
    CMidiPorts ports(*platform, rings, controls, {});
    const int input = FindDevice(*platform, true, peer.PortName("out"));
    const int thru = FindDevice(*platform, false, peer.PortName("thru_in"));
    if (input < 0 || thru < 0) {
        state.SkipWithError("peer ports not listed");
        return;
    }
    ports.OnInputSelect(input);
    ports.OnThruSelect(thru);
    peer.Take(1, std::chrono::seconds(2));  // the program change sent on opening

    std::vector<int64_t> direct;
    std::vector<int64_t> viaThru;
    std::vector<int64_t> viaRelay;
    int lost = 0;
    for (auto _ : state) {
        for (int i = 0; i < 300; ++i) {
            peer.Send({0x90, static_cast<uint8_t>(i & 0x7F), 0x40});
            const auto got = peer.Take(3, std::chrono::seconds(1));
            bool seenDirect = false;
            bool seenThru = false;
            bool seenRelay = false;
            for (const auto& r : got) {
                const int64_t frames = static_cast<int32_t>(r.frame - r.sentFrame);
                if (r.port == 0 && !seenDirect) {
                    direct.push_back(frames);
                    seenDirect = true;
                } else if (r.port == 1 && !seenThru) {
                    viaThru.push_back(frames);
                    seenThru = true;
                } else if (r.port == 2 && !seenRelay) {
                    viaRelay.push_back(frames);
                    seenRelay = true;
                }
            }
            lost += !(seenDirect && seenThru && seenRelay);
            rings.events.Advance(rings.events.Unread());
        }
    }
    if (direct.empty() || viaThru.empty() || viaRelay.empty()) {
        state.SkipWithError("nothing arrived");
        return;
    }
    const double period = peer.BufferSize();
    state.counters["period_frames"] = period;
    state.counters["direct_median_frames"] = Median(direct);
    state.counters["relay_median_frames"] = Median(viaRelay);
    state.counters["thru_median_frames"] = Median(viaThru);
    state.counters["added_periods"] = (Median(viaThru) - Median(direct)) / period;
    state.counters["added_periods_vs_relay"] = (Median(viaThru) - Median(viaRelay)) / period;
    state.counters["lost"] = lost;
}
BENCHMARK(BM_ThruLatencyJack)->Iterations(1)->Unit(benchmark::kMillisecond);

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
