#pragma once
// Paging the reading area up and down by nearly a screen: plain quantities in, the scroll
// position to ask for out. The reading area clamps what it is asked for to its range.

namespace orlenth {

// What paging reads off the reading area and the page, in pixels except fontPoints.
struct PagingView {
    int position;   // the scroll position; 0 shows the page's top
    int height;     // the area's visible height
    int range;      // the scroll range: the page's top edge plus its height
    int fontPoints; // the page font's size in whole points
    int tag;        // the page's Tag, the part of the line pitch that is not the font
};

// Consecutive pages overlap by 2 × fontPoints + tag, a little more than one line pitch, so
// that a line cut at the foot of one page is whole at the head of the next.

// Page down: to the end (range − height) once no more than height − tag pixels of the range
// lie below the visible part, otherwise height − overlap further on. Never less than
// position: where that step would run backwards (an area no taller than the overlap, or a
// position already past the end) the result is position itself. May lie outside
// 0 … range − height; sums are taken without overflow and the result is clamped to int.
int PageDown(const PagingView& view);

// Page up: to 0 once position ≤ height, otherwise height − overlap further back. Never more
// than position, for the same reason as page down; overflow handled the same way.
int PageUp(const PagingView& view);

} // namespace orlenth
