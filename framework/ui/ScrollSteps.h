#pragma once
// How far the reading area's scroll bar moves, and in which sub-steps when it moves
// smoothly. Plain arithmetic, kept apart from the widgets so that it can be checked alone.

#include <vector>

namespace orlenth {

struct TScrollSteps {
    int page = 1; // a click in the track
    int line = 1; // a click on an arrow
};

// For a visible height V: a page is 9 × V / 10 and a line a tenth of that, both in
// integer division and never below 1 (a V of 0 or less gives 1 and 1).
TScrollSteps SmoothScrollSteps(int visibleHeight);

// `distance` cut into `parts` equal sub-steps, the remainder of the division added as
// one more: 356 in 12 parts is twelve of 29 and one of 8. A negative distance gives
// negative sub-steps; zero gives none; `parts` below 1 is taken as 1.
std::vector<int> SubSteps(int distance, int parts);

} // namespace orlenth
