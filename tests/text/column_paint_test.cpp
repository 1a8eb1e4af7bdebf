// Columns as drawn: the glyphs of a row, upright and in the same order down the column;
// punctuation in its vertical form; Latin runs turned, short numbers across.

#include "framework/text/ColumnPaint.h"
#include "framework/text/VerticalForms.h"
#include "text_test_support.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orlenth::text {
namespace {

using testing::defaultPageFont;
using testing::toGbk;

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The smallest rectangle of `area` holding every pixel that is not white; empty if none.
QRect InkIn(const QImage& image, const QRect& area) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
    return ink;
}

QImage InkOf(const QImage& image, const QRect& area) {
    return image.copy(InkIn(image, area));
}

// A column of `text` drawn in the default page font, its strip one cell wide from x = cell.
struct Column {
    explicit Column(const QString& text, const QFont& font = defaultPageFont(), int height = 400)
        : cache(font), metrics(cache, Flow::Columns),
          cell(static_cast<int>(std::ceil(metrics.em()))), image(Blank(3 * cell, height)) {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        const std::string gbk = toGbk(text);
        ColumnPainter(metrics).paint(
            painter, QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())), cell, 0, cell);
    }
    double lengthOf(char32_t c) const {
        return static_cast<double>(GbkMetrics::advance(metrics.of(c))) / GbkMetrics::kSubpixels;
    }
    AdvanceCache cache;
    GbkMetrics metrics;
    int cell;
    QImage image;
};

// `text` drawn as the page draws a row (TCanvas::TextOut): one call, baseline at the ascent.
QImage Row(const QString& text, int width, int height) {
    QImage image = Blank(width, height);
    QPainter painter(&image);
    painter.setFont(defaultPageFont());
    painter.setPen(Qt::black);
    painter.drawText(QPoint(0, QFontMetrics(defaultPageFont()).ascent()), text);
    return image;
}

TEST(ColumnPaint, HanCharactersStandUprightInTheRowsOrder) {
    const QString text = QStringLiteral("春眠不觉晓处处闻");
    const Column column(text);
    const int cell = column.cell;
    ASSERT_NEAR(column.lengthOf(U'春'), cell, 1.0 / GbkMetrics::kSubpixels);
    const int rowHeight = 2 * cell;
    const QImage row = Row(text, cell * static_cast<int>(text.size()) + cell, rowHeight);
    for (int k = 0; k < text.size(); ++k) {
        const QImage down = InkOf(column.image, QRect(cell, k * cell, cell, cell));
        const QImage across = InkOf(row, QRect(k * cell, 0, cell, rowHeight));
        ASSERT_FALSE(down.isNull()) << "nothing drawn in cell " << k;
        EXPECT_EQ(down, across) << "cell " << k << " is not the row's character " << k;
        // Distinct characters draw distinct glyphs, so the order is what is checked.
        if (k > 0 && text[k] != text[k - 1]) {
            EXPECT_NE(down, InkOf(row, QRect((k - 1) * cell, 0, cell, rowHeight)));
        }
    }
    // Nothing strays out of the strip.
    EXPECT_TRUE(InkIn(column.image, QRect(0, 0, cell, column.image.height())).isNull());
    EXPECT_TRUE(InkIn(column.image, QRect(2 * cell, 0, cell, column.image.height())).isNull());
}

TEST(ColumnPaint, AFullStopTakesItsVerticalForm) {
    const Column column(QStringLiteral("中。"));
    const int cell = column.cell;
    const QRect second(cell, cell, cell, cell);
    const QRect ink = InkIn(column.image, second);
    ASSERT_FALSE(ink.isNull());
    if (column.metrics.hasPresentation(U'\uFE12')) {
        const QImage form = Row(QString(QChar(0xFE12)), 2 * cell, 2 * cell);
        EXPECT_EQ(column.image.copy(ink), InkOf(form, form.rect()));
    }
    // Either way the mark sits in the cell's top right quarter, where a column wants it.
    EXPECT_GE(ink.center().x(), second.center().x());
    EXPECT_LE(ink.center().y(), second.center().y());
}

