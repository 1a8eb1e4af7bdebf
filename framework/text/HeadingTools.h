#pragma once
// What the table of contents does with headings besides finding them: cuts for a text
// without any, a user's own pattern, a heading's text, and moving between headings.

#include "framework/text/HeadingScan.h"
#include "framework/text/UserPattern.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orlenth::text {

inline constexpr std::size_t kVirtualSectionBytes = 20 * 1024;

// Sections for a text without headings: one at the start (when the text is not empty),
// then one at the first line start at or after every `every` bytes past the previous one
// (a line start follows a CR, an LF or a CR LF). Rule Virtual, level 1, length the line's
// cut to the whole characters that fit in 255 bytes. `every` of 0 is taken as 1. Only the
// first 4 GiB are cut.
std::vector<Heading> VirtualSections(std::string_view text,
                                     std::size_t every = kVirtualSectionBytes);

struct PatternLimits {
    std::size_t maxMatches = 5000;
    std::size_t maxBytes = SIZE_MAX; // of text looked at
    std::chrono::steady_clock::duration maxTime = std::chrono::milliseconds(200);
};

struct PatternScan {
    std::vector<Heading> headings; // rule User, level 1, in text order, lengths as sections'
    std::size_t scannedBytes = 0;  // the lines before this offset were all tried
    // Lines the pattern could not decide within its bound (UserPattern::Result::GaveUp),
    // taken as not matching.
    std::size_t gaveUp = 0;
    // Why the scan stopped early, if it did: the caller shows the count as "at least".
    // Asked: the caller's stop flag was set.
    enum class Stop : std::uint8_t { Done, Matches, Bytes, Time, Asked } stop = Stop::Done;
};

// The lines of `text` that `pattern` matches anywhere (unanchored; "^" is the start of the
// line after its leading spaces), each line decoded from GB18030 with its leading ASCII
// spaces, tabs and U+3000 taken off. Lines longer than kMaxHeadingLineBytes are not tried,
// as they cannot be headings, so that no line costs more than the pattern's bound. Stops
// after maxMatches matches, or at the first line start past maxBytes, or once maxTime has
// passed (looked at before the first line and every 16 lines), or once `stop` is set
// (looked at before every line, and every MiB of a long one). An invalid pattern matches
// nothing. Lines starting at or beyond 4 GiB are not tried.
PatternScan ScanWithPattern(std::string_view text, UserPattern& pattern,
                            const PatternLimits& limits = {},
                            const std::atomic<bool>* stop = nullptr);

// The heading's line as shown: decoded from GB18030, leading and trailing spaces taken off.
// The part of the line outside `text` is left out (empty when all of it is).
QString HeadingText(std::string_view text, const Heading& heading);

inline constexpr std::size_t kNoHeading = SIZE_MAX;
// Binary searches over headings in text order, each an index or kNoHeading when none:
// HeadingAt, the last heading starting at or before `offset` (the one the reader is in);
// PreviousHeading, the last starting strictly before `offset`; NextHeading, the first
// starting strictly after it.
std::size_t HeadingAt(std::span<const Heading> headings, std::uint64_t offset);
std::size_t PreviousHeading(std::span<const Heading> headings, std::uint64_t offset);
std::size_t NextHeading(std::span<const Heading> headings, std::uint64_t offset);

} // namespace orlenth::text
