#pragma once
// The greedy line breaker over a stretch of GBK text: the loop that every wrap runs.

#include "framework/text/GbkMetrics.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orlenth::text {

// Measures the characters the metrics table leaves out (four-byte ones, pairs the font
// could not give in bulk) for a wrap that runs off the thread owning the metrics.
class SlowMeasure {
public:
    virtual ~SlowMeasure() = default;
    virtual GbkMetrics::Entry entryOf(char32_t codePoint) = 0;
};

// The stretch [from, to) of `text` to wrap: `from` is the start of a display line (the
// text's start, just after a line break, or where an earlier span stopped). The bytes past
// `to` are never read.
struct Span {
    std::size_t from;
    std::size_t to;
    // Whether `to` is the end of the text. If not, the line that `to` cuts is left
    // unfinished: it is not emitted, and the result names its start.
    bool toIsEnd;
    // Stop at the first display line that starts at or after this offset.
    std::size_t stopAt = SIZE_MAX;
    // Looked at every kCancelCheckBytes of text and after each character measured through
    // `slow`: once set, the wrap stops at the start of the line it is in, which it returns,
    // and what it appended is incomplete.
    const std::atomic<bool>* cancel = nullptr;
};

// How much text a wrap covers between looks at its cancel flag: a fraction of a
// millisecond, so that stopping a wrap never holds anyone up, even within one long line.
inline constexpr std::size_t kCancelCheckBytes = 64 * 1024;

// Appends the start of every display line of the span to `starts` (see wrapText for the
// rules) and returns where the next line starts: the stop, the start of the unfinished
// line, or `to`. At the end of the text a last line is emitted only when it is not empty.
// Without `slow` the characters left out of the table are measured through `metrics`,
// which fills the table: only the thread that owns the metrics may do that.
std::size_t wrapSpan(std::string_view text, const Span& span, std::int64_t widthUnits,
                     const GbkMetrics& metrics, SlowMeasure* slow,
                     std::vector<std::uint32_t>& starts);

// The width in the table's units for a width in pixels (negative counts as 0).
std::int64_t widthUnitsOf(double widthPx);

// The end of the display line [start, next): `next` less the line break that ends it.
std::size_t lineEndOf(std::string_view text, std::size_t start, std::size_t next);

} // namespace orlenth::text
