#include "app/settings/FilePlaces.h"
#include "app/settings/SettingsFile.h"

#include "tests/settings/SettingsFolder.h"

#include <QStandardPaths>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

namespace orlenth::settings {
namespace {

using testing::NameOf;
using testing::RowName;
using testing::SettingsTest;

// Strings that QSettings has to escape or quote, and one that looks like its own markers.
const QString kAwkward = QString::fromUtf8("中文, \"quoted\"; a=b \\ back\x01\t end ");
const QString kMarker = QStringLiteral("@Variant(\\0\\0\\0\\xb\\xff\\xff\\xff\\xff)");

TEST_F(SettingsTest, EveryTypeComesBackFromAFreshStore) {
    const QString path = PathOf("orlenth.conf");
    const QByteArray blob("\x00\x01\xFF geometry", 12);
    {
        auto file = TSettingsFile::Open(path);
        ASSERT_TRUE(file->Reading() && file->Writing());
        file->Set("window/width", 800);
        file->Set("window/offset", qint64{1} << 40);
        file->Set("window/negative", -7);
        file->Set("window/maximized", true);
        file->Set("window/menu", false);
        file->Set("text/awkward", kAwkward);
        file->Set("text/marker", kMarker);
        file->Set("text/at", QStringLiteral("@start"));
        file->Set("text/empty", QString());
        file->Set("lists/two", QStringList{kAwkward, kMarker});
        file->Set("lists/one", QStringList{QStringLiteral("only")});
        file->Set("lists/none", QStringList{});
        file->Set("window/geometry", blob);
        file->Set("gone/soon", 1);
        file->Remove("gone");
        file->Set("unstored", QVariant(1.5)); // not an accepted type
        EXPECT_TRUE(file->Save());
    }
    auto file = TSettingsFile::Open(path);
    ASSERT_TRUE(file->Reading() && file->Writing()) << Bytes(File("orlenth.conf"));
    EXPECT_EQ(file->Int("window/width", 0, 10000), 800);
    EXPECT_EQ(file->Int64("window/offset", 0, qint64{1} << 50), qint64{1} << 40);
    EXPECT_EQ(file->Int("window/negative", -10, 0), -7);
    EXPECT_EQ(file->Bool("window/maximized"), true);
    EXPECT_EQ(file->Bool("window/menu"), false);
    EXPECT_EQ(file->String("text/awkward"), kAwkward);
    EXPECT_EQ(file->String("text/marker"), kMarker);
    EXPECT_EQ(file->String("text/at"), QStringLiteral("@start"));
    EXPECT_EQ(file->String("text/empty"), QString());
    EXPECT_EQ(file->List("lists/two", 5), (QStringList{kAwkward, kMarker}));
    EXPECT_EQ(file->List("lists/one", 5), QStringList{QStringLiteral("only")});
    EXPECT_EQ(file->List("lists/none", 5), QStringList{});
    EXPECT_EQ(file->Bytes("window/geometry", 100), blob);
    EXPECT_EQ(file->Int("gone/soon", 0, 10), std::nullopt);
    EXPECT_EQ(file->Keys("window", 100),
              (QStringList{"geometry", "maximized", "menu", "negative", "offset", "width"}));
    EXPECT_EQ(file->Keys("window", 2), (QStringList{"geometry", "maximized"}));
    EXPECT_EQ(file->Keys("", 100), QStringList{}); // the double was not stored
    EXPECT_EQ(Entries(dir_.Path()), (std::set<std::string>{"config", "orlenth.conf", "tmp"}));
}

TEST_F(SettingsTest, GettersCutAndBound) {
    auto file = TSettingsFile::Open(PathOf("orlenth.conf"));
    const QString pair = QString::fromUtf8("ab𠀀c"); // a surrogate pair at 2-3
    file->Set("s", pair);
    file->Set("l", QStringList{pair, "x", "y"});
    EXPECT_EQ(file->String("s", 3), QStringLiteral("ab"));
    EXPECT_EQ(file->String("s", 4), QString::fromUtf8("ab𠀀"));
    EXPECT_EQ(file->String("s", -1), QString());
    EXPECT_EQ(file->List("l", 2, 3), (QStringList{"ab", "x"}));
    EXPECT_EQ(file->List("l", 0), QStringList{});
    file->Set("b", QByteArray(10, 'x'));
    EXPECT_EQ(file->Bytes("b", 9), std::nullopt);
    EXPECT_EQ(file->Bytes("b", 10), QByteArray(10, 'x'));
    // QSettings's spelling of keys.
    file->Set("/a//b/", 3);
    EXPECT_EQ(file->Int("a/b", 0, 5), 3);
}

TEST_F(SettingsTest, DefaultPlaceFollowsXdgConfigHome) {
    auto file = TSettingsFile::Open();
    EXPECT_EQ(file->Path(), NameOf(config_) + "/orlenth/orlenth.conf");
    file->Set("k", 1);
    EXPECT_TRUE(file->Save());
    EXPECT_EQ(Bytes(config_ + "/orlenth/orlenth.conf"), "[General]\nk=1\n");
}

// What a file says, read by one getter: the value the store must refuse (absent).
struct WrongTypeRow {
    const char* name;
    const char* line;
    std::function<bool(const TSettingsFile&)> absent;
};

const WrongTypeRow kWrongTypeRows[] = {
    {"StringForInt", "k=abc", [](auto& f) { return !f.Int("k", 0, 100); }},
    {"DigitsThenLetters", "k=12abc", [](auto& f) { return !f.Int("k", 0, 100); }},
    {"HugeForInt", "k=99999999999999", [](auto& f) { return !f.Int("k", 0, 2147483647); }},
    {"PastInt64", "k=99999999999999999999", [](auto& f) { return !f.Int64("k", 0, 1LL << 62); }},
    {"NegativeSize", "k=-5", [](auto& f) { return !f.Int64("k", 0, 1LL << 62); }},
    {"AboveMax", "k=101", [](auto& f) { return !f.Int("k", 0, 100); }},
    {"EmptyForInt", "k=", [](auto& f) { return !f.Int("k", 0, 100); }},
    {"ListForInt", "k=1, 2", [](auto& f) { return !f.Int("k", 0, 100); }},
    {"NumberForBool", "k=1", [](auto& f) { return !f.Bool("k"); }},
    {"WordForBool", "k=yes", [](auto& f) { return !f.Bool("k"); }},
    {"ListForString", "k=a, b", [](auto& f) { return !f.String("k"); }},
    {"BytesForString", "k=@ByteArray(ab)", [](auto& f) { return !f.String("k"); }},
    {"RectForString", "k=@Rect(1 2 3 4)", [](auto& f) { return !f.String("k"); }},
    {"BytesInList", "k=a, @ByteArray(b)", [](auto& f) { return !f.List("k", 5); }},
    {"StringForBytes", "k=ab", [](auto& f) { return !f.Bytes("k", 100); }},
    {"Missing", "other=1", [](auto& f) { return !f.Int("k", 0, 100) && !f.List("k", 5); }},
};

class WrongTypeTest : public SettingsTest, public ::testing::WithParamInterface<WrongTypeRow> {};

TEST_P(WrongTypeTest, GivesNothingAndTheFileStaysUsable) {
    const std::string path = dir_.WriteFile("orlenth.conf", std::string(GetParam().line) + "\n");
    auto file = TSettingsFile::Open(NameOf(path));
    ASSERT_TRUE(file->Reading() && file->Writing());
    EXPECT_TRUE(GetParam().absent(*file));
}

INSTANTIATE_TEST_SUITE_P(Rows, WrongTypeTest, ::testing::ValuesIn(kWrongTypeRows), RowName());

TEST_F(SettingsTest, OffCreatesNothingAndGivesNothing) {
    {
        auto file = TSettingsFile::Off();
        EXPECT_FALSE(file->Reading());
        EXPECT_FALSE(file->Writing());
        EXPECT_EQ(file->Path(), QString());
        file->Set("k", 1);
        EXPECT_EQ(file->Int("k", 0, 10), std::nullopt);
        TFilePlaces places(*file);
        places.Remember({"/a.txt", 100, 1, 50, 0, {}, {}});
        EXPECT_TRUE(file->Save());
        EXPECT_EQ(file->Keys("places", 10), QStringList{});
    }
    EXPECT_EQ(Entries(config_), std::set<std::string>{});
    EXPECT_EQ(Entries(dir_.Path()), (std::set<std::string>{"config", "tmp"}));
}

TEST_F(SettingsTest, NothingChangedWritesNothing) {
    auto file = TSettingsFile::Open(PathOf("orlenth.conf"));
    EXPECT_TRUE(file->Save());
    EXPECT_EQ(Entries(dir_.Path()), (std::set<std::string>{"config", "tmp"}));
}

TEST_F(SettingsTest, WithoutATemporaryFolderTheCopyGoesBesideTheFile) {
    const std::string path = dir_.WriteFile("orlenth.conf", "[General]\na=1\n");
    ::setenv("TMPDIR", (dir_ / "gone").c_str(), 1);
    auto file = TSettingsFile::Open(NameOf(path));
    EXPECT_EQ(file->Int("a", 0, 5), 1);
    file->Set("b", 2);
    EXPECT_TRUE(file->Save());
    EXPECT_EQ(TSettingsFile::Open(NameOf(path))->Int("b", 0, 5), 2);
    EXPECT_EQ(Entries(dir_.Path()), (std::set<std::string>{"config", "orlenth.conf", "tmp"}));
}

TEST_F(SettingsTest, ALinkStaysALink) {
    const std::string real = dir_.WriteFile("real.conf", "[General]\na=1\n");
    dir_.MakeLink("orlenth.conf", real);
    auto file = TSettingsFile::Open(PathOf("orlenth.conf"));
    EXPECT_EQ(file->Int("a", 0, 5), 1);
    file->Set("b", 2);
    ASSERT_TRUE(file->Save());
    struct stat st {};
    ASSERT_EQ(::lstat(File("orlenth.conf").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Bytes(real), "[General]\na=1\nb=2\n");
}

// A store that opened well and then cannot write.
struct UnwritableRow {
    const char* name;
    bool needsNonRoot; // root writes anyway
    bool existing;     // a file is there before
    std::function<void(const std::string&folder)> before, after;
    const char* reason;
};

void LimitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending us
    rlimit r{};
    ::getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &r);
}

void LiftFileSizeLimit() {
    rlimit r{};
    ::getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = r.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &r);
    std::signal(SIGXFSZ, SIG_DFL);
}

