// Auto-scroll as a reader sees it: ticks per second at the slider's fast end, at 10 ms and
// at the start value, with the window shown and painting, beside the nominal rate. Run it
// on a real display (DISPLAY set) or offscreen; ORLENTH_BENCH_LARGE=1 makes the window
// 1270 × 760, where a repaint costs more than a tick's period.

#include "bench/app/BenchWindow.h"
#include "framework/ui/Memo.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/Timer.h"
#include "framework/ui/TrackBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <memory>

namespace {

orlenth::TOrlenth& window() {
    static std::unique_ptr<orlenth::TOrlenth> form = [] {
        auto f = benchwindow::MakeMainWindow();
        f->Show();
        if (qEnvironmentVariableIsSet("ORLENTH_BENCH_LARGE")) f->Widget()->resize(1270, 760);
        // Long enough that no run reaches the end: every tick moves the page.
        QByteArray text;
        for (int i = 0; i < 20000; ++i) text += f->ArticleText();
        f->Memo1->SetText(text);
        f->PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
        return f;
    }();
    return *form;
}

// One second of auto-scroll at state.range(0) ms: a tick moves the page 2 pixels.
void BM_AutoScrollTicks(benchmark::State& state) {
    orlenth::TOrlenth& form = window();
    const int interval = static_cast<int>(state.range(0));
    // Long enough for twenty ticks even at the slow end.
    const qint64 runMs = std::max<qint64>(1000, 20 * interval);
    double ticksPerSecond = 0;
    for (auto _ : state) {
        form.ScrollBox1->SetVertPosition(0);
        form.ToolButton7Click(nullptr); // start
        form.TrackBar1->SetPosition(interval);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < runMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const std::int64_t moved = form.ScrollBox1->VertPosition();
        ticksPerSecond =
            static_cast<double>(moved) / 2.0 * 1000.0 / static_cast<double>(clock.elapsed());
        form.ToolButton7Click(nullptr); // stop
        QCoreApplication::processEvents();
    }
    state.counters["ticks_per_s"] = ticksPerSecond;
    state.counters["of_nominal"] = ticksPerSecond * interval / 1000.0;
}
BENCHMARK(BM_AutoScrollTicks)
    ->Arg(1)
    ->Arg(10)
    ->Arg(150)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
