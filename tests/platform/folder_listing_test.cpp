#include "app/platform/FolderListing.h"

#include "tests/platform/TempFolder.h"

#include <algorithm>
#include <dirent.h>

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

// The order is the directory's own, not sorted: compare with what readdir reports.
TEST(FolderListing, KeepsDirectoryOrder) {
    TempFolder dir;
    for (const char* n : {"m.txt", "a.txt", "z.txt", "B.TXT", "k.txt", "c.txt", "q.txt"})
        dir.WriteFile(n, "");
    std::vector<std::string> readdirOrder;
    DIR* d = ::opendir(dir.Path().c_str());
    ASSERT_NE(d, nullptr);
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') readdirOrder.emplace_back(e->d_name);
    ::closedir(d);
    EXPECT_EQ(ListTextEntries(dir.Path()), readdirOrder);
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
