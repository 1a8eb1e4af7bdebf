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

// The edges still free, once squeezed into the area and once as if every control had the
// room it asks for.
struct Edges {
    int left, top, right, bottom;
    int spanW() const { return std::max(0, right - left); }
    int spanH() const { return std::max(0, bottom - top); }
};

} // namespace

void AlignControls(const QRect& area, std::vector<TAlignedControl*>& controls) {
    const Edges start{area.left(), area.top(), area.left() + std::max(0, area.width()),
                      area.top() + std::max(0, area.height())};
    Edges fit = start, room = start;

    auto tops = ofKind(controls, TAlignKind::Top);
    std::stable_sort(tops.begin(), tops.end(), before([](auto* c) { return c->bounds.top(); }));
    for (auto* c : tops) {
        const int want = std::max(0, c->bounds.height()), h = std::min(want, fit.spanH());
        c->natural = QRect(room.left, room.top, room.spanW(), want);
        c->bounds = QRect(fit.left, fit.top, fit.spanW(), h);
        fit.top += h;
        room.top += want;
    }
    auto bottoms = ofKind(controls, TAlignKind::Bottom);
    std::stable_sort(bottoms.begin(), bottoms.end(),
                     before([](auto* c) { return -(c->bounds.top() + c->bounds.height()); }));
    for (auto* c : bottoms) {
        const int want = std::max(0, c->bounds.height()), h = std::min(want, fit.spanH());
        fit.bottom -= h;
        room.bottom -= want;
        c->natural = QRect(room.left, room.bottom, room.spanW(), want);
        c->bounds = QRect(fit.left, fit.bottom, fit.spanW(), h);
    }
    auto lefts = ofKind(controls, TAlignKind::Left);
    std::stable_sort(lefts.begin(), lefts.end(), before([](auto* c) { return c->bounds.left(); }));
    for (auto* c : lefts) {
        const int want = std::max(0, c->bounds.width()), w = std::min(want, fit.spanW());
        c->natural = QRect(room.left, room.top, want, room.spanH());
        c->bounds = QRect(fit.left, fit.top, w, fit.spanH());
        fit.left += w;
        room.left += want;
    }
    auto rights = ofKind(controls, TAlignKind::Right);
    std::stable_sort(rights.begin(), rights.end(),
                     before([](auto* c) { return -(c->bounds.left() + c->bounds.width()); }));
    for (auto* c : rights) {
        const int want = std::max(0, c->bounds.width()), w = std::min(want, fit.spanW());
        fit.right -= w;
        room.right -= want;
        c->natural = QRect(room.right, room.top, want, room.spanH());
        c->bounds = QRect(fit.right, fit.top, w, fit.spanH());
    }
    for (auto* c : ofKind(controls, TAlignKind::Client)) {
        c->natural = QRect(room.left, room.top, room.spanW(), room.spanH());
        c->bounds = QRect(fit.left, fit.top, fit.spanW(), fit.spanH());
    }
}

} // namespace orlenth
