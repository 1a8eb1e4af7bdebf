#pragma once
// Drawing display lines as columns: characters upright top to bottom, punctuation in its
// vertical form, Latin runs turned, each as long as the wrap engine measured it.

#include "framework/text/GbkMetrics.h"

#include <QByteArrayView>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include <vector>

namespace orlenth::text {

// Draws columns in the metrics' font; made once for a paint and used for every column
// in it (it keeps the face's glyph table at hand). Each character goes `metrics`' length
// down the column (as the column wrapped), so a column drawn here is exactly as long as
// it was measured:
//   - a presentation form the face has (VerticalFormOf) is drawn upright in the cell;
//   - otherwise a sentence mark is its horizontal glyph moved to the cell's top right,
//     a bracket or dash is turned 90° clockwise;
//   - a run of Latin letters, digits and the ASCII marks between them is turned as one,
//     except a run of one or two digits, which stands upright across the column;
//   - anything else stands upright, centred across the strip.
// The face's upright characters go out in one glyph run a column, its turned ones in
// another; characters the face lacks (which the font's fallbacks draw) one by one.
class ColumnPainter {
public:
    // Keeps a reference to the metrics, which must outlive the painter.
    explicit ColumnPainter(const GbkMetrics& metrics);

    // One column of GBK text (no line breaks; see WrapEngine::line) with its first
    // character's cell starting at `top`, across the strip [left, left + cellWidth), in
    // the painter's pen. Invalid bytes draw as U+FFFD, as in rows. Never reads past `gbk`.
    // Sets the painter's font to the metrics' font.
    void paint(QPainter& painter, QByteArrayView gbk, double left, double top, double cellWidth);

    // How far down a column `gbk` takes, as paint draws it: the sum of its characters'
    // lengths. Never reads past `gbk`.
    double length(QByteArrayView gbk);

    // The dotted rule between two columns: pixel column x from row `top` down `length` rows,
    // every other pixel lit in the pen's colour starting with the first, as the page
    // dots the rules between rows.
    void paintRule(QPainter& painter, int x, int top, int length);

private:
    struct Character {
        char32_t c;
        double length; // down the column, as wrapped
    };
    // Glyphs gathered for one glyph run: the characters (BMP only), and where each goes.
    struct Batch {
        QString chars;
        QList<QPointF> positions;
        void clear() {
            chars.clear();
            positions.clear();
        }
    };
    double baselineIn(double from, double extent) const;
    // Fills chars_ with the characters of `gbk` and their lengths, looked up as the wrap
    // looked them up.
    void measure(QByteArrayView gbk);
    // Draws the batch in one glyph run, and the characters the face lacks one by one.
    // With a cellWidth, each glyph is centred across the cell that its position starts.
    void drawBatch(QPainter& painter, Batch& batch, double cellWidth);

    const GbkMetrics& metrics_;
    QFontMetricsF fm_;
    // Asked for every character: kept rather than looked up through the font each time.
    double ascent_;
    double descent_;
    QRawFont raw_;
    // Scratch, kept between columns. Upright glyphs are placed by the left of their cell
    // (they are centred across it once their advances are known); turned ones in the
    // frame turned 90° clockwise about the page's origin.
    std::vector<Character> chars_;
    Batch upright_;
    Batch turned_;
    // A rule's dots, one pixel wide, for the colour they were made in.
    QImage rule_;
    QColor ruleColour_;
};

} // namespace orlenth::text
