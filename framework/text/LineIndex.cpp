#include "framework/text/LineIndex.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace orlenth::text {

// The blocks' layouts in 32-bit words (offsets are from the block's base, and arithmetic is
// modulo 2^32, so any start fits any form):
// - Pattern: [cycle] [lead 0 .. period-1]: line k is base + (k / period) * cycle +
//   lead[k % period], cycle being the sum of one period's gaps.
// - Gaps4, Gaps8: [offset of line j * kCheckLines, for each j] [index of the first kept-apart
//   gap after each of those lines, 16 bits each] [the gaps, 4 or 8 bits, slot k holding the
//   gap before line k, 0 when kept apart] [the gaps kept apart, in order].
// - Plain: [start of line k].

namespace {

constexpr std::size_t kChecks = LineIndex::kBlockSize / LineIndex::kCheckLines;
constexpr std::size_t kCheckWords = kChecks + kChecks / 2;

std::size_t gapWords(unsigned bits) {
    return LineIndex::kBlockSize * bits / 32;
}

unsigned bitsOf(LineIndex::Kind kind) {
    return kind == LineIndex::Kind::Gaps4 ? 4 : 8;
}

std::uint32_t gapAt(const std::uint8_t* gaps, unsigned bits, std::size_t k) {
    if (bits == 8) return gaps[k];
    const std::uint32_t pair = gaps[k >> 1];
    return (pair >> ((k & 1) * 4)) & 15u;
}

} // namespace

LineIndex::LineIndex(std::size_t maxLines)
    : blocks_(maxLines / kBlockSize + 1),
      open_(std::make_unique<std::atomic<std::uint32_t>[]>(kBlockSize)) {}

LineIndex::~LineIndex() = default;

std::uint32_t LineIndex::startIn(const Block& b, std::size_t k) {
    const std::uint32_t* const d = b.data.get();
    switch (b.kind) {
    case Kind::Pattern:
        return b.base + static_cast<std::uint32_t>(k / b.period) * d[0] + d[1 + k % b.period];
    case Kind::Plain:
        return d[k];
    case Kind::Gaps4:
    case Kind::Gaps8: {
        const unsigned bits = bitsOf(b.kind);
        const std::size_t j = k >> kCheckBits;
        const auto* const escapes = reinterpret_cast<const std::uint16_t*>(d + kChecks);
        const auto* const gaps = reinterpret_cast<const std::uint8_t*>(d + kCheckWords);
        const std::uint32_t* const apart = d + kCheckWords + gapWords(bits);
        std::uint32_t at = d[j];
        std::size_t e = escapes[j];
        for (std::size_t m = (j << kCheckBits) + 1; m <= k; ++m) {
            const std::uint32_t g = gapAt(gaps, bits, m);
            at += g != 0 ? g : apart[e++];
        }
        return b.base + at;
    }
    }
    return 0;
}

std::uint32_t LineIndex::operator[](std::size_t i) const {
    const std::size_t b = i >> kBlockBits;
    for (;;) {
        const std::size_t full = full_.load(std::memory_order_acquire);
        if (b < full) return startIn(blocks_[b], i & (kBlockSize - 1));
        // The open block may be packed meanwhile and refilled with the next block's lines;
        // a start written after the packing shows as a changed count of full blocks.
        const std::uint32_t v = open_[i & (kBlockSize - 1)].load(std::memory_order_acquire);
        if (full_.load(std::memory_order_relaxed) == full) return v;
    }
}

void LineIndex::append(const std::uint32_t* starts, std::size_t count) {
    std::size_t n = size_.load(std::memory_order_relaxed);
    if (count > blocks_.size() * kBlockSize - n) throw std::length_error("LineIndex");
    for (std::size_t i = 0; i < count; ++i) {
        open_[n & (kBlockSize - 1)].store(starts[i], std::memory_order_release);
        if ((++n & (kBlockSize - 1)) == 0) seal();
    }
    size_.store(n, std::memory_order_release);
}

