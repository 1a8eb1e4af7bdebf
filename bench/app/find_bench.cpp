// The find bar's work over a big text, without the window: one step of the session (what the
// window's thread does between two turns of its event loop), the whole walk to a word at the
// far end in such steps, and the hit's number from the hits before it (a worker's job).
// Goal: a step stays within a few milliseconds, so that typing and Esc are never held up.
//
// The text: about 100 MB of the benchmark text's lines repeated, a word found nowhere else
// at its end.

#include "app/SearchSession.h"

#include <QFile>
#include <QStringEncoder>

#include <benchmark/benchmark.h>

#include <atomic>
#include <string>

using namespace orlenth;

namespace {

constexpr std::size_t kTextBytes = 100u * 1024 * 1024;
// What the window's thread looks at per step (kStepBytes in app/Unit1mainFind.cpp).
constexpr std::size_t kStep = std::size_t{4} << 20;

std::string toGbk(const QString& s) {
    QStringEncoder encoder("GB18030");
    return QByteArray(encoder(s)).toStdString();
}

const std::string& bigText() {
    static const std::string text = [] {
        std::string out;
        QFile f(QStringLiteral(ORLENTH_BENCH_DATA));
        if (!f.open(QIODevice::ReadOnly)) return out;
        const QByteArray all = f.readAll();
        if (all.isEmpty()) return out;
        out.reserve(kTextBytes + 64);
        while (out.size() < kTextBytes)
            out.append(all.constData(), static_cast<std::size_t>(all.size()));
        out += toGbk(QStringLiteral("末尾的标记词"));
        return out;
    }();
    return text;
}

// One budgeted step from the text's middle, for a word found only at its end.
void BM_OneStep(benchmark::State& state) {
    const std::string& text = bigText();
    if (text.empty()) return state.SkipWithError("no benchmark text");
    TSearchSession session;
    session.SetPattern(QStringLiteral("标记词"));
    for (auto _ : state) {
        session.Begin(TSearchSession::Direction::Next, text.size() / 2);
        benchmark::DoNotOptimize(session.Advance(text, true, kStep));
    }
}
BENCHMARK(BM_OneStep)->Unit(benchmark::kMillisecond);

// From the start to the word at the end, step by step.
void BM_WalkToTheEnd(benchmark::State& state) {
    const std::string& text = bigText();
    if (text.empty()) return state.SkipWithError("no benchmark text");
    TSearchSession session;
    session.SetPattern(QStringLiteral("末尾的标记词"));
    std::size_t steps = 0;
    for (auto _ : state) {
        session.Begin(TSearchSession::Direction::Next, 0);
        steps = 0;
        while (session.Advance(text, true, kStep) == TSearchSession::Status::Searching) ++steps;
        if (session.State() != TSearchSession::Status::Found) state.SkipWithError("not found");
    }
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_WalkToTheEnd)->Unit(benchmark::kMillisecond);

// The number of the last hit of the commonest character: every hit before it counted.
void BM_NumberOfALateHit(benchmark::State& state) {
    const std::string& text = bigText();
    if (text.empty()) return state.SkipWithError("no benchmark text");
    const text::TSearchPattern pattern(QStringLiteral("之"));
    const std::atomic<bool> no{false};
    for (auto _ : state) benchmark::DoNotOptimize(HitsBefore(text, text.size() - 1, pattern, no));
}
BENCHMARK(BM_NumberOfALateHit)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
