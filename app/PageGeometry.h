#pragma once
// Where the ruled page sits in the reading area and which of its display lines a paint has
// to draw: plain quantities in pixels in, the geometry out.

namespace orlenth {

// The page's place across the reading area and the width the wrap engine breaks lines at.
struct PagePlacement {
    int width;
    int left;
    int wrapWidth; // 8 less than the page, so that text drawn 4 in from its edge fits

    bool operator==(const PagePlacement&) const = default;
};

// With the margins on, the page takes the middle two thirds of areaWidth and starts a sixth
// in (fractions dropped); with them off, it is 40 narrower than the area and starts at 16.
// An areaWidth below 0 is taken as 0, and widths that come out below 0 (an area narrower
// than 40 with the margins off) as 0: a control is never narrower than nothing.
PagePlacement PlacePage(int areaWidth, bool margins);

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
LineRange VisibleLines(int clipTop, int clipHeight, int cellHeight, int pitch, int count);

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
TopLine TopLineAt(int position, int pitch, int count);

// The scroll position that shows `top` at the top again with lines `pitch` apart: the
// line's start plus as far in as before, but less than one pitch. Line or pitch below 0 are
// taken as 0; a result past what an int holds is the largest int (the area clamps it).
int PositionOfTopLine(TopLine top, int pitch);

} // namespace orlenth