void LineIndex::seal() {
    std::array<std::uint32_t, kBlockSize> s;
    for (std::size_t k = 0; k < kBlockSize; ++k) s[k] = open_[k].load(std::memory_order_relaxed);
    Block b;
    b.base = s[0];

    // The shortest period with which the gaps repeat.
    std::size_t period = 0;
    for (std::size_t p = 1; p <= kMaxPeriod && period == 0; ++p) {
        std::size_t k = p + 1;
        while (k < kBlockSize && s[k] - s[k - 1] == s[k - p] - s[k - p - 1]) ++k;
        if (k == kBlockSize) period = p;
    }
    if (period != 0) {
        b.kind = Kind::Pattern;
        b.period = static_cast<std::uint8_t>(period);
        b.words = static_cast<std::uint32_t>(period + 1);
        b.data = std::make_unique<std::uint32_t[]>(b.words);
        b.data[0] = s[period] - s[0];
        for (std::size_t k = 0; k < period; ++k) b.data[1 + k] = s[k] - s[0];
    } else {
        // The gaps that do not fit in 4 and in 8 bits decide between those and plain starts.
        std::size_t over4 = 0, over8 = 0;
        for (std::size_t k = 1; k < kBlockSize; ++k) {
            const std::uint32_t g = s[k] - s[k - 1];
            over4 += g == 0 || g > 15;
            over8 += g == 0 || g > 255;
        }
        const std::size_t words4 = kCheckWords + gapWords(4) + over4;
        const std::size_t words8 = kCheckWords + gapWords(8) + over8;
        const std::size_t best = std::min({words4, words8, kBlockSize});
        if (best == kBlockSize) {
            b.kind = Kind::Plain;
            b.words = kBlockSize;
            b.data = std::make_unique_for_overwrite<std::uint32_t[]>(kBlockSize);
            std::copy(s.begin(), s.end(), b.data.get());
        } else {
            b.kind = best == words4 ? Kind::Gaps4 : Kind::Gaps8;
            const unsigned bits = bitsOf(b.kind);
            b.words = static_cast<std::uint32_t>(best);
            b.data = std::make_unique<std::uint32_t[]>(best);
            std::uint32_t* const d = b.data.get();
            auto* const escapes = reinterpret_cast<std::uint16_t*>(d + kChecks);
            auto* const gaps = reinterpret_cast<std::uint8_t*>(d + kCheckWords);
            std::uint32_t* const apart = d + kCheckWords + gapWords(bits);
            const std::uint32_t limit = (1u << bits) - 1;
            std::size_t e = 0;
            for (std::size_t k = 0; k < kBlockSize; ++k) {
                if (k > 0) {
                    const std::uint32_t g = s[k] - s[k - 1];
                    const std::uint32_t slot = g != 0 && g <= limit ? g : 0;
                    if (slot == 0) apart[e++] = g;
                    if (bits == 8)
                        gaps[k] = static_cast<std::uint8_t>(slot);
                    else
                        gaps[k >> 1] |= static_cast<std::uint8_t>(slot << ((k & 1) * 4));
                }
                if ((k & (kCheckLines - 1)) == 0) {
                    d[k >> kCheckBits] = s[k] - s[0];
                    escapes[k >> kCheckBits] = static_cast<std::uint16_t>(e);
                }
            }
        }
    }
    const std::size_t full = full_.load(std::memory_order_relaxed);
    blocks_[full] = std::move(b);
    full_.store(full + 1, std::memory_order_release);
}

std::size_t LineIndex::firstAfter(std::size_t from, std::size_t to, std::uint32_t offset) const {
    while (from < to) {
        const std::size_t mid = from + (to - from) / 2;
        if ((*this)[mid] <= offset)
            from = mid + 1;
        else
            to = mid;
    }
    return from;
}

std::size_t LineIndex::lineAt(std::uint32_t offset, std::size_t count) const {
    if (count == 0) return 0;
    // The last block whose first line starts at or before the offset, then the line in it.
    std::size_t lo = 0, hi = ((count - 1) >> kBlockBits) + 1;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if ((*this)[mid << kBlockBits] <= offset)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0) return 0;
    const std::size_t first = (lo - 1) << kBlockBits;
    return firstAfter(first + 1, std::min(count, first + kBlockSize), offset) - 1;
}

std::size_t LineIndex::memoryBytes() const {
    std::size_t bytes = blocks_.size() * sizeof(Block) + kBlockSize * sizeof(std::uint32_t);
    const std::size_t full = full_.load(std::memory_order_acquire);
    for (std::size_t b = 0; b < full; ++b) bytes += blocks_[b].words * sizeof(std::uint32_t);
    return bytes;
}

} // namespace orlenth::text
