// What a screen reader's questions cost the window's thread on a big text: one step of
// counting (the page counts half a megabyte a step), and a range, a line and a character's
// start far into a text of 256 MB, each a walk from the nearest mark.
//
// orlenth-bench-character-index

#include "framework/text/CharacterIndex.h"
#include "framework/text/GbkDecoder.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace orlenth::text;

namespace {

constexpr std::size_t kTextBytes = 256u * 1024 * 1024;
// As the page steps (TPaintBox::kShownStepBytes).
constexpr std::size_t kStepBytes = 512 * 1024;

// The collection's text repeated, in display lines of about 40 bytes.
class BigLines : public LineSource {
public:
    BigLines() {
        QFile f(QStringLiteral(ORLENTH_BENCH_DATA));
        if (!f.open(QIODevice::ReadOnly)) std::abort();
        const QByteArray one = f.readAll();
        text_.reserve(kTextBytes + static_cast<std::size_t>(one.size()));
        while (text_.size() < kTextBytes)
            text_.append(one.constData(), static_cast<std::size_t>(one.size()));
        const GbkDecoder& d = GbkDecoder::instance();
        std::size_t since = 0;
        starts_.push_back(0);
        for (const char* p = text_.data(); p < text_.data() + text_.size();) {
            const GbkChar c = d.next(p, text_.data() + text_.size());
            p += c.length;
            since += c.length;
            if (c.codePoint == '\n' || since >= 40) {
                starts_.push_back(static_cast<std::uint32_t>(p - text_.data()));
                since = 0;
            }
        }
        if (starts_.back() == text_.size()) starts_.pop_back();
    }
    std::size_t lineCount() override { return starts_.size(); }
    bool complete() override { return true; }
    std::uint32_t lineStart(std::size_t i) override { return starts_[i]; }
    std::uint32_t textEnd() override { return static_cast<std::uint32_t>(text_.size()); }
    std::string_view bytes(std::uint32_t from, std::uint32_t to) override {
        return std::string_view(text_).substr(from, to - from);
    }

private:
    std::string text_;
    std::vector<std::uint32_t> starts_;
};

BigLines& lines() {
    static BigLines l;
    return l;
}

CharacterIndex& counted() {
    static CharacterIndex index = [] {
        CharacterIndex i(lines());
        while (!i.caughtUp()) i.extend(kStepBytes);
        return i;
    }();
    return index;
}

void BM_CountStep(benchmark::State& state) {
    CharacterIndex index(lines());
    for (auto _ : state) {
        if (index.caughtUp()) {
            state.PauseTiming();
            index.reset();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(index.extend(kStepBytes));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kStepBytes));
}
BENCHMARK(BM_CountStep)->Unit(benchmark::kMillisecond);

// Places spread over the text, so that no walk goes on from the one before.
template <typename Ask> void far(benchmark::State& state, Ask ask) {
    CharacterIndex& index = counted();
    int k = 0;
    for (auto _ : state) {
        const int at = static_cast<int>(std::int64_t{index.count()} * (k * 7919 % 1000) / 1000);
        benchmark::DoNotOptimize(ask(index, at));
        ++k;
    }
}

void BM_FarRange(benchmark::State& state) {
    far(state, [](CharacterIndex& i, int at) { return i.text(at, at + 200); });
}
BENCHMARK(BM_FarRange)->Unit(benchmark::kMicrosecond);

void BM_FarLine(benchmark::State& state) {
    far(state, [](CharacterIndex& i, int at) { return i.lineAt(at).end; });
}
BENCHMARK(BM_FarLine)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
