// 简繁: converting 20 MB of GBK text (bench/data/guwen.gbk.txt repeated) to traditional
// characters by phrase as the page gets it, beside OpenCC's own `opencc` command on the
// same text as UTF-8, both timed the same way (wall time, the whole text); and the first
// converted page of a 300 MB folder file against that of a 3 KB one.
//
// The files go to $TMPDIR (else /tmp) and are removed at the end.

#include "app/platform/DisplayText.h"
#include "app/platform/ScriptConversion.h"
#include "framework/text/TextLoad.h"
#include "framework/text/WrapEngine.h"

#include <benchmark/benchmark.h>

#include <QStringDecoder>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

using orlenth::platform::ConvertedFeed;
using orlenth::platform::EncodingReport;
using orlenth::platform::FileEncoding;
using orlenth::platform::Script;
using orlenth::platform::ScriptConverter;
using orlenth::platform::TextFile;

constexpr std::size_t kConvertBytes = std::size_t{20} << 20;

std::string Folder() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/orlenth-script-bench-" +
           std::to_string(::getpid());
}

const std::string& Guwen() {
    static const std::string text = [] {
        std::ifstream in(ORLENTH_BENCH_DATA, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }();
    return text;
}

// The guwen text repeated to at least `bytes` bytes, cut after a line.
QByteArray Repeated(std::size_t bytes) {
    QByteArray text;
    text.reserve(static_cast<qsizetype>(bytes + Guwen().size()));
    while (static_cast<std::size_t>(text.size()) < bytes)
        text.append(Guwen().data(), static_cast<qsizetype>(Guwen().size()));
    const qsizetype cut = text.lastIndexOf('\n', static_cast<qsizetype>(bytes));
    text.truncate(cut + 1);
    return text;
}

const QByteArray& TwentyMegabytes() {
    static const QByteArray text = Repeated(kConvertBytes);
    return text;
}

std::string WriteFile(const std::string& name, const QByteArray& bytes) {
    ::mkdir(Folder().c_str(), 0700);
    const std::string path = Folder() + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.constData(), bytes.size());
    return path;
}

