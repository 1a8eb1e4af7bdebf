// Reading the whole embedded main-window description into filled containers, beside the
// codec's bare decompression of the same item records: what the object stream, the item
// records and the line lists add on top of decompressing.

#include "framework/Component.h"
#include "library/LZRW.h"
#include "library/WJKStringList.h"
#include "resource/EmbeddedStreams.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include "CollectingReporter.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using orlenth::TObjectRecord;

struct Blocks {
    std::vector<std::string_view> blocks; // every compressed block of every item record
    std::size_t restored = 0;             // bytes they restore to
};

std::int32_t int32At(std::string_view s, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return static_cast<std::int32_t>(v);
}

// The blocks of every "Internal" record, found once: flag, optional description and
// identifier, then the compressed stream of the lines.
const Blocks& GetBlocks() {
    static const Blocks b = [] {
        static const TObjectRecord root =
            orlenth::ParseObjectStream(orlenth::EmbeddedStream("TORLENTH"));
        Blocks out;
        std::function<void(const TObjectRecord&)> walk = [&](const TObjectRecord& r) {
            for (const auto& p : r.properties) {
                if (p.name != "Internal") continue;
                const std::string_view rec = p.value.Data();
                const auto flag = static_cast<unsigned char>(rec[0]);
                std::size_t at = 1;
                if (flag & 2) at += 1u + static_cast<unsigned char>(rec[at]);
                if (flag & 4) at += 4;
                if (!(flag & 8) || !(flag & 1)) continue;
                const std::size_t end = at + 4 + static_cast<std::size_t>(int32At(rec, at));
                for (at += 4; at < end;) {
                    const auto s = static_cast<std::size_t>(int32At(rec, at));
                    out.blocks.push_back(rec.substr(at + 4, s));
                    at += 4 + s;
                }
            }
            for (const auto& c : r.children) walk(c);
        };
        walk(root);
        std::vector<std::uint8_t> buf(orlenth::kLZRWBufferSize);
        for (auto blk : out.blocks) {
            const auto n =
                orlenth::LZRWDecompressBlock(reinterpret_cast<const std::uint8_t*>(blk.data()),
                                             blk.size(), buf.data(), buf.size());
            if (n < 0) {
                std::fprintf(stderr, "a block of the embedded library does not decompress\n");
                std::exit(1);
            }
            out.restored += static_cast<std::size_t>(n);
        }
        return out;
    }();
    return b;
}

void BM_ReadLibrary(benchmark::State& state) {
    const std::string_view stream = orlenth::EmbeddedStream("TORLENTH");
    for (auto _ : state) {
        orlenth::TComponent owner;
        // As the program reads it: from the embedded bytes, which last.
        const orlenth::TLibrary lib = orlenth::LoadLibrary(stream, owner, true);
        benchmark::DoNotOptimize(lib[4]->GetArrayItem(4)->GetList().Text().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(GetBlocks().restored));
}
// Wall time: reading checks the item records' blocks on every core, and the time of only
// the thread that reads would leave the other core's work out.
BENCHMARK(BM_ReadLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareDecompress(benchmark::State& state) {
    const Blocks& b = GetBlocks();
    std::vector<std::uint8_t> out(orlenth::kLZRWBufferSize);
    for (auto _ : state) {
        for (auto blk : b.blocks)
            benchmark::DoNotOptimize(
                orlenth::LZRWDecompressBlock(reinterpret_cast<const std::uint8_t*>(blk.data()),
                                             blk.size(), out.data(), out.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(b.restored));
}
BENCHMARK(BM_BareDecompress)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const Blocks& b = GetBlocks();
    std::printf("library: %zu bytes of stream, %zu blocks restoring %zu bytes\n",
                orlenth::EmbeddedStream("TORLENTH").size(), b.blocks.size(), b.restored);
    std::fflush(stdout);
    CollectingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                      : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double read = reporter.Throughput("BM_ReadLibrary"),
                 bare = reporter.Throughput("BM_BareDecompress");
    if (read > 0 && bare > 0)
        std::printf(
            "cost of reading the library / bare decompression = %.2f (goal <= 1.2, floor 1.5)\n",
            bare / read);
    return 0;
}
