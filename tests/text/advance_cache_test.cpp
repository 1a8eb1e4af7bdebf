#include "framework/text/AdvanceCache.h"
#include "framework/text/PageFont.h"
#include "text_test_support.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringDecoder>
#include <gtest/gtest.h>

#include <ostream>

namespace orlenth::text {
namespace {

using testing::defaultPageFont;

TEST(PageFont, StoredFacesMapToInstalledSongAndKaiFaces) {
    EXPECT_EQ(QFontInfo(pageFont(QStringLiteral("宋体"), 14)).family(), u"AR PL UMing CN");
    EXPECT_EQ(QFontInfo(pageFont(QStringLiteral("楷体_GB2312"), 14)).family(), u"AR PL UKai CN");
    EXPECT_EQ(QFontInfo(pageFont(QStringLiteral("宋体"), 14)).pixelSize(), 14);
}

struct FontCase {
    const char* name;
    QString face;
    int pixels;
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const FontCase& row, std::ostream* os) {
    *os << row.name;
}

class AdvanceCacheAgreesWithFontMetrics : public ::testing::TestWithParam<FontCase> {};

TEST_P(AdvanceCacheAgreesWithFontMetrics, OnChineseLatinAndPunctuation) {
    const QFont font = pageFont(GetParam().face, GetParam().pixels);
    AdvanceCache cache(font);
    const QFontMetricsF metrics(font);
    const QString sample =
        QStringLiteral("永國中文字测试，。、；：？！（）《》「」“”‘’…—AaBbgjWiMl019 .,;:!?()");
    for (const QChar c : sample) {
        SCOPED_TRACE(QString(c).toStdString());
        EXPECT_DOUBLE_EQ(cache.advance(c.unicode()), metrics.horizontalAdvance(c));
    }
    // The sample is all in the face itself: nothing should have gone the slow way.
    EXPECT_EQ(cache.slowMeasurements(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fonts, AdvanceCacheAgreesWithFontMetrics,
                         ::testing::Values(FontCase{"Song14", QStringLiteral("宋体"), 14},
                                           FontCase{"Song21", QStringLiteral("宋体"), 21},
                                           FontCase{"Kai16", QStringLiteral("楷体_GB2312"), 16}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(AdvanceCache, TheMetricsTableGivesWhatTheEngineMeasuresForEveryCommonCharacter) {
    // The page font takes its advances from the face's metrics table in bulk; every
    // character of GB2312 (symbols, full-width forms, the hanzi of both levels) and of
    // ASCII must then measure exactly as the engine lays it out.
    const QFont font = defaultPageFont();
    AdvanceCache cache(font);
    EXPECT_TRUE(cache.fromTable());
    const QFontMetricsF metrics(font);
    QStringDecoder gbk("GBK");
    int checked = 0;
    for (unsigned lead = 0xA1; lead <= 0xF7; ++lead)
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const QString c = gbk.decode(QByteArrayView(pair, 2));
            if (c.size() != 1 || c[0] == QChar::ReplacementCharacter || c[0].isSurrogate())
                continue;
            ASSERT_DOUBLE_EQ(cache.advance(c[0].unicode()), metrics.horizontalAdvance(c))
                << std::hex << lead << trail;
            ++checked;
        }
    for (char16_t c = 0x20; c < 0x7F; ++c)
        ASSERT_DOUBLE_EQ(cache.advance(c), metrics.horizontalAdvance(QChar(c))) << char(c);
    EXPECT_GT(checked, 7000);
}

TEST(AdvanceCache, CharactersOutsideTheFaceFallBackToFontMetrics) {
    const QFont font = defaultPageFont();
    AdvanceCache cache(font);
    const QFontMetricsF metrics(font);
    // U+1F600 is not in the Ming face; whatever face Qt falls back to decides its width.
    const char32_t emoji = 0x1F600;
    EXPECT_DOUBLE_EQ(cache.advance(emoji), metrics.horizontalAdvance(QString::fromUcs4(&emoji, 1)));
    EXPECT_EQ(cache.slowMeasurements(), 1);
    cache.advance(emoji);
    EXPECT_EQ(cache.slowMeasurements(), 1) << "a second lookup must come from the cache";
}

} // namespace
} // namespace orlenth::text
