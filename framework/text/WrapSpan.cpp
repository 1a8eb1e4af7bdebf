#include "framework/text/WrapSpan.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orlenth::text {

namespace {

// How much a break at a place offends, from none to the most. When a line overflows it
// breaks at the latest place of the least offence: a Latin run is split before a line is
// left ending in an opening mark, and that before a line opens with a closing mark.
enum Offence : unsigned { None, SplitsWord, EndsWithOpener, StartsWithCloser, kOffences };

constexpr Offence offenceOf(BreakClass before, BreakClass after) {
    if (after == BreakClass::NoStart) return StartsWithCloser;
    if (before == BreakClass::NoEnd) return EndsWithOpener;
    if (before == BreakClass::Word && after == BreakClass::Word) return SplitsWord;
    return None;
}

constexpr auto kOffenceTable = [] {
    std::array<std::array<unsigned, 4>, 4> t{};
    for (unsigned before = 0; before < 4; ++before)
        for (unsigned after = 0; after < 4; ++after)
            t[before][after] =
                offenceOf(static_cast<BreakClass>(before), static_cast<BreakClass>(after));
    return t;
}();

} // namespace

std::int64_t widthUnitsOf(double widthPx) {
    return static_cast<std::int64_t>(std::floor(std::max(widthPx, 0.0) * GbkMetrics::kSubpixels));
}

std::size_t lineEndOf(std::string_view text, std::size_t start, std::size_t next) {
    // CR and LF never occur inside a character, so a line that ends in one ends in a break.
    std::size_t end = next;
    if (end > start && text[end - 1] == '\n') --end;
    if (end > start && text[end - 1] == '\r' && (end == next || text[end] == '\n')) --end;
    return end;
}

std::size_t wrapSpan(std::string_view text, const Span& span, std::int64_t widthUnits,
                     const GbkMetrics& metrics, SlowMeasure* slow,
                     std::vector<std::uint32_t>& starts) {
    const char* const data = text.data();
    const std::size_t n = span.to;
    const GbkDecoder& decoder = GbkDecoder::instance();
    const auto addLine = [&](std::size_t from) {
        starts.push_back(static_cast<std::uint32_t>(from));
    };

    // The latest place of each offence and the running width there; a place counts only
    // when it lies after the line start, so nothing needs clearing when a line starts.
    // The common place, between two ordinary characters, lives apart in registers: an
    // indexed store for every character would chain the loop through memory. Widths are
    // kept in whole subpixels from the start of the span, so that a line's width is a
    // difference and moving a break needs no re-measuring. Any line start is a fresh
    // start: nothing before it changes where the line breaks, so a span may begin at one.
    std::size_t freeBreakAt = 0;
    std::int64_t freeWidthAt = 0;
    std::size_t breakAt[kOffences] = {};
    std::int64_t widthAt[kOffences] = {};
    std::size_t lineStart = span.from;
    std::int64_t total = 0;          // running width up to pos
    std::int64_t limit = widthUnits; // the running width at which the line is full
    unsigned previous = 0;           // break class of the character before pos

    std::size_t pos = span.from;
    // The text goes in pieces, and the cancel flag is looked at between them; within a
    // piece the loop compares against its end only.
    for (std::size_t pieceEnd = std::min(n, pos + kCancelCheckBytes); pos < n;
         pieceEnd = std::min(n, pos + kCancelCheckBytes)) {
        if (span.cancel && pos > span.from && span.cancel->load(std::memory_order_relaxed))
            return lineStart;
        while (pos < pieceEnd) {
            const auto b = static_cast<std::uint8_t>(data[pos]);
            GbkMetrics::Entry e;
            std::size_t length = 1;
            if (b < 0x80) {
                if (b == '\r' || b == '\n') [[unlikely]] {
                    const bool pairs = b == '\r' && pos + 1 < n && data[pos + 1] == '\n';
                    // A CR that the span cuts off from what follows may yet be half of CR LF.
                    if (b == '\r' && !pairs && pos + 1 == n && !span.toIsEnd) return lineStart;
                    addLine(lineStart);
                    pos += pairs ? 2 : 1;
                    lineStart = pos;
                    limit = total + widthUnits;
                    if (lineStart >= span.stopAt) return lineStart;
                    continue;
                }
                e = metrics.single(b);
            } else if (pos + 1 < n &&
                       !((e = metrics.pair(b, static_cast<std::uint8_t>(data[pos + 1]))) &
                         GbkMetrics::kNotAPair)) [[likely]] {
                length = 2;
            } else {
                const GbkChar c = decoder.next(data + pos, data + n);
                // A character the span cuts off may be longer than what is left of it here.
                if (!span.toIsEnd && c.length == 1 && n - pos < 4 && b >= 0x81 && b <= 0xFE)
                    return lineStart;
                length = c.length;
                if (c.length == 1)
                    e = metrics.single(b);
                else if (slow) {
                    e = slow->entryOf(c.codePoint);
                    // A measure may take long (a fallback face loaded): a caller with a time
                    // budget stops here rather than at the piece's end.
                    if (span.cancel && span.cancel->load(std::memory_order_relaxed))
                        return lineStart;
                } else if (c.length == 2)
                    e = metrics.resolve(b, static_cast<std::uint8_t>(data[pos + 1]), c.codePoint);
                else
                    e = metrics.of(c.codePoint);
            }

            const unsigned cls = e & 3u;
            const unsigned offence = kOffenceTable[previous][cls];
            if (offence == None) {
                freeBreakAt = pos;
                freeWidthAt = total;
            } else {
                breakAt[offence] = pos;
                widthAt[offence] = total;
            }
            total += GbkMetrics::advance(e);
            if (total > limit) [[unlikely]] {
                breakAt[None] = freeBreakAt;
                widthAt[None] = freeWidthAt;
                // Break at the latest place of the least offence, until the line fits or holds
                // one character only.
                for (;;) {
                    unsigned k = 0;
                    while (k < kOffences && breakAt[k] <= lineStart) ++k;
                    if (k == kOffences) break;
                    addLine(lineStart);
                    lineStart = breakAt[k];
                    limit = widthAt[k] + widthUnits;
                    if (total <= limit) break;
                }
                if (lineStart >= span.stopAt) return lineStart;
            }
            previous = cls;
            pos += length;
        }
    }
    if (!span.toIsEnd) return lineStart;
    if (lineStart < n) addLine(lineStart);
    return n;
}

} // namespace orlenth::text
