#include "framework/text/BreakClass.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace orlenth::text {
namespace {

struct ClassCase {
    const char* name;
    std::u32string characters; // all of one class
    BreakClass expected;
};

// Failures name the row rather than dumping its characters.
void PrintTo(const ClassCase& row, std::ostream* os) {
    *os << row.name;
}

class BreakClasses : public ::testing::TestWithParam<ClassCase> {};

TEST_P(BreakClasses, FollowTheLineBreakingProperty) {
    // The second pass is answered from the cache that the first one filled.
    for (const int pass : {1, 2})
        for (const char32_t c : GetParam().characters)
            EXPECT_EQ(breakClassOf(c), GetParam().expected)
                << "U+" << std::hex << static_cast<unsigned>(c) << ", pass " << pass;
}

INSTANTIATE_TEST_SUITE_P(
    Characters, BreakClasses,
    ::testing::Values(
        ClassCase{"HanAndKana", U"中文あア𠀀𪚥", BreakClass::Ordinary},
        ClassCase{"FullWidthLettersAndDigitsAsHan", U"ＡＺ０９", BreakClass::Ordinary},
        // The standard leaves these ambiguous; Chinese text sets them as Han.
        ClassCase{"AmbiguousResolvedTheEastAsianWay", U"①※─○〓", BreakClass::Ordinary},
        ClassCase{"StraightQuotesGoEitherWay", U"\"'", BreakClass::Ordinary},
        ClassCase{"DittoAndVerticalColonAsTheStandardSays", U"〃︰", BreakClass::Ordinary},
        ClassCase{"SpacesAndTab", U"\t 　", BreakClass::NoStart},
        ClassCase{"FullWidthClosingMarks", U"，。、；：？！）》」』”’〕】…", BreakClass::NoStart},
        ClassCase{"AsciiClosingMarks", U",.:;!?)]}%", BreakClass::NoStart},
        ClassCase{"HyphensSlashAndBar", U"-‐–/|", BreakClass::NoStart},
        ClassCase{"KanaMarksAndPostfixes", U"‥ヽゝーぁッ％°℃", BreakClass::NoStart},
        ClassCase{"ChineseMarksKeptOffLineStart", U"·﹑～", BreakClass::NoStart},
        ClassCase{"FourByteGb18030Nonstarters", U"‼⁇〜", BreakClass::NoStart},
        ClassCase{"FullWidthOpeningMarks", U"“‘《（「『〔【", BreakClass::NoEnd},
        ClassCase{"AsciiOpeningMarks", U"([{", BreakClass::NoEnd},
        ClassCase{"Prefixes", U"$+\\£¥±€№￥", BreakClass::NoEnd},
        ClassCase{"AsciiLettersAndDigits", U"azAZ09", BreakClass::Word},
        ClassCase{"OtherScriptsAndPinyin", U"αΩжЯāǚü", BreakClass::Word},
        ClassCase{"SymbolsThatBindIntoWords", U"@#&_", BreakClass::Word},
        ClassCase{"DashAndNoBreakSpace", U"—\u00A0", BreakClass::Word}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlenth::text
