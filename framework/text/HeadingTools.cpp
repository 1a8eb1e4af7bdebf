#include "framework/text/HeadingTools.h"

#include "framework/text/GbkDecoder.h"

#include <algorithm>
#include <limits>
#include <string>

namespace orlenth::text {

namespace {

constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

bool isBreak(char c) {
    return c == '\n' || c == '\r';
}

// The end of the line starting at `from`.
std::size_t lineEndFrom(std::string_view text, std::size_t from) {
    std::size_t e = from;
    while (e < text.size() && !isBreak(text[e])) ++e;
    return e;
}

// The first line break in [from, until), or `until`.
std::size_t lineEndWithin(std::string_view text, std::size_t from, std::size_t until) {
    std::size_t e = from;
    while (e < until && !isBreak(text[e])) ++e;
    return e;
}

// Lines between two looks at the clock: a few, as each may cost up to its pattern's bound.
constexpr std::size_t kLinesBetweenClocks = 16;

// How much of a long line is gone through between two looks at a stop.
constexpr std::size_t kLongLineStep = 1u << 20;

// The start of the line after the one that ends at `end` (a break or the text's end).
std::size_t nextLineStart(std::string_view text, std::size_t end) {
    if (end >= text.size()) return text.size();
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') return end + 2;
    return end + 1;
}

// The line's length, cut to whole characters within the 255 bytes a heading can say.
Heading headingOfLine(std::string_view text, std::size_t start, HeadingRule rule) {
    const std::size_t end = lineEndFrom(text, start);
    std::size_t length = end - start;
    if (length > 255) {
        const GbkDecoder& decoder = GbkDecoder::instance();
        const char* const base = text.data() + start;
        std::size_t at = 0;
        while (true) {
            const std::size_t next = at + decoder.next(base + at, base + length).length;
            if (next > 255) break;
            at = next;
        }
        length = at;
    }
    return Heading{static_cast<std::uint32_t>(start), static_cast<std::uint8_t>(length), 1, rule,
                   0};
}

QString decode(std::string_view bytes) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    thread_local std::u32string codePoints;
    codePoints.clear();
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const GbkChar c = decoder.next(p, end);
        codePoints.push_back(c.codePoint);
        p += c.length;
    }
    return QString::fromUcs4(codePoints.data(), static_cast<qsizetype>(codePoints.size()));
}

// The line as the pattern sees it: UTF-16, in a buffer of the thread's own that the next
// call reuses. What is no character comes out as U+FFFD.
std::u16string_view decodeUtf16(std::string_view bytes) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    thread_local std::u16string units;
    units.clear();
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const GbkChar c = decoder.next(p, end);
        char32_t cp = c.codePoint;
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementChar;
        if (cp >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
        p += c.length;
    }
    return units;
}

// Leading ASCII spaces, tabs and GBK full-width spaces.
std::size_t leadingSpaces(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
        } else if (i + 1 < line.size() && static_cast<std::uint8_t>(line[i]) == 0xA1 &&
                   static_cast<std::uint8_t>(line[i + 1]) == 0xA1) {
            i += 2;
        } else {
            break;
        }
    }
    return i;
}

} // namespace

std::vector<Heading> VirtualSections(std::string_view text, std::size_t every) {
    std::vector<Heading> out;
    if (text.empty()) return out;
    every = std::max<std::size_t>(every, 1);
    std::size_t start = 0;
    while (start < text.size() && start <= kMaxOffset) {
        out.push_back(headingOfLine(text, start, HeadingRule::Virtual));
        const std::size_t target = start + every;
        if (target >= text.size()) break;
        // Is `target` itself a line start? Not between the CR and LF of a pair.
        std::size_t next;
        if (isBreak(text[target - 1]) && !(text[target - 1] == '\r' && text[target] == '\n'))
            next = target;
        else
            next = nextLineStart(text, lineEndFrom(text, target));
        if (next >= text.size()) break;
        start = next;
    }
    return out;
}

PatternScan ScanWithPattern(std::string_view text, UserPattern& pattern,
                            const PatternLimits& limits, const std::atomic<bool>* stop) {
    PatternScan scan;
    if (!pattern.IsValid()) {
        scan.scannedBytes = text.size();
        return scan;
    }
    const auto asked = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    const auto deadline = std::chrono::steady_clock::now() + limits.maxTime;
    std::size_t start = 0;
    std::size_t lines = 0;
    while (start < text.size()) {
        if (start > limits.maxBytes) {
            scan.stop = PatternScan::Stop::Bytes;
            break;
        }
        if (asked()) {
            scan.stop = PatternScan::Stop::Asked;
            break;
        }
        if (lines++ % kLinesBetweenClocks == 0 && std::chrono::steady_clock::now() >= deadline) {
            scan.stop = PatternScan::Stop::Time;
            break;
        }
        if (start > kMaxOffset) break;
        // A line of many megabytes is gone through a piece at a time, a stop seen between.
        std::size_t end = start;
        for (;;) {
            const std::size_t until = std::min(text.size(), end + kLongLineStep);
            end = lineEndWithin(text, end, until);
            if (end < until || until == text.size()) break;
            if (asked()) {
                scan.stop = PatternScan::Stop::Asked;
                scan.scannedBytes = start;
                return scan;
            }
        }
        const std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.size() <= kMaxHeadingLineBytes) {
            const std::u16string_view units = decodeUtf16(line.substr(leadingSpaces(line)));
            const UserPattern::Result result =
                pattern.Match(QStringView(units.data(), static_cast<qsizetype>(units.size())));
            if (result == UserPattern::Result::GaveUp) ++scan.gaveUp;
            if (result == UserPattern::Result::Match) {
                scan.headings.push_back(headingOfLine(text, start, HeadingRule::User));
                if (scan.headings.size() >= limits.maxMatches) {
                    scan.scannedBytes = nextLineStart(text, end);
                    scan.stop = nextLineStart(text, end) < text.size() ? PatternScan::Stop::Matches
                                                                       : PatternScan::Stop::Done;
                    return scan;
                }
            }
        }
        start = nextLineStart(text, end);
    }
    scan.scannedBytes = std::min(start, text.size());
    return scan;
}

QString HeadingText(std::string_view text, const Heading& heading) {
    if (heading.offset >= text.size()) return {};
    std::string_view line = text.substr(heading.offset, heading.length);
    line.remove_prefix(leadingSpaces(line));
    return decode(line).trimmed();
}

std::size_t HeadingAt(std::span<const Heading> headings, std::uint64_t offset) {
    const auto it =
        std::upper_bound(headings.begin(), headings.end(), offset,
                         [](std::uint64_t o, const Heading& h) { return o < h.offset; });
    return it == headings.begin() ? kNoHeading
                                  : static_cast<std::size_t>(it - headings.begin()) - 1;
}

std::size_t PreviousHeading(std::span<const Heading> headings, std::uint64_t offset) {
    const auto it =
        std::lower_bound(headings.begin(), headings.end(), offset,
                         [](const Heading& h, std::uint64_t o) { return h.offset < o; });
    return it == headings.begin() ? kNoHeading
                                  : static_cast<std::size_t>(it - headings.begin()) - 1;
}

std::size_t NextHeading(std::span<const Heading> headings, std::uint64_t offset) {
    const auto it =
        std::upper_bound(headings.begin(), headings.end(), offset,
                         [](std::uint64_t o, const Heading& h) { return o < h.offset; });
    return it == headings.end() ? kNoHeading : static_cast<std::size_t>(it - headings.begin());
}

} // namespace orlenth::text
