#pragma once
// Paging the reading area up and down by nearly a screen: plain quantities in, the scroll
// position to ask for out. The reading area clamps what it is asked for to its range.
// Positions are 64-bit: the page of a very long text is taller than an int holds.

#include <cstdint>

namespace orlenth {

// What paging reads off the reading area and the page, in pixels except fontPoints.
struct PagingView {
    std::int64_t position; // the scroll position; 0 shows the page's top
    int height;            // the area's visible height
    std::int64_t range;    // the scroll range: the page's top edge plus its height
    int fontPoints;        // the page font's size in whole points
    int pitch;             // the line pitch (LinePitchFor)
};

// Consecutive pages overlap by pitch + fontPoints, a little more than one line pitch, so
// that a line cut at the foot of one page is whole at the head of the next.

// Page down: to the end (range − height) once no more than height − (pitch − fontPoints)
// pixels of the range lie below the visible part, otherwise height − overlap further on.
// Never less than position: where that step would run backwards (an area no taller than
// the overlap, or a position already past the end) the result is position itself. May lie
// outside 0 … range − height; the sums of positions below 2^62 do not overflow.
std::int64_t PageDown(const PagingView& view);

// Page up: to 0 once position ≤ height, otherwise height − overlap further back. Never more
// than position, for the same reason as page down.
std::int64_t PageUp(const PagingView& view);

} // namespace orlenth
