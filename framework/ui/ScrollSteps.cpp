#include "framework/ui/ScrollSteps.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace orlenth {

namespace {

// Products of a position and a bar value need 92 bits.
__extension__ typedef __int128 Wide;

bool countsPixels(std::int64_t maxPosition) {
    return maxPosition <= std::numeric_limits<int>::max();
}

// a × b / c rounded to the nearest, for a, b ≥ 0 and c > 0.
std::int64_t scale(std::int64_t a, std::int64_t b, std::int64_t c) {
    return static_cast<std::int64_t>((Wide{a} * b + c / 2) / c);
}

} // namespace

TScrollSteps SmoothScrollSteps(int visibleHeight) {
    const auto page =
        static_cast<int>(std::max<long long>(1, 9LL * std::max(0, visibleHeight) / 10));
    return {page, std::max(1, page / 10)};
}

std::vector<int> SubSteps(int distance, int parts) {
    parts = std::max(1, parts);
    std::vector<int> steps;
    if (distance == 0) return steps;
    const int each = distance / parts, rest = distance % parts;
    if (each != 0) steps.assign(static_cast<std::size_t>(parts), each);
    if (rest != 0) steps.push_back(rest);
    return steps;
}

int BarMaximum(std::int64_t maxPosition) {
    maxPosition = std::max<std::int64_t>(maxPosition, 0);
    return countsPixels(maxPosition) ? static_cast<int>(maxPosition) : kScaledBarMaximum;
}

int BarValue(std::int64_t position, std::int64_t maxPosition) {
    maxPosition = std::max<std::int64_t>(maxPosition, 0);
    position = std::clamp<std::int64_t>(position, 0, maxPosition);
    if (countsPixels(maxPosition)) return static_cast<int>(position);
    return static_cast<int>(scale(position, kScaledBarMaximum, maxPosition));
}

std::int64_t BarPosition(int value, std::int64_t maxPosition) {
    maxPosition = std::max<std::int64_t>(maxPosition, 0);
    value = std::clamp(value, 0, BarMaximum(maxPosition));
    if (countsPixels(maxPosition)) return value;
    return scale(value, maxPosition, kScaledBarMaximum);
}

int BarPageStep(int visibleHeight, std::int64_t maxPosition) {
    visibleHeight = std::max(visibleHeight, 1);
    if (countsPixels(std::max<std::int64_t>(maxPosition, 0))) return visibleHeight;
    return static_cast<int>(
        std::max<std::int64_t>(1, scale(visibleHeight, kScaledBarMaximum, maxPosition)));
}

} // namespace orlenth
