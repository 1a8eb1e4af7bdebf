#include "framework/ui/ScrollSteps.h"

#include <algorithm>
#include <cstdlib>

namespace orlenth {

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

} // namespace orlenth
