#include "app/platform/DisplayName.h"

#include "tests/platform/TempFolder.h"

namespace orlenth::platform {
namespace {

using testing::RowName;

struct NameRow {
    const char* name;
    std::string_view bytes;
    const char16_t* shown;
};

const NameRow kNameRows[] = {
    {"Empty", "", u""},
    {"Ascii", "a.TXT", u"a.TXT"},
    {"Utf8Chinese", "\xE4\xB9\xA6\xE5\xBA\x93.txt", u"\u4E66\u5E93.txt"},
    {"Utf8OutsideBmp", "\xF0\x9F\x98\x80.txt", u"\U0001F600.txt"},
    // Not UTF-8 but GB18030 (GBK): 测 = B2 E2, 第5章 = B5 DA 35 D5 C2.
    {"GbkName", "\xB2\xE2.txt", u"\u6D4B.txt"},
    {"GbkChapter",
     "\xB5\xDA"
     "5\xD5\xC2.txt",
     u"\u7B2C5\u7AE0.txt"},
    {"Gb18030FourByte", "\x81\x30\x81\x30", u"\u0080"},
    {"Utf8PrefixThenGbk", "a\xE4\xB9", u"a\u6D94"},
    // Valid UTF-8 that also reads as GBK stays UTF-8: 书库 = E4 B9 A6 E5 BA 93.
    {"ValidInBothIsUtf8", "\xE4\xB9\xA6\xE5\xBA\x93", u"\u4E66\u5E93"},
    {"ControlBytesInGbkName", "\x1B\xB2\xE2", u"\x1B\u6D4B"},
    // Valid in neither: UTF-8's face, one U+FFFD per stray byte.
    {"LoneHighByte", "\xFF", u"\uFFFD"},
    {"GbkCutAfterLeadByte", "\xB2\xE2\xB2", u"\uFFFD\uFFFD\uFFFD"},
    {"GbkBadTrailByte", "\xB2\x7F.txt", u"\uFFFD\x7F.txt"},
    {"Gb18030FourByteCut", "\x81\x30\x81", u"\uFFFD0\uFFFD"},
    {"OverlongSlashWithHighByte", "\xC0\xAF\xFF", u"\uFFFD\uFFFD\uFFFD"},
};

class DisplayNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(DisplayNameTest, DecodedFromUtf8OrGb18030) {
    EXPECT_EQ(DisplayName(GetParam().bytes), QString::fromUtf16(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayNameTest, ::testing::ValuesIn(kNameRows), RowName());

// A name made only of undecodable bytes must still give a row one can see and click.
TEST(DisplayName, UndecodableNameIsNotEmpty) {
    EXPECT_FALSE(DisplayName("\xB2\xE2\xCA\xD4").isEmpty());
}

} // namespace
} // namespace orlenth::platform
