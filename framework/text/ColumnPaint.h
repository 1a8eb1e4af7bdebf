#pragma once
// Drawing display lines as columns: characters upright top to bottom, punctuation in its
// vertical form, Latin runs turned, each as long as the wrap engine measured it.

#include "framework/text/GbkMetrics.h"

#include <QByteArrayView>
#include <QColor>
#include <QPainter>

namespace orlenth::text {

// Draws one column of GBK text (no line breaks; see WrapEngine::line) with its first
// character's cell starting at `top`, across the strip [left, left + cellWidth) in the
// painter's current font, which must be `metrics`' font, and pen. Each character goes
// `metrics`' length down the column (as the column wrapped), so a column drawn here is
// exactly as long as it was measured:
//   - a presentation form the face has (VerticalFormOf) is drawn upright in the cell;
//   - otherwise a sentence mark is its horizontal glyph moved to the cell's top right,
//     a bracket or dash is turned 90° clockwise;
//   - a run of Latin letters, digits and the ASCII marks between them is turned as one,
//     except a run of one or two digits, which stands upright across the column;
//   - anything else stands upright, centred across the strip.
// Invalid bytes draw as U+FFFD, as in rows. Never reads past `gbk`. With a font other
// than the metrics' the characters still go the measured lengths, but need not fit them.
void PaintColumn(QPainter& painter, const GbkMetrics& metrics, QByteArrayView gbk, double left,
                 double top, double cellWidth);

// The dotted rule between two columns: a vertical line at x from `top` down `length` in
// the pen's colour, dotted as the rules between rows are.
void PaintColumnRule(QPainter& painter, double x, double top, double length);

} // namespace orlenth::text