const UnwritableRow kUnwritableRows[] = {
    {"FolderWithoutWritePermission", true, true,
     [](const std::string& d) { ::chmod(d.c_str(), 0555); },
     [](const std::string& d) { ::chmod(d.c_str(), 0755); }, "cannot be written"},
    {"NewFileOnAFullDisk", false, false, [](const std::string&) { LimitFileSize(1024); },
     [](const std::string&) { LiftFileSizeLimit(); },
     "cannot be written: what was written does not read back (is the disk full?)"},
    {"ExistingFileOnAFullDisk", false, true, [](const std::string&) { LimitFileSize(1024); },
     [](const std::string&) { LiftFileSizeLimit(); }, "cannot be written: File too large"},
};

class UnwritableTest : public SettingsTest, public ::testing::WithParamInterface<UnwritableRow> {};

TEST_P(UnwritableTest, SaveFailsAndSaysSoOnce) {
    const UnwritableRow& row = GetParam();
    if (row.needsNonRoot && ::geteuid() == 0)
        GTEST_SKIP() << "running as root, which writes into a folder of mode 555 anyway";
    const std::string folder = dir_.MakeFolder("settings");
    const std::string path = folder + "/orlenth.conf";
    // Longer than the size limit of the rows that set one.
    const std::string before = "[General]\nkept=" + std::string(2000, 'k') + "\n";
    if (row.existing) std::ofstream(path) << before;
    auto file = TSettingsFile::Open(NameOf(path));
    ASSERT_TRUE(file->Reading() && file->Writing());
    file->Set("new", 2);
    file->Set("long", QString(2000, 'n'));
    row.before(folder);
    ::testing::internal::CaptureStderr();
    const bool saved = file->Save();
    file->Set("again", 3);
    const bool savedAgain = file->Save();
    const std::string said = ::testing::internal::GetCapturedStderr();
    row.after(folder);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(savedAgain);
    EXPECT_FALSE(file->Writing());
    EXPECT_TRUE(file->Reading());
    EXPECT_EQ(file->Int("new", 0, 5), 2); // the session keeps what it set
    EXPECT_EQ(said.rfind("orlenth: settings " + path + ": " + row.reason, 0), 0u) << said;
    EXPECT_TRUE(said.ends_with("; not saved\n")) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    const auto left = Entries(folder);
    if (row.existing) {
        EXPECT_EQ(Bytes(path), before);
        EXPECT_EQ(left, std::set<std::string>{"orlenth.conf"});
    } else {
        EXPECT_EQ(left, std::set<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, UnwritableTest, ::testing::ValuesIn(kUnwritableRows), RowName());

// Each writer sets its own keys and notes its own places, saving after every step.
int Writer(const QString& path, int id, int readyFd) {
    char go = 0;
    if (::read(readyFd, &go, 1) != 1) return 2;
    auto file = TSettingsFile::Open(path);
    TFilePlaces places(*file);
    const QString me = QString::number(id);
    for (int i = 0; i < 200; ++i) {
        file->Set("writer" + me + "/step", i);
        places.Remember({"/writer" + me + "/" + QString::number(i) + ".txt",
                         10000,
                         1,
                         100 + i,
                         1000 * id + i + 1,
                         {},
                         {}});
        if (!file->Save()) return 1;
    }
    return 0;
}

TEST_F(SettingsTest, TwoWritersAtOnceMergeKeyByKey) {
    const QString path = PathOf("orlenth.conf");
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pid_t pids[2];
    for (int id = 0; id < 2; ++id) {
        pids[id] = ::fork();
        ASSERT_GE(pids[id], 0);
        if (pids[id] == 0) ::_exit(Writer(path, id, start[0]));
    }
    // Both wait on the pipe, so that their saves overlap.
    ASSERT_EQ(::write(start[1], "gg", 2), 2);
    for (const pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ::close(start[0]);
    ::close(start[1]);
    auto file = TSettingsFile::Open(path);
    ASSERT_TRUE(file->Reading());
    EXPECT_EQ(file->Int("writer0/step", 0, 1000), 199);
    EXPECT_EQ(file->Int("writer1/step", 0, 1000), 199);
    TFilePlaces places(*file);
    EXPECT_EQ(places.Count(), 400u);
    EXPECT_EQ(places.OffsetFor("/writer0/199.txt", 10000), 299);
    EXPECT_EQ(places.OffsetFor("/writer1/0.txt", 10000), 100);
    EXPECT_EQ(Entries(dir_.Path()), (std::set<std::string>{"config", "orlenth.conf", "tmp"}));
}

} // namespace
} // namespace orlenth::settings
