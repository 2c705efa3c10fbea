// Round trips through the main window against the built-in simulated box
// (run offscreen: QT_QPA_PLATFORM=offscreen).
//
//   BM_SynchronizeData/wire|instant
//       From the "Synchronize Data" click to the last of its fifteen replies
//       shown in the message window. Counters: arrival_ms (the last reply's
//       last byte at the input, after the click), shown_ms (its line in the
//       window), after_arrival_ms and after_arrival_ticks (shown − arrival,
//       in ms and in 100 ms decoder ticks: the target is within 2 ticks).
//   BM_EepromDump/wire
//       The 2,048-byte EEPROM dump at wire speed, click to last line.
//       Counters: dump_ms, and how responsive the window stays meanwhile:
//       worst_event_gap_ms, the longest time the window thread did not turn
//       its event loop (decoder ticks, repaints and all).
#include "editors/MainEditors.h"
#include "midi/CaptureRings.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/MessageWindowModel.h"
#include "ui/Zm_configDlg.h"

#include <QApplication>
#include <QStandardPaths>
#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// The simulator's devices, with the time at which the last System Exclusive
// message reached the input: the handler sits between the port and the
// capture callback.
class CStampingPlatform : public IMidiPlatform {
public:
    explicit CStampingPlatform(SimTiming timing) : m_sim(nullptr, timing) {}

    int InputDeviceCount() const override { return m_sim.InputDeviceCount(); }
    int OutputDeviceCount() const override { return m_sim.OutputDeviceCount(); }
    std::string InputDeviceName(int device) const override { return m_sim.InputDeviceName(device); }
    std::string OutputDeviceName(int device) const override { return m_sim.OutputDeviceName(device); }
    MidiResult OpenInput(int device, IMidiInputHandler& handler, std::unique_ptr<IMidiInputPort>& port) override
    {
        m_stamper.target = &handler;
        return m_sim.OpenInput(device, m_stamper, port);
    }
    MidiResult OpenOutput(int device, std::unique_ptr<IMidiOutputPort>& port) override
    {
        return m_sim.OpenOutput(device, port);
    }

    Clock::time_point LastArrival() const { return Clock::time_point(Clock::duration(m_stamper.last.load())); }

private:
    struct CStamper : IMidiInputHandler {
        void OnMidiInput(IMidiInputPort& port, uint32_t kind, uint32_t param1, MidiHeader* header) noexcept override
        {
            if (kind == MIM_LONGDATA && param1 != 0)
                last.store(Clock::now().time_since_epoch().count());
            target->OnMidiInput(port, kind, param1, header);
        }
        IMidiInputHandler* target = nullptr;
        std::atomic<Clock::rep> last{0};
    };

    CSimMidiPlatform m_sim;
    CStamper m_stamper;
};

struct Window {
    explicit Window(SimTiming timing)
        : platform(new CStampingPlatform(timing))
        , dlg(nullptr, std::unique_ptr<IMidiPlatform>(platform))
    {
        dlg.OnInitDialog();
        dlg.show();
        dlg.Editors().OnListSelChange(IDC_MIDI_IN_LIST, 0);
        dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    }

    //! The newest line of the message window, once the views know of it.
    std::string LastLine()
    {
        const CMessageLog& log = dlg.MessageWindow().Log();
        return log.Count() == 0 ? std::string() : std::string(log.Line(log.Count() - 1));
    }

    CStampingPlatform* platform;
    CZm_configDlg dlg;
};

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

//! Runs the event loop until `done` or 20 s; returns the worst gap between
//! two turns of the loop.
template <typename Done>
Clock::duration RunUntil(Done done)
{
    Clock::duration worst{};
    auto last = Clock::now();
    const auto deadline = last + std::chrono::seconds(20);
    while (!done() && Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto now = Clock::now();
        worst = std::max(worst, now - last);
        last = now;
    }
    return worst;
}

void BM_SynchronizeData(benchmark::State& state)
{
    const bool wire = state.range(0) != 0;
    Window w(wire ? SimTiming::WireSpeed : SimTiming::Instant);
    const std::string lastReply = "43  parameter#: 031 value 000 ZmFunc_Aot_t_delay";
    double arrival = 0, shown = 0, after = 0;
    for (auto _ : state) {
        w.dlg.MessageWindow().Clear();
        const auto click = Clock::now();
        w.dlg.Editors().OnCommand(IDC_SYNCHRONIZE);
        RunUntil([&] { return w.LastLine() == lastReply; });
        const auto end = Clock::now();
        if (w.LastLine() != lastReply) {
            state.SkipWithError("the last reply never showed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - click).count());
        arrival += Ms(w.platform->LastArrival() - click);
        shown += Ms(end - click);
        after += Ms(end - w.platform->LastArrival());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["arrival_ms"] = arrival / n;
    state.counters["shown_ms"] = shown / n;
    state.counters["after_arrival_ms"] = after / n;
    state.counters["after_arrival_ticks"] = after / n / 100.0;
    state.SetLabel(wire ? "wire speed" : "instant");
}
BENCHMARK(BM_SynchronizeData)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_EepromDump(benchmark::State& state)
{
    Window w(SimTiming::WireSpeed);
    // The dump ends with the empty line after the last 32-byte row of its
    // eighth acknowledgement; count acknowledgements instead.
    auto acknowledgements = [&] {
        const CMessageLog& log = w.dlg.MessageWindow().Log();
        int n = 0;
        for (size_t i = 0; i < log.Count(); ++i)
            n += log.Line(i).rfind("EEPROM PEEK Acknowledge address", 0) == 0;
        return n;
    };
    double dumpMs = 0, worstGap = 0;
    for (auto _ : state) {
        w.dlg.MessageWindow().Clear();
        const auto click = Clock::now();
        w.dlg.Editors().OnCommand(IDC_EEPROM_DUMP);
        const auto gap = RunUntil([&] { return acknowledgements() == 8 && w.LastLine().empty(); });
        const auto end = Clock::now();
        if (acknowledgements() != 8) {
            state.SkipWithError("the dump never completed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - click).count());
        dumpMs += Ms(end - click);
        worstGap = std::max(worstGap, Ms(gap));
    }
    state.counters["dump_ms"] = dumpMs / static_cast<double>(state.iterations());
    state.counters["worst_event_gap_ms"] = worstGap;
    state.SetLabel("2048 bytes, wire speed");
}
BENCHMARK(BM_EepromDump)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
