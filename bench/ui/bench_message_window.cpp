// Message window benchmarks (run offscreen: QT_QPA_PLATFORM=offscreen).
//
//   BM_AppendModelView/N   N typical lines through CMessageWindowModel into
//                          the shown CMessageWindowView, ScrollToLast after
//                          every 100 lines (one 100 ms tick's worth), then
//                          one repaint of the view.
//   BM_AppendListWidget/N  the same on a plain QListWidget (the baseline):
//                          addItem per line, scrollToBottom per 100. It is
//                          quadratic and takes about 11 minutes for 100,000
//                          lines here; --benchmark_filter=-ListWidget skips it.
//   BM_Copy/N              Copy's clipboard text of N lines, handed to the
//                          clipboard.
//   BM_Save/N              "Save message window..." of N lines: UTF-8 text
//                          through a temporary file, on disk, renamed into
//                          place (target: under 1 s for 1,000,000 lines).
//
// Counters: ns_per_line, and for the model bytes_per_line_overhead
// (CMessageLog::OverheadBytes / lines) and rss_bytes_per_line (growth of the
// resident set per line, text included).
#include "ui/MessageWindowActions.h"
#include "ui/MessageWindowModel.h"
#include "ui/MessageWindowView.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMimeData>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kBatch = 100;

// Lines as the decoder writes them: parameter reports, text, hex dump rows.
std::string TypicalLine(int64_t i)
{
    char line[128];
    int n = 0;
    switch (i % 4) {
    case 0:
        n = std::snprintf(line, sizeof line, "43  parameter#: %03d value %03d ", static_cast<int>(i % 32),
                          static_cast<int>(i % 128));
        break;
    case 1:
        n = std::snprintf(line, sizeof line, "%04X: F0 09 43 0C 00 58 00 F7 01 02 03 04 05 06 07 08",
                          static_cast<unsigned>(i & 0xFFFF));
        break;
    case 2:
        n = std::snprintf(line, sizeof line, "Set Split %1d Done low_key %3d high_key %3d low_note %3d",
                          static_cast<int>(i % 4 + 1), 21, 108, 36);
        break;
    default:
        n = std::snprintf(line, sizeof line, "Note On  chan %2d note %3d vel %3d", static_cast<int>(i % 16),
                          static_cast<int>(i % 128), 64);
        break;
    }
    return std::string(line, static_cast<size_t>(n));
}

long ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Reports the time per line beside the time per iteration.
void CountPerLine(benchmark::State& state, int64_t lines)
{
    state.counters["ns_per_line"] = benchmark::Counter(static_cast<double>(lines) * state.iterations(),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A message window holding `lines` typical lines, all shown.
void Fill(CMessageWindowModel& model, int64_t lines)
{
    for (int64_t i = 0; i < lines; ++i)
        model.Append(TypicalLine(i));
    model.Flush();
}

void BM_AppendModelView(benchmark::State& state)
{
    const int64_t lines = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        const long rssBefore = ResidentBytes();
        auto model = std::make_unique<CMessageWindowModel>();
        CMessageWindowView view;
        view.SetMessageModel(model.get());
        view.resize(644, 327);   // the message window's size in the main dialog
        view.show();
        QApplication::processEvents();
        state.ResumeTiming();

        for (int64_t i = 0; i < lines;) {
            for (int k = 0; k < kBatch && i < lines; ++k, ++i)
                model->Append(TypicalLine(i));
            view.ScrollToLast();
            if (i % (kBatch * 100) == 0)
                QApplication::processEvents();   // paint now and then, as the window would
        }
        QApplication::processEvents();
        view.viewport()->repaint();

        state.PauseTiming();
        const CMessageLog& log = model->Log();
        if (view.TopRow() + view.VisibleRows() < static_cast<int>(lines))
            state.SkipWithError("last line not in view");
        state.counters["bytes_per_line_overhead"] =
            static_cast<double>(log.OverheadBytes()) / static_cast<double>(log.Count());
        state.counters["rss_bytes_per_line"] =
            static_cast<double>(ResidentBytes() - rssBefore) / static_cast<double>(lines);
        view.setModel(nullptr);
        model.reset();
        state.ResumeTiming();
    }
    CountPerLine(state, lines);
}

void BM_AppendListWidget(benchmark::State& state)
{
    const int64_t lines = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<QListWidget>();
        list->resize(644, 327);
        list->show();
        QApplication::processEvents();
        state.ResumeTiming();

        for (int64_t i = 0; i < lines;) {
            for (int k = 0; k < kBatch && i < lines; ++k, ++i)
                list->addItem(QString::fromLatin1(TypicalLine(i)));
            list->scrollToBottom();
            if (i % (kBatch * 100) == 0)
                QApplication::processEvents();
        }
        QApplication::processEvents();
        list->viewport()->repaint();

        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    CountPerLine(state, lines);
}

void BM_Copy(benchmark::State& state)
{
    const int64_t lines = state.range(0);
    CMessageWindowModel model;
    Fill(model, lines);
    int64_t bytes = 0;
    for (auto _ : state) {
        auto* data = new QMimeData;
        const QByteArray text = model.CopyText();
        bytes += text.size();
        data->setData(QStringLiteral("text/plain"), text);
        QGuiApplication::clipboard()->setMimeData(data);
    }
    state.SetBytesProcessed(bytes);
    CountPerLine(state, lines);
}

void BM_Save(benchmark::State& state)
{
    const int64_t lines = state.range(0);
    CMessageWindowModel model;
    Fill(model, lines);
    CMessageWindowActions actions(model, nullptr);
    // Beside the build, on the disk a user's files would be on, not a RAM disk.
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-save-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("messages.txt"));
    int64_t bytes = 0;
    for (auto _ : state) {
        if (!actions.SaveTo(path))
            state.SkipWithError("not saved");
        state.PauseTiming();
        bytes += QFileInfo(path).size();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes);
    CountPerLine(state, lines);
}

} // namespace

BENCHMARK(BM_AppendModelView)->Arg(1000000)->Arg(10000000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendListWidget)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Copy)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save)->Arg(1000000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
