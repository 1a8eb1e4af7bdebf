#include "library/BlockChecks.h"

#include "framework/Errors.h"
#include "library/LZRW.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace orlenth {

namespace {

thread_local TBlockChecks* gCurrent = nullptr;

} // namespace

TBlockChecks::TBlockChecks() : outer_(gCurrent) {
    gCurrent = this;
}

TBlockChecks::~TBlockChecks() {
    if (gCurrent == this) gCurrent = outer_;
}

TBlockChecks* TBlockChecks::Current() {
    return gCurrent;
}

void TBlockChecks::Add(const std::uint8_t* block, std::size_t size) {
    blocks_.push_back({block, size});
}

void TBlockChecks::Finish() {
    gCurrent = outer_;
    std::vector<Block> blocks;
    blocks.swap(blocks_);
    std::atomic<bool> damaged = false;
    // Halves by bytes, not by count: the articles differ in length a hundredfold.
    const auto check = [&](std::size_t from, std::size_t to) {
        auto out = std::make_unique_for_overwrite<TLZRWBuffer>();
        for (std::size_t i = from; i < to && !damaged.load(std::memory_order_relaxed); ++i)
            if (LZRWDecompressBlock(blocks[i].at, blocks[i].size, out->data(), out->size()) < 0)
                damaged = true;
    };
    std::size_t total = 0;
    for (const Block& b : blocks) total += b.size;
    std::size_t mid = 0;
    for (std::size_t half = 0; mid < blocks.size() && half < total / 2; ++mid)
        half += blocks[mid].size;
    // A thread costs tens of microseconds: worth it only for the library's megabyte.
    if (std::thread::hardware_concurrency() > 1 && total >= 256 * 1024) {
        std::thread other(check, mid, blocks.size());
        check(0, mid);
        other.join();
    } else {
        check(0, blocks.size());
    }
    if (damaged) throw EReadError();
}

} // namespace orlenth
