#pragma once
// Alignment of a parent's child controls, as a pure function of their stored bounds: the
// top strips first, then the bottom ones, then the left- and right-aligned ones by
// position, and the client-aligned one fills what is left. Hidden controls take no space.
// An area too small squeezes the controls placed last; their layout with room for all is
// reported as well, so that a parent can start the next round from it and give every
// control its size back once the area has grown again.

#include <QRect>

#include <vector>

namespace orlenth {

enum class TAlignKind { None, Top, Bottom, Left, Right, Client };

struct TAlignedControl {
    TAlignKind align = TAlignKind::None;
    bool visible = true;
    QRect bounds; // in the parent's client coordinates; updated in place
    // The control whose change started this alignment: among equal positions it goes
    // first, so that a panel shown again at the left edge goes back before the splitter
    // that took its place.
    bool changed = false;
    // Output: where the control would go if the area had room for every size asked for.
    // Sizes along the strip are as asked, never squeezed, and positions keep the order of
    // placement even where squeezed controls would meet at one point.
    QRect natural = QRect();
};

// Lays out `controls` (in creation order) inside `area` (the parent's client area less its
// border and bevels). Controls of one kind are placed in the order of their position:
// top ones by top, bottom ones from the lowest up, left ones by left, right ones from the
// rightmost inward; at equal positions the changed control comes first, then creation
// order. A control's own size along the strip is kept as far as the area allows; across
// it, it spans the remaining area. Sizes never go below 0. Controls aligned None and
// hidden ones are left as they are.
void AlignControls(const QRect& area, std::vector<TAlignedControl*>& controls);

} // namespace orlenth
