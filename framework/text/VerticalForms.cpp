#include "framework/text/VerticalForms.h"

#include <algorithm>
#include <array>

namespace orlenth::text {

namespace {

struct Entry {
    char32_t horizontal;
    char32_t presentation;
    VerticalStance fallback;
};

constexpr VerticalStance kMark = VerticalStance::TopRight;
constexpr VerticalStance kTurn = VerticalStance::Turned;

// Sorted by the horizontal character, for a binary search.
constexpr std::array kForms = {
    Entry{U'!', 0, kTurn}, Entry{U'(', 0, kTurn}, Entry{U')', 0, kTurn}, Entry{U'-', 0, kTurn},
    Entry{U'[', 0, kTurn}, Entry{U']', 0, kTurn}, Entry{U'_', U'\uFE33', kTurn},
    Entry{U'{', 0, kTurn}, Entry{U'}', 0, kTurn}, Entry{U'~', 0, kTurn},
    Entry{U'\u2013', U'\uFE32', kTurn}, // – en dash
    Entry{U'\u2014', U'\uFE31', kTurn}, // — em dash
    Entry{U'\u2015', U'\uFE31', kTurn}, // ― bar
    // Vertical Chinese sets quotation marks as corner brackets: “” as ﹁﹂, ‘’ as ﹃﹄.
    Entry{U'\u2018', U'\uFE43', kTurn}, Entry{U'\u2019', U'\uFE44', kTurn},
    Entry{U'\u201C', U'\uFE41', kTurn}, Entry{U'\u201D', U'\uFE42', kTurn},
    Entry{U'\u2025', U'\uFE30', kTurn},                                     // ‥
    Entry{U'\u2026', U'\uFE19', kTurn},                                     // …
    Entry{U'\u3001', U'\uFE11', kMark},                                     // 、
    Entry{U'\u3002', U'\uFE12', kMark},                                     // 。
    Entry{U'\u3008', U'\uFE3F', kTurn}, Entry{U'\u3009', U'\uFE40', kTurn}, // 〈〉
    Entry{U'\u300A', U'\uFE3D', kTurn}, Entry{U'\u300B', U'\uFE3E', kTurn}, // 《》
    Entry{U'\u300C', U'\uFE41', kTurn}, Entry{U'\u300D', U'\uFE42', kTurn}, // 「」
    Entry{U'\u300E', U'\uFE43', kTurn}, Entry{U'\u300F', U'\uFE44', kTurn}, // 『』
    Entry{U'\u3010', U'\uFE3B', kTurn}, Entry{U'\u3011', U'\uFE3C', kTurn}, // 【】
    Entry{U'\u3014', U'\uFE39', kTurn}, Entry{U'\u3015', U'\uFE3A', kTurn}, // 〔〕
    Entry{U'\u3016', U'\uFE17', kTurn}, Entry{U'\u3017', U'\uFE18', kTurn}, // 〖〗
    Entry{U'\u301C', 0, kTurn},                                             // 〜
    Entry{U'\uFF01', U'\uFE15', kMark},                                     // ！
    Entry{U'\uFF08', U'\uFE35', kTurn}, Entry{U'\uFF09', U'\uFE36', kTurn}, // （）
    Entry{U'\uFF0C', U'\uFE10', kMark},                                     // ，
    Entry{U'\uFF0D', 0, kTurn},                                             // －
    Entry{U'\uFF1A', U'\uFE13', kMark},                                     // ：
    Entry{U'\uFF1B', U'\uFE14', kMark},                                     // ；
    Entry{U'\uFF1F', U'\uFE16', kMark},                                     // ？
    Entry{U'\uFF3B', U'\uFE47', kTurn}, Entry{U'\uFF3D', U'\uFE48', kTurn}, // ［］
    Entry{U'\uFF3F', U'\uFE33', kTurn},                                     // ＿
    Entry{U'\uFF5B', U'\uFE37', kTurn}, Entry{U'\uFF5D', U'\uFE38', kTurn}, // ｛｝
    Entry{U'\uFF5E', 0, kTurn},                                             // ～
};

static_assert(std::is_sorted(kForms.begin(), kForms.end(),
                             [](const Entry& a, const Entry& b) {
                                 return a.horizontal < b.horizontal;
                             }),
              "the table is searched by halves");

} // namespace

VerticalForm VerticalFormOf(char32_t c) {
    const auto it =
        std::lower_bound(kForms.begin(), kForms.end(), c,
                         [](const Entry& e, char32_t key) { return e.horizontal < key; });
    if (it != kForms.end() && it->horizontal == c) return {it->presentation, it->fallback};
    if (IsTurnedRunCharacter(c)) return {0, VerticalStance::Turned};
    return {};
}

double VerticalAdvance(char32_t c, double horizontalAdvance, double em, bool hasPresentation) {
    if (!(horizontalAdvance > 0)) return 0;
    // Tab spreads like the spaces of a turned run rather than filling a cell.
    if (c == U'\t') return horizontalAdvance;
    const VerticalForm form = VerticalFormOf(c);
    if (form.presentation != 0 && hasPresentation) return std::max(em, 0.0);
    if (form.fallback == VerticalStance::Turned) return horizontalAdvance;
    return std::max(em, 0.0);
}

bool IsTurnedRunCharacter(char32_t c) {
    const auto in = [c](char32_t from, char32_t to) { return c >= from && c <= to; };
    return in(U'0', U'9') || in(U'A', U'Z') || in(U'a', U'z') || c == U'.' || c == U'\'' ||
           c == U'/' || c == U'%' || c == U'&' || c == U'+' || c == U'@' || c == U'#' || c == U' ';
}

} // namespace orlenth::text
