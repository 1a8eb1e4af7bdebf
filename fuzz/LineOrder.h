#pragma once
// What every wrap must give, in rows or in columns: display lines that cover the text in
// order, each starting where the one before ended or one line break after it, none running
// past the text. Shared by the wrap fuzz targets.

#include "FuzzTarget.h"

#include "framework/text/BreakClass.h"
#include "framework/text/GbkDecoder.h"
#include "framework/text/WrapEngine.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The length of the line break at `at`, or 0.
inline std::size_t BreakAt(std::string_view s, std::size_t at) {
    if (at >= s.size()) return 0;
    if (s[at] == '\n') return 1;
    if (s[at] != '\r') return 0;
    return at + 1 < s.size() && s[at + 1] == '\n' ? 2 : 1;
}

// Checks display line i of `lines` against the end of the one before (`pos`, 0 for the
// first) and the text's size; returns where line i ends.
inline std::size_t CheckLineInOrder(std::string_view text,
                                    const std::vector<orlenth::text::DisplayLine>& lines,
                                    std::size_t i, std::size_t pos) {
    const orlenth::text::DisplayLine& line = lines[i];
    if (i > 0) {
        const std::size_t gap = BreakAt(text, pos);
        if (gap > 0 && line.start == pos + gap) {
            // A hard break.
        } else if (line.start != pos) {
            FuzzFailure("a gap between two display lines that is not one line break");
        } else if (line.length == 0 || lines[i - 1].length == 0) {
            FuzzFailure("a soft break leaves a display line empty");
        }
    } else if (line.start != 0) {
        FuzzFailure("the first display line does not start the text");
    }
    const std::size_t end = std::size_t{line.start} + line.length;
    if (end > text.size()) FuzzFailure("a display line runs past the text");
    return end;
}

// The other side of "no line is too long": a display line that a soft break ends could not
// have taken the next character. When that character and the one after it may be parted
// (both Ordinary, or it ends its hard line or the text) and it would still have fitted
// (`units` is the line's length, `limit` the width, `measure(bytes, character)` one
// character's length, all in the table's units), the break came too early: a wrap that broke after
// every character passes every other check, not this one.
template <class Measure>
void CheckNoRoomLeft(std::string_view text, const std::vector<orlenth::text::DisplayLine>& lines,
                     std::size_t i, std::int64_t units, std::int64_t limit, Measure measure) {
    using namespace orlenth::text;
    if (i + 1 >= lines.size() || lines[i + 1].start != lines[i].start + lines[i].length) return;
    const GbkDecoder& decoder = GbkDecoder::instance();
    const char* const end = text.data() + text.size();
    const std::size_t at = lines[i + 1].start;
    if (at >= text.size() || BreakAt(text, at) > 0) return;
    const GbkChar next = decoder.next(text.data() + at, end);
    if (breakClassOf(next.codePoint) != BreakClass::Ordinary) return;
    const std::size_t after = at + next.length;
    if (after < text.size() && BreakAt(text, after) == 0 &&
        breakClassOf(decoder.next(text.data() + after, end).codePoint) != BreakClass::Ordinary)
        return;
    if (units + measure(text.data() + at, next) <= limit)
        FuzzFailure("a line broken before a character that fitted");
}
