#include "app/PageGeometry.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace orlenth {

PagePlacement PlacePage(int areaWidth, bool margins) {
    const std::int64_t w = std::max(areaWidth, 0);
    const std::int64_t width = std::max<std::int64_t>(margins ? 2 * w / 3 : w - 40, 0);
    const std::int64_t left = margins ? w / 6 : 16;
    return {static_cast<int>(width), static_cast<int>(left),
            static_cast<int>(std::max<std::int64_t>(width - 8, 0))};
}

LineRange VisibleLines(int clipTop, int clipHeight, int cellHeight, int pitch, int count) {
    if (clipHeight <= 0 || pitch <= 0 || count <= 0) return {0, -1};
    const std::int64_t top = clipTop, bottom = top + clipHeight - 1;
    const std::int64_t cell = std::max(cellHeight, 0);
    // Integer division rounds toward zero, which for rows above the page only widens the
    // range; the clamps keep it on the page.
    const std::int64_t first = std::max<std::int64_t>(0, (top - 4 - cell) / pitch);
    const std::int64_t last = std::min<std::int64_t>(count - 1, (bottom + 7) / pitch + 1);
    return {static_cast<int>(std::min<std::int64_t>(first, count)), static_cast<int>(last)};
}

TopLine TopLineAt(int position, int pitch, int count) {
    if (position <= 0 || pitch <= 0 || count <= 0) return {0, 0};
    const int line = std::min(position / pitch, count - 1);
    return {line, static_cast<int>(std::min<std::int64_t>(
                      std::int64_t{position} - std::int64_t{line} * pitch, pitch - 1))};
}

int PositionOfTopLine(TopLine top, int pitch) {
    pitch = std::max(pitch, 0);
    const std::int64_t position = std::int64_t{std::max(top.line, 0)} * pitch +
                                  std::clamp(top.within, 0, std::max(pitch - 1, 0));
    return static_cast<int>(std::min<std::int64_t>(position, std::numeric_limits<int>::max()));
}

} // namespace orlenth
