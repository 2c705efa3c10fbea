// How long finding the box takes against the simulated box answering at
// MIDI wire speed, stepped every 10 ms as the window's own timer does: with
// the box the first output tried, and behind a MIDI through port (an echo)
// and a synthesiser, each of which costs one reply timeout (100 ms here).
// Target: under 1 s plus one reply timeout per silent output.
#include "DeviceRow.h"
#include "protocol/BoxFinder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

void FindBox(benchmark::State& state, std::vector<RowDevice> row)
{
    const auto platform = MakeDeviceRow(row, SimTiming::WireSpeed);
    CBoxFinder::Options options;
    for (int n = 0; n < platform->OutputDeviceCount(); ++n)
        options.outputs.push_back(n);
    options.replyTimeout = std::chrono::milliseconds(100);
    const auto target = std::chrono::milliseconds(1000) + options.replyTimeout * static_cast<int>(row.size() - 1);
    bool found = true;
    auto worst = std::chrono::steady_clock::duration::zero();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        CBoxFinder finder(*platform, options);
        while (finder.Step())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        worst = std::max(worst, std::chrono::steady_clock::now() - start);
        found = found && finder.Found().has_value() && finder.Found()->output == platform->OutputDeviceCount() - 1;
    }
    state.counters["found"] = found;
    state.counters["worst_ms"] = std::chrono::duration<double, std::milli>(worst).count();
    state.counters["target_met"] = found && worst < target;
}

void BoxFirst(benchmark::State& state)
{
    FindBox(state, {{"ZM1 Simulator", DeviceKind::Box}});
}

void BoxBehindDecoys(benchmark::State& state)
{
    FindBox(state, {{"Midi Through", DeviceKind::Echo}, {"Synth", DeviceKind::Silent}, {"ZM1 Simulator", DeviceKind::Box}});
}

} // namespace

BENCHMARK(BoxFirst)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BoxBehindDecoys)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
