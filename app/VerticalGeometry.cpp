#include "app/VerticalGeometry.h"

#include <algorithm>

namespace orlenth {

ColumnPlacement PlaceColumns(int areaHeight, bool margins) {
    // The same proportions as rows across; only the axis differs.
    const PagePlacement across = PlacePage(areaHeight, margins);
    return {across.width, across.left, across.wrapWidth};
}

std::int64_t ColumnPageWidth(int count, int pitch, int viewWidth) {
    return std::max(std::int64_t{std::max(count, 0)} * std::max(pitch, 0),
                    std::int64_t{std::max(viewWidth, 0)});
}

std::int64_t PositionOfDistance(std::int64_t distance, std::int64_t pageWidth, int viewWidth) {
    return pageWidth - viewWidth - distance;
}

std::int64_t DistanceOfPosition(std::int64_t position, std::int64_t pageWidth, int viewWidth) {
    return pageWidth - viewWidth - position;
}

ColumnPlace PlaceColumn(int column, int pitch, int cellWidth, std::int64_t pageWidth) {
    // Pixel row y of a page of rows is pixel column pageWidth − 1 − y here.
    const auto mirror = [pageWidth](std::int64_t y) { return pageWidth - 1 - y; };
    const std::int64_t top = std::int64_t{column} * pitch;
    return {mirror(top + kTextInset + std::max(cellWidth, 0) - 1), mirror(top - kRuleAbove)};
}

LineRange VisibleColumns(std::int64_t clipLeft, int clipWidth, int cellWidth, int pitch, int count,
                         std::int64_t pageWidth) {
    // The clip's rightmost pixel is the mirrored clip's top row.
    return VisibleLines(pageWidth - clipLeft - clipWidth, clipWidth, cellWidth, pitch, count);
}

TopLine FirstColumnAt(std::int64_t position, int viewWidth, int pitch, int count) {
    const std::int64_t page = ColumnPageWidth(count, pitch, viewWidth);
    return TopLineAt(DistanceOfPosition(position, page, viewWidth), pitch, count);
}

std::int64_t PositionOfFirstColumn(TopLine first, int viewWidth, int pitch, int count) {
    const std::int64_t page = ColumnPageWidth(count, pitch, viewWidth);
    return PositionOfDistance(PositionOfTopLine(first, pitch), page, viewWidth);
}

namespace {

// The view as PageDown and PageUp see a page of rows: the distance for the position.
PagingView Mirrored(const PagingView& view) {
    PagingView m = view;
    m.position = DistanceOfPosition(view.position, view.range, view.height);
    return m;
}

} // namespace

std::int64_t PageLeft(const PagingView& view) {
    return PositionOfDistance(PageDown(Mirrored(view)), view.range, view.height);
}

std::int64_t PageRight(const PagingView& view) {
    return PositionOfDistance(PageUp(Mirrored(view)), view.range, view.height);
}

std::uint32_t ColumnPlaceAt(TDisplayLines& columns, std::int64_t position, int viewWidth,
                            int pitch) {
    const std::int64_t page = ColumnPageWidth(columns.Count(), pitch, viewWidth);
    return TReadingState::PlaceAt(columns, DistanceOfPosition(position, page, viewWidth), pitch);
}

std::optional<std::int64_t> ColumnPositionOf(TDisplayLines& columns, std::uint32_t offset,
                                             int viewWidth, int pitch) {
    const std::optional<std::int64_t> distance = TReadingState::PositionOf(columns, offset, pitch);
    if (!distance) return std::nullopt;
    const std::int64_t page = ColumnPageWidth(columns.Count(), pitch, viewWidth);
    return PositionOfDistance(*distance, page, viewWidth);
}

} // namespace orlenth
