// How long "Save setup…", "Load setup…" and "Compare with box…" take in the
// window against the simulated box answering at MIDI wire speed, stepped
// every 5 ms as the window's own timer does: from the start of the task to
// its result line. A setup is 27 parameters and 4 zones (280 bytes of
// requests); a save reads 4 zones and 32 parameters, a load writes the
// whole setup and reads it back, a compare reads what the setup sets.
#include "DeviceRow.h"
#include "RecordingControls.h"
#include "editors/MainEditors.h"
#include "res/resource.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Task = bool (CBoxSetups::*)(const std::string&, const std::string&);

std::string SetupFile()
{
    static const std::string file = [] {
        char pattern[] = "/tmp/bench-setups-XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp") + "/box.syx";
    }();
    return file;
}

struct Window {
    CRecordingControls controls;
    CMainEditors editors{controls, MakeDeviceRow({{"ZM1 Simulator", DeviceKind::Box}}, SimTiming::WireSpeed)};

    Window()
    {
        editors.OnListSelChange(IDC_MIDI_IN_LIST, 0);
        editors.OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    }

    bool Run(Task task)
    {
        if (!(editors.Setups().*task)(SetupFile(), {}))
            return false;
        while (editors.StepSetups())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return editors.Setups().LastOutcome().completed;
    }
};

void Measure(benchmark::State& state, Task task)
{
    Window window;
    if (!window.Run(&CBoxSetups::Save)) {
        state.SkipWithError("the first save failed");
        return;
    }
    auto worst = std::chrono::steady_clock::duration::zero();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!window.Run(task))
            state.SkipWithError("the task did not complete");
        worst = std::max(worst, std::chrono::steady_clock::now() - start);
    }
    state.counters["worst_ms"] = std::chrono::duration<double, std::milli>(worst).count();
}

void Save(benchmark::State& state)
{
    Measure(state, &CBoxSetups::Save);
}

void Load(benchmark::State& state)
{
    Measure(state, &CBoxSetups::Load);
}

void Compare(benchmark::State& state)
{
    Measure(state, &CBoxSetups::Compare);
}

} // namespace

BENCHMARK(Save)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(Load)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(Compare)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
