#include "app/ProgramIcon.h"

#include "framework/text/PageFont.h"

#include <QPainter>
#include <QPixmap>

namespace orlenth {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(178, 34, 34)); // seal red
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 8.0, size / 8.0);
        p.setPen(QColor(250, 240, 225));
        p.setFont(text::pageFont(QStringLiteral("楷体_GB2312"), size * 3 / 4));
        p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("文"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace orlenth
