#pragma once
// How far the reading area's scroll bar moves, and in which sub-steps when it moves
// smoothly; and how the area's 64-bit positions map onto the bar, which holds an int.
// Plain arithmetic, kept apart from the widgets so that it can be checked alone.

#include <cstdint>
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

// The bar's steps when the positions 0 … maxPosition do not fit in an int: 2^30 of them.
inline constexpr int kScaledBarMaximum = 1 << 30;

// The bar's maximum for positions 0 … maxPosition: maxPosition itself while it fits in an
// int (the bar then counts pixels, one to one), kScaledBarMaximum beyond. A maxPosition
// below 0 is taken as 0.
int BarMaximum(std::int64_t maxPosition);
// The bar's value for a position (clamped to 0 … maxPosition): the position itself while
// the bar counts pixels, otherwise scaled and rounded to the nearest step; 0 and
// maxPosition give the bar's two ends.
int BarValue(std::int64_t position, std::int64_t maxPosition);
// The position a bar value (clamped to the bar's range) stands for: the value itself while
// the bar counts pixels, otherwise scaled and rounded to the nearest pixel; the bar's two
// ends give exactly 0 and maxPosition.
std::int64_t BarPosition(int value, std::int64_t maxPosition);
// The bar's page step, which sizes its thumb, for a visible height: the height while the
// bar counts pixels, otherwise scaled like a position; never below 1.
int BarPageStep(int visibleHeight, std::int64_t maxPosition);

} // namespace orlenth
