#include "app/Stepping.h"

namespace orlenth {

StepMove StepForward(const TitleSelection& at) {
    if (at.row >= 0 && at.row < at.rows - 1) return {StepMove::Kind::Row, at.row + 1};
    // No row selected in a non-empty list: nothing to step from.
    if (at.row < at.rows - 1) return {};
    if (at.tab < at.tabs - 1) return {StepMove::Kind::Tab, at.tab + 1};
    return {};
}

StepMove StepBack(const TitleSelection& at) {
    if (at.row > 0 && at.row <= at.rows - 1) return {StepMove::Kind::Row, at.row - 1};
    if (at.tab > 0 && at.tab <= at.tabs - 1) return {StepMove::Kind::TabAtLast, at.tab - 1};
    return {};
}

} // namespace orlenth
