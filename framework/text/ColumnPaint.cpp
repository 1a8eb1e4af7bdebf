#include "framework/text/ColumnPaint.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/VerticalForms.h"

#include <QFontMetricsF>
#include <QPen>
#include <QString>

#include <cmath>
#include <vector>

namespace orlenth::text {

namespace {

struct Character {
    char32_t c;
    double length; // down the column, as wrapped
};

double LengthOf(const GbkMetrics& metrics, char32_t c) {
    return static_cast<double>(GbkMetrics::advance(metrics.of(c))) / GbkMetrics::kSubpixels;
}

// A baseline that puts the face's ascent and descent box in the middle of a stretch
// `extent` long starting at `from`, on whole pixels so that glyphs draw as crisply as in
// rows.
double CentredBaseline(const QFontMetricsF& fm, double from, double extent) {
    return std::round(from + (extent - fm.ascent() - fm.descent()) / 2 + fm.ascent());
}

QString One(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

} // namespace

void PaintColumn(QPainter& painter, const GbkMetrics& metrics, QByteArrayView gbk, double left,
                 double top, double cellWidth) {
    const QFontMetricsF fm(painter.font());
    const GbkDecoder& decoder = GbkDecoder::instance();
    // The characters and their lengths first: runs are drawn whole.
    std::vector<Character> chars;
    chars.reserve(static_cast<std::size_t>(gbk.size()) / 2 + 1);
    const char* p = gbk.data();
    const char* const end = p + gbk.size();
    while (p < end) {
        const GbkChar g = decoder.next(p, end);
        chars.push_back({g.codePoint, LengthOf(metrics, g.codePoint)});
        p += g.length;
    }

    const double centre = left + cellWidth / 2;
    const double em = metrics.em();
    double y = top;
    for (std::size_t i = 0; i < chars.size();) {
        const char32_t c = chars[i].c;
        if (IsTurnedRunCharacter(c)) {
            std::size_t j = i;
            double length = 0;
            bool digits = true;
            QString run;
            for (; j < chars.size() && IsTurnedRunCharacter(chars[j].c); ++j) {
                length += chars[j].length;
                digits = digits && chars[j].c >= U'0' && chars[j].c <= U'9';
                run += One(chars[j].c);
            }
            if (digits && DigitsStandAcross(j - i)) {
                // Upright across the column, in the length the run was measured.
                const double width = fm.horizontalAdvance(run);
                painter.drawText(
                    QPointF(std::round(centre - width / 2), CentredBaseline(fm, y, length)), run);
            } else {
                painter.save();
                painter.translate(centre, y);
                painter.rotate(90);
                // Turned clockwise, the run's ascent faces right: the middle of its ascent
                // and descent box lies on the column's middle.
                painter.drawText(QPointF(0, (fm.ascent() - fm.descent()) / 2), run);
                painter.restore();
            }
            y += length;
            i = j;
            continue;
        }
        const VerticalForm form = VerticalFormOf(c);
        const double length = chars[i].length;
        if (form.presentation != 0 && metrics.hasPresentation(form.presentation)) {
            const QString s = One(form.presentation);
            painter.drawText(QPointF(std::round(centre - fm.horizontalAdvance(s) / 2),
                                     CentredBaseline(fm, y, length)),
                             s);
        } else if (form.fallback == VerticalStance::Turned) {
            painter.save();
            painter.translate(centre, y);
            painter.rotate(90);
            painter.drawText(QPointF(0, (fm.ascent() - fm.descent()) / 2), One(c));
            painter.restore();
        } else if (form.fallback == VerticalStance::TopRight) {
            // A full-width sentence mark sits in the lower left of its cell; half a cell
            // right and up puts it in the upper right, where a column wants it.
            const QString s = One(c);
            const double width = fm.horizontalAdvance(s);
            painter.drawText(QPointF(std::round(centre - width / 2 + em / 2),
                                     CentredBaseline(fm, y, length) - std::round(em / 2)),
                             s);
        } else if (length > 0) {
            const QString s = One(c);
            painter.drawText(QPointF(std::round(centre - fm.horizontalAdvance(s) / 2),
                                     CentredBaseline(fm, y, length)),
                             s);
        }
        y += length;
        ++i;
    }
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
