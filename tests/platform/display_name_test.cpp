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
    {"GbkBytesShowReplacement", "\xB2\xE2.txt", u"\uFFFD\uFFFD.txt"},
    {"LoneHighByte", "\xFF", u"\uFFFD"},
    {"TruncatedSequenceAtEnd", "a\xE4\xB9", u"a\uFFFD\uFFFD"},
    {"TruncatedSequenceInMiddle", "\xE4\xB9x.txt", u"\uFFFD\uFFFDx.txt"},
    {"OverlongSlash", "\xC0\xAF", u"\uFFFD\uFFFD"},
};

class DisplayNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(DisplayNameTest, DecodedFromUtf8) {
    EXPECT_EQ(DisplayName(GetParam().bytes), QString::fromUtf16(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayNameTest, ::testing::ValuesIn(kNameRows), RowName());

// A name made only of undecodable bytes must still give a row one can see and click.
TEST(DisplayName, UndecodableNameIsNotEmpty) {
    EXPECT_FALSE(DisplayName("\xB2\xE2\xCA\xD4").isEmpty());
}

} // namespace
} // namespace orlenth::platform
