#include "app/platform/FolderPath.h"

#include "tests/platform/TempFolder.h"

namespace orlenth::platform {
namespace {

using testing::RowName;

struct PathRow {
    const char* name;
    PathStyle style;
    std::string_view argument;
    std::string_view folder;
    std::string_view tab;
};

// GBK bytes: 书库 = CA E9 BF E2, 小说 = D0 A1 CB B5, and 乗 = 81 5C, whose second byte
// is the backslash.
const PathRow kPathRows[] = {
    {"PosixEmptyArgument", PathStyle::Posix, "", "", ""},
    {"PosixNoSeparator", PathStyle::Posix, "notes.txt", "", ""},
    {"PosixFileInFolder", PathStyle::Posix, "/home/u/books/a.txt", "/home/u/books/", "books"},
    {"PosixTrailingSlash", PathStyle::Posix, "/home/u/books/", "/home/u/books/", "books"},
    {"PosixFileInRoot", PathStyle::Posix, "/a.txt", "/", "/"},
    {"PosixShortFolderIsNamed", PathStyle::Posix, "/a/b.txt", "/a/", "a"},
    {"PosixDoubledSlash", PathStyle::Posix, "/x//a.txt", "/x//", "x"},
    {"PosixRelativeFolder", PathStyle::Posix, "books/a.txt", "books/", "books"},
    {"PosixBackslashIsPartOfName", PathStyle::Posix, "/x/a\\b/c.txt", "/x/a\\b/", "a\\b"},
    {"PosixColonIsPartOfName", PathStyle::Posix, "/x/d:e/c.txt", "/x/d:e/", "d:e"},
    {"PosixUtf8Folder", PathStyle::Posix, "/\xE4\xB9\xA6/a.txt", "/\xE4\xB9\xA6/", "\xE4\xB9\xA6"},
    {"WindowsEmptyArgument", PathStyle::Windows, "", "", ""},
    {"WindowsNoSeparator", PathStyle::Windows, "a.txt", "", ""},
    {"WindowsFileInFolder", PathStyle::Windows, "D:\\\xCA\xE9\xBF\xE2\\a.txt",
     "D:\\\xCA\xE9\xBF\xE2\\", "\xCA\xE9\xBF\xE2"},
    {"WindowsNestedFolder", PathStyle::Windows, "D:\\\xCA\xE9\xBF\xE2\\\xD0\xA1\xCB\xB5\\",
     "D:\\\xCA\xE9\xBF\xE2\\\xD0\xA1\xCB\xB5\\", "\xD0\xA1\xCB\xB5"},
    {"WindowsFolderWithoutTrailingSeparator", PathStyle::Windows, "D:\\\xCA\xE9\xBF\xE2", "D:\\",
     "D:\\"},
    {"WindowsDriveAndName", PathStyle::Windows, "C:a.txt", "C:", "C:"},
    {"WindowsFourByteFolderIsNamed", PathStyle::Windows, "C:\\x\\a.txt", "C:\\x\\", "x"},
    {"WindowsSlashIsNoSeparator", PathStyle::Windows, "D:/x/a.txt", "D:", "D:"},
    {"WindowsTrailByteIsNoSeparator", PathStyle::Windows,
     "D:\\x\\\x81\x5C"
     "b.txt",
     "D:\\x\\", "x"},
    {"WindowsTrailByteOnlyGivesNothing", PathStyle::Windows,
     "\x81\x5C"
     "b.txt",
     "", ""},
    {"WindowsTabNameKeepsTrailByte", PathStyle::Windows, "D:\\x\\ab\x81\x5C\\f.txt",
     "D:\\x\\ab\x81\x5C\\", "ab\x81\x5C"},
    {"WindowsSeparatorAfterDoubleByte", PathStyle::Windows, "D:\\\x81\x5C\\b.txt", "D:\\\x81\x5C\\",
     "\x81\x5C"},
    {"WindowsLoneLeadByteAtEnd", PathStyle::Windows, "D:\\x\\\x81", "D:\\x\\", "x"},
    {"WindowsUncShare", PathStyle::Windows, "\\\\srv\\share\\a.txt", "\\\\srv\\share\\", "share"},
};

class FolderPathTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(FolderPathTest, FolderAndTab) {
    const PathRow& r = GetParam();
    const std::string folder = FolderPathOf(r.argument, r.style);
    EXPECT_EQ(folder, r.folder);
    EXPECT_EQ(FolderTabName(folder, r.style), r.tab);
}

INSTANTIATE_TEST_SUITE_P(Rows, FolderPathTest, ::testing::ValuesIn(kPathRows), RowName());

struct ResolveRow {
    const char* name;
    std::string_view argument;
    std::string_view workingDirectory;
    std::string_view path;
};

const ResolveRow kResolveRows[] = {
    {"EmptyArgument", "", "/home/u", ""},
    {"AbsoluteStays", "/srv/a.txt", "/home/u", "/srv/a.txt"},
    {"BareNameJoinsWorkingDirectory",
     "\xE7\xAC\xAC"
     "5.txt",
     "/home/u",
     "/home/u/\xE7\xAC\xAC"
     "5.txt"},
    {"RelativeFolderJoins", "books/x", "/home/u", "/home/u/books/x"},
    {"WorkingDirectoryWithSlash", "a.txt", "/", "/a.txt"},
    {"DotsStayForTheKernel", "../x/./a.txt", "/home/u", "/home/u/../x/./a.txt"},
    {"UnknownWorkingDirectoryKeepsRelative", "a.txt", "", "a.txt"},
    {"ControlBytesKept", "a\x1B\n.txt", "/w", "/w/a\x1B\n.txt"},
};

class ResolveAgainstTest : public ::testing::TestWithParam<ResolveRow> {};

TEST_P(ResolveAgainstTest, Path) {
    const ResolveRow& r = GetParam();
    EXPECT_EQ(ResolveAgainst(r.argument, r.workingDirectory), r.path);
}

INSTANTIATE_TEST_SUITE_P(Rows, ResolveAgainstTest, ::testing::ValuesIn(kResolveRows), RowName());

struct TargetRow {
    const char* name;
    std::string_view path;
    bool namesFolder;
    std::string_view folder;
    std::string_view file;
};

const TargetRow kTargetRows[] = {
    {"EmptyPath", "", false, "", ""},
    {"EmptyPathThatIsAFolder", "", true, "", ""},
    {"FolderWithoutSlash", "/home/u/novels", true, "/home/u/novels/", ""},
    {"FolderWithSlash", "/home/u/novels/", true, "/home/u/novels/", ""},
    {"Root", "/", true, "/", ""},
    {"FileInFolder", "/home/u/novels/a.txt", false, "/home/u/novels/", "a.txt"},
    {"FileWithoutSuffix", "/home/u/novels/extra", false, "/home/u/novels/", "extra"},
    {"MissingFolderStillSplits", "/home/u/gone", false, "/home/u/", "gone"},
    {"SlashOnAFile", "/home/u/a.txt/", false, "/home/u/a.txt/", ""},
    {"BareNameIsInTheCurrentFolder", "a.txt", false, "./", "a.txt"},
    {"DotDotFolder", "/home/u/x/..", true, "/home/u/x/../", ""},
};

class SplitFolderTargetTest : public ::testing::TestWithParam<TargetRow> {};

TEST_P(SplitFolderTargetTest, FolderAndFile) {
    const TargetRow& r = GetParam();
    const FolderTarget t = SplitFolderTarget(r.path, r.namesFolder);
    EXPECT_EQ(t.folder, r.folder);
    EXPECT_EQ(t.file, r.file);
}

INSTANTIATE_TEST_SUITE_P(Rows, SplitFolderTargetTest, ::testing::ValuesIn(kTargetRows), RowName());

TEST(FolderPath, DotNamesHaveNoNameOfTheirOwn) {
    for (const std::string_view p : {"/a/./", "/a/..", "/a/../", "./", "..", "/x/.//"})
        EXPECT_TRUE(EndsInDotName(p)) << p;
    for (const std::string_view p : {"", "/", "/a/", "/a/.b/", "/a/..b", "/a/b./", "/.../"})
        EXPECT_FALSE(EndsInDotName(p)) << p;
}

TEST(FolderPath, NativeStyleSplitsAtSlash) {
    EXPECT_EQ(FolderPathOf("/srv/texts/a.txt", kNativePathStyle), "/srv/texts/");
}

} // namespace
} // namespace orlenth::platform
