// Saves that keep what the file said: line ends as QSettings reads them, files near the
// reader's bounds, the file's mode, leftovers of killed writers, and where the file lives.

#include "app/settings/Bookmarks.h"
#include "app/settings/FilePlaces.h"
#include "app/settings/SettingsFile.h"

#include "tests/settings/SettingsFolder.h"

#include <QSettings>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlenth::settings {
namespace {

using testing::NameOf;
using testing::RowName;
using testing::SettingsTest;

// Every key of `path` as QSettings reads the whole file, one-item lists as strings.
std::map<QString, QVariant> WholeParse(const QString& path) {
    QSettings ini(path, QSettings::IniFormat);
    std::map<QString, QVariant> out;
    for (const QString& key : ini.allKeys()) out.emplace(key, ini.value(key));
    return out;
}

struct LineEndRow {
    const char* name;
    const char* text;
    const char* recent; // what recent/paths reads as, null: absent
};

const LineEndRow kLineEndRows[] = {
    {"OpenQuoteAtTheEnd", "k=\"a", nullptr},
    {"OpenQuoteRunsIntoALateSection", "[window]\nk=\"a\n[recent]\npaths=/x\n", nullptr},
    {"OpenQuoteRunsOnWithCrLf", "[window]\r\nk=\"a\r\n[recent]\r\npaths=/x\r\n", nullptr},
    {"OpenQuoteInALateSection", "[recent]\npaths=\"/x\n[window]\nk=1\n", "/x\n[window]\nk=1\n"},
    {"ClosedQuote", "[window]\nk=\"a\"\n[recent]\npaths=/x\n", "/x"},
    {"EscapedQuote", "[window]\nk=a\\\"b\n[recent]\npaths=/x\n", "/x"},
    {"BackslashBeforeTheBreak", "[window]\nk=a\\\n[recent]\npaths=/x\n", nullptr},
    {"EscapedBackslashAtTheEnd", "[window]\nk=a\\\\\n[recent]\npaths=/x\n", "/x"},
    {"QuoteInAComment", "[window]\n; \"\n[recent]\npaths=/x\n", "/x"},
    {"QuoteAfterASemicolon", "[window]\nk=a;\"b\n[recent]\npaths=/x\n", "/x"},
    {"SemicolonInsideAnOpenQuote", "[window]\nk=\"a;b\n[recent]\npaths=/x\n", nullptr},
    {"LateSectionSpeltWithAnEscape", "[recent]\npaths=/x\n[rec%65nt]\npaths=/y\n", nullptr},
    {"LateKeyInTheGeneralSection", "[recent]\npaths=/x\n[General]\nrecent\\paths=/y\n", "/x"},
};

class LineEndTest : public SettingsTest, public ::testing::WithParamInterface<LineEndRow> {};

// The store reads what the whole file's parse gives (the one a save writes from), and a save
// of another key keeps every value as it was.
TEST_P(LineEndTest, ReadingAndSavingAgree) {
    const LineEndRow& row = GetParam();
    const QString path = NameOf(dir_.WriteFile("orlenth.conf", row.text));
    const auto whole = WholeParse(path);
    const auto check = [&](const TSettingsFile& file, const char* when) {
        const auto recent = file.List(QStringLiteral("recent/paths"), 10, 100);
        if (row.recent) {
            EXPECT_EQ(recent, QStringList{QString::fromUtf8(row.recent)}) << when;
        } else if (recent) {
            EXPECT_NE(recent, QStringList{QStringLiteral("/x")}) << when;
        }
        for (const auto& [key, value] : whole)
            EXPECT_EQ(file.List(key, 10, 100), QStringList{value.toString()})
                << when << " " << key.toStdString();
    };
    auto file = TSettingsFile::Open(path);
    ASSERT_TRUE(file->Writing());
    check(*file, "as read");
    file->Set(QStringLiteral("other/key"), 1);
    ASSERT_TRUE(file->Save());
    check(*TSettingsFile::Open(path), "after a save");
}

INSTANTIATE_TEST_SUITE_P(Rows, LineEndTest, ::testing::ValuesIn(kLineEndRows), RowName());

// Files the reader takes that a save would carry past its bounds: the save fails saying so.
struct BoundRow {
    const char* name;
    std::string (*make)();
    const char* reason;
};

const BoundRow kBoundRows[] = {
    {"ExactlyTheMostLines",
     [] {
         std::string s;
         for (int i = 0; i < 100000; ++i) s += "k" + std::to_string(i) + "=1\n";
         return s;
     },
     "cannot be written: it would have more than 100000 lines"},
    {"ThirteenBytesUnderTheMost", [] { return "k=" + std::string(8388595 - 3, 'x') + "\n"; },
     "cannot be written: it would be larger than 8388608 bytes"},
};

class BoundTest : public SettingsTest, public ::testing::WithParamInterface<BoundRow> {};

TEST_P(BoundTest, SaveFailsWithItsRealReason) {
    const std::string path = dir_.WriteFile("orlenth.conf", GetParam().make());
    const std::string before = Bytes(path);
    auto file = TSettingsFile::Open(NameOf(path));
    ASSERT_TRUE(file->Writing());
    file->Set(QStringLiteral("window/new"), 1);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(file->Save());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(": " + std::string(GetParam().reason)), std::string::npos) << said;
    EXPECT_TRUE(Bytes(path) == before);
    EXPECT_EQ(Entries(dir_.Path()), (std::set<std::string>{"config", "orlenth.conf", "tmp"}));
}

