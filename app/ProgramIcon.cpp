#include "app/ProgramIcon.h"

#include "app/SealIcon.h"

#include <QPainter>
#include <QPixmap>

namespace orlenth {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paintSeal(p, QRectF(0, 0, size, size));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace orlenth
