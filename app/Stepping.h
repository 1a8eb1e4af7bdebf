#pragma once
// Stepping forward and back through the titles, running on into the next or previous
// category at either end of a list: the selection in, the move to make out.

namespace orlenth {

// What stepping reads off the title list and the tab strip.
struct TitleSelection {
    int row;  // the selected row, −1 for none
    int rows; // the list's number of rows
    int tab;  // the selected tab
    int tabs; // the number of tabs
};

struct StepMove {
    enum class Kind {
        None,      // stay where we are
        Row,       // select row `index` of the same list and open it
        Tab,       // select tab `index`, whose change opens its first row
        TabAtLast, // select tab `index`, then its last row, and open that row
    };
    Kind kind = Kind::None;
    int index = 0;

    bool operator==(const StepMove&) const = default;
};

// Forward: the next row while there is one after the selected row; from the last row (a row
// at or past rows − 1, or any row of an empty list) the next tab, unless tab is the last or
// later (a tab of −1, none selected, gives tab 0); with no row selected in a non-empty list,
// nothing.
StepMove StepForward(const TitleSelection& at);

// Back: the row before while row is within 1 … rows − 1; otherwise (first row, no row, or a
// row past the list) the previous tab at its last row, provided tab lies within 1 … tabs − 1.
StepMove StepBack(const TitleSelection& at);

} // namespace orlenth
