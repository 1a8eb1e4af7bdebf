#include "framework/ui/Align.h"

#include <algorithm>

namespace orlenth {

namespace {

std::vector<TAlignedControl*> ofKind(const std::vector<TAlignedControl*>& all, TAlignKind kind) {
    std::vector<TAlignedControl*> out;
    for (TAlignedControl* c : all)
        if (c->visible && c->align == kind) out.push_back(c);
    return out;
}

// Orders by a position key, the changed control first among equals.
template <class Key> auto before(Key key) {
    return [key](const TAlignedControl* a, const TAlignedControl* b) {
        const int ka = key(a), kb = key(b);
        return ka < kb || (ka == kb && a->changed && !b->changed);
    };
}

} // namespace

void AlignControls(const QRect& area, std::vector<TAlignedControl*>& controls) {
    int left = area.left(), top = area.top();
    int right = area.left() + std::max(0, area.width()),
        bottom = area.top() + std::max(0, area.height());
    auto spanW = [&] { return std::max(0, right - left); };
    auto spanH = [&] { return std::max(0, bottom - top); };

    auto tops = ofKind(controls, TAlignKind::Top);
    std::stable_sort(tops.begin(), tops.end(), before([](auto* c) { return c->bounds.top(); }));
    for (auto* c : tops) {
        const int h = std::min(std::max(0, c->bounds.height()), spanH());
        c->bounds = QRect(left, top, spanW(), h);
        top += h;
    }
    auto bottoms = ofKind(controls, TAlignKind::Bottom);
    std::stable_sort(bottoms.begin(), bottoms.end(),
                     before([](auto* c) { return -(c->bounds.top() + c->bounds.height()); }));
    for (auto* c : bottoms) {
        const int h = std::min(std::max(0, c->bounds.height()), spanH());
        bottom -= h;
        c->bounds = QRect(left, bottom, spanW(), h);
    }
    auto lefts = ofKind(controls, TAlignKind::Left);
    std::stable_sort(lefts.begin(), lefts.end(), before([](auto* c) { return c->bounds.left(); }));
    for (auto* c : lefts) {
        const int w = std::min(std::max(0, c->bounds.width()), spanW());
        c->bounds = QRect(left, top, w, spanH());
        left += w;
    }
    auto rights = ofKind(controls, TAlignKind::Right);
    std::stable_sort(rights.begin(), rights.end(),
                     before([](auto* c) { return -(c->bounds.left() + c->bounds.width()); }));
    for (auto* c : rights) {
        const int w = std::min(std::max(0, c->bounds.width()), spanW());
        right -= w;
        c->bounds = QRect(right, top, w, spanH());
    }
    for (auto* c : ofKind(controls, TAlignKind::Client))
        c->bounds = QRect(left, top, spanW(), spanH());
}

} // namespace orlenth
