// The reading page's paint box and its canvas: pixels drawn in a real paint, a handler
// called outside any paint, and a handler that resizes the box while it paints.

#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include "framework/Events.h"
#include "framework/text/TextEncoding.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <functional>

using namespace orlenth;

namespace painttest {

// Stands in for the window whose method the box's OnPaint is bound to.
class TPainter : public QObject {
    Q_OBJECT
public:
    std::function<void(TCanvas&)> draw;
    TPaintBox* box = nullptr;
    int paints = 0, paintsWithPainter = 0;
public slots:
    void PaintBox1Paint(orlenth::TComponent*) {
        ++paints;
        if (box->Canvas()->Painter()) ++paintsWithPainter;
        if (draw) draw(*box->Canvas());
    }
};

} // namespace painttest

using painttest::TPainter;

namespace {

constexpr QRgb kBackground = 0xFF00FF00; // the parent's green, seen where nothing is drawn
constexpr int kWhite = 0x00FFFFFF, kRed = 0x000000FF, kBlue = 0x00FF0000;

// A box on a green parent widget, its OnPaint bound to `painter`.
struct Page {
    QWidget host;
    TPaintBox box;
    TPainter painter;
    explicit Page(QSize size) {
        host.resize(size);
        QPalette p = host.palette();
        p.setColor(QPalette::Window, QColor::fromRgb(kBackground));
        host.setPalette(p);
        host.setAutoFillBackground(true);
        box.Widget()->setParent(&host);
        box.SetBounds(QRect(QPoint(0, 0), size));
        box.Widget()->show();
        box.SetColor(kWhite);
        painter.box = &box;
        box.BindEvent("OnPaint", &painter, FindHandler(painter, "PaintBox1Paint"));
    }
    QImage Render(std::function<void(TCanvas&)> draw) {
        painter.draw = std::move(draw);
        return host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

QRgb rgb(int tcolor) {
    return ToQColor(tcolor, QPalette()).rgb();
}

std::string at(const QImage& img, int x, int y) {
    return QColor(img.pixel(x, y)).name().toStdString();
}
std::string named(QRgb c) {
    return QColor(c).name().toStdString();
}

} // namespace

TEST(Canvas, RectangleFillAndFrame) {
    struct Probe {
        int x, y;
        QRgb expected;
    };
    struct Row {
        const char* name;
        TPen::TPenStyle pen;
        TBrush::TBrushStyle brush;
        std::vector<Probe> probes;
    };
    const QRgb black = rgb(0), white = rgb(kWhite);
    const Row rows[] = {
        {"solid_pen_frames_the_edge",
         TPen::psSolid,
         TBrush::bsSolid,
         {{10, 10, black},
          {19, 10, black},
          {10, 19, black},
          {19, 19, black},
          {15, 15, white},
          {11, 11, white},
          {20, 15, kBackground},
          {15, 20, kBackground},
          {9, 9, kBackground}}},
        {"clear_pen_leaves_only_the_fill",
         TPen::psClear,
         TBrush::bsSolid,
         {{10, 10, white}, {19, 19, white}, {15, 15, white}, {20, 20, kBackground}}},
        {"clear_brush_leaves_only_the_frame",
         TPen::psSolid,
         TBrush::bsClear,
         {{10, 10, black}, {19, 19, black}, {15, 15, kBackground}}},
    };
    Page page(QSize(40, 40));
    for (const Row& r : rows) {
        const QImage img = page.Render([&](TCanvas& c) {
            c.Pen()->SetStyle(r.pen);
            c.Pen()->SetColor(0);
            c.Brush()->SetStyle(r.brush);
            c.Rectangle(10, 10, 20, 20);
        });
        for (const Probe& p : r.probes)
            EXPECT_EQ(at(img, p.x, p.y), named(p.expected))
                << r.name << " at " << p.x << "," << p.y;
    }
}

TEST(Canvas, LinesLeaveOutTheEndPointAndDotAlternately) {
    Page page(QSize(50, 50));
    const QImage img = page.Render([](TCanvas& c) {
        c.Pen()->SetColor(kRed);
        c.Pen()->SetStyle(TPen::psDot);
        c.MoveTo(0, 30);
        c.LineTo(40, 30);
        c.MoveTo(45, 0);
        c.LineTo(45, 21);
        c.Pen()->SetStyle(TPen::psSolid);
        c.MoveTo(5, 5);
        c.LineTo(5, 15);
        // Leftwards: the pattern still starts at the start point.
        c.Pen()->SetStyle(TPen::psDot);
        c.MoveTo(30, 40);
        c.LineTo(20, 40);
    });
    const QRgb red = rgb(kRed);
    for (int x = 0; x <= 40; ++x)
        EXPECT_EQ(at(img, x, 30), named(x % 2 == 0 && x < 40 ? red : kBackground)) << "x " << x;
    for (int y = 0; y <= 21; ++y)
        EXPECT_EQ(at(img, 45, y), named(y % 2 == 0 && y < 21 ? red : kBackground)) << "y " << y;
    EXPECT_EQ(at(img, 5, 5), named(red));
    EXPECT_EQ(at(img, 5, 14), named(red));
    EXPECT_EQ(at(img, 5, 15), named(kBackground)) << "the end point is not drawn";
    EXPECT_EQ(at(img, 30, 40), named(red));
    EXPECT_EQ(at(img, 29, 40), named(kBackground));
    EXPECT_EQ(at(img, 20, 40), named(kBackground));
    EXPECT_EQ(at(img, 21, 40), named(kBackground));
    EXPECT_EQ(at(img, 22, 40), named(red));
}

TEST(Canvas, TextCellFilledWithASolidBrush) {
    Page page(QSize(120, 40));
    const QByteArray text = "a_";
    int width = 0, height = 0;
    auto draw = [&](TBrush::TBrushStyle brush) {
        return page.Render([&, brush](TCanvas& c) {
            c.Font()->SetColor(kBlue);
            c.Brush()->SetColor(kRed);
            c.Brush()->SetStyle(brush);
            c.TextOut(3, 4, text);
            width = c.TextWidth(text);
            height = c.TextHeight(text);
            EXPECT_EQ(c.PenPos(), QPoint(3 + width, 4));
        });
    };
    const QRgb red = rgb(kRed);
    const QImage solid = draw(TBrush::bsSolid);
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    EXPECT_EQ(at(solid, 3, 4), named(red)) << "the cell's top-left";
    // The box draws no background of its own.
    EXPECT_EQ(at(solid, 2, 4), named(kBackground));
    EXPECT_EQ(at(solid, 3 + width, 4), named(kBackground));
    EXPECT_EQ(at(solid, 3, 4 + height), named(kBackground));
    int bluish = 0;
    for (int y = 4; y < 4 + height; ++y)
        for (int x = 3; x < 3 + width; ++x)
            if (QColor(solid.pixel(x, y)).blue() > 200 && QColor(solid.pixel(x, y)).red() < 100)
                ++bluish;
    EXPECT_GT(bluish, 3) << "the glyphs in the font colour";
    EXPECT_EQ(at(solid, 3 + width - 1, 4), named(red));

    const QImage clear = draw(TBrush::bsClear);
    EXPECT_EQ(at(clear, 3, 4), named(kBackground)) << "no cell fill with a clear brush";
}

TEST(Canvas, EachPaintStartsFromTheBoxButThePenStays) {
    Page page(QSize(20, 20));
    page.box.Font()->SetHeight(-17);
    page.box.Font()->SetColor(kBlue);
    page.Render([](TCanvas& c) {
        c.Pen()->SetColor(kRed);
        c.Pen()->SetStyle(TPen::psDash);
        c.Brush()->SetColor(kBlue);
        c.Font()->SetHeight(-30);
    });
    page.Render([&](TCanvas& c) {
        EXPECT_EQ(c.Pen()->Color(), kRed);
        EXPECT_EQ(c.Pen()->Style(), TPen::psDash);
        EXPECT_EQ(c.Brush()->Color(), kWhite) << "the box's colour";
        EXPECT_EQ(c.Brush()->Style(), TBrush::bsSolid);
        EXPECT_EQ(c.Font()->Height(), -17) << "the box's font";
        EXPECT_EQ(c.Font()->Color(), kBlue);
        EXPECT_EQ(c.ClipRect(), QRect(0, 0, 20, 20));
    });
    EXPECT_EQ(page.painter.paintsWithPainter, 2);
}

TEST(PaintBox, DirectCallDrawsNothingButResizesAndRepaints) {
    Page page(QSize(60, 60));
    page.host.show();
    QApplication::processEvents();
    const int before = page.painter.paintsWithPainter;
    QRect clip(1, 1, 1, 1);
    bool hadPainter = true;
    page.painter.draw = [&](TCanvas& c) {
        hadPainter = c.Painter() != nullptr;
        clip = c.ClipRect();
        c.Pen()->SetColor(kRed);
        c.Brush()->SetColor(kBlue);
        c.Rectangle(0, 0, 60, 60);
        c.TextOut(0, 0, "x");
        page.box.SetHeight(40);
    };
    // The program calls its handler itself after new text.
    page.painter.PaintBox1Paint(&page.box);
    EXPECT_FALSE(hadPainter);
    EXPECT_TRUE(clip.isEmpty());
    EXPECT_EQ(page.box.Canvas()->Pen()->Color(), kRed) << "settings still apply";
    EXPECT_EQ(page.box.Height(), 40);
    EXPECT_EQ(page.box.Widget()->height(), 40) << "outside a paint the new size applies at once";
    page.painter.draw = nullptr;
    QApplication::processEvents();
    EXPECT_GT(page.painter.paintsWithPainter, before) << "a real paint follows";

    // Drawing alone, with the size unchanged, is followed by a real paint too.
    const int settled = page.painter.paintsWithPainter;
    page.painter.draw = [](TCanvas& c) { c.FillRect(QRect(0, 0, 5, 5)); };
    page.painter.PaintBox1Paint(&page.box);
    page.painter.draw = nullptr;
    QApplication::processEvents();
    EXPECT_EQ(page.painter.paintsWithPainter, settled + 1);
}

TEST(PaintBox, HandlerGrowingThePageInsideAPaint) {
    TScrollBox area;
    area.SetBorderStyle(TScrollBox::bsNone);
    area.SetBounds(QRect(0, 0, 200, 100));
    TPaintBox box;
    box.SetParent(&area);
    box.SetBounds(QRect(4, 2, 150, 50));
    TPainter painter;
    painter.box = &box;
    box.BindEvent("OnPaint", &painter, FindHandler(painter, "PaintBox1Paint"));
    painter.draw = [&](TCanvas& c) {
        c.Rectangle(0, 0, 150, 5000);
        box.SetHeight(5000);
    };
    area.Widget()->show();
    QApplication::processEvents();
    ASSERT_GE(painter.paintsWithPainter, 1);
    EXPECT_EQ(box.Height(), 5000);
    QApplication::processEvents();
    EXPECT_EQ(area.VertRange(), 5002);
    EXPECT_TRUE(area.VertScrollBarShown());
    EXPECT_EQ(box.Widget()->height(), 98) << "cut to the visible part";
    const int paints = painter.paints;
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_LE(painter.paints - paints, 1) << "a settled page does not keep repainting";
}

#include "paint_box_test.moc"
