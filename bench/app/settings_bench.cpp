// Start-up's share of the settings: opening a file of a thousand places and a hundred
// bookmarks and reading all of it, and the same for the largest file the store accepts
// (its places past the thousandth are read and let go), and saving one change.

#include "app/settings/Bookmarks.h"
#include "app/settings/FilePlaces.h"
#include "app/settings/RecentList.h"
#include "app/settings/SettingsFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace orlenth::settings;

const QTemporaryDir& scratch() {
    static const QTemporaryDir dir;
    return dir;
}

// A file as a reader that has read a thousand files and marked a hundred places leaves it.
QString TypicalFile() {
    static const QString path = [] {
        const QString p = scratch().filePath("typical.conf");
        auto file = TSettingsFile::Open(p);
        TFilePlaces places(*file);
        for (int i = 0; i < 1000; ++i)
            places.Remember({QString::fromUtf8("/home/reader/书/第%1章 风起云涌.txt").arg(i),
                             3000000 + i,
                             1700000000000 + i,
                             150000 + i,
                             1700000000000 + i,
                             {},
                             {}});
        TBookmarks marks(*file);
        for (int i = 0; i < 100; ++i)
            marks.Add({"", 5, 0, QString::fromUtf8("/home/reader/书/第%1章 风起云涌.txt").arg(i),
                       QString::fromUtf8("第%1章 风起云涌.txt").arg(i), 150000 + i, 500,
                       QString::fromUtf8("却说那人走到山前，只见"), 1700000000000 + i});
        TRecentList recent(*file);
        for (int i = 0; i < 10; ++i) recent.Add("/home/reader/书/" + QString::number(i));
        file->Set("window/geometry", QByteArray(66, 'g'));
        file->Set("window/width", 800);
        if (!file->Save()) std::abort();
        return p;
    }();
    return path;
}

// Places up to the store's bounds: just under 8 MiB, fewer than 100 000 lines.
QString LargestFile() {
    static const QString path = [] {
        QByteArray text = "[places]\n";
        for (int i = 0; text.size() < (8 << 20) - 200 && i < 99000; ++i) {
            const QByteArray p = "/home/reader/books/" + QByteArray::number(i) + ".txt";
            text += QCryptographicHash::hash(p, QCryptographicHash::Sha1).toHex() + '=' + p +
                    ", 3000000, 1700000000000, 150000, " + QByteArray::number(i) + '\n';
        }
        const QString p = scratch().filePath("largest.conf");
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) std::abort();
        return p;
    }();
    return path;
}

void ReadAll(benchmark::State& state, const QString& path) {
    for (auto _ : state) {
        auto file = TSettingsFile::Open(path);
        TFilePlaces places(*file);
        TBookmarks marks(*file);
        TRecentList recent(*file);
        benchmark::DoNotOptimize(places.Count() + marks.All().size());
        benchmark::DoNotOptimize(recent.Paths());
        benchmark::DoNotOptimize(file->Bytes("window/geometry", 4096));
        if (!file->Reading()) state.SkipWithError("the file did not open");
    }
    state.counters["bytes"] = static_cast<double>(QFile(path).size());
}

void BM_OpenTypicalAndReadAll(benchmark::State& state) {
    ReadAll(state, TypicalFile());
}
BENCHMARK(BM_OpenTypicalAndReadAll)->Unit(benchmark::kMillisecond);

void BM_OpenLargestAndReadAll(benchmark::State& state) {
    ReadAll(state, LargestFile());
}
BENCHMARK(BM_OpenLargestAndReadAll)->Unit(benchmark::kMillisecond);

void BM_SaveOneChangeToTypical(benchmark::State& state) {
    auto file = TSettingsFile::Open(TypicalFile());
    int i = 0;
    for (auto _ : state) {
        file->Set("window/width", ++i);
        if (!file->Save()) state.SkipWithError("the save failed");
    }
}
BENCHMARK(BM_SaveOneChangeToTypical)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("orlenth"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
