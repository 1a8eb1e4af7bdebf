#pragma once
// How a character takes part in Chinese line breaking.

#include <cstdint>

namespace orlenth::text {

enum class BreakClass : std::uint8_t {
    Ordinary, // a break may fall before or after it (Han characters, most symbols)
    NoStart,  // closing punctuation, space, tab: never the first character of a display line
    NoEnd,    // opening punctuation: never the last character of a display line
    Word,     // letter, digit or dash: a run of these stays together when it can
};

// The class follows the Unicode line-breaking property (UAX #14), folded into four:
//   NoStart  CL CP EX IS SY NS CJ IN PO BA HY SP ZW CM ZWJ, and QU that closes (Pf):
//            the classes the standard forbids a break before. CJ (small kana, ー) is
//            taken strictly, as Chinese typesetting has no loose mode.
//   NoEnd    OP PR BB, and QU that opens (Pi): the classes it forbids a break after.
//   Word     AL HL NU, so that Latin, Greek and Cyrillic words, numbers and the ASCII
//            symbols that bind into them (@ # & _ ...) move as one; B2, because a dash
//            (——) may not be split; GL and WJ, which bind to both neighbours.
//   Ordinary everything else: ID and the Hangul and emoji classes, AI resolved the East
//            Asian way (circled numbers, box drawing, ※ behave as Han), SA (no
//            dictionary here), XX, and QU that is neither opening nor closing (" ').
// Three Chinese marks stay NoStart against the standard's AI and ID, as Chinese
// typesetting keeps them off the start of a line: the interpunct · between parts of a
// foreign name, the small enumeration comma ﹑ and the wave dash ～ of ranges and
// drawn-out speech.
// So tab and space never open a line, ASCII letters and digits form words, the full-width
// closing marks (，。、；：？！）》」』”’) never open a line and the opening ones (“《（) never
// close one.
BreakClass breakClassOf(char32_t codePoint);

} // namespace orlenth::text
