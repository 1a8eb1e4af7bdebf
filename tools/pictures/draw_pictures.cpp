// Draws the program's three window pictures (banner, splash, logo) from code, so that
// every picture the program carries is our own work and can be regenerated at will.
//
// Usage: orlenth-draw-pictures OUTPUT_FOLDER
// Writes OUTPUT_FOLDER/banner.jpg, OUTPUT_FOLDER/splash.jpg and OUTPUT_FOLDER/logo.bmp.

#include <QtCore/QByteArray>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QString>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QImageWriter>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QRadialGradient>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The tool must give byte-identical pictures on every run, so it keeps its own tiny
// generator instead of a seeded library one whose sequence could change between versions.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed) {}
    double next() // in [0, 1)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
    }
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }

private:
    std::uint32_t state_;
};

// A mountain ridge by midpoint displacement: gives the irregular, brush-like outline
// that smooth curves alone do not.
std::vector<QPointF> ridge(double x0, double x1, double baseY, double peakX, double peakH,
                           double roughness, std::uint32_t seed) {
    const int levels = 7;
    const int n = 1 << levels;
    std::vector<double> h(static_cast<std::size_t>(n + 1), 0.0);
    Rng rng(seed);
    double amp = roughness;
    for (int step = n; step > 1; step /= 2) {
        for (int i = step / 2; i < n; i += step) {
            const auto iu = static_cast<std::size_t>(i);
            const auto a = static_cast<std::size_t>(i - step / 2);
            const auto b = static_cast<std::size_t>(i + step / 2);
            h[iu] = (h[a] + h[b]) / 2.0 + rng.range(-amp, amp);
        }
        amp *= 0.55;
    }
    std::vector<QPointF> pts;
    pts.reserve(static_cast<std::size_t>(n + 1));
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double x = x0 + (x1 - x0) * t;
        // A bell-shaped massif around the peak, roughened by the displacement noise.
        const double d = (x - peakX) / ((x1 - x0) * 0.32);
        const double shape = std::exp(-d * d);
        const double y = baseY - peakH * shape - h[static_cast<std::size_t>(i)] * (0.35 + shape);
        pts.emplace_back(x, y);
    }
    return pts;
}

// Ink-wash look: the ridge carries the darkest ink and the wash fades into mist below.
void paintMountain(QPainter& p, const std::vector<QPointF>& pts, double baseY, const QColor& ink,
                   double fadeDepth) {
    QPainterPath path;
    path.moveTo(pts.front().x(), baseY + 2);
    for (const QPointF& pt : pts) path.lineTo(pt);
    path.lineTo(pts.back().x(), baseY + 2);
    path.closeSubpath();

    double top = baseY;
    for (const QPointF& pt : pts) top = std::min(top, pt.y());

    QLinearGradient g(0, top, 0, top + fadeDepth);
    g.setColorAt(0.0, ink);
    QColor mid = ink;
    mid.setAlphaF(ink.alphaF() * 0.45f);
    g.setColorAt(0.45, mid);
    QColor clear = ink;
    clear.setAlphaF(0.0);
    g.setColorAt(1.0, clear);
    p.fillPath(path, g);
}

bool saveJpeg(const QImage& img, const QString& file) {
    QImageWriter w(file, "jpg");
    w.setQuality(90);
    // Progressive files are not read by every JPEG decoder the program may meet.
    w.setProgressiveScanWrite(false);
    w.setOptimizedWrite(true);
    if (!w.write(img.convertToFormat(QImage::Format_RGB32))) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(file),
                     qPrintable(w.errorString()));
        return false;
    }
    return true;
}

void putLe16(QByteArray& b, std::uint16_t v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>((v >> 8) & 0xFF));
}

