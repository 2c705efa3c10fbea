// Figures for zmctl sync and zmctl backup against the simulated box, with
// its replies at MIDI wire speed and instant:
//  - in-process: the command alone on an open client; wall time per run and
//    wait_share, the part of it spent idle waiting for the box;
//  - as a program: zmctl started, ports listed and opened, command run.
#include "BackupCommands.h"
#include "BoxClient.h"
#include "StateCommands.h"
#include "sim/SimMidiPlatform.h"

#include <benchmark/benchmark.h>

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

template <typename Run>
void InProcess(benchmark::State& state, Run&& run)
{
    ClientSettings settings;
    settings.simTiming = TimingOf(state);
    CBoxClient client(settings, std::make_unique<CSimMidiPlatform>(nullptr, settings.simTiming),
                      {{"built-in", 0, 1, 0, 1}});
    client.OpenInput("0");
    client.OpenOutput("0");
    std::FILE* null = std::fopen("/dev/null", "w");
    COutput out(null, "/dev/null");
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
    std::fclose(null);
}

void BM_SyncInProcess(benchmark::State& state)
{
    InProcess(state, [](const ClientSource& source, const GlobalOptions& global, COutput& out) {
        return RunSync(source, global, out);
    });
}

void BM_BackupInProcess(benchmark::State& state)
{
    const BackupOptions options{TempDir() + "/box.syx"};
    InProcess(state, [&](const ClientSource& source, const GlobalOptions& global, COutput& out) {
        return RunBackup(source, options, global, out);
    });
}

void Program(benchmark::State& state, const std::vector<std::string>& command)
{
    std::vector<std::string> args = {ZMCTL_BINARY, "--in", "ZM1 Simulator", "--out", "ZM1 Simulator", "--sim-timing",
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
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, ZMCTL_BINARY, &actions, nullptr, argv.data(), environ) != 0
            || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("zmctl failed");
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetLabel(state.range(0) != 0 ? "replies instant" : "replies at wire speed");
}

void BM_SyncProgram(benchmark::State& state)
{
    Program(state, {"sync"});
}

void BM_BackupProgram(benchmark::State& state)
{
    Program(state, {"backup", TempDir() + "/program.syx"});
}

void Timings(benchmark::internal::Benchmark* b)
{
    b->ArgName("instant")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_SyncInProcess)->Apply(Timings);
BENCHMARK(BM_BackupInProcess)->Apply(Timings);
BENCHMARK(BM_SyncProgram)->Apply(Timings);
BENCHMARK(BM_BackupProgram)->Apply(Timings);
