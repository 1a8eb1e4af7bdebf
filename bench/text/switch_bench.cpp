// Switching texts while a long text without line breaks wraps: the time the window's thread
// spends in the switch, from dropping the old text (its workers stopped, its bytes and
// lines freed) to holding the new one. A text without breaks is one segment for the
// workers, so this is where a worker that stops only between segments would be waited for.

#include "framework/text/PageFont.h"
#include "framework/text/WrapEngine.h"

#include <QGuiApplication>
#include <QStringEncoder>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

using namespace orlenth::text;

namespace {

constexpr int kWidth = 325;

const QByteArray& oneLine(std::size_t bytes) {
    static QByteArray text;
    if (static_cast<std::size_t>(text.size()) != bytes) {
        QStringEncoder encoder("GB18030");
        const QByteArray piece = encoder(QStringLiteral("天下大势分久必合合久必分周末七国分争"));
        text = QByteArray();
        text.reserve(static_cast<qsizetype>(bytes));
        while (static_cast<std::size_t>(text.size() + piece.size()) <= bytes) text += piece;
    }
    return text;
}

// Arguments: the text's size in MB, and whether the switch frees its bytes (as the page's
// folder file is) or they stay shared with the benchmark.
void BM_SwitchWhileWrappingOneLine(benchmark::State& state) {
    const QByteArray& line = oneLine(static_cast<std::size_t>(state.range(0)) * 1'000'000);
    const bool frees = state.range(1) != 0;
    QStringEncoder encoder("GB18030");
    const QByteArray small = encoder(QStringLiteral("甲\r\n乙"));
    WrapEngine engine(pageFont(QStringLiteral("宋体"), 14), kWidth);
    for (auto _ : state) {
        state.PauseTiming();
        engine.setText(frees ? QByteArray(line.constData(), line.size()) : line);
        // The start at once, the rest on the workers, which are well inside the line when
        // the switch comes.
        benchmark::DoNotOptimize(engine.linesSoFar());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        state.ResumeTiming();
        engine.setText(small);
        state.PauseTiming();
        benchmark::DoNotOptimize(engine.lineCount());
        state.ResumeTiming();
    }
}

BENCHMARK(BM_SwitchWhileWrappingOneLine)
    ->Args({500, 1})
    ->Args({500, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no display is needed to measure them.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
