#include "app/Paging.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace orlenth {

namespace {

std::int64_t overlap(const PagingView& view) {
    return 2 * std::int64_t{view.fontPoints} + view.tag;
}

int toInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace

int PageDown(const PagingView& view) {
    const std::int64_t pos = view.position, h = view.height, range = view.range;
    const std::int64_t target =
        pos + h - view.tag >= range - h ? range - h : pos + h - overlap(view);
    return toInt(std::max(target, pos));
}

int PageUp(const PagingView& view) {
    const std::int64_t pos = view.position, h = view.height;
    const std::int64_t target = pos - h <= 0 ? 0 : pos - h + overlap(view);
    return toInt(std::min(target, pos));
}

} // namespace orlenth
