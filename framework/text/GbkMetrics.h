#pragma once
// Advance and break class of every GBK character in one font, indexed by its bytes.

#include "framework/text/AdvanceCache.h"
#include "framework/text/BreakClass.h"
#include "framework/text/GbkDecoder.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orlenth::text {

// Which way display lines run: rows left to right, or columns top to bottom (whose
// "width" is the page's height; see VerticalAdvance).
enum class Flow { Rows, Columns };

// The wrap engine's inner loop looks characters up by their bytes, skipping decoding, in
// entries of four bytes so that the table of all pairs stays in cache. An entry packs the
// break class (bits 0-1), whether the bytes form no pair (bit 2) and the advance in 1/64
// pixel (bits 3 and up), rounded up so that a line measured in these units never comes
// out narrower than it draws. Four-byte characters, and the pairs whose advance the cache
// could not give in bulk (marked as no pair), go through the decoder and the cache on
// each use, as they are rare in GBK text.
class GbkMetrics {
public:
    using Entry = std::uint32_t;
    static constexpr Entry kNotAPair = 1u << 2;
    static constexpr int kSubpixels = 64;

    static constexpr BreakClass breakClass(Entry e) { return static_cast<BreakClass>(e & 3u); }
    static constexpr std::int64_t advance(Entry e) { return static_cast<std::int64_t>(e >> 3); }

    // Keeps a reference to the cache, which must outlive this object. In columns the
    // advances are lengths down the column (VerticalAdvance), so the same wrap lays out
    // columns at the page's height.
    explicit GbkMetrics(AdvanceCache& cache, Flow flow = Flow::Rows);

    const QFont& font() const { return cache_.font(); }
    Flow flow() const { return flow_; }
    // The cell of an ideograph in pixels: how far an upright character takes a column on.
    double em() const { return em_; }
    // Whether the font's own face has a glyph for this vertical presentation form
    // (U+FE10..U+FE4F; false for anything else, and always false in rows). Painting
    // decides by the same answer, so that a column is drawn as long as it was measured.
    bool hasPresentation(char32_t c) const {
        return c >= kFormsFrom && c < kFormsFrom + 64 && (presentations_ >> (c - kFormsFrom) & 1u);
    }

    // An ASCII byte, or the replacement character for any other single byte.
    Entry single(std::uint8_t b) const { return singles_[b]; }
    // Any two bytes; kNotAPair is set unless they are a GBK lead and trail byte whose
    // advance was known when the table was built (otherwise use the decoder and of()).
    Entry pair(std::uint8_t first, std::uint8_t second) const {
        return pairs_[GbkDecoder::pairIndex(first, second)];
    }
    Entry of(char32_t codePoint) const;
    // The entry of a GBK pair left out of the table (see pair()): measured now and put
    // into the table, so that the next occurrence takes the fast path.
    Entry resolve(std::uint8_t first, std::uint8_t second, char32_t codePoint) const {
        const Entry e = of(codePoint);
        pairs_[GbkDecoder::pairIndex(first, second)] = e;
        return e;
    }

private:
    static constexpr char32_t kFormsFrom = 0xFE10;

    AdvanceCache& cache_;
    Flow flow_;
    double em_ = 0;
    std::uint64_t presentations_ = 0;
    std::array<Entry, 256> singles_{};
    // Filled further as characters left out are first met.
    mutable std::vector<Entry> pairs_;
};

} // namespace orlenth::text
