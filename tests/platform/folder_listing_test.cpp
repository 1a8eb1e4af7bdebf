#include "app/platform/FolderListing.h"

#include "tests/platform/TempFolder.h"

#include <algorithm>

namespace orlenth::platform {
namespace {

using testing::RowName;
using testing::TempFolder;

struct ListingRow {
    const char* name;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::vector<std::string> listed; // in any order
};

const ListingRow kListingRows[] = {
    {"EmptyFolder", {}, {}, {}},
    {"OnlyTextSuffixes", {"a.txt", "b.md", "c.txt.bak", "txt", "d_txt", "e.tx"}, {}, {"a.txt"}},
    {"LetterCaseIgnored",
     {"a.TXT", "b.Txt", "c.tXt", "d.txt"},
     {},
     {"a.TXT", "b.Txt", "c.tXt", "d.txt"}},
    {"FolderNamedLikeText", {"x.txt"}, {"notes.txt", "plain"}, {"notes.txt", "x.txt"}},
    {"BareSuffixAndHidden", {".txt", ".hidden.txt"}, {}, {".txt", ".hidden.txt"}},
    {"NamesThatAreNotUtf8",
     {"\xB2\xE2\xCA\xD4.txt", "\xFF\xFE.TXT", "\xB2\xE2\xCA\xD4.doc"},
     {},
     {"\xB2\xE2\xCA\xD4.txt", "\xFF\xFE.TXT"}},
    {"Utf8Names", {"\xE4\xB9\xA6.txt"}, {}, {"\xE4\xB9\xA6.txt"}},
};

class FolderListingTest : public ::testing::TestWithParam<ListingRow> {};

TEST_P(FolderListingTest, ListsTextEntries) {
    const ListingRow& r = GetParam();
    TempFolder dir;
    for (const auto& f : r.files) dir.WriteFile(f, "x");
    for (const auto& f : r.folders) dir.MakeFolder(f);
    std::vector<std::string> got = ListTextEntries(dir.Path());
    std::vector<std::string> want = r.listed;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(Rows, FolderListingTest, ::testing::ValuesIn(kListingRows), RowName());

// The order is a reader's, whatever the directory's: numbers as numbers, ties by bytes.
TEST(FolderListing, SortsForReading) {
    TempFolder dir;
    const std::vector<std::string> want = {"1.txt", "2.txt", "10.txt", "第2章.txt", "第10章.txt",
                                           "a.txt", "b.txt", "c.txt",  "\xFE.txt",  "\xFF.txt"};
    for (auto it = want.rbegin(); it != want.rend(); ++it) dir.WriteFile(*it, "");
    const std::vector<std::string> got = ListTextEntries(dir.Path());
    // Chinese and Latin names may come in either block; within each the order is fixed.
    auto pos = [&](const std::string& n) {
        return std::find(got.begin(), got.end(), n) - got.begin();
    };
    ASSERT_EQ(got.size(), want.size());
    EXPECT_LT(pos("2.txt"), pos("10.txt"));
    EXPECT_LT(pos(want[3]), pos(want[4]));
    EXPECT_LT(pos("a.txt"), pos("b.txt"));
    EXPECT_LT(pos("b.txt"), pos("c.txt"));
    // Both show as U+FFFD ".txt", so they collate alike: the bytes decide.
    EXPECT_EQ(pos("\xFE.txt") + 1, pos("\xFF.txt"));
    // The same names in any directory order give the same list.
    std::vector<std::string> shuffled = got;
    std::reverse(shuffled.begin(), shuffled.end());
    SortForReading(shuffled);
    EXPECT_EQ(shuffled, got);
}

struct MissingRow {
    const char* name;
    std::string (*path)(const TempFolder&);
};

const MissingRow kMissingRows[] = {
    {"EmptyPath", [](const TempFolder&) { return std::string(); }},
    {"NoSuchFolder", [](const TempFolder& t) { return t / "gone/"; }},
    {"PathIsAFile", [](const TempFolder& t) { return t.WriteFile("a.txt", "x"); }},
    {"DanglingLink", [](const TempFolder& t) { return t.MakeLink("link", t / "nowhere"); }},
};

class FolderListingMissingTest : public ::testing::TestWithParam<MissingRow> {};

TEST_P(FolderListingMissingTest, GivesEmptyList) {
    TempFolder dir;
    EXPECT_TRUE(ListTextEntries(GetParam().path(dir)).empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, FolderListingMissingTest, ::testing::ValuesIn(kMissingRows),
                         RowName());

TEST(FolderListing, FolderRemovedBetweenCalls) {
    TempFolder dir;
    const std::string sub = dir.MakeFolder("sub") + "/";
    std::ofstream(sub + "a.txt") << "x";
    EXPECT_EQ(ListTextEntries(sub), std::vector<std::string>{"a.txt"});
    std::filesystem::remove_all(sub);
    EXPECT_TRUE(ListTextEntries(sub).empty());
}

TEST(FolderListing, PathLongerThan253Bytes) {
    TempFolder dir;
    const std::string deep = testing::MakeDeepFolder(dir.Path(), 300);
    ASSERT_GT(deep.size(), 253u);
    std::ofstream(deep + "Deep.TXT") << "x";
    std::ofstream(deep + "deep.bin") << "x";
    EXPECT_EQ(ListTextEntries(deep), std::vector<std::string>{"Deep.TXT"});
}

} // namespace
} // namespace orlenth::platform
