#pragma once
// The page's two sets of colours: the reader's own day colours and the night ones, a dark
// preset of low contrast until the reader changes it. One set shows at a time; the colour
// commands change the set showing, so each keeps its own.

namespace orlenth {

// TColor values (0x00BBGGRR, or a system colour with the top bit set).
struct TPageColors {
    int page = 0;
    int frame = 0;
    int edge = 0;
    int text = 0;

    bool operator==(const TPageColors&) const = default;
};

// Dark grey paper, rules a little lighter, a darker edge and grey text: about 7:1, enough
// to read without the glare of white on black.
TPageColors NightPreset();

} // namespace orlenth
