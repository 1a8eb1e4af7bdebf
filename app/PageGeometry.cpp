#include "app/PageGeometry.h"

#include <algorithm>
#include <limits>

namespace orlenth {

PagePlacement PlacePage(int areaWidth, bool margins) {
    const std::int64_t w = std::max(areaWidth, 0);
    const std::int64_t width = std::max<std::int64_t>(margins ? 2 * w / 3 : w - kBareSlack, 0);
    const std::int64_t left = margins ? w / 6 : kBareLeft;
    return {static_cast<int>(width), static_cast<int>(left),
            static_cast<int>(std::max<std::int64_t>(width - kPageEndInset, 0))};
}

int LinePitchFor(int fontPoints, int tag, int cellHeight) {
    const std::int64_t stored = std::int64_t{fontPoints} + tag;
    // The cell's last row is kTextInset + cellHeight − 1 below the line's top, the next
    // rule pitch − kRuleAbove below it; kRuleGap rows must lie between.
    const std::int64_t needed =
        std::int64_t{std::max(cellHeight, 0)} + kTextInset + kRuleAbove + kRuleGap;
    return static_cast<int>(
        std::min<std::int64_t>(std::max(stored, needed), std::numeric_limits<int>::max()));
}

LineRange VisibleLines(std::int64_t clipTop, int clipHeight, int cellHeight, int pitch, int count) {
    if (clipHeight <= 0 || pitch <= 0 || count <= 0) return {0, -1};
    const std::int64_t top = clipTop, bottom = top + clipHeight - 1;
    const std::int64_t cell = std::max(cellHeight, 0);
    // Integer division rounds toward zero, which for rows above the page only widens the
    // range; the clamps keep it on the page.
    const std::int64_t first = std::max<std::int64_t>(0, (top - kTextInset - cell) / pitch);
    const std::int64_t last = std::min<std::int64_t>(count - 1, (bottom + kRuleAbove) / pitch + 1);
    return {static_cast<int>(std::min<std::int64_t>(first, count)), static_cast<int>(last)};
}

TopLine TopLineAt(std::int64_t position, int pitch, int count) {
    if (position <= 0 || pitch <= 0 || count <= 0) return {0, 0};
    const auto line = static_cast<int>(std::min<std::int64_t>(position / pitch, count - 1));
    return {line, static_cast<int>(
                      std::min<std::int64_t>(position - std::int64_t{line} * pitch, pitch - 1))};
}

std::int64_t PositionOfTopLine(TopLine top, int pitch) {
    pitch = std::max(pitch, 0);
    return std::int64_t{std::max(top.line, 0)} * pitch +
           std::clamp(top.within, 0, std::max(pitch - 1, 0));
}

} // namespace orlenth
