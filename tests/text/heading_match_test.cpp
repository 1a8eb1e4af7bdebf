// Which single lines are chapter headings, by which rule and with which number, and which
// look-alikes from the prose are not.

#include "framework/text/HeadingMatch.h"
#include "text_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace orlenth::text {
namespace {

using testing::toGbk;

struct LineRow {
    const char* name;
    const char* line; // UTF-8 here, GBK to the matcher
    std::optional<HeadingRule> rule;
    std::uint32_t number;
};

void PrintTo(const LineRow& row, std::ostream* os) {
    *os << row.name;
}

class HeadingLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(HeadingLines, MatchTheRuleAndNumber) {
    const LineRow& row = GetParam();
    const std::string gbk = toGbk(QString::fromUtf8(row.line));
    const std::optional<HeadingMatch> m = MatchHeadingLine(gbk);
    ASSERT_EQ(m.has_value(), row.rule.has_value());
    if (!m) return;
    EXPECT_EQ(m->rule, *row.rule);
    EXPECT_EQ(m->number, row.number);
}

constexpr std::optional<HeadingRule> kNone;

INSTANTIATE_TEST_SUITE_P(
    Lines, HeadingLines,
    ::testing::Values(
        // 第 + number + suffix, every suffix and numeral form.
        LineRow{"ChineseNumberWithTitle", "第十二章 风起", HeadingRule::Zhang, 12},
        LineRow{"AsciiDigitsTitleJoined", "第12章风起", HeadingRule::Zhang, 12},
        LineRow{"FullWidthDigits", "第１２回", HeadingRule::Hui, 12},
        LineRow{"HundredsWithZero", "第一百零三章 夜雨", HeadingRule::Zhang, 103},
        LineRow{"DigitByDigit", "第一〇三章", HeadingRule::Zhang, 103},
        LineRow{"Liang", "第两百章", HeadingRule::Zhang, 200},
        LineRow{"TenAlone", "第十章", HeadingRule::Zhang, 10},
        LineRow{"TenThousands", "第一万零一章", HeadingRule::Zhang, 10001},
        LineRow{"FinancialNumerals", "第壹拾贰回 归来", HeadingRule::Hui, 12},
        LineRow{"SpacesAroundNumber", "第 3 节 开端", HeadingRule::Jie, 3},
        LineRow{"Volume", "第一卷 风云", HeadingRule::Juan, 1},
        LineRow{"Episode", "第二集", HeadingRule::Ji, 2},
        LineRow{"Part", "第三部 远方", HeadingRule::Bu, 3},
        LineRow{"Piece", "第四篇", HeadingRule::Pian, 4},
        LineRow{"HugeNumberSaturates", "第99999999999章", HeadingRule::Zhang, 0xFFFFFFFFu},
        LineRow{"IndentedAscii", "    第五章", HeadingRule::Zhang, 5},
        LineRow{"IndentedTab", "\t第五章", HeadingRule::Zhang, 5},
        LineRow{"IndentedFullWidth", "　　第五章 夜", HeadingRule::Zhang, 5},
        LineRow{"TrailingSpaces", "第六章  ", HeadingRule::Zhang, 6},
        LineRow{"ThirtyCharacters", "第一章一二三四五六七八九十一二三四五六七八九十一二三四五六七",
                HeadingRule::Zhang, 1},
        // Named parts.
        LineRow{"Wedge", "楔子", HeadingRule::Named, 0},
        LineRow{"Preface", "序", HeadingRule::Named, 0},
        LineRow{"PrefaceChapter", "序章 缘起", HeadingRule::Named, 0},
        LineRow{"EpilogueWithTitle", "尾声 归去", HeadingRule::Named, 0},
        LineRow{"AfterwordColon", "后记：写在最后", HeadingRule::Named, 0},
        LineRow{"ExtraNumbered", "番外一 旧事", HeadingRule::Named, 0},
        LineRow{"ExtraPiece", "番外篇", HeadingRule::Named, 0},
        LineRow{"Closing", "完本感言", HeadingRule::Named, 0},
        // Chapter N.
        LineRow{"EnglishDigits", "Chapter 12", HeadingRule::English, 12},
        LineRow{"EnglishRomanUpper", "CHAPTER IV", HeadingRule::English, 4},
        LineRow{"EnglishTitleColon", "chapter 3: The Road", HeadingRule::English, 3},
        LineRow{"EnglishRomanTitle", "Chapter XIV The End", HeadingRule::English, 14},
        // Look-alikes from the prose.
        LineRow{"RoundOfAFight", "第三回合他才明白", kNone, 0},
        LineRow{"FirstTime", "第一次见面", kNone, 0}, LineRow{"ArmyGroup", "第三集团军", kNone, 0},
        LineRow{"NextDay", "第二天", kNone, 0}, LineRow{"FirstPlace", "第一名", kNone, 0},
        LineRow{"NumberWithoutSuffix", "第三", kNone, 0},
        LineRow{"PartOfSomething", "第一部分", kNone, 0},
        LineRow{"Programme", "第三节课", kNone, 0},
        LineRow{"LongProseLine",
                "第一章还没写完，他就把笔放下了，望着窗外的雨，想起了许多年前的那个夜晚。", kNone,
                0},
        LineRow{"ThirtyOneCharacters",
                "第一章一二三四五六七八九十一二三四五六七八九十一二三四五六七八", kNone, 0},
        LineRow{"EndsAsASentence", "第三章写完了。", kNone, 0},
        LineRow{"SerialNumber", "序列号", kNone, 0}, LineRow{"RememberedLater", "后记得", kNone, 0},
        LineRow{"EnglishPlural", "Chapters 3", kNone, 0},
        LineRow{"EnglishNoNumber", "Chapter", kNone, 0},
        LineRow{"EnglishWordNotNumeral", "Chapter Ivan", kNone, 0},
        LineRow{"MixedNumeralKinds", "第1二章", kNone, 0}, LineRow{"OnlySpaces", "   ", kNone, 0},
        LineRow{"ProseStartingWithC", "Cats sleep", kNone, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(HeadingLines, LongerThanTheByteBoundIsNoHeading) {
    // 30 characters after a long indentation: within the character limit, past the bytes.
    const std::string line = std::string(250, ' ') + toGbk(QStringLiteral("第一章 风起"));
    EXPECT_FALSE(MatchHeadingLine(line));
    EXPECT_TRUE(MatchHeadingLine(line.substr(200)));
}

TEST(HeadingLines, BadBytesAreNoHeadingAndNoFault) {
    const std::string first = toGbk(QStringLiteral("第"));
    EXPECT_FALSE(MatchHeadingLine(first));                       // 第 alone
    EXPECT_FALSE(MatchHeadingLine(first.substr(0, 1)));          // half a character
    EXPECT_FALSE(MatchHeadingLine(first + "\x81\x30" + "\xff")); // a cut four-byte sequence
}

struct NumeralRow {
    const char* name;
    std::u32string_view numeral;
    std::optional<std::uint32_t> value;
};

void PrintTo(const NumeralRow& row, std::ostream* os) {
    *os << row.name;
}

class ChineseNumerals : public ::testing::TestWithParam<NumeralRow> {};

TEST_P(ChineseNumerals, ReadAsTheirValue) {
    EXPECT_EQ(ChineseNumberValue(GetParam().numeral), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Numerals, ChineseNumerals,
    ::testing::Values(NumeralRow{"One", U"一", 1}, NumeralRow{"Twelve", U"十二", 12},
                      NumeralRow{"TwentyOne", U"二十一", 21},
                      NumeralRow{"HundredAndThree", U"一百零三", 103},
                      NumeralRow{"TwoHundredLiang", U"两百", 200},
                      NumeralRow{"Positional", U"二〇二六", 2026},
                      NumeralRow{"ThousandsAndTens", U"三千零五十", 3050},
                      NumeralRow{"TenThousand", U"万", 10000},
                      NumeralRow{"BelowAndAboveWan", U"十二万三千四百五十六", 123456},
                      NumeralRow{"Financial", U"贰佰叁拾肆", 234},
                      NumeralRow{"DigitsAreNotChinese", U"12", std::nullopt},
                      NumeralRow{"Empty", U"", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlenth::text
