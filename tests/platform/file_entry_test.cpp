#include "app/platform/FileEntry.h"

#include "tests/platform/TempFolder.h"

namespace orlenth::platform {
namespace {

using testing::RowName;
using testing::TempFolder;

struct KindRow {
    const char* name;
    std::string (*make)(const TempFolder&);
    EntryKind kind;
};

const KindRow kKindRows[] = {
    {"EmptyPath", [](const TempFolder&) { return std::string(); }, EntryKind::Missing},
    {"NoSuchEntry", [](const TempFolder& t) { return t / "gone.txt"; }, EntryKind::Missing},
    {"PlainFile", [](const TempFolder& t) { return t.WriteFile("a.txt", "x"); }, EntryKind::Other},
    {"EmptyFile", [](const TempFolder& t) { return t.WriteFile("e.txt", ""); }, EntryKind::Other},
    {"Folder", [](const TempFolder& t) { return t.MakeFolder("sub"); }, EntryKind::Directory},
    {"FolderWithTrailingSlash", [](const TempFolder& t) { return t.MakeFolder("sub") + "/"; },
     EntryKind::Directory},
    {"FolderNamedLikeText", [](const TempFolder& t) { return t.MakeFolder("notes.txt"); },
     EntryKind::Directory},
    {"LinkToFolder", [](const TempFolder& t) { return t.MakeLink("l.txt", t.MakeFolder("real")); },
     EntryKind::Directory},
    {"LinkToFile", [](const TempFolder& t) { return t.MakeLink("l.txt", t.WriteFile("f", "")); },
     EntryKind::Other},
    {"DanglingLink", [](const TempFolder& t) { return t.MakeLink("l.txt", t / "nowhere"); },
     EntryKind::Missing},
    {"PathThroughAFile", [](const TempFolder& t) { return t.WriteFile("f.txt", "x") + "/a.txt"; },
     EntryKind::Missing},
    {"Socket", [](const TempFolder& t) { return t.MakeSocket("s.txt"); }, EntryKind::Special},
    {"Fifo", [](const TempFolder& t) { return t.MakeFifo("f.txt"); }, EntryKind::Special},
    {"LinkToDevice", [](const TempFolder& t) { return t.MakeLink("z.txt", "/dev/zero"); },
     EntryKind::Special},
    {"NameNotUtf8", [](const TempFolder& t) { return t.WriteFile("\xB2\xE2\xFF.txt", "x"); },
     EntryKind::Other},
    {"PathLongerThan253Bytes",
     [](const TempFolder& t) {
         const std::string p = testing::MakeDeepFolder(t.Path(), 300) + "a.txt";
         std::ofstream(p) << "x";
         return p;
     },
     EntryKind::Other},
};

class EntryKindTest : public ::testing::TestWithParam<KindRow> {};

TEST_P(EntryKindTest, Kind) {
    TempFolder dir;
    EXPECT_EQ(KindOf(GetParam().make(dir)), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Rows, EntryKindTest, ::testing::ValuesIn(kKindRows), RowName());

TEST(EntryKind, FileRemovedBetweenCalls) {
    TempFolder dir;
    const std::string p = dir.WriteFile("a.txt", "x");
    EXPECT_EQ(KindOf(p), EntryKind::Other);
    std::filesystem::remove(p);
    EXPECT_EQ(KindOf(p), EntryKind::Missing);
}

// Whether a name is there at all: links are not followed, so a dangling link or a loop
// is an entry, which the folder category then reports as a file it cannot open.
struct ExistsRow {
    const char* name;
    std::string (*make)(const TempFolder&);
    bool exists;
};

const ExistsRow kExistsRows[] = {
    {"EmptyPath", [](const TempFolder&) { return std::string(); }, false},
    {"NoSuchEntry", [](const TempFolder& t) { return t / "gone"; }, false},
    {"PlainFileWithoutSuffix", [](const TempFolder& t) { return t.WriteFile("extra", "x"); }, true},
    {"Folder", [](const TempFolder& t) { return t.MakeFolder("sub"); }, true},
    {"DanglingLink", [](const TempFolder& t) { return t.MakeLink("l", t / "nowhere"); }, true},
    {"LinkLoop",
     [](const TempFolder& t) {
         t.MakeLink("b", t / "a");
         return t.MakeLink("a", t / "b");
     },
     true},
    {"Fifo", [](const TempFolder& t) { return t.MakeFifo("f"); }, true},
    {"PathThroughAFile", [](const TempFolder& t) { return t.WriteFile("f", "x") + "/a"; }, false},
};

class EntryExistsTest : public ::testing::TestWithParam<ExistsRow> {};

TEST_P(EntryExistsTest, Exists) {
    TempFolder dir;
    EXPECT_EQ(EntryExists(GetParam().make(dir)), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(Rows, EntryExistsTest, ::testing::ValuesIn(kExistsRows), RowName());

TEST(EntryKind, LinkLoopIsMissing) {
    TempFolder dir;
    dir.MakeLink("b.txt", dir / "a.txt");
    EXPECT_EQ(KindOf(dir.MakeLink("a.txt", dir / "b.txt")), EntryKind::Missing);
}

} // namespace
} // namespace orlenth::platform
