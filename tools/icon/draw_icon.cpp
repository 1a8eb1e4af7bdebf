// orlenth-draw-icon OUTDIR ID: writes the program's icon for the desktop's icon theme, as
// OUTDIR/<N>x<N>/apps/<id>.png for each size a theme looks in and OUTDIR/scalable/apps/<id>.svg.
// Run during the build, with QT_QPA_PLATFORM=offscreen.

#include "app/SealIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>

#include <cstdio>

namespace {

QString number(double v) {
    // Two decimals are finer than any screen and keep the file small and stable.
    QString s = QString::number(v, 'f', 2);
    while (s.endsWith(QLatin1Char('0'))) s.chop(1);
    if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString point(double x, double y) {
    return number(x) + QLatin1Char(' ') + number(y);
}

// The path in SVG's own commands: a glyph outline is only moves, lines and cubic curves.
QString svgPathData(const QPainterPath& path) {
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            d += QLatin1Char('M') + point(e.x, e.y);
            break;
        case QPainterPath::LineToElement:
            d += QLatin1Char('L') + point(e.x, e.y);
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            d += QLatin1Char('C') + point(e.x, e.y) + QLatin1Char(' ') + point(c2.x, c2.y) +
                 QLatin1Char(' ') + point(end.x, end.y);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break; // consumed with its curve
        }
    }
    return d;
}

bool writeFile(const QString& name, const QByteArray& bytes) {
    QSaveFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() &&
           f.commit();
}

QByteArray svg(int size) {
    const orlenth::SealShapes s = orlenth::sealShapes(QRectF(0, 0, size, size));
    const QString fillRule = s.glyph.fillRule() == Qt::WindingFill ? QStringLiteral("nonzero")
                                                                   : QStringLiteral("evenodd");
    const QString text =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
            "viewBox=\"0 0 %1 %1\">\n"
            "<rect x=\"%2\" y=\"%3\" width=\"%4\" height=\"%5\" rx=\"%6\" fill=\"%7\"/>\n"
            "<path fill=\"%8\" fill-rule=\"%9\" d=\"%10\"/>\n"
            "</svg>\n")
            .arg(size)
            .arg(number(s.seal.x()), number(s.seal.y()), number(s.seal.width()),
                 number(s.seal.height()), number(s.radius), orlenth::kSealRed.name(),
                 orlenth::kSealInk.name(), fillRule, svgPathData(s.glyph));
    return text.toUtf8();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: orlenth-draw-icon OUTDIR ID\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    // Without the Kai face the seal would be blank, and installed that way for good.
    if (orlenth::sealShapes(QRectF(0, 0, 256, 256)).glyph.isEmpty()) {
        std::fprintf(stderr, "orlenth-draw-icon: no Chinese face to draw the seal's character\n");
        return 1;
    }
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        orlenth::paintSeal(p, QRectF(0, 0, size, size));
        p.end();
        if (!QDir().mkpath(dir) ||
            !image.save(dir + QLatin1Char('/') + id + QStringLiteral(".png"))) {
            std::fprintf(stderr, "orlenth-draw-icon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    const QString dir = out + QStringLiteral("/scalable/apps");
    if (!QDir().mkpath(dir) ||
        !writeFile(dir + QLatin1Char('/') + id + QStringLiteral(".svg"), svg(256))) {
        std::fprintf(stderr, "orlenth-draw-icon: cannot write %s\n", qPrintable(dir));
        return 1;
    }
    return 0;
}
