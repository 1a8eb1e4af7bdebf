#include "app/Paging.h"

#include <algorithm>

namespace orlenth {

namespace {

std::int64_t overlap(const PagingView& view) {
    return std::int64_t{view.pitch} + view.fontPoints;
}

} // namespace

std::int64_t PageDown(const PagingView& view) {
    const std::int64_t pos = view.position, h = view.height, range = view.range;
    const std::int64_t lead = std::int64_t{view.pitch} - view.fontPoints;
    const std::int64_t target = pos + h - lead >= range - h ? range - h : pos + h - overlap(view);
    return std::max(target, pos);
}

std::int64_t PageUp(const PagingView& view) {
    const std::int64_t pos = view.position, h = view.height;
    const std::int64_t target = pos - h <= 0 ? 0 : pos - h + overlap(view);
    return std::min(target, pos);
}

} // namespace orlenth
