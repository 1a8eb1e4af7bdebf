// Folder files on their way to the wrap engine: the conversion to GB18030 from each
// encoding a file may be in (guwen.gbk.txt's text, 380 KB of GBK, encoded in each; what an
// encoding cannot hold becomes '?'), the detection of each, and how long the first page
// of a 100 MB file of NUL bytes waits.

#include "app/platform/DisplayText.h"
#include "app/platform/TextDetection.h"

#include <benchmark/benchmark.h>

#include <QStringDecoder>
#include <QStringEncoder>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using orlenth::platform::DetectEncoding;
using orlenth::platform::DisplayConverter;
using orlenth::platform::FileEncoding;
using orlenth::platform::TextFile;

const QString& Text() {
    static const QString text = [] {
        std::ifstream in(ORLENTH_BENCH_DATA, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        QStringDecoder gbk("GB18030");
        const QString once = gbk.decode(QByteArray::fromStdString(s.str()));
        return once.repeated(8);
    }();
    return text;
}

std::string Encoded(FileEncoding e) {
    if (e == FileEncoding::Utf16LE) {
        const QString& t = Text();
        return std::string(reinterpret_cast<const char*>(t.utf16()),
                           static_cast<std::size_t>(t.size()) * 2);
    }
    const char* name = e == FileEncoding::Utf8  ? "UTF-8"
                       : e == FileEncoding::Gbk ? "GB18030"
                                                : orlenth::platform::IcuNameOf(e);
    QStringEncoder encoder(name);
    const QByteArray bytes = encoder.encode(Text());
    return bytes.toStdString();
}

void Convert(benchmark::State& state, FileEncoding e) {
    const std::string bytes = Encoded(e);
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    for (auto _ : state) {
        DisplayConverter converter(e);
        QByteArray out;
        for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
            out.clear();
            converter.Feed(std::string_view(bytes).substr(at, kPiece), out);
        }
        converter.Finish(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void Detect(benchmark::State& state, FileEncoding e) {
    const std::string bytes = Encoded(e);
    if (DetectEncoding(bytes) != e) state.SkipWithError("detected as something else");
    for (auto _ : state) benchmark::DoNotOptimize(DetectEncoding(bytes));
}

BENCHMARK_CAPTURE(Convert, Utf8, FileEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Utf16LE, FileEncoding::Utf16LE)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Big5, FileEncoding::Big5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, ShiftJis, FileEncoding::ShiftJis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, Gbk, FileEncoding::Gbk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, Utf8, FileEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, Big5, FileEncoding::Big5)->Unit(benchmark::kMillisecond);

// The feed returns with its first piece; the rest would be the load's thread's.
void FirstPieceOfNulFile(benchmark::State& state) {
    char name[] = "/tmp/orlenth-nul-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0 || ::ftruncate(fd, 100'000'000) != 0) state.SkipWithError("no temporary file");
    for (auto _ : state) {
        std::optional<TextFile> file = TextFile::Open(name);
        orlenth::text::TextFeed feed = std::move(*file).FeedForDisplay(std::size_t{512} << 20);
        benchmark::DoNotOptimize(feed.ready);
    }
    ::close(fd);
    std::remove(name);
}
BENCHMARK(FirstPieceOfNulFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
