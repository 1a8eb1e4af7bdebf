#include "app/settings/FilePlaces.h"
#include "app/settings/SettingsFile.h"

#include "tests/settings/SettingsFolder.h"

#include <QCryptographicHash>

#include <sys/stat.h>
#include <unistd.h>

#include <random>

namespace orlenth::settings {
namespace {

using platform::testing::TempFolder;
using testing::NameOf;
using testing::RowName;
using testing::SettingsTest;

// A file that would set window/width to 800 if it were read.
const std::string kGood = "[window]\nwidth=800\n";

std::string Junk(std::size_t n) {
    std::mt19937 random(7);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

// Places as the store writes them: a million of them are about 70 MB.
std::string ManyPlaces(int count) {
    std::string s = kGood + "[places]\n";
    s.reserve(static_cast<std::size_t>(count) * 72 + s.size());
    for (int i = 0; i < count; ++i) {
        const std::string path = "/b/" + std::to_string(i);
        s += QCryptographicHash::hash(QByteArray::fromStdString(path), QCryptographicHash::Sha1)
                 .toHex()
                 .toStdString();
        s += "=" + path + ", 100, 1, 5, " + std::to_string(i) + "\n";
    }
    return s;
}

std::string TinyLines(int count) {
    std::string s = kGood;
    for (int i = 0; i < count; ++i) s += "a=1\n";
    return s;
}

struct DamagedRow {
    const char* name;
    std::function<void(const TempFolder&, const std::string& path)> make;
    const char* reason;
    bool regular = true; // the path holds a regular file, whose bytes must stay
};

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

auto Text(std::string bytes) {
    return [bytes](const TempFolder&, const std::string& path) { Write(path, bytes); };
}

// For the big ones, made only when their row runs.
auto Made(std::string (*make)()) {
    return [make](const TempFolder&, const std::string& path) { Write(path, make()); };
}

const DamagedRow kDamagedRows[] = {
    {"CutInASectionName", Text(kGood + "[pla"), "is not in the INI format"},
    {"CutInAKey", Text(kGood + "heig"), "is not in the INI format"},
    {"CutInACharacter", Text(kGood + "title=\xE4\xB8"), "is not UTF-8 text"},
    {"BinaryJunk", Text(kGood + Junk(4096)), "is not UTF-8 text"},
    {"InvalidUtf8", Text(kGood + "title=\xC3\x28\n"), "is not UTF-8 text"},
    {"Utf16", Text(std::string("\xFF\xFE[\0w\0]\0", 8)), "is not UTF-8 text"},
    {"ControlByte",
     Text(kGood + "title=a\x01"
                  "b\n"),
     "is not UTF-8 text"},
    {"NineMiB", Made([] { return kGood + "[big]\n" + std::string(9 << 20, 'x'); }),
     "is larger than 8388608 bytes"},
    {"MillionPlaces", Made([] { return ManyPlaces(1000000); }), "is larger than 8388608 bytes"},
    {"MillionTinyLines", Made([] { return TinyLines(1000000); }), "has more than 100000 lines"},
    {"SerializedList", Text(kGood + "x=@Variant(\\0\\0\\0\\xb\\xff\\xff\\xff\\xff)\n"), "@Variant"},
    {"SerializedAfterAComma", Text(kGood + "x=a, @DateTime(\\0)\n"), "@Variant"},
    {"SerializedAsEscapes", Text(kGood + "x=\\x40\\x56\\141riant(\\0)\n"), "@Variant"},
    {"SerializedBetweenQuotes", Text(kGood + "x=\"@Var\" \"iant(\\0)\"\n"), "@Variant"},
    {"SerializedAcrossALineBreak", Text(kGood + "x=@Vari\\\nant(\\0)\n"), "@Variant"},
    {"Fifo", [](const TempFolder&, const std::string& p) { ::mkfifo(p.c_str(), 0644); },
     "is a FIFO, not a file", false},
    {"Folder", [](const TempFolder&, const std::string& p) { ::mkdir(p.c_str(), 0755); },
     "is a folder, not a file", false},
    {"LinkToADevice",
     [](const TempFolder&, const std::string& p) { ::symlink("/dev/zero", p.c_str()); },
     "is a device, not a file", false},
    {"Unreadable",
     [](const TempFolder&, const std::string& p) {
         Write(p, kGood);
         ::chmod(p.c_str(), 0);
     },
     "cannot be read: Permission denied"},
};

class DamagedFileTest : public SettingsTest, public ::testing::WithParamInterface<DamagedRow> {};

TEST_P(DamagedFileTest, ReadsAsDefaultsAndIsNeverWritten) {
    const DamagedRow& row = GetParam();
    if (std::string_view(row.name) == "Unreadable" && ::geteuid() == 0)
        GTEST_SKIP() << "running as root, which reads a file of mode 000 anyway";
    const std::string path = File("orlenth.conf");
    row.make(dir_, path);
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    const std::string before = row.regular ? Bytes(path) : std::string();

    ::testing::internal::CaptureStderr();
    auto file = TSettingsFile::Open(NameOf(path));
    EXPECT_FALSE(file->Reading());
    EXPECT_FALSE(file->Writing());
    EXPECT_EQ(file->Int("window/width", 0, 10000), std::nullopt);
    EXPECT_EQ(TFilePlaces(*file).Count(), 0u);
    file->Set("window/width", 640);
    EXPECT_FALSE(file->Save());
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(said.rfind("orlenth: settings " + path + ": ", 0), 0u) << said;
    EXPECT_NE(said.find(row.reason), std::string::npos) << said;
    EXPECT_TRUE(said.ends_with("; using the defaults\n")) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    struct stat now {};
    ASSERT_EQ(::lstat(path.c_str(), &now), 0);
    EXPECT_EQ(now.st_mode, st.st_mode);
    EXPECT_EQ(now.st_ino, st.st_ino);
    if (row.regular) {
        EXPECT_TRUE(Bytes(path) == before);
    }
    EXPECT_EQ(Entries(dir_.Path()), (std::set<std::string>{"config", "orlenth.conf", "tmp"}));
    ::chmod(path.c_str(), 0644);
}

INSTANTIATE_TEST_SUITE_P(Rows, DamagedFileTest, ::testing::ValuesIn(kDamagedRows), RowName());

// Files that look like our own markers but are plain text pass.
const char* const kAcceptedTexts[] = {
    "path=/books/@Variant(1).txt\n",      // inside a path, not at an element's start
    "s=@@Variant(x)\n",                   // how QSettings writes such a string
    "l=a, @@DateTime(x)\n",               // and such a list item
    "b=@ByteArray(\\0\\x1\\xff)\n",       // saveGeometry's blobs
    "[General]\r\nwin=1\r\n",             // CR LF
    "\xEF\xBB\xBF[General]\nwin=1\n",     // a byte-order mark
    "; a comment\n[window]\nwidth=800\n", // comments
};

TEST_F(SettingsTest, LookalikesOfMarkersAreRead) {
    for (const char* text : kAcceptedTexts) {
        const std::string path = dir_.WriteFile("orlenth.conf", text);
        auto file = TSettingsFile::Open(NameOf(path));
        EXPECT_TRUE(file->Reading()) << text;
    }
}

// The many places, bookmarks and recent paths are parsed only when first asked for; however
// the file is laid out, what it says reads back the same.
struct LateRow {
    const char* name;
    const char* text;
};

void PrintTo(const LateRow& row, std::ostream* os) {
    *os << row.name;
}

class LateGroupsTest : public SettingsTest, public ::testing::WithParamInterface<LateRow> {};

TEST_P(LateGroupsTest, ReadAsTheWholeFileSays) {
    const LateRow& row = GetParam();
    const std::string path = dir_.WriteFile("orlenth.conf", row.text);
    auto file = TSettingsFile::Open(NameOf(path));
    ASSERT_TRUE(file->Reading());
    EXPECT_EQ(file->Int(QStringLiteral("look/interval"), 1, 300), 120);
    EXPECT_EQ(file->List(QStringLiteral("recent/paths"), 10),
              (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(file->Keys(QStringLiteral("places"), 10), QStringList{QStringLiteral("k")});
    EXPECT_TRUE(file->Writing());
    // Set before the late groups are read: the new value stands, not the file's.
    {
        auto again = TSettingsFile::Open(NameOf(path));
        again->Set(QStringLiteral("recent/paths"),
                   QStringList{QStringLiteral("/c"), QStringLiteral("/d")});
        EXPECT_EQ(again->List(QStringLiteral("recent/paths"), 10),
                  (QStringList{QStringLiteral("/c"), QStringLiteral("/d")}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LateGroupsTest,
    ::testing::Values(
        LateRow{"LateFirst", "[recent]\npaths=/a, /b\n[places]\nk=x\n[look]\ninterval=120\n"},
        LateRow{"LateLast", "[look]\ninterval=120\n[places]\nk=x\n[recent]\npaths=/a, /b"},
        LateRow{"CrLf",
                "[places]\r\nk=x\r\n[look]\r\ninterval=120\r\n[recent]\r\npaths=/a, /b\r\n"},
        LateRow{"BareCr", "[places]\rk=x\r[look]\rinterval=120\r[recent]\rpaths=/a, /b\r"},
        LateRow{"SectionTwice",
                "[places]\nk=x\n[look]\ninterval=120\n[recent]\npaths=/a, /b\n[places]\n"},
        LateRow{"CommentsAndBlanks", "; kept\n[places]\n\n; note\nk=x\n[look]\ninterval=120\n"
                                     "[recent]\npaths=/a, /b\n"}),
    [](const auto& late) { return std::string(late.param.name); });

TEST_F(SettingsTest, ControlBytesInTheNameAreEscaped) {
    const std::string path = File("bad\x1B[2Jname.conf");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    ::testing::internal::CaptureStderr();
    auto file = TSettingsFile::Open(NameOf(path));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("bad\\x1B[2Jname.conf: is a folder"), std::string::npos) << said;
}

} // namespace
} // namespace orlenth::settings
