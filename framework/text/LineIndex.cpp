#include "framework/text/LineIndex.h"

#include <algorithm>
#include <stdexcept>

namespace orlenth::text {

LineIndex::LineIndex(std::size_t maxLines) : blocks_(maxLines / kBlockSize + 1) {}

void LineIndex::append(const std::uint32_t* starts, std::size_t count) {
    std::size_t n = size_.load(std::memory_order_relaxed);
    if (count > blocks_.size() * kBlockSize - n) throw std::length_error("LineIndex");
    for (std::size_t i = 0; i < count;) {
        std::unique_ptr<std::uint32_t[]>& block = blocks_[n >> kBlockBits];
        if (!block) block = std::make_unique_for_overwrite<std::uint32_t[]>(kBlockSize);
        const std::size_t at = n & kBlockMask;
        const std::size_t take = std::min(count - i, kBlockSize - at);
        std::copy(starts + i, starts + i + take, block.get() + at);
        i += take;
        n += take;
    }
    size_.store(n, std::memory_order_release);
}

std::size_t LineIndex::lineAt(std::uint32_t offset, std::size_t count) const {
    // The first line starting after the offset, by bisection; the line before it holds it.
    std::size_t lo = 0, hi = count;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if ((*this)[mid] <= offset)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo == 0 ? 0 : lo - 1;
}

} // namespace orlenth::text
