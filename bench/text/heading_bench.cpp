// The chapter-heading scanner over a novel-like GBK text of 64 MiB (chapters of 3 to 6 KB
// under 第N章 headings, prose from bench/data/guwen.gbk.txt, CR LF line ends; once in its
// paragraphs, once in short lines), beside
// counting the text's LF bytes with memchr, the least any line-by-line pass costs; and a
// reader's pattern that backtracks without end, over lines made for it: what a line costs
// when it gives up, and how long giving up a scan keeps the window's thread.

#include "bench/CollectingReporter.h"
#include "framework/text/ChapterScan.h"
#include "framework/text/GbkDecoder.h"
#include "framework/text/HeadingScan.h"
#include "framework/text/HeadingTools.h"
#include "framework/text/UserPattern.h"

#include <QFile>
#include <QStringEncoder>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orlenth::text;

namespace {

constexpr std::size_t kTextBytes = 64u << 20;

QString chineseNumber(int n) {
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    static const QString units[] = {QString(), QStringLiteral("十"), QStringLiteral("百"),
                                    QStringLiteral("千"), QStringLiteral("万")};
    const QString decimal = QString::number(n);
    QString out;
    bool zero = false;
    for (qsizetype i = 0; i < decimal.size(); ++i) {
        const int d = decimal[i].digitValue();
        const qsizetype unit = decimal.size() - 1 - i;
        if (d == 0) {
            zero = true;
            continue;
        }
        if (zero) out += digits[0];
        zero = false;
        if (!(d == 1 && unit == 1 && i == 0)) out += digits[d]; // 十二, not 一十二
        out += units[unit];
    }
    return out;
}

struct Novel {
    std::string text;
    std::size_t chapters = 0;
};

// The prose line cut after its first character that reaches `most` bytes (0: whole).
std::string cut(const QByteArray& line, std::size_t most) {
    const std::string s = line.toStdString();
    if (most == 0) return s;
    const GbkDecoder& decoder = GbkDecoder::instance();
    std::size_t at = 0;
    while (at < s.size() && at < most)
        at += decoder.next(s.data() + at, s.data() + s.size()).length;
    return s.substr(0, at);
}

Novel makeNovel(std::size_t lineBytes) {
    Novel r;
    QFile f(QStringLiteral(ORLENTH_BENCH_DATA));
    if (!f.open(QIODevice::ReadOnly)) return r;
    const QByteArray data = f.readAll();
    std::vector<std::string> prose;
    for (const QByteArray& line : data.split('\n')) {
        const QByteArray t = line.trimmed();
        if (!t.isEmpty()) prose.push_back("\xA1\xA1\xA1\xA1" + cut(t, lineBytes) + "\r\n");
    }
    if (prose.empty()) return r;
    const QStringList titles = {QStringLiteral("风起"), QStringLiteral("夜雨江南"),
                                QStringLiteral("归途"), QStringLiteral("山中故人来")};
    QStringEncoder encoder("GB18030");
    r.text.reserve(kTextBytes + 8192);
    std::size_t next = 0;
    while (r.text.size() < kTextBytes) {
        ++r.chapters;
        const int number = static_cast<int>(r.chapters);
        const QByteArray heading =
            encoder(QStringLiteral("第%1章 %2\r\n").arg(chineseNumber(number), titles[number % 4]));
        r.text.append(heading.constData(), static_cast<std::size_t>(heading.size()));
        const std::size_t end = r.text.size() + 3000 + (r.chapters * 977) % 3000;
        while (r.text.size() < end) r.text += prose[next++ % prose.size()];
    }
    return r;
}

// Paragraphs as the prose has them, and one of dialogue-like lines of at most 60 bytes.
const Novel& novel(bool shortLines = false) {
    static const Novel paragraphs = makeNovel(0);
    static const Novel lines = makeNovel(56);
    return shortLines ? lines : paragraphs;
}

void lineCount(benchmark::State& state, bool shortLines) {
    const std::string& text = novel(shortLines).text;
    for (auto _ : state) {
        std::size_t lines = 0;
        const char* p = text.data();
        const char* const end = p + text.size();
        while ((p = static_cast<const char*>(
                    std::memchr(p, '\n', static_cast<std::size_t>(end - p))))) {
            ++lines;
            ++p;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void scan(benchmark::State& state, bool shortLines, std::size_t pieceBytes) {
    const Novel& n = novel(shortLines);
    for (auto _ : state) {
        HeadingScanner scanner;
        for (std::size_t at = 0; at < n.text.size(); at += pieceBytes)
            scanner.Feed(std::string_view(n.text).substr(at, pieceBytes));
        scanner.Finish();
        state.PauseTiming();
        const std::size_t found = scanner.Snapshot().headings.size();
        state.ResumeTiming();
        if (found != n.chapters) state.SkipWithError("the scanner missed or added headings");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(n.text.size()));
    state.counters["headings"] = static_cast<double>(n.chapters);
}

// The reporter keeps one figure per function, so each text has functions of its own.
void BM_MemchrLineCount(benchmark::State& state) {
    lineCount(state, false);
}
void BM_MemchrLineCountShortLines(benchmark::State& state) {
    lineCount(state, true);
}
void BM_HeadingScanOnePiece(benchmark::State& state) {
    scan(state, false, SIZE_MAX);
}
// As a load delivers the text.
void BM_HeadingScan1MiBPieces(benchmark::State& state) {
    scan(state, false, 1u << 20);
}
void BM_HeadingScanShortLines(benchmark::State& state) {
    scan(state, true, 1u << 20);
}

// What the table of contents pays each time it looks, with every chapter found.
void BM_Snapshot(benchmark::State& state) {
    HeadingScanner scanner;
    scanner.Feed(novel().text);
    scanner.Finish();
    for (auto _ : state) benchmark::DoNotOptimize(scanner.Snapshot().headings.data());
    state.counters["headings"] = static_cast<double>(novel().chapters);
}

// A user's pattern over the first 8 MiB, with no limit reached.
void BM_PatternScan8MiB(benchmark::State& state) {
    const std::string_view text = std::string_view(novel().text).substr(0, 8u << 20);
    UserPattern pattern(QStringLiteral("^第.{1,9}章"));
    const PatternLimits limits{SIZE_MAX, SIZE_MAX, std::chrono::hours(1)};
    for (auto _ : state) {
        const PatternScan scan = ScanWithPattern(text, pattern, limits);
        if (scan.stop != PatternScan::Stop::Done || scan.headings.empty())
            state.SkipWithError("the pattern scan stopped early or found nothing");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

// The window's background scan (ChapterScan) over the whole text, from its start on a
// thread of its own to the list it ends with: what the table of contents waits for a
// novel already read.
void BM_ChapterScanWholeText(benchmark::State& state) {
    const Novel& n = novel();
    TextFeed feed;
    feed.buffer = QByteArray::fromRawData(n.text.data(), static_cast<qsizetype>(n.text.size()));
    feed.ready = n.text.size();
    const auto load = std::make_shared<TextLoad>(std::move(feed));
    for (auto _ : state) {
        ChapterScan scan(load, {});
        while (!scan.Finished()) std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.PauseTiming();
        const std::size_t found = scan.Snapshot().headings.size();
        state.ResumeTiming();
        if (found != n.chapters) state.SkipWithError("the scan missed or added headings");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(n.text.size()));
}

// 20,000 lines of 25 "a" and "!", under "(a+)+$": every line gives up. Its time over the
// lines is what one line that gives up costs.
const std::string& backtrackingText() {
    static const std::string text = [] {
        std::string t;
        for (int i = 0; i < 20'000; ++i) t += "aaaaaaaaaaaaaaaaaaaaaaaaa!\n";
        return t;
    }();
    return text;
}

void BM_PatternScanBacktracking(benchmark::State& state) {
    const std::string& text = backtrackingText();
    UserPattern pattern(QStringLiteral("(a+)+$"));
    const PatternLimits limits{SIZE_MAX, SIZE_MAX, std::chrono::hours(1)};
    for (auto _ : state) {
        const PatternScan scan = ScanWithPattern(text, pattern, limits);
        if (scan.stop != PatternScan::Stop::Done || scan.gaveUp != 20'000)
            state.SkipWithError("not every line gave up");
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(20'000.0, benchmark::Counter::kIsIterationInvariantRate);
}

// The worst line found: 255 bytes where every starting place runs to just under the bound.
void BM_PatternWorstLine(benchmark::State& state) {
    const std::string line = std::string(253, 'a') + "zb";
    UserPattern pattern(QStringLiteral("(?:a|a){0,11}bz"));
    for (auto _ : state) {
        const PatternScan scan = ScanWithPattern(line, pattern);
        if (scan.gaveUp != 0 || !scan.headings.empty())
            state.SkipWithError("the line was not decided");
    }
}

// A scan of the backtracking text given up a moment after it started, as switching to
// another text does: the time is the window's, from the request to stop to its return.
void BM_ChapterScanGiveUpBacktracking(benchmark::State& state) {
    const std::string& text = backtrackingText();
    TextFeed feed;
    feed.buffer = QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size()));
    feed.ready = text.size();
    const auto load = std::make_shared<TextLoad>(std::move(feed));
    ChapterChoice choice;
    choice.kind = ChapterChoice::Kind::Pattern;
    choice.pattern = QStringLiteral("(a+)+$");
    for (auto _ : state) {
        state.PauseTiming();
        auto scan = std::make_unique<ChapterScan>(load, choice);
        while (scan->Snapshot().gaveUpLines == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        state.ResumeTiming();
        scan.reset();
    }
}

BENCHMARK(BM_MemchrLineCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadingScanOnePiece)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadingScan1MiBPieces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrLineCountShortLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadingScanShortLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Snapshot)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PatternScan8MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChapterScanWholeText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PatternScanBacktracking)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatternWorstLine)->Unit(benchmark::kMillisecond);
// Each start waits for the scan's first chunk, untimed: a fixed count keeps that short.
BENCHMARK(BM_ChapterScanGiveUpBacktracking)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const Novel& n = novel();
    const Novel& shortLines = novel(true);
    if (n.text.empty() || shortLines.text.empty()) {
        std::fprintf(stderr, "cannot read %s\n", ORLENTH_BENCH_DATA);
        return 1;
    }
    for (const Novel* t : {&n, &shortLines}) {
        const auto lines =
            static_cast<std::size_t>(std::count(t->text.begin(), t->text.end(), '\n'));
        std::printf(
            "novel %zu bytes (GBK, CR LF), %zu chapters, %zu lines of %zu bytes on average\n",
            t->text.size(), t->chapters, lines, t->text.size() / lines);
    }
    CollectingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                      : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto ratio = [&reporter](const char* name, const char* floorName) {
        const double floor = reporter.Throughput(floorName);
        const double speed = reporter.Throughput(name);
        if (floor > 0 && speed > 0)
            std::printf("%-26s %7.0f MB/s, %.2f of memchr's speed\n", name, speed / 1e6,
                        speed / floor);
    };
    ratio("BM_HeadingScanOnePiece", "BM_MemchrLineCount");
    ratio("BM_HeadingScan1MiBPieces", "BM_MemchrLineCount");
    ratio("BM_HeadingScanShortLines", "BM_MemchrLineCountShortLines");
    return 0;
}