INSTANTIATE_TEST_SUITE_P(Rows, BoundTest, ::testing::ValuesIn(kBoundRows), RowName());

// The reader's own lists never make such a file, whatever their fields hold.
TEST_F(SettingsTest, LongBookmarksAndPlacesStayWithinTheFile) {
    const QString path = PathOf("orlenth.conf");
    const QString title(TBookmarks::kMaxTitleChars, QChar(0x4E2D));
    const QString longPath = u'/' + QString(TFilePlaces::kMaxPathChars - 5, u'p');
    std::size_t dropped = 0;
    {
        auto file = TSettingsFile::Open(path);
        TBookmarks marks(*file);
        TFilePlaces places(*file);
        for (int i = 0; i < 3000; ++i) {
            std::size_t now = 0;
            marks.Add({{}, 5, 0, longPath + QString::number(i), title, i, 0, title, 1000 + i},
                      &now);
            dropped += now;
            places.Remember({longPath + QString::number(i), 10, 1, 2, 1000 + i, {}, {}});
        }
        EXPECT_GT(dropped, 0u);
        EXPECT_EQ(marks.All().size() + dropped, 3000u);
        EXPECT_LT(places.Count(), TFilePlaces::kMaxPlaces);
        ASSERT_TRUE(file->Save());
    }
    EXPECT_LT(std::filesystem::file_size(File("orlenth.conf")), 8388608u);
    auto file = TSettingsFile::Open(path);
    const auto marks = TBookmarks(*file).All();
    EXPECT_EQ(marks.size() + dropped, 3000u);
    EXPECT_EQ(marks.front().made, 1000 + 2999); // the newest stay
}

// A file of an earlier version holding more bookmarks than their share: the newest are read,
// the rest go at the next save, which then succeeds.
TEST_F(SettingsTest, BookmarksPastTheirShareGoAtTheNextSave) {
    std::string text = "[bookmarks]\n";
    std::string title;
    for (int i = 0; i < TBookmarks::kMaxTitleChars; ++i) title += "\xE4\xB8\xAD"; // 中
    for (int i = 0; i < 2500; ++i)
        text += "b" + std::to_string(i) + "=0, 0, , " + title + ", 0, 0, , " +
                std::to_string(1000 + i) + "\n";
    const QString path = NameOf(dir_.WriteFile("orlenth.conf", text));
    std::size_t kept = 0;
    {
        auto file = TSettingsFile::Open(path);
        kept = TBookmarks(*file).All().size();
        EXPECT_LT(kept, 2500u);
        EXPECT_GT(kept, 1000u);
        ASSERT_TRUE(file->Save());
    }
    auto file = TSettingsFile::Open(path);
    EXPECT_EQ(file->Keys(QStringLiteral("bookmarks"), 5000).size(), static_cast<int>(kept));
}

struct ModeRow {
    const char* name;
    mode_t mode;
    bool rewritten;
};

const ModeRow kModeRows[] = {
    {"OwnerOnly", 0600, true},      {"GroupReads", 0640, true},      {"AllRead", 0644, true},
    {"GroupWrites", 0664, true},    {"ReadOnlyForAll", 0444, false}, {"ReadOnlyOwner", 0400, false},
    {"ReadOnlyGroup", 0440, false},
};

class ModeTest : public SettingsTest, public ::testing::WithParamInterface<ModeRow> {};

// As root too: the mode bits decide, not whether the file could be written.
TEST_P(ModeTest, AFileKeepsItsModeAndAReadOnlyOneIsNotRewritten) {
    const ModeRow& row = GetParam();
    const std::string path = dir_.WriteFile("orlenth.conf", "[window]\nwidth=800\n");
    ASSERT_EQ(::chmod(path.c_str(), row.mode), 0);
    struct stat before {};
    ::stat(path.c_str(), &before);
    ::testing::internal::CaptureStderr();
    auto file = TSettingsFile::Open(NameOf(path));
    file->Set(QStringLiteral("window/width"), 640);
    file->Save();
    file->Save();
    const std::string said = ::testing::internal::GetCapturedStderr();
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, row.mode);
    EXPECT_EQ(file->Int(QStringLiteral("window/width"), 0, 9999), row.rewritten ? 640 : 800);
    EXPECT_EQ(TSettingsFile::Open(NameOf(path))->Int(QStringLiteral("window/width"), 0, 9999),
              row.rewritten ? 640 : 800);
    if (row.rewritten) {
        EXPECT_EQ(said, "");
    } else {
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(said, "orlenth: settings " + path + ": is read-only (mode 0" +
                            std::to_string(row.mode >> 6) + std::to_string((row.mode >> 3) & 7) +
                            std::to_string(row.mode & 7) + "); not saved\n");
    }
    ::chmod(path.c_str(), 0644);
}

