// The Keyboard View under a heavy note stream (run offscreen or under Xvfb).
//
//   BM_KeyboardViewUnderNotes/2000
//       2,000 notes a second (note-on and note-off each) arrive on the input
//       from a driver thread for 3 s while the main window and the Keyboard
//       View are shown. Counters: window_thread_cpu_percent (CPU time of the
//       window thread over wall time; target under 20 %), worst_frame_ms and
//       mean_frame_ms (the view's paint; target under 5 ms), frames.
#include "FakeMidiPlatform.h"
#include "editors/MainEditors.h"
#include "res/resource.h"
#include "ui/KeyboardView.h"
#include "ui/MessageWindowModel.h"
#include "ui/Zm_configDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>
#include <thread>

namespace {

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void BM_KeyboardViewUnderNotes(benchmark::State& state)
{
    const int notesPerSecond = static_cast<int>(state.range(0));
    auto* platform = new CFakeMidiPlatform({"Keys"}, {});
    CZm_configDlg dlg(nullptr, std::unique_ptr<IMidiPlatform>(platform));
    dlg.OnInitDialog();
    dlg.show();
    dlg.Editors().OnListSelChange(IDC_MIDI_IN_LIST, 0);
    // One zone over the 88 keys on channel 1, as Synchronize Data would set it.
    dlg.Held().Zones[0] = ZoneRecord{0, 87, 21, 0, 14, 0, 0, 0};
    dlg.Held().MuteBits = 0xF;
    dlg.Editors().KeyboardView().ZonesChanged();
    CKeyboardViewWindow& view = dlg.OpenKeyboardView();
    QTest::qWait(300);

    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::thread driver([&] {
            const auto period = std::chrono::nanoseconds(1000000000LL / notesPerSecond);
            auto next = std::chrono::steady_clock::now();
            for (int n = 0; !stop.load(); ++n) {
                const uint8_t note = static_cast<uint8_t>(21 + (n * 7) % 88);
                const uint8_t velocity = static_cast<uint8_t>(20 + (n * 13) % 100);
                platform->liveInput->Feed({0x90, note, velocity});
                platform->liveInput->Feed({0x80, note, 0x40});
                next += period;
                std::this_thread::sleep_until(next);
            }
        });
        view.Canvas().ResetPaintTimes();
        int frames = 0;
        double paintTotal = 0;
        const double cpu0 = ThreadCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        double last = 0;
        while (wall.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QTest::qWait(1);
            if (view.Canvas().LastPaintMs() != last) {
                last = view.Canvas().LastPaintMs();
                paintTotal += last;
                ++frames;
            }
        }
        const double cpu = ThreadCpuSeconds() - cpu0;
        const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
        stop = true;
        driver.join();
        state.SetIterationTime(seconds);
        state.counters["window_thread_cpu_percent"] = 100.0 * cpu / seconds;
        state.counters["worst_frame_ms"] = view.Canvas().WorstPaintMs();
        state.counters["mean_frame_ms"] = frames ? paintTotal / frames : 0.0;
        state.counters["frames"] = frames;
        state.counters["lines"] = static_cast<double>(dlg.MessageWindow().StoredCount());
    }
}
BENCHMARK(BM_KeyboardViewUnderNotes)->Arg(2000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
