// The Keyboard View under a heavy note stream (run offscreen or under Xvfb).
//
//   BM_KeyboardViewUnderNotes/2000
//       2,000 notes a second (note-on and note-off each) arrive on the input
//       from a driver thread for 3 s while the main window and the Keyboard
//       View are shown. Counters: window_thread_cpu_percent (CPU time of the
//       window thread over wall time; target under 20 %), worst_frame_ms and
//       mean_frame_ms (the view's paint on the clock; target under 5 ms,
//       the worst under 16 ms), worst_frame_cpu_ms and mean_frame_cpu_ms
//       (the same in the window thread's processor time: what a frame
//       costs, apart from what else the machine runs), frames.
//   BM_CalibrationReportPdf/122, BM_CalibrationReportPng/122
//       The calibration report of a 122-key box (two manuals, a faulty
//       sensor, a smart dump, a Scan Dump, some playing) made from the
//       Keyboard View's feed: the PDF's two pages, the PNG's one page, in
//       memory. Target: under 300 ms each.
#include "FakeMidiPlatform.h"
#include "editors/KeyboardConfigurator.h"
#include "editors/KeyboardReport.h"
#include "editors/MainEditors.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/KeyboardReportPages.h"
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
        double paintCpuTotal = 0;
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
                paintCpuTotal += view.Canvas().LastPaintCpuMs();
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
        state.counters["worst_frame_cpu_ms"] = view.Canvas().WorstPaintCpuMs();
        state.counters["mean_frame_cpu_ms"] = frames ? paintCpuTotal / frames : 0.0;
        state.counters["frames"] = frames;
        state.counters["lines"] = static_cast<double>(dlg.MessageWindow().StoredCount());
    }
}
BENCHMARK(BM_KeyboardViewUnderNotes)->Arg(2000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

//! The main window on the simulated box, set up as two manuals of 61 keys
//! with a faulty sensor, dumped, identified and played.
class CReportSession {
public:
    CReportSession() : m_dlg(nullptr, std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant))
    {
        m_dlg.OnInitDialog();
        CMainEditors& editors = m_dlg.Editors();
        editors.OnListSelChange(IDC_MIDI_IN_LIST, 0);
        editors.OnListSelChange(IDC_MIDI_OUT_LIST, 0);
        ISysExSender& box = editors.Sender();
        SendSetParameter(box, 12, 122);
        editors.OnCommand(IDC_SCANNER_122);
        CKeyboardConfigurator(m_dlg, m_dlg.Held(), box).OnCommand(IDC_PRESET_DUAL_MANUAL);
        SendSetParameter(box, 5, 70 + 1);
        editors.OnCommand(IDC_SYNCHRONIZE);
        SendIdentityRequests(box, m_dlg.Held());
        editors.OnCommand(IDC_SMART_DUMP);
        editors.OnCommand(IDC_SCAN_DUMP);
        const CKeyboardViewFeed& feed = editors.KeyboardView();
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 10000 && !(feed.HasCalibration() && feed.HasScan() && feed.Model().KeyCount() == 122
                                           && feed.Identity().softwareRevision >= 0))
            QTest::qWait(20);
        // Every key played a few times, at every velocity.
        CKeyboardViewModel& model = editors.KeyboardView().Model();
        const auto t0 = std::chrono::steady_clock::now();
        for (int n = 0; n < 2000; ++n) {
            const uint32_t note = 36 + n % 61;
            const uint32_t channel = (n / 61) % 2;
            model.OnShortMessage(0x90 | channel | note << 8 | (1 + n % 127) << 16, t0 + std::chrono::milliseconds(n));
            model.OnShortMessage(0x80 | channel | note << 8 | 64 << 16, t0 + std::chrono::milliseconds(n) + std::chrono::microseconds(500));
        }
    }

    bool Ready() const
    {
        const CKeyboardViewFeed& feed = Feed();
        return feed.HasCalibration() && feed.Model().KeyCount() == 122 && !feed.Model().Calibration().Outliers().empty();
    }
    const CKeyboardViewFeed& Feed() const { return m_dlg.Editors().KeyboardView(); }

private:
    mutable CZm_configDlg m_dlg;
};

template <QByteArray (*Render)(const CKeyboardReport&, const CKeyboardViewFeed&, std::chrono::steady_clock::time_point)>
void BM_CalibrationReport(benchmark::State& state)
{
    CReportSession session;
    if (!session.Ready()) {
        state.SkipWithError("the simulated box did not answer");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        const auto now = std::chrono::steady_clock::now();
        const CKeyboardReport report(session.Feed(), LocalReportTime(std::chrono::system_clock::now()), now);
        const QByteArray file = Render(report, session.Feed(), now);
        bytes = static_cast<size_t>(file.size());
        benchmark::DoNotOptimize(file.constData());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CalibrationReport<ReportPdf>)->Name("BM_CalibrationReportPdf/122")->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CalibrationReport<ReportPng>)->Name("BM_CalibrationReportPng/122")->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
