// The wrap engine beside QTextLayout on the same text, font and width, and beside Qt's
// GBK decoder on the same bytes. Goals: at least 100 times QTextLayout's speed, and
// wrapping 20 MB, as the page gets it, costs at most half of decoding it.

#include "bench/CollectingReporter.h"
#include "framework/text/PageFont.h"
#include "framework/text/WrapEngine.h"
#include "framework/text/WrapSpan.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextLayout>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace orlenth::text;

namespace {

// The page's wrap width with the margins on in a 500-pixel reading area, in the page font.
constexpr int kWidth = 325;
constexpr qsizetype kBigTextBytes = 20 * 1024 * 1024;

struct Texts {
    QByteArray longest; // GBK
    QByteArray big;     // GBK, the whole collection repeated to 20 MB
    QString longestUnicode;
    QString bigUnicode;
};

QByteArray toGbk(const QString& s) {
    QStringEncoder encoder("GB18030");
    return encoder(s);
}

const Texts& texts() {
    static const Texts t = [] {
        Texts r;
        const QDir root(QStringLiteral(ORLENTH_COLLECTION_DIR));
        QByteArray collection;
        qint64 longestSize = -1;
        for (const QString& cat :
             root.entryList({QStringLiteral("cat*")}, QDir::Dirs, QDir::Name)) {
            const QDir dir(root.filePath(cat));
            for (const QString& name :
                 dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
                QFile f(dir.filePath(name));
                if (!f.open(QIODevice::ReadOnly)) continue;
                const QByteArray gbk = toGbk(QString::fromUtf8(f.readAll()));
                if (f.size() > longestSize) {
                    longestSize = f.size();
                    r.longest = gbk;
                }
                collection += gbk;
                collection += "\r\n";
            }
        }
        if (collection.isEmpty()) return r;
        r.big.reserve(kBigTextBytes + collection.size());
        while (r.big.size() < kBigTextBytes) r.big += collection;
        QStringDecoder decoder("GB18030");
        // QTextLayout takes one paragraph at a time; every kind of break becomes LF here.
        const auto paragraphs = [&decoder](const QByteArray& gbk) {
            decoder.resetState();
            QString s = decoder(gbk);
            s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            s.replace(u'\r', u'\n');
            return s;
        };
        r.longestUnicode = paragraphs(r.longest);
        r.bigUnicode = paragraphs(r.big);
        return r;
    }();
    return t;
}

const QFont& font() {
    static const QFont f = pageFont(QStringLiteral("宋体"), 14);
    return f;
}

GbkMetrics& metrics() {
    static AdvanceCache cache(font());
    static GbkMetrics m(cache);
    return m;
}

void wrapOurs(benchmark::State& state, const QByteArray& text) {
    if (text.isEmpty()) return state.SkipWithError("no collection text");
    const GbkMetrics& m = metrics();
    std::size_t lines = 0;
    for (auto _ : state) {
        const auto result = wrapText(
            std::string_view(text.constData(), static_cast<std::size_t>(text.size())), kWidth, m);
        lines = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

// QTextLayout lays out one paragraph at a time, so each hard line is a layout of its own.
void wrapQt(benchmark::State& state, const QString& text, qsizetype gbkBytes) {
    if (text.isEmpty()) return state.SkipWithError("no collection text");
    qsizetype lines = 0;
    for (auto _ : state) {
        lines = 0;
        for (const QStringView paragraph : QStringTokenizer(text, u'\n')) {
            QTextLayout layout(paragraph.toString(), font());
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(kWidth);
                ++lines;
            }
            layout.endLayout();
        }
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * gbkBytes);
}

void BM_WrapLongest(benchmark::State& state) {
    wrapOurs(state, texts().longest);
}
void BM_QTextLayoutLongest(benchmark::State& state) {
    wrapQt(state, texts().longestUnicode, texts().longest.size());
}
void BM_Wrap20MB(benchmark::State& state) {
    wrapOurs(state, texts().big);
}
void BM_QTextLayout20MB(benchmark::State& state) {
    wrapQt(state, texts().bigUnicode, texts().big.size());
}
// The loop alone, as each of the engine's workers runs it: line starts only.
void BM_WrapLoop20MB(benchmark::State& state) {
    const QByteArray& text = texts().big;
    if (text.isEmpty()) return state.SkipWithError("no collection text");
    const std::string_view bytes(text.constData(), static_cast<std::size_t>(text.size()));
    std::vector<std::uint32_t> starts;
    for (auto _ : state) {
        starts.clear();
        wrapSpan(bytes, {0, bytes.size(), true}, widthUnitsOf(kWidth), metrics(), nullptr, starts);
        benchmark::DoNotOptimize(starts.data());
    }
    state.counters["lines"] = static_cast<double>(starts.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

// The engine as the page uses it: the first part wrapped at once, the rest by its workers
// on every core, until the last line is known.
void BM_Engine20MB(benchmark::State& state) {
    const QByteArray& text = texts().big;
    if (text.isEmpty()) return state.SkipWithError("no collection text");
    WrapEngine engine(font(), kWidth);
    std::size_t lines = 0;
    for (auto _ : state) {
        engine.setText(text);
        lines = engine.lineCount();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void BM_QtGbkDecode20MB(benchmark::State& state) {
    const QByteArray& text = texts().big;
    for (auto _ : state) {
        QStringDecoder decoder("GBK");
        const QString s = decoder(text);
        benchmark::DoNotOptimize(s.constData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

// What a font change costs: the bulk advance fill and the GBK table.
void BM_FontChange(benchmark::State& state) {
    for (auto _ : state) {
        AdvanceCache cache(font());
        GbkMetrics m(cache);
        benchmark::DoNotOptimize(&m);
        state.counters["slow_measurements"] = cache.slowMeasurements();
    }
}

BENCHMARK(BM_WrapLongest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTextLayoutLongest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wrap20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapLoop20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Engine20MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QtGbkDecode20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTextLayout20MB)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FontChange)->Unit(benchmark::kMillisecond);

void printRatio(const CollectingReporter& reporter, const char* what, const char* ours,
                const char* theirs, double goal) {
    const double a = reporter.Throughput(ours);
    const double b = reporter.Throughput(theirs);
    if (a <= 0 || b <= 0) return;
    std::printf("%-40s %8.1fx  (goal %.0fx: %s)\n", what, a / b, goal,
                a / b >= goal ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no display is needed to measure them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    texts();
    metrics();
    std::printf("longest article %lld bytes, big text %lld bytes (GBK), width %d px\n",
                static_cast<long long>(texts().longest.size()),
                static_cast<long long>(texts().big.size()), kWidth);
    CollectingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                      : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printRatio(reporter, "longest article: ours / QTextLayout", "BM_WrapLongest",
               "BM_QTextLayoutLongest", 100);
    printRatio(reporter, "20 MB, one thread: ours / QTextLayout", "BM_Wrap20MB",
               "BM_QTextLayout20MB", 100);
    printRatio(reporter, "20 MB, the loop alone: ours / QTextLayout", "BM_WrapLoop20MB",
               "BM_QTextLayout20MB", 100);
    printRatio(reporter, "20 MB, engine: ours / QTextLayout", "BM_Engine20MB", "BM_QTextLayout20MB",
               100);
    printRatio(reporter, "20 MB, one thread: ours / Qt GBK decode", "BM_Wrap20MB",
               "BM_QtGbkDecode20MB", 2);
    printRatio(reporter, "20 MB, the loop alone: ours / Qt GBK decode", "BM_WrapLoop20MB",
               "BM_QtGbkDecode20MB", 2);
    printRatio(reporter, "20 MB, engine: ours / Qt GBK decode", "BM_Engine20MB",
               "BM_QtGbkDecode20MB", 2);
    return 0;
}
