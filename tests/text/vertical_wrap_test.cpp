// Columns: the wrap engine measuring lengths down a column, at the page's height.

#include "framework/text/GbkDecoder.h"
#include "framework/text/VerticalForms.h"
#include "framework/text/WrapEngine.h"
#include "text_test_support.h"

#include <QFontMetricsF>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlenth::text {
namespace {

using testing::defaultPageFont;
using testing::toGbk;

class Columns {
public:
    Columns()
        : cache_(defaultPageFont()), metrics_(cache_, Flow::Columns), fm_(defaultPageFont()) {}

    const GbkMetrics& metrics() const { return metrics_; }
    double em() const { return metrics_.em(); }
    double lengthOf(char32_t c) const {
        return static_cast<double>(GbkMetrics::advance(metrics_.of(c))) / GbkMetrics::kSubpixels;
    }
    double widthOf(char32_t c) const { return fm_.horizontalAdvance(QString::fromUcs4(&c, 1)); }
    std::vector<std::string> columns(const QString& text, double height) const {
        const std::string gbk = toGbk(text);
        std::vector<std::string> out;
        for (const DisplayLine& l : wrapText(gbk, height, metrics_)) {
            const std::u32string s =
                GbkDecoder::instance().decode(std::string_view(gbk).substr(l.start, l.length));
            out.push_back(
                QString::fromUcs4(s.data(), static_cast<qsizetype>(s.size())).toStdString());
        }
        return out;
    }

private:
    AdvanceCache cache_;
    GbkMetrics metrics_;
    QFontMetricsF fm_;
};

const Columns& columns() {
    static const Columns c;
    return c;
}

TEST(VerticalMetrics, TheEmIsTheCellOfAnIdeograph) {
    const QFontMetricsF fm(defaultPageFont());
    EXPECT_DOUBLE_EQ(columns().em(), fm.horizontalAdvance(QStringLiteral("中")));
    EXPECT_GT(columns().em(), 0);
}

TEST(VerticalMetrics, UprightCharactersTakeOneEmAndTurnedOnesTheirWidth) {
    const Columns& c = columns();
    const double em = c.em();
    // Rounded up to the table's 1/64 pixel.
    const double unit = 1.0 / GbkMetrics::kSubpixels;
    for (const char32_t up : {U'中', U'。', U'，', U'？', U'Ａ', U'\u3000'})
        EXPECT_NEAR(c.lengthOf(up), em, unit) << static_cast<std::uint32_t>(up);
    for (const char32_t turned : {U'A', U'i', U'W', U'7', U' '})
        EXPECT_NEAR(c.lengthOf(turned), c.widthOf(turned), unit)
            << static_cast<std::uint32_t>(turned);
}

TEST(VerticalMetrics, BracketsTakeACellWhenTheFaceHasTheirFormAndTurnOtherwise) {
    const Columns& c = columns();
    for (const char32_t bracket : {U'《', U'「', U'（', U'\u2014', U'\u2026'}) {
        const char32_t form = VerticalFormOf(bracket).presentation;
        ASSERT_NE(form, 0u);
        const double expected = c.metrics().hasPresentation(form) ? c.em() : c.widthOf(bracket);
        EXPECT_NEAR(c.lengthOf(bracket), expected, 1.0 / GbkMetrics::kSubpixels)
            << static_cast<std::uint32_t>(bracket);
    }
    EXPECT_FALSE(c.metrics().hasPresentation(U'中'));
}

TEST(VerticalMetrics, RowsAreMeasuredAsBefore) {
    AdvanceCache cache(defaultPageFont());
    const GbkMetrics rows(cache);
    EXPECT_EQ(rows.flow(), Flow::Rows);
    const QFontMetricsF fm(defaultPageFont());
    EXPECT_NEAR(static_cast<double>(GbkMetrics::advance(rows.of(U'A'))) / GbkMetrics::kSubpixels,
                fm.horizontalAdvance(QLatin1Char('A')), 1.0 / GbkMetrics::kSubpixels);
}

struct ColumnCase {
    const char* name;
    QString text;
    double ems;     // the page's height in cells...
    double extraPx; // ...plus these pixels
    std::vector<std::string> expected;
};

void PrintTo(const ColumnCase& row, std::ostream* os) {
    *os << row.name;
}

class VerticalWrap : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(VerticalWrap, GivesTheseColumns) {
    const ColumnCase& row = GetParam();
    const double height = row.ems * columns().em() + row.extraPx;
    EXPECT_EQ(columns().columns(row.text, height), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, VerticalWrap,
                         ::testing::Values(ColumnCase{"HanFillsColumnsOfWholeCells",
                                                      QStringLiteral("春眠不觉晓处处闻啼鸟"),
                                                      4,
                                                      0.5,
                                                      {"春眠不觉", "晓处处闻", "啼鸟"}},
                                           ColumnCase{"AFullStopNeverOpensAColumn",
                                                      QStringLiteral("春眠不觉。晓处"),
                                                      4,
                                                      0.5,
                                                      {"春眠不", "觉。晓处"}},
                                           ColumnCase{"AnOpeningBracketNeverEndsAColumn",
                                                      QStringLiteral("春眠不「觉晓」"),
                                                      4,
                                                      0.5,
                                                      {"春眠不", "「觉晓」"}},
                                           ColumnCase{"HardBreaksEndColumns",
                                                      QStringLiteral("春眠\r\n\r\n不觉"),
                                                      4,
                                                      0,
                                                      {"春眠", "", "不觉"}},
                                           ColumnCase{"ACharacterTallerThanTheColumnStandsAlone",
                                                      QStringLiteral("春眠"),
                                                      0.5,
                                                      0,
                                                      {"春", "眠"}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(VerticalWrap, ALatinRunTakesItsTurnedLength) {
    const Columns& c = columns();
    const double run = c.lengthOf(U'a') + c.lengthOf(U'b') + c.lengthOf(U'c');
    const QString text = QStringLiteral("春眠abc不觉晓");
    EXPECT_EQ(c.columns(text, 3 * c.em() + run), (std::vector<std::string>{"春眠abc不", "觉晓"}));
    EXPECT_EQ(c.columns(text, 3 * c.em() + run - 1),
              (std::vector<std::string>{"春眠abc", "不觉晓"}));
}

TEST(VerticalWrapEngine, WrapsColumnsAtTheHeightAndBackToRows) {
    const std::string text =
        toGbk(QStringLiteral("春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。"));
    WrapEngine engine(defaultPageFont(), 0);
    engine.setText(QByteArray::fromStdString(text));
    const double em = columns().em();
    engine.setWidth(static_cast<int>(5.5 * em));
    const std::size_t rows = engine.lineCount();
    EXPECT_EQ(engine.flow(), Flow::Rows);

    engine.setFlow(Flow::Columns);
    EXPECT_EQ(engine.metrics().flow(), Flow::Columns);
    const std::vector<DisplayLine> expected =
        wrapText(text, static_cast<int>(5.5 * em), columns().metrics());
    ASSERT_EQ(engine.lineCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(engine.lineStart(i), expected[i].start);

    engine.setFlow(Flow::Rows);
    EXPECT_EQ(engine.lineCount(), rows);
}

TEST(VerticalWrapEngine, ALongTextWrapsInColumnsInTheBackgroundAsInOneGo) {
    // Past what the engine wraps at once, so workers wrap the rest with the column table.
    QString prose;
    while (prose.size() < 200'000)
        prose += QStringLiteral("春眠不觉晓，处处闻啼鸟。“夜来风雨声”，花落知多少？abc 12 月\r\n");
    const std::string text = toGbk(prose);
    ASSERT_GT(text.size(), kWrapAtOnceBytes);
    const int height = static_cast<int>(7.5 * columns().em());
    const std::vector<DisplayLine> expected = wrapText(text, height, columns().metrics());
    WrapEngine engine(defaultPageFont(), height);
    engine.setFlow(Flow::Columns);
    engine.setText(QByteArray::fromStdString(text));
    ASSERT_EQ(engine.lineCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); i += 97)
        ASSERT_EQ(engine.lineStart(i), expected[i].start) << "column " << i;
    EXPECT_EQ(engine.lineStart(expected.size() - 1), expected.back().start);
}

} // namespace
} // namespace orlenth::text
