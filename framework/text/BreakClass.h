#pragma once
// How a character takes part in Chinese line breaking.

#include <cstdint>

namespace orlenth::text {

enum class BreakClass : std::uint8_t {
    Ordinary, // a break may fall before or after it (Han characters, most symbols)
    NoStart,  // closing punctuation, space, tab: never the first character of a display line
    NoEnd,    // opening punctuation: never the last character of a display line
    Word,     // Latin letter or digit: a run of these stays together when it can
};

// Classes follow the usual Chinese typesetting prohibitions: closing marks (，。、；：？！
// ）》」』”’〕】 and their ASCII kin) may not open a line; opening marks may not close one.
// Spaces may not open a line either, so that they stay with the word before them.
BreakClass breakClassOf(char32_t codePoint);

} // namespace orlenth::text
