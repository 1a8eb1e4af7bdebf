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

} // namespace orlenth
