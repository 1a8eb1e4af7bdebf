#include "framework/text/VerticalForms.h"

#include <gtest/gtest.h>

#include <string>

namespace orlenth::text {
namespace {

struct Row {
    const char* name;
    char32_t c;
    char32_t presentation;
    VerticalStance fallback;
};

class VerticalFormOfTest : public testing::TestWithParam<Row> {};

TEST_P(VerticalFormOfTest, GivesThePresentationFormAndTheFallback) {
    const Row& row = GetParam();
    const VerticalForm form = VerticalFormOf(row.c);
    EXPECT_EQ(form.presentation, row.presentation);
    EXPECT_EQ(form.fallback, row.fallback);
}

constexpr auto kUp = VerticalStance::Upright;
constexpr auto kMark = VerticalStance::TopRight;
constexpr auto kTurn = VerticalStance::Turned;

INSTANTIATE_TEST_SUITE_P(
    Rows, VerticalFormOfTest,
    testing::Values(Row{"HanStandsUpright", U'中', 0, kUp}, Row{"KanaStandsUpright", U'あ', 0, kUp},
                    Row{"IdeographicFullStop", U'。', U'\uFE12', kMark},
                    Row{"IdeographicComma", U'、', U'\uFE11', kMark},
                    Row{"FullWidthComma", U'，', U'\uFE10', kMark},
                    Row{"FullWidthColon", U'：', U'\uFE13', kMark},
                    Row{"FullWidthSemicolon", U'；', U'\uFE14', kMark},
                    Row{"FullWidthExclamation", U'！', U'\uFE15', kMark},
                    Row{"FullWidthQuestion", U'？', U'\uFE16', kMark},
                    Row{"CornerBracketOpens", U'「', U'\uFE41', kTurn},
                    Row{"CornerBracketCloses", U'」', U'\uFE42', kTurn},
                    Row{"WhiteCornerBracket", U'『', U'\uFE43', kTurn},
                    Row{"FullWidthParenthesis", U'（', U'\uFE35', kTurn},
                    Row{"DoubleAngleBracket", U'》', U'\uFE3E', kTurn},
                    Row{"AngleBracket", U'〈', U'\uFE3F', kTurn},
                    Row{"BlackLenticular", U'【', U'\uFE3B', kTurn},
                    Row{"EmDash", U'\u2014', U'\uFE31', kTurn},
                    Row{"Ellipsis", U'\u2026', U'\uFE19', kTurn},
                    Row{"CurlyQuoteTakesACornerBracketsForm", U'\u201C', U'\uFE41', kTurn},
                    Row{"SingleCurlyQuoteTakesAWhiteCornerBracketsForm", U'\u2019', U'\uFE44',
                        kTurn},
                    Row{"LatinLetterTurns", U'A', 0, kTurn}, Row{"DigitTurns", U'7', 0, kTurn},
                    Row{"FullWidthLetterStandsUpright", U'Ａ', 0, kUp},
                    Row{"FullWidthDigitStandsUpright", U'１', 0, kUp},
                    Row{"PastUnicodeStandsUpright", char32_t{0x110000}, 0, kUp}),
    [](const testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

// ---- Length down a column ------------------------------------------------------------

struct AdvanceRow {
    const char* name;
    char32_t c;
    double horizontal;
    bool hasPresentation;
    double expected;
};

class VerticalAdvanceTest : public testing::TestWithParam<AdvanceRow> {};

TEST_P(VerticalAdvanceTest, TakesThisLengthOfTheColumn) {
    const AdvanceRow& row = GetParam();
    EXPECT_EQ(VerticalAdvance(row.c, row.horizontal, 16.0, row.hasPresentation), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VerticalAdvanceTest,
    testing::Values(AdvanceRow{"HanTakesOneEm", U'中', 16, false, 16},
                    AdvanceRow{"NarrowUprightLetterStillFillsACell", U'\u03B1', 7, false, 16},
                    AdvanceRow{"FullWidthLetterFillsACell", U'Ａ', 16, false, 16},
                    AdvanceRow{"SentenceMarkWithAFormTakesOneEm", U'。', 16, true, 16},
                    AdvanceRow{"SentenceMarkWithoutAFormStillTakesOneEm", U'，', 16, false, 16},
                    AdvanceRow{"BracketWithAFormTakesOneEm", U'《', 12, true, 16},
                    AdvanceRow{"BracketWithoutAFormTurnsAndTakesItsWidth", U'《', 12, false, 12},
                    AdvanceRow{"CurlyQuoteWithACornerFormTakesOneEm", U'\u201C', 5, true, 16},
                    AdvanceRow{"CurlyQuoteWithoutAFormTurnsAndTakesItsWidth", U'\u201C', 5, false,
                               5},
                    AdvanceRow{"LatinLetterTurnsAndTakesItsWidth", U'W', 9.5, false, 9.5},
                    AdvanceRow{"DigitTakesItsWidth", U'7', 8, false, 8},
                    AdvanceRow{"SpaceInARunTakesItsWidth", U' ', 4, false, 4},
                    AdvanceRow{"TabTakesItsWidth", U'\t', 32, false, 32},
                    AdvanceRow{"IdeographicSpaceFillsACell", U'\u3000', 16, false, 16},
                    AdvanceRow{"JoinerWithoutAdvanceTakesNone", U'\u200D', 0, false, 0},
                    AdvanceRow{"NegativeAdvanceTakesNone", U'中', -3, false, 0}),
    [](const testing::TestParamInfo<AdvanceRow>& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlenth::text
