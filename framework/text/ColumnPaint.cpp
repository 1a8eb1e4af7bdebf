#include "framework/text/ColumnPaint.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/VerticalForms.h"

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
    : metrics_(metrics), fm_(metrics.font()), ascent_(fm_.ascent()), descent_(fm_.descent()),
      raw_(QRawFont::fromFont(metrics.font())) {}

// A baseline that puts the face's ascent and descent box in the middle of a stretch
// `extent` long starting at `from`, on whole pixels so that glyphs draw as crisply as in
// rows.
double ColumnPainter::baselineIn(double from, double extent) const {
    return std::round(from + (extent - ascent_ - descent_) / 2 + ascent_);
}

double ColumnPainter::length(QByteArrayView gbk) {
    measure(gbk);
    double sum = 0;
    for (const Character& c : chars_) sum += c.length;
    return sum;
}

void ColumnPainter::measure(QByteArrayView gbk) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    // The characters and their lengths first, looked up as the wrap looked them up: runs
    // are drawn whole.
    chars_.clear();
    const auto* p = reinterpret_cast<const std::uint8_t*>(gbk.data());
    const auto* const end = p + gbk.size();
    while (p < end) {
        GbkMetrics::Entry e = metrics_.single(*p);
        GbkChar g{*p, 1};
        if (*p >= 0x80) {
            g = decoder.next(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(end));
            if (g.length == 2) {
                e = metrics_.pair(p[0], p[1]);
                if (e & GbkMetrics::kNotAPair) e = metrics_.of(g.codePoint);
            } else if (g.length == 4) {
                e = metrics_.of(g.codePoint);
            }
        }
        chars_.push_back(
            {g.codePoint, static_cast<double>(GbkMetrics::advance(e)) / GbkMetrics::kSubpixels});
        p += g.length;
    }
}

void ColumnPainter::paint(QPainter& painter, QByteArrayView gbk, double left, double top,
                          double cellWidth) {
    painter.setFont(metrics_.font());
    measure(gbk);

    const double centre = left + cellWidth / 2;
    // Turned clockwise, text's ascent faces right: this baseline puts the middle of its
    // ascent and descent box on the column's middle.
    const double turnedBaseline = (ascent_ - descent_) / 2 - centre;
    upright_.clear();
    turned_.clear();
    const auto upright = [&](char32_t c, double y, double length) {
        if (InBmp(c)) {
            upright_.chars.append(QChar(static_cast<char16_t>(c)));
            upright_.positions.append(QPointF(left, baselineIn(y, length)));
            return;
        }
        const QString s = One(c);
        painter.drawText(
            QPointF(std::round(centre - fm_.horizontalAdvance(s) / 2), baselineIn(y, length)), s);
    };
    const auto turned = [&](char32_t c, double y) {
        if (InBmp(c)) {
            turned_.chars.append(QChar(static_cast<char16_t>(c)));
            turned_.positions.append(QPointF(y, turnedBaseline));
            return;
        }
        painter.save();
        painter.rotate(90);
        painter.drawText(QPointF(y, turnedBaseline), One(c));
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
            for (; j < chars_.size() && IsTurnedRunCharacter(chars_[j].c); ++j) {
                length += chars_[j].length;
                digits = digits && chars_[j].c >= U'0' && chars_[j].c <= U'9';
            }
            if (digits && DigitsStandAcross(j - i)) {
                // Upright across the column, in the length the run was measured.
                QString run;
                for (std::size_t k = i; k < j; ++k)
                    run += QChar(static_cast<char16_t>(chars_[k].c));
                painter.drawText(QPointF(std::round(centre - fm_.horizontalAdvance(run) / 2),
                                         baselineIn(y, length)),
                                 run);
                y += length;
            } else {
                for (; i < j; ++i) {
                    turned(chars_[i].c, y);
                    y += chars_[i].length;
                }
            }
            i = j;
            continue;
        }
        const VerticalForm form = VerticalFormOf(c);
        const double length = chars_[i].length;
        if (form.presentation != 0 && metrics_.hasPresentation(form.presentation)) {
            upright(form.presentation, y, length);
        } else if (form.fallback == VerticalStance::Turned) {
            turned(c, y);
        } else if (form.fallback == VerticalStance::TopRight) {
            // A full-width sentence mark sits in the lower left of its cell; half a cell
            // right and up puts it in the upper right, where a column wants it.
            const QString s = One(c);
            painter.drawText(QPointF(std::round(centre + (em - fm_.horizontalAdvance(s)) / 2),
                                     baselineIn(y, length) - std::round(em / 2)),
                             s);
        } else if (length > 0) {
            upright(c, y, length);
        }
        y += length;
        ++i;
    }

    drawBatch(painter, upright_, cellWidth);
    if (!turned_.chars.isEmpty()) {
        painter.save();
        painter.rotate(90);
        drawBatch(painter, turned_, 0);
        painter.restore();
    }
}

void ColumnPainter::drawBatch(QPainter& painter, Batch& batch, double cellWidth) {
    if (batch.chars.isEmpty()) return;
    QList<quint32> glyphs =
        raw_.isValid() ? raw_.glyphIndexesForString(batch.chars) : QList<quint32>();
    if (glyphs.size() != batch.chars.size()) glyphs = QList<quint32>(batch.chars.size(), 0);
    const QList<QPointF> advances =
        raw_.isValid() ? raw_.advancesForGlyphIndexes(glyphs) : QList<QPointF>(glyphs.size());
    // Glyph 0 is the face's "missing" box: those characters are drawn one by one, by the
    // font's fallbacks, where their glyphs would have gone.
    qsizetype kept = 0;
    for (qsizetype k = 0; k < glyphs.size(); ++k) {
        QPointF at = batch.positions[k];
        const QString s(batch.chars[k]);
        const double width = glyphs[k] != 0 ? advances[k].x() : fm_.horizontalAdvance(s);
        if (cellWidth > 0) at.setX(std::round(at.x() + (cellWidth - width) / 2));
        if (glyphs[k] == 0) {
            painter.drawText(at, s);
            continue;
        }
        glyphs[kept] = glyphs[k];
        batch.positions[kept] = at;
        ++kept;
    }
    if (kept == 0) return;
    glyphs.resize(kept);
    batch.positions.resize(kept);
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(batch.positions);
    painter.drawGlyphRun(QPointF(0, 0), run);
}

void ColumnPainter::paintRule(QPainter& painter, int x, int top, int length) {
    if (length <= 0) return;
    const QColor colour = painter.pen().color();
    // One blit of a strip of dots: a dotted pen down a column costs a span a pixel.
    if (rule_.height() < length || colour != ruleColour_) {
        rule_ = QImage(1, std::max(length, rule_.height()), QImage::Format_ARGB32_Premultiplied);
        rule_.fill(Qt::transparent);
        for (int y = 0; y < rule_.height(); y += 2) rule_.setPixelColor(0, y, colour);
        ruleColour_ = colour;
    }
    painter.drawImage(QPoint(x, top), rule_, QRect(0, 0, 1, length));
}

} // namespace orlenth::text
