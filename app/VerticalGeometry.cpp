#include "app/VerticalGeometry.h"

#include <algorithm>

namespace orlenth {

ColumnPlacement PlaceColumns(int areaHeight, bool margins) {
    // The same proportions as rows across; only the axis differs.
    const PagePlacement across = PlacePage(areaHeight, margins);
    return {across.width, across.left, across.wrapWidth};
}

std::int64_t ColumnsRightEdge(int viewWidth, std::int64_t distance) {
    return std::int64_t{std::max(viewWidth, 0)} + distance;
}

ColumnPlace PlaceColumn(int column, int pitch, int cellWidth, std::int64_t rightEdge) {
    // Pixel row y of a page of rows is pixel column rightEdge − 1 − y here.
    const auto mirror = [rightEdge](std::int64_t y) { return rightEdge - 1 - y; };
    const std::int64_t top = std::int64_t{column} * pitch;
    return {mirror(top + kTextInset + std::max(cellWidth, 0) - 1), mirror(top - kRuleAbove)};
}

LineRange VisibleColumns(std::int64_t clipLeft, int clipWidth, int cellWidth, int pitch, int count,
                         std::int64_t rightEdge) {
    // The clip's rightmost pixel is the mirrored clip's top row.
    return VisibleLines(rightEdge - clipLeft - clipWidth, clipWidth, cellWidth, pitch, count);
}

} // namespace orlenth