TEST(ColumnPaint, AFaceWithoutTheFormsPutsTheMarkTopRightAndLeavesHanToItsFallbacks) {
    // A Latin face: no presentation forms, no Han; its fallbacks draw 中 and 。.
    QFont latin(QStringLiteral("DejaVu Sans"));
    latin.setPixelSize(14);
    const Column column(QStringLiteral("中。"), latin);
    ASSERT_FALSE(column.metrics.hasPresentation(U'\uFE12'));
    const int cell = column.cell;
    EXPECT_FALSE(InkIn(column.image, QRect(cell, 0, cell, cell)).isNull()) << "中 not drawn";
    const QRect second(cell, cell, cell, cell);
    const QRect ink = InkIn(column.image, second);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.center().x(), second.center().x());
    EXPECT_LE(ink.center().y(), second.center().y());
}

TEST(ColumnPaint, ALatinRunIsTurnedAndTheColumnGoesOnAfterIt) {
    const Column column(QStringLiteral("中abcdef文"));
    const int cell = column.cell;
    double run = 0;
    for (const char32_t c : std::u32string(U"abcdef")) run += column.lengthOf(c);
    const QRect runInk =
        InkIn(column.image, QRect(cell, cell, cell, static_cast<int>(std::ceil(run))));
    ASSERT_FALSE(runInk.isNull());
    EXPECT_GT(runInk.height(), runInk.width()) << "the run is not turned";
    // 文 starts where the run's measured length ends.
    const int after = cell + static_cast<int>(std::round(run));
    const QImage wen = InkOf(column.image, QRect(cell, after, cell, cell));
    const QImage alone = InkOf(Column(QStringLiteral("文")).image, QRect(cell, 0, cell, cell));
    EXPECT_EQ(wen, alone);
}

TEST(ColumnPaint, TwoDigitsStandAcross) {
    const Column column(QStringLiteral("12"));
    const QImage down = InkOf(column.image, column.image.rect());
    const QImage across = InkOf(Row(QStringLiteral("12"), 4 * column.cell, 2 * column.cell),
                                QRect(0, 0, 4 * column.cell, 2 * column.cell));
    ASSERT_FALSE(down.isNull());
    EXPECT_EQ(down, across);
    const Column turned(QStringLiteral("123"));
    const QRect ink = InkIn(turned.image, turned.image.rect());
    EXPECT_GT(ink.height(), ink.width()) << "three digits are a run, turned";
}

TEST(ColumnPaint, TheRuleLightsEveryOtherPixelDownTheGivenLength) {
    AdvanceCache cache(defaultPageFont());
    const GbkMetrics metrics(cache, Flow::Columns);
    ColumnPainter columns(metrics);
    QImage image = Blank(20, 100);
    {
        QPainter painter(&image);
        painter.setPen(Qt::red);
        columns.paintRule(painter, 10, 20, 5);
        // A longer rule, then one in another colour: the dots are made again.
        columns.paintRule(painter, 12, 20, 50);
        painter.setPen(Qt::blue);
        columns.paintRule(painter, 14, 30, 9);
    }
    for (int y = 0; y < 100; ++y) {
        const auto lit = [&](int from, int length) {
            return y >= from && y < from + length && (y - from) % 2 == 0;
        };
        EXPECT_EQ(image.pixel(10, y), lit(20, 5) ? qRgb(255, 0, 0) : qRgb(255, 255, 255)) << y;
        EXPECT_EQ(image.pixel(12, y), lit(20, 50) ? qRgb(255, 0, 0) : qRgb(255, 255, 255)) << y;
        EXPECT_EQ(image.pixel(14, y), lit(30, 9) ? qRgb(0, 0, 255) : qRgb(255, 255, 255)) << y;
    }
    EXPECT_TRUE(InkIn(image, QRect(0, 0, 10, 100)).isNull());
}

} // namespace
} // namespace orlenth::text
