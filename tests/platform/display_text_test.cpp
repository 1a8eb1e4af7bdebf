#include "app/platform/DisplayText.h"

#include "framework/Errors.h"
#include "tests/platform/TempFolder.h"

namespace orlenth::platform {
namespace {

using testing::RowName;
using testing::TempFolder;

struct TextRow {
    const char* name;
    std::string_view file;
    std::string_view shown;
};

// 中文 is E4 B8 AD E6 96 87 in UTF-8 and D6 D0 CE C4 in GBK; 第一/第二 likewise.
// The emoji is outside GBK; GB18030 holds it as four bytes.
const TextRow kTextRows[] = {
    {"Empty", "", ""},
    {"AsciiUnchanged", "plain text\r\n", "plain text\r\n"},
    {"GbkUnchanged", "\xD6\xD0\xCE\xC4\r\n", "\xD6\xD0\xCE\xC4\r\n"},
    {"GbkWithUtf8LikeLeadByte", "\xC4\xE3\xBA\xC3", "\xC4\xE3\xBA\xC3"},
    {"GbkLoneTrailingLead", "ab\xD6", "ab\xD6"},
    {"Utf8WithoutMark", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
    {"Utf8WithMark", "\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
    {"MarkBeforeAscii",
     "\xEF\xBB\xBF"
     "abc",
     "abc"},
    {"MarkAlone", "\xEF\xBB\xBF", ""},
    {"Utf8LineBreaksKept", "\xE7\xAC\xAC\xE4\xB8\x80\r\n\xE7\xAC\xAC\xE4\xBA\x8C\n",
     "\xB5\xDA\xD2\xBB\r\n\xB5\xDA\xB6\xFE\n"},
    {"Utf8OutsideGbk", "a\xF0\x9F\x98\x80", "a\x94\x39\xFC\x36"},
    {"OverlongIsNotUtf8", "\xC0\xAF\xC1\xBF", "\xC0\xAF\xC1\xBF"},
    {"SurrogateIsNotUtf8", "\xED\xA0\x80", "\xED\xA0\x80"},
    {"AboveUnicodeIsNotUtf8", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},
    {"TruncatedUtf8Unchanged", "\xE4\xB8\xAD\xE6\x96", "\xE4\xB8\xAD\xE6\x96"},
    {"Utf8ThenGbkUnchanged", "\xE4\xB8\xAD\xD6\xD0", "\xE4\xB8\xAD\xD6\xD0"},
};

class DisplayTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(DisplayTextTest, BytesForWrapEngine) {
    EXPECT_EQ(DisplayBytesOf(GetParam().file), GetParam().shown);
}

// The same rows through a real file, whose name is not UTF-8 for good measure.
TEST_P(DisplayTextTest, LoadedFromFile) {
    TempFolder dir;
    const std::string p = dir.WriteFile("\xB2\xE2\xCA\xD4.txt", GetParam().file);
    EXPECT_EQ(LoadForDisplay(p), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayTextTest, ::testing::ValuesIn(kTextRows), RowName());

TEST(DisplayText, LoadsAtPathLongerThan253Bytes) {
    TempFolder dir;
    const std::string p = testing::MakeDeepFolder(dir.Path(), 300) + "a.txt";
    std::ofstream(p, std::ios::binary) << "\xD6\xD0\xCE\xC4";
    EXPECT_EQ(LoadForDisplay(p), "\xD6\xD0\xCE\xC4");
}

struct FailRow {
    const char* name;
    std::string (*make)(const TempFolder&);
};

// Tests run as root, where permissions do not stop reading; these fail to open anyway.
const FailRow kFailRows[] = {
    {"Missing", [](const TempFolder& t) { return t / "gone.txt"; }},
    {"Folder", [](const TempFolder& t) { return t.MakeFolder("notes.txt"); }},
    {"Socket", [](const TempFolder& t) { return t.MakeSocket("s.txt"); }},
    {"DanglingLink", [](const TempFolder& t) { return t.MakeLink("l.txt", t / "nowhere"); }},
    {"PathThroughAFile", [](const TempFolder& t) { return t.WriteFile("f", "x") + "/a.txt"; }},
};

class DisplayTextFailTest : public ::testing::TestWithParam<FailRow> {};

TEST_P(DisplayTextFailTest, CannotOpenFileNamesPathAsGiven) {
    TempFolder dir;
    const std::string p = GetParam().make(dir);
    try {
        LoadForDisplay(p);
        ADD_FAILURE() << "no exception for " << p;
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + p);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayTextFailTest, ::testing::ValuesIn(kFailRows), RowName());

} // namespace
} // namespace orlenth::platform
