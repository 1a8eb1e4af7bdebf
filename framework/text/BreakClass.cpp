#include "framework/text/BreakClass.h"

#include <algorithm>
#include <array>

namespace orlenth::text {

namespace {

constexpr auto kNoStart = std::to_array<char32_t>({
    U'\t',     U' ',      U'!',      U'%',      U')',      U',',      U'.',      U':',
    U';',      U'?',      U']',      U'}',
    U'\u00B7', // middle dot
    U'\u2019', U'\u201D', U'\u2022', U'\u2026', U'\u2030', U'\u2032', U'\u2033', U'\u2103',
    U'\u3001', U'\u3002', U'\u3003', U'\u3005', U'\u3009', U'\u300B', U'\u300D', U'\u300F',
    U'\u3011', U'\u3015', U'\u3017', U'\u3019', U'\u301B', U'\u301E', U'\u301F', U'\u30FB',
    U'\u30FC', U'\uFE30', U'\uFE50', U'\uFE51', U'\uFE52', U'\uFE54', U'\uFE55', U'\uFE56',
    U'\uFE57', U'\uFE5A', U'\uFE5C', U'\uFE5E', U'\uFF01', U'\uFF05', U'\uFF09', U'\uFF0C',
    U'\uFF0E', U'\uFF1A', U'\uFF1B', U'\uFF1F', U'\uFF3D', U'\uFF5D', U'\uFF5E', U'\uFF60',
    U'\uFF63', U'\uFF64', U'\uFFE0',
});

constexpr auto kNoEnd = std::to_array<char32_t>({
    U'$',      U'(',      U'[',      U'{',      U'\u00A3', U'\u00A5', U'\u2018', U'\u201C',
    U'\u3008', U'\u300A', U'\u300C', U'\u300E', U'\u3010', U'\u3014', U'\u3016', U'\u3018',
    U'\u301A', U'\u301D', U'\uFE59', U'\uFE5B', U'\uFE5D', U'\uFF04', U'\uFF08', U'\uFF3B',
    U'\uFF5B', U'\uFF5F', U'\uFF62', U'\uFFE1', U'\uFFE5',
});

template <std::size_t N>
constexpr bool contains(const std::array<char32_t, N>& sorted, char32_t c) {
    return std::binary_search(sorted.begin(), sorted.end(), c);
}

static_assert(std::is_sorted(kNoStart.begin(), kNoStart.end()));
static_assert(std::is_sorted(kNoEnd.begin(), kNoEnd.end()));

} // namespace

BreakClass breakClassOf(char32_t c) {
    if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'))
        return BreakClass::Word;
    if (contains(kNoStart, c)) return BreakClass::NoStart;
    if (contains(kNoEnd, c)) return BreakClass::NoEnd;
    return BreakClass::Ordinary;
}

} // namespace orlenth::text