INSTANTIATE_TEST_SUITE_P(Rows, ModeTest, ::testing::ValuesIn(kModeRows), RowName());

TEST_F(SettingsTest, AFileMadeReadOnlyDuringTheRunIsNotRewritten) {
    const std::string path = dir_.WriteFile("orlenth.conf", "[window]\nwidth=800\n");
    auto file = TSettingsFile::Open(NameOf(path));
    ASSERT_TRUE(file->Writing());
    ::chmod(path.c_str(), 0444);
    file->Set(QStringLiteral("window/width"), 640);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(file->Save());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(": is read-only (mode 0444); not saved"), std::string::npos) << said;
    EXPECT_EQ(Bytes(path), "[window]\nwidth=800\n");
    ::chmod(path.c_str(), 0644);
}

// A PID that names no process: a child that has ended and been waited for.
pid_t GonePid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST_F(SettingsTest, LeftoversOfGoneWritersAreRemovedAtTheNextSave) {
    const std::string gone = std::to_string(GonePid());
    const std::string live = std::to_string(::getppid());
    const std::set<std::string> removed = {
        ".orlenth-settings-" + gone + "-0",
        ".orlenth-settings-" + gone + "-7.lock",
        ".orlenth-settings-" + gone + "-7.aB3xYz",
    };
    const std::set<std::string> kept = {
        "orlenth.conf",
        ".orlenth-settings-" + live + "-1",         // its writer is still there
        ".orlenth-settings-" + live + "-1.lock",    //
        ".orlenth-settings-" + gone + "x",          // not a name the store makes
        ".orlenth-settings-" + gone + "-",          //
        "orlenth-settings-" + gone + "-1",          //
        ".orlenth-settings-99999999999999999999-1", // no PID
    };
    const std::string folder = dir_.MakeFolder("settings");
    for (const auto& names : {removed, kept})
        for (const std::string& name : names) std::ofstream(folder + "/" + name) << "[a]\nb=1\n";
    const std::string tmpLeftover = tmp_ + "/.orlenth-settings-" + gone + "-3";
    std::ofstream(tmpLeftover) << "x";
    auto file = TSettingsFile::Open(NameOf(folder + "/orlenth.conf"));
    file->Set(QStringLiteral("a/b"), 2);
    ASSERT_TRUE(file->Save());
    EXPECT_EQ(Entries(folder), kept);
    EXPECT_FALSE(std::filesystem::exists(tmpLeftover));
}

struct PlaceRow {
    const char* name;
    const char* xdg; // null: unset
    const char* folder;
};

const PlaceRow kPlaceRows[] = {
    {"Unset", nullptr, "home/.config"},
    {"Empty", "", "home/.config"},
    {"Relative", "relative/config", "home/.config"},
    {"Dot", ".", "home/.config"},
    {"Absolute", "ABS", "config"},
};

class DefaultPlaceTest : public SettingsTest, public ::testing::WithParamInterface<PlaceRow> {};

// The XDG rule: a relative XDG_CONFIG_HOME is ignored, as if unset.
TEST_P(DefaultPlaceTest, FollowsTheXdgRule) {
    const PlaceRow& row = GetParam();
    const std::string home = dir_.MakeFolder("home");
    const std::optional<std::string> savedHome =
        std::getenv("HOME") ? std::optional<std::string>(std::getenv("HOME")) : std::nullopt;
    ::setenv("HOME", home.c_str(), 1);
    if (!row.xdg)
        ::unsetenv("XDG_CONFIG_HOME");
    else
        ::setenv("XDG_CONFIG_HOME", std::string_view(row.xdg) == "ABS" ? config_.c_str() : row.xdg,
                 1);
    const QString path = DefaultPath();
    if (savedHome)
        ::setenv("HOME", savedHome->c_str(), 1);
    else
        ::unsetenv("HOME");
    EXPECT_EQ(path, NameOf(dir_ / row.folder) + "/orlenth/orlenth.conf");
}

INSTANTIATE_TEST_SUITE_P(Rows, DefaultPlaceTest, ::testing::ValuesIn(kPlaceRows), RowName());

} // namespace
} // namespace orlenth::settings
