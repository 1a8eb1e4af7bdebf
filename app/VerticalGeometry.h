#pragma once
// The page laid out in columns (top to bottom, columns right to left): where the columns
// sit, which of them a paint draws, the horizontal scroll range and position, paging left
// and right, and the place read. Plain quantities in pixels in, the geometry out.
//
// A page of columns is a page of rows mirrored: column i is display line i, and what is
// "i × pitch below the top" for rows is "i × pitch left of the right edge" for columns. So
// the arithmetic works on the distance from the page's right edge, which grows as the
// reader goes on, and converts to and from the scroll bar's position only at the edge.
// That distance also stays put when wrapping adds columns on the left (which moves every
// scroll position), so it is what a window keeps across a page that grows.

#include "app/PageGeometry.h"
#include "app/Paging.h"
#include "app/ReadingState.h"

#include <cstdint>
#include <optional>

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

// The width of a page of `count` columns `pitch` apart in an area `viewWidth` wide: the
// columns' width, or the area's when they take less, so that the first column stands at
// the area's right edge either way. Counts, pitches and widths below 0 are taken as 0.
std::int64_t ColumnPageWidth(int count, int pitch, int viewWidth);

// The scroll position (0 shows the page's left edge) that shows `distance` from the page's
// right edge at the area's right edge, and back. The page starts at distance 0: at the
// position ColumnPageWidth − viewWidth. Neither clamps: the area clamps what it is asked.
std::int64_t PositionOfDistance(std::int64_t distance, std::int64_t pageWidth, int viewWidth);
std::int64_t DistanceOfPosition(std::int64_t position, std::int64_t pageWidth, int viewWidth);

// Where column i's parts lie across a page `pageWidth` wide: its text cell `cellWidth`
// wide ends kTextInset left of the column's right edge (pageWidth − i × pitch), and its
// dotted rule runs kRuleAbove − 1 right of that edge, between it and column i − 1 (column
// 0's rule lies off the page, as line 0's does above it).
struct ColumnPlace {
    std::int64_t textLeft;
    std::int64_t ruleX;

    bool operator==(const ColumnPlace&) const = default;
};
ColumnPlace PlaceColumn(int column, int pitch, int cellWidth, std::int64_t pageWidth);

// The columns a paint of page pixels clipLeft … clipLeft + clipWidth − 1 has to draw
// (VisibleLines across the mirrored page): every column whose cell or rule meets them.
LineRange VisibleColumns(std::int64_t clipLeft, int clipWidth, int cellWidth, int pitch, int count,
                         std::int64_t pageWidth);

// The column at the area's right edge when scrolled to `position`, and how far into its
// pitch the area's edge lies (TopLineAt on the distance).
TopLine FirstColumnAt(std::int64_t position, int viewWidth, int pitch, int count);
// The scroll position that shows `first` at the right edge again.
std::int64_t PositionOfFirstColumn(TopLine first, int viewWidth, int pitch, int count);

// Paging by nearly a screen, as PageDown and PageUp do down a page of rows (the same
// overlap): onward is leftward. `position` and `range` of the view are the scroll bar's
// (range: the page's width), `height` is the area's width. The result may lie outside the
// scroll range, which the area clamps; onward never moves right, back never moves left.
std::int64_t PageLeft(const PagingView& view);
std::int64_t PageRight(const PagingView& view);

// The place read in columns: the offset of the first byte of the column at the area's
// right edge. 0 for an empty page or a position at or right of its start.
std::uint32_t ColumnPlaceAt(TDisplayLines& columns, std::int64_t position, int viewWidth,
                            int pitch);
// The scroll position that puts the column holding text byte `offset` at the right edge:
// nothing while wrapping has not yet passed it, the page's start when the text is shorter
// than the offset (see TReadingState::PositionOf, whose rules it keeps).
std::optional<std::int64_t> ColumnPositionOf(TDisplayLines& columns, std::uint32_t offset,
                                             int viewWidth, int pitch);

} // namespace orlenth