void putLe32(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Written by hand rather than through a writer plug-in so that the layout is certain:
// 24-bit, no compression, bottom-up rows padded to four bytes.
bool saveBmp24(const QImage& src, const QString& file) {
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    const auto w = static_cast<std::uint32_t>(img.width());
    const auto h = static_cast<std::uint32_t>(img.height());
    const std::uint32_t stride = (w * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * h;

    QByteArray b;
    b.reserve(static_cast<qsizetype>(54 + pixelBytes));
    b.append("BM", 2);
    putLe32(b, 54 + pixelBytes);
    putLe32(b, 0);
    putLe32(b, 54);
    putLe32(b, 40);
    putLe32(b, w);
    putLe32(b, h); // positive height: bottom-up
    putLe16(b, 1);
    putLe16(b, 24);
    putLe32(b, 0); // BI_RGB
    putLe32(b, pixelBytes);
    putLe32(b, 3780); // 96 dpi in pixels per metre
    putLe32(b, 3780);
    putLe32(b, 0);
    putLe32(b, 0);

    for (int y = img.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            b.append(static_cast<char>(qBlue(line[x])));
            b.append(static_cast<char>(qGreen(line[x])));
            b.append(static_cast<char>(qRed(line[x])));
        }
        for (std::uint32_t pad = w * 3; pad < stride; ++pad) b.append('\0');
    }

    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

// A vermilion seal square with a white glyph cut out of it.
void drawSeal(QPainter& p, const QRectF& r, const QString& glyph, double pixelSize) {
    QPainterPath box;
    box.addRoundedRect(r, r.width() * 0.12, r.width() * 0.12);
    p.fillPath(box, QColor(178, 42, 32));
    QFont f(QStringLiteral("AR PL UKai CN"));
    f.setPixelSize(static_cast<int>(pixelSize));
    p.setFont(f);
    p.setPen(QColor(250, 238, 226));
    p.drawText(r, Qt::AlignCenter, glyph);
}

// 80 x 28, shown at the top right of the tool bar strip with two rows cut at top and
// bottom, so everything that matters stays within rows 2 to 25.
QImage drawBanner() {
    QImage img(80, 28, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Exactly the colour of the strip it sits on, so no rectangle edge shows around it.
    img.fill(QColor(247, 243, 239));

    drawSeal(p, QRectF(3.5, 5.5, 17, 17), QStringLiteral("文"), 14);

    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(12);
    f.setItalic(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.2);
    p.setFont(f);
    p.setPen(QColor(74, 52, 36));
    p.drawText(QRectF(23, 3, 56, 16), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("Orlenth"));

    // Hairline with a small lozenge in the middle, the usual book-ornament rule.
    const double ruleY = 20.5;
    p.setPen(QPen(QColor(150, 118, 84), 0.8));
    p.drawLine(QPointF(27, ruleY), QPointF(47, ruleY));
    p.drawLine(QPointF(55, ruleY), QPointF(75, ruleY));
    QPainterPath lozenge;
    lozenge.moveTo(51, ruleY - 2.5);
    lozenge.lineTo(53.5, ruleY);
    lozenge.lineTo(51, ruleY + 2.5);
    lozenge.lineTo(48.5, ruleY);
    lozenge.closeSubpath();
    p.fillPath(lozenge, QColor(178, 42, 32));
    p.end();
    return img;
}

// 360 x 480. The window draws two blue vertical captions over x 0 to 67 along the whole
// height, so that band is kept as pale, calm mist.
QImage drawSplash() {
    const int W = 360;
    const int H = 480;
    QImage img(W, H, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const double horizon = 318;

    // Evening sky on old paper.
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0.0, QColor(222, 219, 206));
    sky.setColorAt(0.55, QColor(238, 233, 218));
    sky.setColorAt(1.0, QColor(246, 241, 228));
    p.fillRect(QRectF(0, 0, W, horizon + 1), sky);

    // Moon with a soft halo.
    const QPointF moon(262, 104);
    QRadialGradient halo(moon, 90);
    halo.setColorAt(0.0, QColor(255, 250, 232, 170));
    halo.setColorAt(0.35, QColor(252, 246, 226, 70));
    halo.setColorAt(1.0, QColor(246, 241, 228, 0));
    p.fillRect(QRectF(moon.x() - 90, moon.y() - 90, 180, 180), halo);
    QRadialGradient disc(QPointF(moon.x() - 6, moon.y() - 6), 34);
    disc.setColorAt(0.0, QColor(255, 252, 240));
    disc.setColorAt(1.0, QColor(246, 234, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(moon, 27, 27);

    // Mountains, far (pale) to near (dark).
    paintMountain(p, ridge(60, 380, horizon, 300, 150, 16, 11), horizon, QColor(150, 156, 160, 120),
                  150);
    paintMountain(p, ridge(-20, 250, horizon, 140, 120, 18, 23), horizon,
                  QColor(120, 126, 130, 140), 130);
    paintMountain(p, ridge(170, 380, horizon, 330, 190, 22, 37), horizon, QColor(78, 84, 88, 190),
                  170);
    paintMountain(p, ridge(90, 260, horizon, 190, 70, 10, 41), horizon, QColor(70, 76, 80, 170),
                  80);

    // Water.
    QLinearGradient water(0, horizon, 0, H);
    water.setColorAt(0.0, QColor(224, 224, 216));
    water.setColorAt(1.0, QColor(190, 196, 194));
    p.fillRect(QRectF(0, horizon, W, H - horizon), water);

    // Mirrored mountains, faint, give the water its depth.
    p.save();
    p.translate(0, 2 * horizon);
    p.scale(1, -1);
    paintMountain(p, ridge(170, 380, horizon, 330, 190, 22, 37), horizon, QColor(78, 84, 88, 55),
                  110);
    paintMountain(p, ridge(-20, 250, horizon, 140, 120, 18, 23), horizon, QColor(120, 126, 130, 40),
                  90);
    p.restore();

    // The moon's path on the water: short broken strokes, wider further down.
    Rng rng(7);
    for (int i = 0; i < 26; ++i) {
        const double y = horizon + 8 + i * 5.6;
        const double half = 5 + i * 0.9 + rng.range(0, 4);
        const double cx = moon.x() + rng.range(-3, 3);
        QLinearGradient streak(cx - half, 0, cx + half, 0);
        const int a = 235 - i * 6;
        streak.setColorAt(0.0, QColor(255, 251, 236, 0));
        streak.setColorAt(0.5, QColor(255, 251, 236, a));
        streak.setColorAt(1.0, QColor(255, 251, 236, 0));
        p.fillRect(QRectF(cx - half, y, 2 * half, 2.2), streak);
    }

    // A few ripple lines across the water.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        const double y = horizon + 22 + i * 17 + rng.range(-4, 4);
        const double x0 = rng.range(90, 200);
        const double len = rng.range(30, 80);
        p.setPen(QPen(QColor(120, 126, 128, 60 + i * 6), 0.8));
        p.drawLine(QPointF(x0, y), QPointF(x0 + len, y));
    }

    // A small boat with a reader in it, under the moon.
    {
        const double bx = 196;
        const double by = 384;
        QPainterPath hull;
        hull.moveTo(bx - 26, by - 3);
        hull.quadTo(bx, by + 7, bx + 28, by - 4);
        hull.quadTo(bx + 2, by + 2, bx - 26, by - 3);
        p.fillPath(hull, QColor(48, 44, 40));
        QPainterPath canopy;
        canopy.moveTo(bx - 6, by - 1);
        canopy.quadTo(bx + 3, by - 13, bx + 13, by - 1);
        canopy.closeSubpath();
        p.fillPath(canopy, QColor(70, 64, 58));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 36, 32));
        p.drawEllipse(QPointF(bx - 13, by - 10), 2.3, 2.3);
        QPainterPath body;
        body.moveTo(bx - 16, by - 1);
        body.quadTo(bx - 14, by - 9, bx - 11, by - 8);
        body.lineTo(bx - 9, by - 1);
        body.closeSubpath();
        p.fillPath(body, QColor(40, 36, 32));
        p.setPen(QPen(QColor(60, 56, 52), 1.0));
        p.drawLine(QPointF(bx + 24, by - 3), QPointF(bx + 44, by + 16));
        p.setPen(QPen(QColor(150, 150, 144, 110), 0.8));
        p.drawLine(QPointF(bx - 30, by + 4), QPointF(bx + 34, by + 4));
    }

    // Reeds and a bank in the lower right foreground.
    {
        QPainterPath bank;
        bank.moveTo(250, H);
        bank.quadTo(300, 438, W, 430);
        bank.lineTo(W, H);
        bank.closeSubpath();
        QLinearGradient bg(0, 430, 0, H);
        bg.setColorAt(0.0, QColor(70, 74, 70, 200));
        bg.setColorAt(1.0, QColor(40, 42, 40, 230));
        p.fillPath(bank, bg);

        Rng reeds(19);
        for (int i = 0; i < 16; ++i) {
            const double x = 282 + i * 5 + reeds.range(-3, 3);
            const double base = 452 - (x - 282) * 0.12;
            const double hgt = reeds.range(38, 86);
            const double lean = reeds.range(-10, 6);
            QPainterPath stem;
            stem.moveTo(x, base);
            stem.quadTo(x + lean * 0.3, base - hgt * 0.6, x + lean, base - hgt);
            p.setPen(QPen(QColor(46, 50, 46, 200), reeds.range(0.8, 1.6)));
            p.setBrush(Qt::NoBrush);
            p.drawPath(stem);
            if (i % 3 == 0) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(60, 58, 50, 200));
                p.drawEllipse(QPointF(x + lean, base - hgt - 3), 1.4, 5);
            }
        }
    }

    // A pine bough reaching in from the top right frames the moon.
    {
        QPainterPath bough;
        bough.moveTo(W + 4, 22);
        bough.cubicTo(330, 30, 312, 26, 286, 44);
        p.setPen(QPen(QColor(52, 48, 44), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(bough);
        QPainterPath twig;
        twig.moveTo(318, 30);
        twig.quadTo(306, 16, 292, 14);
        p.setPen(QPen(QColor(52, 48, 44), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(twig);
        Rng needles(29);
        const QPointF clusters[] = {{290, 44}, {306, 36}, {328, 30},
                                    {348, 26}, {296, 15}, {312, 22}};
        for (const QPointF& c : clusters) {
            for (int k = 0; k < 14; ++k) {
                const double ang = -2.6 + k * 0.23 + needles.range(-0.05, 0.05);
                const double len = needles.range(8, 12);
                p.setPen(QPen(QColor(48, 62, 52, 210), 0.9));
                p.drawLine(c, QPointF(c.x() + std::cos(ang) * len, c.y() + std::sin(ang) * len));
            }
        }
    }

    // Flying geese, a reader's classic autumn sign.
    p.setPen(QPen(QColor(70, 66, 62, 200), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF geese[] = {{150, 92}, {162, 100}, {174, 107}, {140, 101}, {128, 108}};
    for (const QPointF& g : geese) {
        QPainterPath v;
        v.moveTo(g.x() - 4, g.y() - 2);
        v.quadTo(g.x() - 2, g.y() - 2.5, g.x(), g.y());
        v.quadTo(g.x() + 2, g.y() - 2.5, g.x() + 4, g.y() - 2);
        p.drawPath(v);
    }

    // Mist over the captions' band: pale at the left edge, fading out by x 120.
    QLinearGradient mist(0, 0, 125, 0);
    mist.setColorAt(0.0, QColor(244, 240, 228, 235));
    mist.setColorAt(0.55, QColor(244, 240, 228, 190));
    mist.setColorAt(1.0, QColor(244, 240, 228, 0));
    p.fillRect(QRectF(0, 0, 125, H), mist);

    // A quiet red seal low in the right corner; a plain inner frame, no writing.
    {
        QPainterPath seal;
        seal.addRoundedRect(QRectF(330, 444, 14, 18), 2, 2);
        p.fillPath(seal, QColor(170, 44, 34, 220));
        p.setPen(QPen(QColor(240, 222, 210, 190), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(332.5, 446.5, 9, 13));
    }
    p.end();
    return img;
}

// 62 x 96 on the About window's colour: a small hanging scroll with "文集" written down it.
QImage drawLogo() {
    const int W = 62;
    const int H = 96;
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(QColor(247, 243, 239));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF mount(9, 6, 44, 84);

    // Drop shadow so the scroll stands off the dialog.
    p.fillRect(mount.translated(2, 2), QColor(214, 206, 194));

    // Silk mounting.
    QLinearGradient silk(mount.left(), 0, mount.right(), 0);
    silk.setColorAt(0.0, QColor(108, 128, 140));
    silk.setColorAt(0.5, QColor(136, 156, 166));
    silk.setColorAt(1.0, QColor(104, 124, 136));
    p.fillRect(mount, silk);

    // Paper panel.
    const QRectF paper(mount.left() + 6, mount.top() + 9, mount.width() - 12, mount.height() - 18);
    QLinearGradient pg(0, paper.top(), 0, paper.bottom());
    pg.setColorAt(0.0, QColor(250, 245, 230));
    pg.setColorAt(1.0, QColor(238, 228, 204));
    p.fillRect(paper, pg);
    p.setPen(QPen(QColor(176, 150, 110), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(paper.adjusted(0.5, 0.5, -0.5, -0.5));

    // Rods at top and bottom, with knobs at the bottom rod's ends.
    auto rod = [&](double y, double h, double overhang) {
        QLinearGradient rg(0, y, 0, y + h);
        rg.setColorAt(0.0, QColor(122, 82, 52));
        rg.setColorAt(0.5, QColor(84, 52, 30));
        rg.setColorAt(1.0, QColor(56, 34, 20));
        p.fillRect(QRectF(mount.left() - overhang, y, mount.width() + 2 * overhang, h), rg);
    };
    rod(mount.top() - 2, 4, 1);
    rod(mount.bottom() - 2, 5, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(160, 120, 70));
    p.drawEllipse(QPointF(mount.left() - 5, mount.bottom() + 0.5), 2.2, 3.0);
    p.drawEllipse(QPointF(mount.right() + 5, mount.bottom() + 0.5), 2.2, 3.0);

    // Hanging cord.
    p.setPen(QPen(QColor(120, 84, 54), 0.9));
    p.setBrush(Qt::NoBrush);
    QPainterPath cord;
    cord.moveTo(mount.left() + 8, mount.top() - 2);
    cord.lineTo(W / 2.0, 1);
    cord.lineTo(mount.right() - 8, mount.top() - 2);
    p.drawPath(cord);

    // Calligraphy, read top to bottom.
    QFont f(QStringLiteral("AR PL UKai CN"));
    f.setPixelSize(21);
    p.setFont(f);
    p.setPen(QColor(34, 30, 28));
    p.drawText(QRectF(paper.left(), paper.top() + 4, paper.width(), 24), Qt::AlignCenter,
               QStringLiteral("文"));
    p.drawText(QRectF(paper.left(), paper.top() + 28, paper.width(), 24), Qt::AlignCenter,
               QStringLiteral("集"));

    // Seal under the writing, with a plain inner frame.
    const QRectF sealBox(paper.center().x() - 4.5, paper.bottom() - 14, 9, 9);
    drawSeal(p, sealBox, QString(), 1);
    p.setPen(QPen(QColor(246, 232, 220), 0.8));
    p.drawRect(sealBox.adjusted(2, 2, -2, -2));
    p.end();
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts need the GUI application to exist
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = saveJpeg(drawBanner(), out.filePath(QStringLiteral("banner.jpg")));
    ok = saveJpeg(drawSplash(), out.filePath(QStringLiteral("splash.jpg"))) && ok;
    ok = saveBmp24(drawLogo(), out.filePath(QStringLiteral("logo.bmp"))) && ok;
    return ok ? 0 : 1;
}
