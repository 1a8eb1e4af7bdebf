// Display and GBK conversions stand alone: what one text leaves unfinished never reaches
// the next.

#include "framework/text/TextEncoding.h"

#include <gtest/gtest.h>

namespace orlenth {
namespace {

struct CutRow {
    const char* name;
    std::string_view bytes;
    QString shown;
};

// 菜单 is B2 CB B5 A5. A lone lead byte or a cut-off four-byte sequence at the end is one
// U+FFFD; the text converted next reads as if nothing came before it.
const CutRow kCutRows[] = {
    {"LoneLead", "\xB0", QString(QChar::ReplacementCharacter)},
    {"LeadBeforeLineBreak", "a\xB0\r\n", QStringLiteral("a\uFFFD\r\n")},
    {"LeadAtEnd", "ab\xB0", QStringLiteral("ab\uFFFD")},
    {"FourByteCutAfterTwo", "\x81\x30", QString(QChar::ReplacementCharacter)},
    {"FourByteCutAfterThree", "x\x81\x30\x81", QStringLiteral("x\uFFFD")},
    {"WholeFourByte", "\x81\x30\x81\x30", QStringLiteral("\u0080")},
    {"WholePair", "\xB2\xCB", QStringLiteral("菜")},
};

class DisplayConversionTest : public ::testing::TestWithParam<CutRow> {};

TEST_P(DisplayConversionTest, StandsAlone) {
    EXPECT_EQ(DisplayTextToUnicode(GetParam().bytes), GetParam().shown);
    EXPECT_EQ(DisplayTextToUnicode(std::string_view("\xB2\xCB\xB5\xA5")), QStringLiteral("菜单"));
    GbkToUnicode(GetParam().bytes);
    EXPECT_EQ(GbkToUnicode("\xB2\xCB\xB5\xA5"), QStringLiteral("菜单"));
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayConversionTest, ::testing::ValuesIn(kCutRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(GbkConversion, CutCharacterIsNotClean) {
    bool ok = true;
    GbkToUnicode("ab\xB0", &ok);
    EXPECT_FALSE(ok);
    GbkToUnicode("\xB2\xCB", &ok);
    EXPECT_TRUE(ok);
}

struct Utf8Row {
    const char* name;
    std::string_view bytes;
    bool utf8;
};

// Each row ill-formed in one way the table of well-formed sequences forbids, or just inside
// its bounds.
const Utf8Row kUtf8Rows[] = {
    {"Empty", "", true},
    {"Ascii", "abc", true},
    {"Han", "\xE8\x8F\x9C", true},
    {"FourByteLast", "\xF4\x8F\xBF\xBF", true},
    {"StrayContinuation", "a\x80", false},
    {"LoneFF",
     "a\xFF"
     "b",
     false},
    {"OverlongTwo", "\xC0\xAF", false},
    {"OverlongThree", "\xE0\x80\xAF", false},
    {"Surrogate", "\xED\xA0\x80", false},
    {"PastU10FFFF", "\xF4\x90\x80\x80", false},
    {"CutAtTheEnd", "a\xE8\x8F", false},
    {"CutBeforeAscii",
     "\xE8\x8F"
     "a",
     false},
};

class Utf8Test : public ::testing::TestWithParam<Utf8Row> {};

TEST_P(Utf8Test, TellsWellFormedFromNot) {
    EXPECT_EQ(IsUtf8(GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Rows, Utf8Test, ::testing::ValuesIn(kUtf8Rows),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlenth
