// One screen of the reading page painted in columns beside the same screen in rows: the
// same text (guwen.gbk.txt), font (the page's default) and area (727 × 466), each line or
// column with its dotted rule (rows' drawn as the page's canvas dots them, a rectangle a
// dot) or, with rules:0, the text alone. Rows are drawn as the page draws them, a line at a time;
// columns as ColumnPainter draws them (made anew for each screen).

#include "framework/text/AdvanceCache.h"
#include "framework/text/ColumnPaint.h"
#include "framework/text/GbkMetrics.h"
#include "framework/text/PageFont.h"
#include "framework/text/WrapEngine.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringDecoder>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace orlenth::text;

namespace {

constexpr int kAreaWidth = 727, kAreaHeight = 466;
constexpr int kTextInset = 4, kRuleAbove = 7;

const QFont& font() {
    static const QFont f = pageFont(QStringLiteral("宋体"), 14);
    return f;
}

const std::string& text() {
    static const std::string t = [] {
        QFile f(QStringLiteral(ORLENTH_BENCH_DATA));
        if (!f.open(QIODevice::ReadOnly)) return std::string();
        return f.readAll().left(64 * 1024).toStdString();
    }();
    return t;
}

// A rule between rows as the page's canvas draws it: every other pixel lit, a rectangle
// for each.
void dottedRow(QPainter& painter, int from, int y, int to) {
    for (int x = from; x < to; x += 2) painter.fillRect(x, y, 1, 1, Qt::black);
}

int pitch() {
    const QFontMetrics fm(font());
    return std::max(14 + 6, fm.ascent() + fm.descent() + 13);
}

void BM_PaintRows(benchmark::State& state) {
    const bool rules = state.range(0) != 0;
    AdvanceCache cache(font());
    const GbkMetrics metrics(cache);
    const std::vector<DisplayLine> lines = wrapText(text(), kAreaWidth - 48, metrics);
    const int p = pitch();
    const QFontMetrics fm(font());
    QImage screen(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    QStringDecoder decode("GB18030");
    std::size_t drawn = 0;
    for (auto _ : state) {
        screen.fill(Qt::white);
        QPainter painter(&screen);
        painter.setFont(font());
        painter.setPen(Qt::black);
        drawn = 0;
        for (std::size_t i = 0; i < lines.size() && static_cast<int>(i) * p < kAreaHeight; ++i) {
            const int y = static_cast<int>(i) * p;
            const QString s =
                decode(QByteArrayView(text().data() + lines[i].start, lines[i].length));
            painter.drawText(QPoint(kTextInset, y + kTextInset + fm.ascent()), s);
            if (rules) dottedRow(painter, kTextInset, y - kRuleAbove, kAreaWidth - 48);
            ++drawn;
        }
        painter.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["lines"] = static_cast<double>(drawn);
}
BENCHMARK(BM_PaintRows)->ArgName("rules")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PaintColumns(benchmark::State& state) {
    const bool rules = state.range(0) != 0;
    AdvanceCache cache(font());
    const GbkMetrics metrics(cache, Flow::Columns);
    const std::vector<DisplayLine> columns = wrapText(text(), kAreaHeight - 48, metrics);
    const int p = pitch();
    const int cell = static_cast<int>(metrics.em() + 0.999);
    QImage screen(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    std::size_t drawn = 0;
    for (auto _ : state) {
        screen.fill(Qt::white);
        QPainter painter(&screen);
        painter.setPen(Qt::black);
        ColumnPainter columnPainter(metrics);
        drawn = 0;
        for (std::size_t i = 0; i < columns.size() && static_cast<int>(i) * p < kAreaWidth; ++i) {
            const int right = kAreaWidth - static_cast<int>(i) * p;
            columnPainter.paint(painter,
                                QByteArrayView(text().data() + columns[i].start, columns[i].length),
                                right - kTextInset - cell, kTextInset, cell);
            if (rules)
                columnPainter.paintRule(painter, right + kRuleAbove - 1, kTextInset,
                                        kAreaHeight - 48);
            ++drawn;
        }
        painter.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["columns"] = static_cast<double>(drawn);
}
BENCHMARK(BM_PaintColumns)->ArgName("rules")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (text().empty()) {
        std::fprintf(stderr, "no bench text\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
