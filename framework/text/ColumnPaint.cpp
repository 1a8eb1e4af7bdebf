#include "framework/text/ColumnPaint.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/VerticalForms.h"

#include <QPen>
#include <QString>

#include <cmath>

namespace orlenth::text {

namespace {

QString One(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

bool InBmp(char32_t c) {
    return c < 0x10000 && !(c >= 0xD800 && c <= 0xDFFF);
}

} // namespace

ColumnPainter::ColumnPainter(const GbkMetrics& metrics)
    : metrics_(metrics), fm_(metrics.font()), raw_(QRawFont::fromFont(metrics.font())) {}

// A baseline that puts the face's ascent and descent box in the middle of a stretch
// `extent` long starting at `from`, on whole pixels so that glyphs draw as crisply as in
// rows.
double ColumnPainter::baselineIn(double from, double extent) const {
    return std::round(from + (extent - fm_.ascent() - fm_.descent()) / 2 + fm_.ascent());
}

void ColumnPainter::paint(QPainter& painter, QByteArrayView gbk, double left, double top,
                          double cellWidth) {
    painter.setFont(metrics_.font());
    const GbkDecoder& decoder = GbkDecoder::instance();
    // The characters and their lengths first: runs are drawn whole.
    chars_.clear();
    const char* p = gbk.data();
    const char* const end = p + gbk.size();
    while (p < end) {
        const GbkChar g = decoder.next(p, end);
        chars_.push_back(
            {g.codePoint, static_cast<double>(GbkMetrics::advance(metrics_.of(g.codePoint))) /
                              GbkMetrics::kSubpixels});
        p += g.length;
    }

    // Upright characters of the face are gathered, with the top of their cells, and drawn
    // in one glyph run at the end; they meet nothing else drawn in the column.
    upright_.clear();
    std::vector<double> cellTops;
    std::vector<double> cellLengths;
    const auto upright = [&](char32_t c, double y, double length) {
        if (InBmp(c) && raw_.isValid() && raw_.supportsCharacter(c)) {
            upright_.append(QChar(static_cast<char16_t>(c)));
            cellTops.push_back(y);
            cellLengths.push_back(length);
            return;
        }
        const QString s = One(c);
        painter.drawText(QPointF(std::round(left + (cellWidth - fm_.horizontalAdvance(s)) / 2),
                                 baselineIn(y, length)),
                         s);
    };
    const auto turned = [&](const QString& s, double y) {
        painter.save();
        painter.translate(left + cellWidth / 2, y);
        painter.rotate(90);
        // Turned clockwise, the text's ascent faces right: the middle of its ascent and
        // descent box lies on the column's middle.
        painter.drawText(QPointF(0, (fm_.ascent() - fm_.descent()) / 2), s);
        painter.restore();
    };

    const double em = metrics_.em();
    double y = top;
    for (std::size_t i = 0; i < chars_.size();) {
        const char32_t c = chars_[i].c;
        if (IsTurnedRunCharacter(c)) {
            std::size_t j = i;
            double length = 0;
            bool digits = true;
            QString run;
            for (; j < chars_.size() && IsTurnedRunCharacter(chars_[j].c); ++j) {
                length += chars_[j].length;
                digits = digits && chars_[j].c >= U'0' && chars_[j].c <= U'9';
                run += QChar(static_cast<char16_t>(chars_[j].c));
            }
            if (digits && DigitsStandAcross(j - i)) {
                // Upright across the column, in the length the run was measured.
                painter.drawText(
                    QPointF(std::round(left + (cellWidth - fm_.horizontalAdvance(run)) / 2),
                            baselineIn(y, length)),
                    run);
            } else {
                turned(run, y);
            }
            y += length;
            i = j;
            continue;
        }
        const VerticalForm form = VerticalFormOf(c);
        const double length = chars_[i].length;
        if (form.presentation != 0 && metrics_.hasPresentation(form.presentation)) {
            upright(form.presentation, y, length);
        } else if (form.fallback == VerticalStance::Turned) {
            turned(One(c), y);
        } else if (form.fallback == VerticalStance::TopRight) {
            // A full-width sentence mark sits in the lower left of its cell; half a cell
            // right and up puts it in the upper right, where a column wants it.
            const QString s = One(c);
            painter.drawText(
                QPointF(std::round(left + (cellWidth - fm_.horizontalAdvance(s) + em) / 2),
                        baselineIn(y, length) - std::round(em / 2)),
                s);
        } else if (length > 0) {
            upright(c, y, length);
        }
        y += length;
        ++i;
    }

    if (upright_.isEmpty()) return;
    const QList<quint32> glyphs = raw_.glyphIndexesForString(upright_);
    if (glyphs.size() != upright_.size()) return;
    const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs);
    positions_.resize(glyphs.size());
    for (qsizetype k = 0; k < glyphs.size(); ++k) {
        const auto at = static_cast<std::size_t>(k);
        positions_[k] = QPointF(std::round(left + (cellWidth - advances[k].x()) / 2),
                                baselineIn(cellTops[at], cellLengths[at]));
    }
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions_);
    painter.drawGlyphRun(QPointF(0, 0), run);
}

void PaintColumnRule(QPainter& painter, double x, double top, double length) {
    painter.save();
    QPen pen = painter.pen();
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawLine(QPointF(x, top), QPointF(x, top + length));
    painter.restore();
}

} // namespace orlenth::text
