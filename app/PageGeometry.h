#pragma once
// Where the ruled page sits in the reading area, how far apart its lines are and which of
// them a paint has to draw: plain quantities in pixels in, the geometry out. Page rows and
// scroll positions are 64-bit: the page of a very long text is taller than an int holds.

#include <cstdint>

namespace orlenth {

// The page's place across the reading area and the width the wrap engine breaks lines at.
struct PagePlacement {
    int width;
    int left;
    int wrapWidth; // kPageEndInset less than the page, so that text drawn kTextInset in fits

    bool operator==(const PagePlacement&) const = default;
};

// The text and the rules stop this far short of the page's right edge.
inline constexpr int kPageEndInset = 8;
// Without the margins the page starts this far in and leaves this much of the area over.
inline constexpr int kBareLeft = 16;
inline constexpr int kBareSlack = 40;

// With the margins on, the page takes the middle two thirds of areaWidth and starts a sixth
// in (fractions dropped); with them off, it is 40 narrower than the area and starts at 16.
// An areaWidth below 0 is taken as 0, and widths that come out below 0 (an area narrower
// than 40 with the margins off) as 0: a control is never narrower than nothing.
PagePlacement PlacePage(int areaWidth, bool margins);

// Line i of the page: its text cell starts kTextInset rows below i × pitch, its dotted rule
// lies kRuleAbove rows above i × pitch, and the cell keeps at least kRuleGap clear rows
// above the next line's rule.
inline constexpr int kTextInset = 4;
inline constexpr int kRuleAbove = 7;
inline constexpr int kRuleGap = 2;

// The line pitch: the font's size in points plus the page's Tag, as pixels, as long as a
// text cell cellHeight rows high keeps kRuleGap clear rows above the next rule; otherwise
// just enough more for that (cellHeight + 13). Sums that pass what an int holds give the
// largest int; a cellHeight below 0 is taken as 0. Paint, paging, auto-scroll and the
// screen-reader rectangles all take the pitch from here.
int LinePitchFor(int fontPoints, int tag, int cellHeight);

// The display lines first … last, empty when first > last.
struct LineRange {
    int first;
    int last;

    bool operator==(const LineRange&) const = default;
};

// The lines a paint of page rows clipTop … clipTop + clipHeight − 1 has to draw, for line i
// drawn with its text cell (cellHeight tall) 4 below i × pitch and its rule 7 above it. Every
// line whose cell or rule meets those rows is in the range, which may hold a line or two
// more but never one outside 0 … count − 1. Empty when clipHeight, pitch or count is 0 or
// less; a cellHeight below 0 is taken as 0.
LineRange VisibleLines(std::int64_t clipTop, int clipHeight, int cellHeight, int pitch, int count);

// The display line at the top of the reading area and how far into its pitch the area
// starts, so that the same line can be put back at the top after the lines change.
struct TopLine {
    int line;
    int within;

    bool operator==(const TopLine&) const = default;
};

// The line under scroll position `position` among `count` lines `pitch` apart; a position
// past the last line gives the last. A position, pitch or count of 0 or less gives line 0,
// 0 in.
TopLine TopLineAt(std::int64_t position, int pitch, int count);

// The scroll position that shows `top` at the top again with lines `pitch` apart: the
// line's start plus as far in as before, but less than one pitch. Line or pitch below 0 are
// taken as 0. Never overflows: line × pitch is below 2^62.
std::int64_t PositionOfTopLine(TopLine top, int pitch);

} // namespace orlenth
