#pragma once
// The page laid out in columns (top to bottom, columns right to left): where the columns
// sit and which of them a paint draws. Plain quantities in pixels in, the geometry out.
//
// A page of columns is a page of rows mirrored: column i is display line i, and what is
// "i × pitch below the top" for rows is "i × pitch left of the right edge" for columns. The
// reading area's positions then measure the distance from the page's right edge (see
// TScrollBox::SetColumns), so paging, the place read and the place kept across a re-wrap
// or a switch of layout are the rows' own arithmetic (PageGeometry.h, Paging.h,
// TReadingState) on that distance; only where things are drawn is worked out here.

#include "app/PageGeometry.h"

#include <cstdint>

namespace orlenth {

// The page's place down the reading area and the height the wrap engine breaks columns
// at: the margins apply to the height as they apply to the width of rows (PlacePage).
struct ColumnPlacement {
    int height;
    int top;
    int wrapHeight;

    bool operator==(const ColumnPlacement&) const = default;
};
ColumnPlacement PlaceColumns(int areaHeight, bool margins);

// The page's right edge in the area's pixels (one past its last pixel) when the area,
// `viewWidth` wide, is scrolled `distance` from it: at distance 0 it is the area's right
// edge, and it moves right, off the area, as the reader goes on. Widths below 0 are 0.
std::int64_t ColumnsRightEdge(int viewWidth, std::int64_t distance);

// Where column i's parts lie across a page whose right edge is at `rightEdge`: its text
// cell `cellWidth` wide ends kTextInset left of the column's right edge (rightEdge − i ×
// pitch), and its dotted rule runs kRuleAbove − 1 right of that edge, between it and
// column i − 1 (column 0's rule lies off the page, as line 0's does above it).
struct ColumnPlace {
    std::int64_t textLeft;
    std::int64_t ruleX;

    bool operator==(const ColumnPlace&) const = default;
};
ColumnPlace PlaceColumn(int column, int pitch, int cellWidth, std::int64_t rightEdge);

// The columns a paint of pixels clipLeft … clipLeft + clipWidth − 1 has to draw
// (VisibleLines across the mirrored page): every column whose cell or rule meets them.
LineRange VisibleColumns(std::int64_t clipLeft, int clipWidth, int cellWidth, int pitch, int count,
                         std::int64_t rightEdge);

} // namespace orlenth
