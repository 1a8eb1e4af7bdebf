#include "app/platform/FolderArgument.h"

#include "tests/platform/TempFolder.h"

#include <cstdlib>

namespace orlenth::platform {
namespace {

using testing::RowName;
using testing::TempFolder;

// The physical path of a folder, as the kernel resolves it, with a trailing '/'.
std::string Real(const std::string& folder) {
    return std::filesystem::canonical(folder).string() + "/";
}

// Runs in the scratch folder, as a shell started there would run the program; the
// shell's $PWD goes with it.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : before_(std::filesystem::current_path()) {
        const char* pwd = std::getenv("PWD");
        hadPwd_ = pwd != nullptr;
        if (pwd) pwd_ = pwd;
        std::filesystem::current_path(folder);
        ::setenv("PWD", folder.c_str(), 1);
    }
    ~InFolder() {
        std::filesystem::current_path(before_);
        if (hadPwd_)
            ::setenv("PWD", pwd_.c_str(), 1);
        else
            ::unsetenv("PWD");
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path before_;
    std::string pwd_;
    bool hadPwd_ = false;
};

struct Expected {
    std::string argument;
    std::string folder;
    std::string file;
};

struct ArgumentRow {
    const char* name;
    // Made in the scratch folder; the program then runs with the scratch folder (or the
    // folder named by `workIn`) as its working directory when `relative`.
    Expected (*make)(const TempFolder&);
    bool relative;
};

// 小说 = E5 B0 8F E8 AF B4, 第5章 = E7 AC AC 35 E7 AB A0 (UTF-8).
#define NOVELS "\xE5\xB0\x8F\xE8\xAF\xB4"
#define CHAPTER5 "\xE7\xAC\xAC\x35\xE7\xAB\xA0.txt"

const ArgumentRow kArgumentRows[] = {
    {"EmptyArgument", [](const TempFolder&) { return Expected{}; }, false},
    {"FolderWithoutSlash",
     [](const TempFolder& t) {
         return Expected{t.MakeFolder(NOVELS), t / NOVELS "/", ""};
     },
     false},
    {"FolderWithSlash",
     [](const TempFolder& t) {
         return Expected{t.MakeFolder(NOVELS) + "/", t / NOVELS "/", ""};
     },
     false},
    {"FileInFolder",
     [](const TempFolder& t) {
         return Expected{t.WriteFile(CHAPTER5, "x"), t.Path(), CHAPTER5};
     },
     false},
    {"MissingFileInFolderIsStillNamed",
     [](const TempFolder& t) {
         return Expected{t / "gone.txt", t.Path(), "gone.txt"};
     },
     false},
    {"FileWithoutSuffix",
     [](const TempFolder& t) {
         return Expected{t.WriteFile("extra", "x"), t.Path(), "extra"};
     },
     false},
    {"MissingFolder",
     [](const TempFolder& t) {
         return Expected{t / "gone/a.txt", "", ""};
     },
     false},
    {"SlashAfterAFile",
     [](const TempFolder& t) {
         return Expected{t.WriteFile("a.txt", "x") + "/", "", ""};
     },
     false},
    {"LinkToFolderKeepsItsName",
     [](const TempFolder& t) {
         return Expected{t.MakeLink("books", t.MakeFolder("real")), t / "books/", ""};
     },
     false},
    {"DanglingLinkIsAFile",
     [](const TempFolder& t) {
         return Expected{t.MakeLink("l.txt", t / "nowhere"), t.Path(), "l.txt"};
     },
     false},
    {"FifoIsAFile",
     [](const TempFolder& t) {
         return Expected{t.MakeFifo("f"), t.Path(), "f"};
     },
     false},
    {"DotDotIsTheParent",
     [](const TempFolder& t) {
         return Expected{t.MakeFolder(NOVELS) + "/..", Real(t.Path()), ""};
     },
     false},
    {"DotIsTheFolder",
     [](const TempFolder& t) {
         return Expected{t.MakeFolder(NOVELS) + "/./", Real(t / NOVELS), ""};
     },
     false},
    {"ControlBytesInFolderName",
     [](const TempFolder& t) {
         return Expected{t.MakeFolder("a\x1B\n"), t / "a\x1B\n/", ""};
     },
     false},
    {"BareFileName",
     [](const TempFolder& t) {
         t.WriteFile(CHAPTER5, "x");
         return Expected{CHAPTER5, t.Path(), CHAPTER5};
     },
     true},
    {"RelativeFileWithoutSuffix",
     [](const TempFolder& t) {
         t.MakeFolder(NOVELS);
         t.WriteFile(NOVELS "/extra", "x");
         return Expected{NOVELS "/extra", t / NOVELS "/", "extra"};
     },
     true},
    {"RelativeFolder",
     [](const TempFolder& t) {
         t.MakeFolder(NOVELS);
         return Expected{NOVELS, t / NOVELS "/", ""};
     },
     true},
    {"Dot",
     [](const TempFolder& t) {
         return Expected{".", Real(t.Path()), ""};
     },
     true},
    {"DotDot",
     [](const TempFolder& t) {
         return Expected{"..", Real(t / ".."), ""};
     },
     true},
};

class FolderArgumentTest : public ::testing::TestWithParam<ArgumentRow> {};

TEST_P(FolderArgumentTest, FolderAndFile) {
    TempFolder dir;
    const Expected e = GetParam().make(dir);
    std::optional<InFolder> there;
    if (GetParam().relative) there.emplace(dir.Path());
    const FolderTarget t = LocateFolderArgument(e.argument);
    EXPECT_EQ(t.folder, e.folder);
    EXPECT_EQ(t.file, e.file);
}

INSTANTIATE_TEST_SUITE_P(Rows, FolderArgumentTest, ::testing::ValuesIn(kArgumentRows), RowName());

// A shell that reached its folder through a link names it by the link: so does the tab.
TEST(FolderArgument, WorkingDirectoryReachedThroughALink) {
    TempFolder dir;
    const std::string link = dir.MakeLink("shelf", dir.MakeFolder("real"));
    dir.WriteFile("real/a.txt", "x");
    InFolder there(link);
    const FolderTarget t = LocateFolderArgument("a.txt");
    EXPECT_EQ(t.folder, link + "/");
    EXPECT_EQ(t.file, "a.txt");
}

// A working directory removed under the program: a relative argument finds no folder.
TEST(FolderArgument, RemovedWorkingDirectory) {
    TempFolder dir;
    const std::string gone = dir.MakeFolder("gone");
    InFolder there(gone);
    std::filesystem::remove(gone);
    EXPECT_EQ(LocateFolderArgument("a.txt").folder, "");
    EXPECT_EQ(LocateFolderArgument(".").folder, "");
}

} // namespace
} // namespace orlenth::platform
