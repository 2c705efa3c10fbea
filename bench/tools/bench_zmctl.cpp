// Figures for zmctl sync and zmctl backup against the simulated box, with
// its replies at MIDI wire speed and instant:
//  - in-process: the command alone on an open client; wall time per run and
//    wait_share, the part of it spent idle waiting for the box;
//  - as a program: zmctl started, ports listed and opened, command run;
//    at wire speed also x_wire, the run's time over the wire time of the
//    bytes the box sends (the least any run can take);
//  - start-up: the MIDI systems listed and the simulated box's ports
//    opened, until the first request has left (in-process), and a whole
//    program around one request with instant replies.
// zmctl lists JACK's ports whenever a JACK server runs: run it with and
// without one (JACK_DEFAULT_SERVER names it), and with
// --benchmark_repetitions for the "min" figures.
#include "BackupCommands.h"
#include "BoxClient.h"
#include "StateCommands.h"
#include "sim/SimMidiPlatform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

SimTiming TimingOf(const benchmark::State& state)
{
    return state.range(0) != 0 ? SimTiming::Instant : SimTiming::WireSpeed;
}

std::string TempDir()
{
    static std::string dir = [] {
        char pattern[] = "/tmp/bench-zmctl-XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp");
    }();
    return dir;
}

ClientSettings SimulatedSettings(SimTiming timing)
{
    ClientSettings settings;
    settings.simTiming = timing;
    return settings;
}

//! A client of the simulated box replying with `timing`, its input and
//! output open, and an output that writes nowhere.
struct SimulatedClient {
    explicit SimulatedClient(SimTiming timing)
        : client(SimulatedSettings(timing), std::make_unique<CSimMidiPlatform>(nullptr, timing),
                 {{"built-in", 0, 1, 0, 1}})
    {
        client.OpenInput("0");
        client.OpenOutput("0");
    }
    ~SimulatedClient() { std::fclose(null); }
    SimulatedClient(const SimulatedClient&) = delete;
    SimulatedClient& operator=(const SimulatedClient&) = delete;

    CBoxClient client;
    std::FILE* null = std::fopen("/dev/null", "w");
    COutput out{null, "/dev/null"};
};

template <typename Run>
void InProcess(benchmark::State& state, Run&& run)
{
    SimulatedClient sim(TimingOf(state));
    CBoxClient& client = sim.client;
    COutput& out = sim.out;
    const ClientSource source = [&]() -> CBoxClient& { return client; };
    GlobalOptions global;

    std::chrono::nanoseconds wall{0};
    const auto waitedBefore = client.WaitedForBox();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (run(source, global, out) != 0)
            state.SkipWithError("the command failed");
        wall += std::chrono::steady_clock::now() - start;
    }
    state.SetLabel(state.range(0) != 0 ? "replies instant" : "replies at wire speed");
    const double waited = std::chrono::duration<double>(client.WaitedForBox() - waitedBefore).count();
    state.counters["wait_share"] = waited / std::chrono::duration<double>(wall).count();
}

//! The wire time of the replies `run` gets from the box: they cross the
//! cable one after the other, while the requests reach the simulated box
//! at once. No run of the command can take less.
template <typename Run>
double RepliesWireSeconds(Run&& run)
{
    SimulatedClient sim(SimTiming::Instant);
    run([&]() -> CBoxClient& { return sim.client; }, GlobalOptions{}, sim.out);
    return static_cast<double>(sim.client.SysExReceived()) / kMidiWireBytesPerSecond;
}

int Sync(const ClientSource& source, const GlobalOptions& global, COutput& out)
{
    return RunSync(source, global, out);
}

int Backup(const ClientSource& source, const GlobalOptions& global, COutput& out)
{
    return RunBackup(source, BackupOptions{TempDir() + "/box.syx"}, global, out);
}

void BM_SyncInProcess(benchmark::State& state)
{
    InProcess(state, Sync);
}

void BM_BackupInProcess(benchmark::State& state)
{
    InProcess(state, Backup);
}

void Program(benchmark::State& state, const std::vector<std::string>& command, double wireSeconds = 0)
{
    // ZMCTL names another build of it, to compare.
    const char* binary = std::getenv("ZMCTL") != nullptr ? std::getenv("ZMCTL") : ZMCTL_BINARY;
    std::vector<std::string> args = {binary, "--in", "ZM1 Simulator", "--out", "ZM1 Simulator", "--sim-timing",
                                     state.range(0) != 0 ? "instant" : "wire"};
    args.insert(args.end(), command.begin(), command.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::chrono::nanoseconds total{0};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        const auto start = std::chrono::steady_clock::now();
        if (posix_spawn(&pid, binary, &actions, nullptr, argv.data(), environ) != 0
            || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("zmctl failed");
        total += std::chrono::steady_clock::now() - start;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (wireSeconds > 0 && state.iterations() > 0)
        state.counters["x_wire"] = std::chrono::duration<double>(total).count() /
                                   static_cast<double>(state.iterations()) / wireSeconds;
    state.SetLabel(state.range(0) != 0 ? "replies instant" : "replies at wire speed");
}

void BM_SyncProgram(benchmark::State& state)
{
    static const double wire = RepliesWireSeconds(Sync);
    Program(state, {"sync"}, state.range(0) != 0 ? 0 : wire);
}

void BM_BackupProgram(benchmark::State& state)
{
    static const double wire = RepliesWireSeconds(Backup);
    Program(state, {"backup", TempDir() + "/program.syx"}, state.range(0) != 0 ? 0 : wire);
}

// Start-up: every MIDI system listed as zmctl lists them, the simulated
// box's ports opened by name, one request handed over and out of the port.
void BM_StartUpInProcess(benchmark::State& state)
{
    ClientSettings settings;
    settings.simTiming = SimTiming::Instant;
    settings.quiet = true;
    const uint8_t request[] = {0xF0, 0x09, 0x44, 0x08, 0x00, 0xF7};
    for (auto _ : state) {
        // The ports close after the clock has stopped.
        const auto start = std::chrono::steady_clock::now();
        CBoxClient client(settings);
        client.OpenInput("ZM1 Simulator");
        client.OpenOutput("ZM1 Simulator");
        client.PortsChosen();
        client.Sender().SendSysEx(sizeof request - 2, request);
        if (!client.FinishSending().empty())
            state.SkipWithError("the request did not leave");
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetLabel("until the first request has left");
}

void BM_OneRequestProgram(benchmark::State& state)
{
    Program(state, {"get", "8", "--quiet"});
}

//! With --benchmark_repetitions, "min" is the figure of the run that other
//! work on the machine disturbed least.
double Least(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

void Timings(benchmark::internal::Benchmark* b)
{
    b->ArgName("instant")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
    b->ComputeStatistics("min", Least);
}

} // namespace

BENCHMARK(BM_SyncInProcess)->Apply(Timings);
BENCHMARK(BM_BackupInProcess)->Apply(Timings);
BENCHMARK(BM_SyncProgram)->Apply(Timings);
BENCHMARK(BM_BackupProgram)->Apply(Timings);
BENCHMARK(BM_StartUpInProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Least);
BENCHMARK(BM_OneRequestProgram)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Least);