void ConvertOurs(benchmark::State& state) {
    const QByteArray& text = TwentyMegabytes();
    const auto converter = ScriptConverter::For(Script::Traditional);
    for (auto _ : state) {
        orlenth::text::TextLoad load(
            ConvertedFeed({text, static_cast<std::size_t>(text.size()), {}}, converter));
        benchmark::DoNotOptimize(load.finalText().data());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

void ConvertWithOpenccCommand(benchmark::State& state) {
    QStringDecoder gbk("GB18030");
    const std::string in =
        WriteFile("twenty.utf8.txt", QString(gbk.decode(TwentyMegabytes())).toUtf8());
    const std::string command =
        "opencc -c s2tw.json -i '" + in + "' -o '" + Folder() + "/twenty.out.txt'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("opencc failed");
    state.SetBytesProcessed(state.iterations() * TwentyMegabytes().size());
    state.SetLabel(command);
}

// What opening a folder file in a converted script costs before the page has its start:
// the file opened, its first piece read, and the first converted piece. `switching`: the
// file read again for a script switch, in the verdict its first opening reported, as the
// window does, instead of detecting its encoding again.
void FirstPage(benchmark::State& state, std::size_t bytes, bool convert, bool switching) {
    static std::map<std::size_t, std::string> written;
    std::string& path = written[bytes];
    if (path.empty())
        path = WriteFile("first-" + std::to_string(bytes) + ".txt",
                         Repeated(bytes).left(static_cast<qsizetype>(bytes)));
    const auto converter = ScriptConverter::For(Script::Traditional);
    std::optional<FileEncoding> known;
    if (switching) {
        auto report = std::make_shared<EncodingReport>();
        std::optional<TextFile> file = TextFile::Open(path);
        orlenth::text::TextFeed feed = std::move(*file).FeedForDisplay(
            orlenth::text::kMemoCapacity, TextFile::kPieceBytes, std::nullopt, report);
        known = report->Encoding();
        if (!known) state.SkipWithError("no verdict");
    }
    for (auto _ : state) {
        std::optional<TextFile> file = TextFile::Open(path);
        orlenth::text::TextFeed feed = std::move(*file).FeedForDisplay(
            orlenth::text::kMemoCapacity, TextFile::kPieceBytes, std::nullopt, nullptr, known);
        if (convert) feed = ConvertedFeed(std::move(feed), converter);
        if (feed.ready == 0) state.SkipWithError("no first page");
        state.PauseTiming();
        feed = {};
        state.ResumeTiming();
    }
}

// The conversion's own part of the first page: the loaded start of a text (all of a 3 KB
// one; the first mebibyte of a 300 MB one, its producer still to come) to the first
// converted piece.
void FirstConvertedPiece(benchmark::State& state, std::size_t bytes) {
    const auto converter = ScriptConverter::For(Script::Traditional);
    const QByteArray start = Repeated(std::min<std::size_t>(bytes, std::size_t{1} << 20));
    for (auto _ : state) {
        state.PauseTiming();
        const bool arriving = bytes > (std::size_t{1} << 20);
        QByteArray buffer(arriving ? static_cast<qsizetype>(bytes) : start.size(),
                          Qt::Uninitialized);
        std::copy(start.begin(), start.end(), buffer.data());
        orlenth::text::TextFeed source{
            std::move(buffer), static_cast<std::size_t>(start.size()), {}};
        if (arriving) source.produce = [](orlenth::text::TextSink&) {};
        state.ResumeTiming();
        orlenth::text::TextFeed feed = ConvertedFeed(std::move(source), converter);
        if (feed.ready == 0) state.SkipWithError("no first page");
        state.PauseTiming();
        feed = {};
        state.ResumeTiming();
    }
}

BENCHMARK_CAPTURE(FirstConvertedPiece, 3KB, std::size_t{3} * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FirstConvertedPiece, 300MB, std::size_t{300} * 1000 * 1000)
    ->Unit(benchmark::kMicrosecond);
// Choosing a script the first time: its configuration and dictionaries loaded, on the
// window's thread.
void LoadDictionaries(benchmark::State& state, const char* config) {
    for (auto _ : state) {
        ScriptConverter converter(config, config);
        benchmark::DoNotOptimize(&converter);
    }
}

// A folder file converted to its end, as the page gets it, and the process's peak resident
// memory by then: run it alone (--benchmark_filter=ConvertFile) for a peak of its own.
void ConvertFile(benchmark::State& state) {
    const std::size_t bytes = std::size_t{40} << 20;
    ::mkdir(Folder().c_str(), 0700);
    const std::string path = Folder() + "/forty.txt";
    {
        std::ofstream out(path, std::ios::binary);
        for (std::size_t n = 0; n < bytes; n += Guwen().size()) out << Guwen();
    }
    const auto converter = ScriptConverter::For(Script::Traditional);
    for (auto _ : state) {
        std::optional<TextFile> file = TextFile::Open(path);
        orlenth::text::TextLoad load(ConvertedFeed(
            std::move(*file).FeedForDisplay(orlenth::text::kMemoCapacity), converter));
        benchmark::DoNotOptimize(load.finalText().data());
    }
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1000.0;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    state.counters["file_MB"] = static_cast<double>(in.tellg()) / 1e6;
}

BENCHMARK(ConvertFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(LoadDictionaries, t2s, "t2s.json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadDictionaries, s2tw, "s2tw.json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadDictionaries, s2twp, "s2twp.json")->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertOurs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(ConvertWithOpenccCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(FirstPage, 3KB, std::size_t{3} * 1024, true, false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FirstPage, 300MB, std::size_t{300} * 1000 * 1000, true, false)
    ->Unit(benchmark::kMicrosecond);
// The same without conversion: what the page waits for in the stored script.
BENCHMARK_CAPTURE(FirstPage, 3KBOriginal, std::size_t{3} * 1024, false, false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FirstPage, 300MBOriginal, std::size_t{300} * 1000 * 1000, false, false)
    ->Unit(benchmark::kMicrosecond);
// A switch to 繁體 on the text on show: read again in its known verdict, then converted.
BENCHMARK_CAPTURE(FirstPage, 3KBSwitch, std::size_t{3} * 1024, true, true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FirstPage, 300MBSwitch, std::size_t{300} * 1000 * 1000, true, true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + Folder() + "'").c_str());
    return 0;
}
