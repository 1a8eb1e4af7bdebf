#pragma once
// How a character stands in a vertical column (top to bottom, columns right to left).
// Han characters, kana and most symbols stand upright as they are. Punctuation has a
// vertical form: the Unicode vertical presentation forms (U+FE10..U+FE19, U+FE30..U+FE48)
// where the font has the glyph, otherwise the horizontal character drawn another way:
// the sentence marks 、。，：；！？ upright in the top right quarter of their cell, the
// brackets, dashes and ellipses turned 90° clockwise. The curly quotation marks take the
// corner brackets' vertical forms (“” ﹁﹂, ‘’ ﹃﹄), as vertical Chinese is set; a font
// without them turns the marks themselves. Latin letters and digits are turned
// 90° clockwise as a run, except a run of one or two digits, which stands upright across
// the column (a date's "12" reads as one cell).

#include <cstddef>
#include <string_view>

namespace orlenth::text {

enum class VerticalStance {
    Upright,  // drawn as it is
    TopRight, // a sentence mark: its horizontal glyph moved to the cell's top right
    Turned,   // turned 90° clockwise (brackets, dashes, ellipses, Latin runs)
};

struct VerticalForm {
    // The vertical presentation form, or 0 when the character has none.
    char32_t presentation = 0;
    // How the character itself is drawn when the font lacks `presentation` (or it is 0).
    VerticalStance fallback = VerticalStance::Upright;
};

// The vertical form of one character (any code point; unknown ones stand upright).
VerticalForm VerticalFormOf(char32_t c);

// Whether `c` belongs to a run that is turned as a whole: ASCII Latin letters and digits,
// and the ASCII punctuation and spaces between them. The full-width forms (Ａ, １) are
// made to fill an upright cell and stand upright.
bool IsTurnedRunCharacter(char32_t c);

// Whether a run of `digits` digits (and nothing else) stands upright across the column.
constexpr bool DigitsStandAcross(std::size_t digits) {
    return digits >= 1 && digits <= 2;
}

// The length a character takes down a column, in pixels, so that columns wrap at the
// page's height as lines wrap at its width. A character that stands in a cell of its own
// (Han, kana, full-width forms, sentence marks in the top right, and a bracket or dash that
// the font has a presentation form for) takes one em, `em` being the cell of an ideograph
// in the page's font; one that is turned (Latin runs, and brackets and dashes without a
// form in the font) takes its horizontal advance, which becomes its length once turned.
// Digits are measured as turned: a run of one or two that stands across takes the length
// of the two half-width digits it is drawn in. A character with no advance of its own
// (a joiner, a combining mark) takes none, and a negative advance counts as none.
// `hasPresentation` tells whether the font draws VerticalFormOf(c).presentation.
double VerticalAdvance(char32_t c, double horizontalAdvance, double em, bool hasPresentation);

} // namespace orlenth::text
