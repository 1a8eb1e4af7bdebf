// Throughput of the block codec against LZ4 and memcpy, on the same GBK prose cut into the
// same full-size blocks, so that the three rows can be compared directly.

#include "library/LZRW.h"

#include "CollectingReporter.h"

#include <benchmark/benchmark.h>
#include <lz4.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "orlenth-bench-codec: %s\n", message.c_str());
    std::exit(1);
}

struct Corpus {
    std::vector<Bytes> blocks;
    std::vector<Bytes> ours;
    std::vector<Bytes> lz4;
    std::size_t inputBytes = 0;
    std::size_t oursBytes = 0;
    std::size_t lz4Bytes = 0;
};

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(std::string("cannot open ") + path);
    Bytes data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (data.empty()) Fail(std::string("empty data file ") + path);
    return data;
}

// Built once and checked before any timing: a benchmark of a codec that does not round
// trip would measure nothing worth reporting.
const Corpus& GetCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        const Bytes text = ReadFile(ORLENTH_BENCH_DATA);
        for (std::size_t at = 0; at < text.size(); at += orlenth::kLZRWMaxInput) {
            const std::size_t n = std::min<std::size_t>(orlenth::kLZRWMaxInput, text.size() - at);
            c.blocks.emplace_back(text.begin() + static_cast<std::ptrdiff_t>(at),
                                  text.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        c.inputBytes = text.size();

        Bytes restored(orlenth::kLZRWBufferSize);
        const int lz4Bound = LZ4_compressBound(orlenth::kLZRWMaxInput);
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            const Bytes& block = c.blocks[i];

            Bytes ours(orlenth::kLZRWBufferSize);
            ours.resize(orlenth::LZRWCompressBlock(block.data(), block.size(), ours.data()));
            const std::ptrdiff_t oursBack = orlenth::LZRWDecompressBlock(
                ours.data(), ours.size(), restored.data(), restored.size());
            if (oursBack != static_cast<std::ptrdiff_t>(block.size()) ||
                !std::equal(block.begin(), block.end(), restored.begin()))
                Fail("our codec does not round trip block " + std::to_string(i));
            c.oursBytes += ours.size();
            c.ours.push_back(std::move(ours));

            Bytes lz4(static_cast<std::size_t>(lz4Bound));
            const int lz4Size = LZ4_compress_default(reinterpret_cast<const char*>(block.data()),
                                                     reinterpret_cast<char*>(lz4.data()),
                                                     static_cast<int>(block.size()), lz4Bound);
            if (lz4Size <= 0) Fail("LZ4 cannot compress block " + std::to_string(i));
            lz4.resize(static_cast<std::size_t>(lz4Size));
            const int lz4Back = LZ4_decompress_safe(reinterpret_cast<const char*>(lz4.data()),
                                                    reinterpret_cast<char*>(restored.data()),
                                                    lz4Size, static_cast<int>(restored.size()));
            if (lz4Back != static_cast<int>(block.size()) ||
                !std::equal(block.begin(), block.end(), restored.begin()))
                Fail("LZ4 does not round trip block " + std::to_string(i));
            c.lz4Bytes += lz4.size();
            c.lz4.push_back(std::move(lz4));
        }
        return c;
    }();
    return corpus;
}

void Finish(benchmark::State& state, const Corpus& c, std::size_t compressedBytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(c.inputBytes));
    // Compressed size over input size, so smaller is better; the block forms are summed
    // over all blocks, headers included.
    state.counters["out/in"] =
        static_cast<double>(compressedBytes) / static_cast<double>(c.inputBytes);
}

void BM_CompressOurs(benchmark::State& state) {
    const Corpus& c = GetCorpus();
    Bytes out(orlenth::kLZRWBufferSize);
    for (auto _ : state) {
        for (const Bytes& block : c.blocks) {
            std::size_t n = orlenth::LZRWCompressBlock(block.data(), block.size(), out.data());
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    Finish(state, c, c.oursBytes);
}

void BM_DecompressOurs(benchmark::State& state) {
    const Corpus& c = GetCorpus();
    Bytes out(orlenth::kLZRWBufferSize);
    for (auto _ : state) {
        for (const Bytes& block : c.ours) {
            std::ptrdiff_t n =
                orlenth::LZRWDecompressBlock(block.data(), block.size(), out.data(), out.size());
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    Finish(state, c, c.oursBytes);
}

void BM_CompressLZ4(benchmark::State& state) {
    const Corpus& c = GetCorpus();
    const int bound = LZ4_compressBound(orlenth::kLZRWMaxInput);
    Bytes out(static_cast<std::size_t>(bound));
    for (auto _ : state) {
        for (const Bytes& block : c.blocks) {
            int n = LZ4_compress_default(reinterpret_cast<const char*>(block.data()),
                                         reinterpret_cast<char*>(out.data()),
                                         static_cast<int>(block.size()), bound);
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    Finish(state, c, c.lz4Bytes);
}

void BM_DecompressLZ4(benchmark::State& state) {
    const Corpus& c = GetCorpus();
    Bytes out(orlenth::kLZRWBufferSize);
    for (auto _ : state) {
        for (const Bytes& block : c.lz4) {
            int n = LZ4_decompress_safe(
                reinterpret_cast<const char*>(block.data()), reinterpret_cast<char*>(out.data()),
                static_cast<int>(block.size()), static_cast<int>(out.size()));
            benchmark::DoNotOptimize(n);
        }
        benchmark::ClobberMemory();
    }
    Finish(state, c, c.lz4Bytes);
}

void BM_Memcpy(benchmark::State& state) {
    const Corpus& c = GetCorpus();
    Bytes out(orlenth::kLZRWBufferSize);
    for (auto _ : state) {
        for (const Bytes& block : c.blocks) {
            std::memcpy(out.data(), block.data(), block.size());
            benchmark::DoNotOptimize(out.data());
        }
        benchmark::ClobberMemory();
    }
    Finish(state, c, c.inputBytes);
}

BENCHMARK(BM_CompressOurs);
BENCHMARK(BM_CompressLZ4);
BENCHMARK(BM_DecompressOurs);
BENCHMARK(BM_DecompressLZ4);
BENCHMARK(BM_Memcpy);

void PrintRatio(const CollectingReporter& reporter, const char* what, const char* ours,
                const char* lz4) {
    const double a = reporter.Throughput(ours);
    const double b = reporter.Throughput(lz4);
    if (a > 0.0 && b > 0.0) std::printf("ratio %s ours/lz4 = %.2f\n", what, a / b);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Checks the round trips and fails before anything is timed.
    const Corpus& c = GetCorpus();
    std::printf("data: %s, %zu bytes in %zu blocks\n", ORLENTH_BENCH_DATA, c.inputBytes,
                c.blocks.size());
    std::fflush(stdout);

    CollectingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                      : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);

    PrintRatio(reporter, "compress", "BM_CompressOurs", "BM_CompressLZ4");
    PrintRatio(reporter, "decompress", "BM_DecompressOurs", "BM_DecompressLZ4");
    return 0;
}
