#pragma once
// The main window's appearance as the settings keep it: the page font, the colours of
// page, frame and edge, the frame and margins switches, the hidden list, the auto-scroll
// interval, the left bar's buttons, the title list's width and the night colours. Plain values: the
// window takes them from its controls and puts them back; the settings file stores them.

#include "app/NightPage.h"

#include <QByteArray>
#include <QStringList>

namespace orlenth {

namespace settings {
class TSettingsFile;
}

struct TLook {
    QByteArray fontName; // GBK, as the font keeps it
    int fontHeight = 0;  // the font's Height: negative for points
    int fontStyle = 0;   // TFont::TFontStyles bits
    int fontColor = 0;
    int fontCharset = 0;
    int pageColor = 0;
    int frameColor = 0;
    int edgeColor = 0;
    bool frame = false;
    bool margins = true;
    bool listHidden = false;
    int interval = 150;
    QStringList leftBar; // the names of the left bar's controls, in their order
    int listWidth = 0;
    // 夜间: whether the night colours show, and what they are. The day colours are the
    // fields above (font colour, page, frame, edge) whichever set shows.
    bool night = false;
    TPageColors nightColors = NightPreset();
    // 竖排: the page in columns.
    bool vertical = false;

    bool operator==(const TLook&) const = default;
};

// The look the file keeps, value by value over `design`: a value that is missing,
// damaged or out of range keeps the design's. Never throws.
TLook ReadLook(const settings::TSettingsFile& file, const TLook& design);
// Stores every value of `look` (the file writes only what changed). Never throws.
void WriteLook(settings::TSettingsFile& file, const TLook& look);

} // namespace orlenth
