#pragma once
// The program's icon, a red seal with the character 文, as shapes that any painter or
// file writer can take: the window icon, the installed bitmaps and the scalable file are
// all made from here, so they cannot drift apart.

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace orlenth {

inline constexpr QColor kSealRed{178, 34, 34};
inline constexpr QColor kSealInk{250, 240, 225};

struct SealShapes {
    QRectF seal;        // the rounded square
    double radius = 0;  // of its corners
    QPainterPath glyph; // 文 as outlines, so that drawing it needs no font
};

// Needs a QGuiApplication (the glyph is taken from an installed Kai face).
SealShapes sealShapes(const QRectF& rect);

// Paints the seal to fill rect.
void paintSeal(QPainter& painter, const QRectF& rect);

} // namespace orlenth
