// The reading page: painting one screen of a short article and of a 20 MB text, in rows
// and in columns, and
// opening the 20 MB text to its first painted page beside reading and decoding it.

#include "bench/app/BenchWindow.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

namespace {

orlenth::TOrlenth& window() {
    static std::unique_ptr<orlenth::TOrlenth> form = [] {
        auto f = benchwindow::MakeMainWindow();
        f->Widget()->resize(727, 466);
        return f;
    }();
    return *form;
}

// 20 MB of GBK text: the collection's articles, over and over.
const QByteArray& bigText() {
    static const QByteArray text = [] {
        QByteArray one;
        QDirIterator it(QStringLiteral(ORLENTH_COLLECTION_DIR), {QStringLiteral("*.txt")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly)) one += f.readAll();
        }
        QByteArray all;
        all.reserve(20'000'000 + one.size());
        while (all.size() < 20'000'000) all += one;
        all.truncate(20'000'000);
        return all;
    }();
    return text;
}

// In rows or in columns (竖排): the same screen of the same text either way.
void paintScreen(benchmark::State& state, const QByteArray& text, bool columns = false) {
    auto& form = window();
    form.SetColumns(columns);
    form.Memo1->SetText(text);
    // Every line wrapped, so that the middle is the whole text's.
    form.Memo1->FinalLineCount();
    form.PaintBox1Paint(nullptr);
    // The middle of the text: every line there is as costly to reach as the first.
    form.ScrollBox1->SetVertPosition(form.ScrollBox1->VertRange() / 2);
    QImage screen(form.ScrollBox1->Widget()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        form.ScrollBox1->Widget()->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["lines"] = form.Memo1->LineCount();
    form.SetColumns(false);
}

void BM_PaintScreen_3KB(benchmark::State& state) {
    paintScreen(state, bigText().left(3 * 1024));
}
BENCHMARK(BM_PaintScreen_3KB)->Unit(benchmark::kMicrosecond);

void BM_PaintScreen_20MB(benchmark::State& state) {
    paintScreen(state, bigText());
}
BENCHMARK(BM_PaintScreen_20MB)->Unit(benchmark::kMicrosecond);

void BM_PaintScreenColumns_3KB(benchmark::State& state) {
    paintScreen(state, bigText().left(3 * 1024), true);
}
BENCHMARK(BM_PaintScreenColumns_3KB)->Unit(benchmark::kMicrosecond);

void BM_PaintScreenColumns_20MB(benchmark::State& state) {
    paintScreen(state, bigText(), true);
}
BENCHMARK(BM_PaintScreenColumns_20MB)->Unit(benchmark::kMicrosecond);

QString bigFile() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.path() + QStringLiteral("/big.txt");
        QFile f(p);
        if (f.open(QIODevice::WriteOnly)) f.write(bigText());
        return p;
    }();
    return path;
}

void BM_ReadAndDecode_20MB(benchmark::State& state) {
    const QString path = bigFile();
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) state.SkipWithError("cannot read");
        const QByteArray bytes = f.readAll();
        QStringDecoder gbk("GBK");
        const QString s = gbk.decode(bytes);
        benchmark::DoNotOptimize(s.constData());
    }
}
BENCHMARK(BM_ReadAndDecode_20MB)->Unit(benchmark::kMillisecond);

void BM_OpenToFirstPage_20MB(benchmark::State& state) {
    auto& form = window();
    const QString path = bigFile();
    QImage screen(form.ScrollBox1->Widget()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) state.SkipWithError("cannot read");
        form.ScrollBox1->SetVertPosition(0);
        form.Memo1->SetText(f.readAll());
        form.PaintBox1Paint(nullptr);
        form.ScrollBox1->Widget()->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_OpenToFirstPage_20MB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
