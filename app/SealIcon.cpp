#include "app/SealIcon.h"

#include "framework/text/PageFont.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace orlenth {

SealShapes sealShapes(const QRectF& rect) {
    SealShapes s;
    // Half a pixel in at small sizes keeps the antialiased edge inside the square.
    const double inset = rect.width() <= 64 ? 0.5 : 0.0;
    s.seal = rect.adjusted(inset, inset, -inset, -inset);
    s.radius = rect.width() / 8.0;

    // Outlines taken at a large size and scaled down keep their curves exact at any size.
    QPainterPath raw;
    raw.addText(0, 0, text::pageFont(QStringLiteral("楷体_GB2312"), 256), QStringLiteral("文"));
    const QRectF ink = raw.boundingRect();
    if (ink.isEmpty()) return s; // no Chinese face here: a plain seal is still an icon
    // Centred on its ink rather than its advance, which a Kai face leaves lopsided.
    const double scale = rect.height() * 0.68 / std::max(ink.width(), ink.height());
    QTransform t;
    t.translate(rect.center().x(), rect.center().y());
    t.scale(scale, scale);
    t.translate(-ink.center().x(), -ink.center().y());
    s.glyph = t.map(raw);
    s.glyph.setFillRule(Qt::WindingFill);
    return s;
}

void paintSeal(QPainter& painter, const QRectF& rect) {
    const SealShapes s = sealShapes(rect);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSealRed);
    painter.drawRoundedRect(s.seal, s.radius, s.radius);
    painter.setBrush(kSealInk);
    painter.drawPath(s.glyph);
    painter.restore();
}

} // namespace orlenth
