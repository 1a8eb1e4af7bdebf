#include "app/platform/DisplayText.h"

#include "app/platform/FileEntry.h"
#include "framework/Errors.h"
#include "tests/platform/TempFolder.h"

namespace orlenth::platform {
namespace {

using testing::RowName;
using testing::TempFolder;
using namespace std::literals;

// The wrap engine's capacity, 512 MiB.
constexpr std::size_t kCapacity = std::size_t{512} * 1024 * 1024;

struct TextRow {
    const char* name;
    std::string_view file;
    std::string_view shown;
};

// 中文 is E4 B8 AD E6 96 87 in UTF-8 and D6 D0 CE C4 in GBK; 第一/第二 likewise.
// The emoji is outside GBK; GB18030 holds it as four bytes.
#define kTwentyOneZhong                                                                            \
    "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"         \
    "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"         \
    "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"
#define kTwentyOneZhongGbk                                                                         \
    "\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0"     \
    "\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0\xD6\xD0"

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
    {"Utf8CutOffEndIsOneReplacement", "\xE4\xB8\xAD\xE6\x96", "\xD6\xD0\x84\x31\xA4\x37"},
    {"Utf8ThenGbkUnchanged", "\xE4\xB8\xAD\xD6\xD0", "\xE4\xB8\xAD\xD6\xD0"},
    // Twenty-one 中 and one stray Latin-1 é (E9): UTF-8 all the same.
    {"Utf8WithOneStrayByte", kTwentyOneZhong "\xE9!", kTwentyOneZhongGbk "\x84\x31\xA4\x37!"},
    {"Utf16LittleEndian", "\xFF\xFE\x2D\x4E\x87\x65\x0D\x00\x0A\x00"sv, "\xD6\xD0\xCE\xC4\r\n"},
    {"Utf16BigEndian", "\xFE\xFF\x4E\x2D\x65\x87", "\xD6\xD0\xCE\xC4"},
    {"Utf16OddEnd", "\xFF\xFE\x2D\x4E\x87", "\xD6\xD0\x84\x31\xA4\x37"},
    {"Utf16Pair", "\xFF\xFE\x3D\xD8\x00\xDE"sv, "\x94\x39\xFC\x36"},
    {"Utf16LoneHighSurrogates", "\xFE\xFF\xDA\xDA\xDA\xDC\x25\x00"sv,
     "\x84\x31\xA4\x37\x84\x31\xA4\x37\xA9\xA4"},
    {"MarkInsideTextKept", "\xEF\xBB\xBF\xE4\xB8\xAD\xEF\xBB\xBF", "\xD6\xD0\x84\x31\x95\x33"},
};

class DisplayTextTest : public ::testing::TestWithParam<TextRow> {};

QByteArray Bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

TEST_P(DisplayTextTest, BytesForWrapEngine) {
    EXPECT_EQ(DisplayBytesOf(Bytes(GetParam().file)), Bytes(GetParam().shown));
}

// The same rows through a real file, whose name is not UTF-8 for good measure.
TEST_P(DisplayTextTest, LoadedFromFile) {
    TempFolder dir;
    const std::string p = dir.WriteFile("\xB2\xE2\xCA\xD4.txt", GetParam().file);
    EXPECT_EQ(LoadForDisplay(p, kCapacity), Bytes(GetParam().shown));
}

// Pieces may end anywhere, inside a mark or a character: the result stays the same.
TEST_P(DisplayTextTest, ConvertedInPiecesOfOneByte) {
    const std::string_view file = GetParam().file;
    const FileEncoding e = DetectEncoding(file);
    DisplayConverter converter(e);
    QByteArray out;
    for (const char c : file) converter.Feed(std::string_view(&c, 1), out);
    converter.Finish(out);
    EXPECT_EQ(out, Bytes(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayTextTest, ::testing::ValuesIn(kTextRows), RowName());

TEST(DisplayText, LoadsAtPathLongerThan253Bytes) {
    TempFolder dir;
    const std::string p = testing::MakeDeepFolder(dir.Path(), 300) + "a.txt";
    std::ofstream(p, std::ios::binary) << "\xD6\xD0\xCE\xC4";
    EXPECT_EQ(LoadForDisplay(p, kCapacity), Bytes("\xD6\xD0\xCE\xC4"));
}

struct FailRow {
    const char* name;
    std::string (*make)(const TempFolder&);
};

// Tests run as root, where permissions do not stop reading; these fail to open anyway.
const FailRow kFailRows[] = {
    {"Missing", [](const TempFolder& t) { return t / "gone.txt"; }},
    {"Socket", [](const TempFolder& t) { return t.MakeSocket("s.txt"); }},
    {"DanglingLink", [](const TempFolder& t) { return t.MakeLink("l.txt", t / "nowhere"); }},
    {"PathThroughAFile", [](const TempFolder& t) { return t.WriteFile("f", "x") + "/a.txt"; }},
};

class DisplayTextFailTest : public ::testing::TestWithParam<FailRow> {};

TEST_P(DisplayTextFailTest, CannotOpenFileNamesPathAsGiven) {
    TempFolder dir;
    const std::string p = GetParam().make(dir);
    try {
        LoadForDisplay(p, kCapacity);
        ADD_FAILURE() << "no exception for " << p;
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + p);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayTextFailTest, ::testing::ValuesIn(kFailRows), RowName());

TEST(DisplayText, UnreadableFileCannotBeOpened) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    TempFolder dir;
    const std::string p = dir.WriteFile("locked.txt", "x");
    ASSERT_EQ(::chmod(p.c_str(), 0), 0);
    EXPECT_THROW(LoadForDisplay(p, kCapacity), EFOpenError);
}

// None of these may be read: a FIFO would block the open, a device never ends. Each gives
// nothing at once, through a link too.
struct SpecialRow {
    const char* name;
    std::string (*make)(const TempFolder&);
};

const SpecialRow kSpecialRows[] = {
    {"Folder", [](const TempFolder& t) { return t.MakeFolder("notes.txt"); }},
    {"Fifo", [](const TempFolder& t) { return t.MakeFifo("x.txt"); }},
    {"LinkToFifo", [](const TempFolder& t) { return t.MakeLink("l.txt", t.MakeFifo("f")); }},
    {"LinkToDevZero", [](const TempFolder& t) { return t.MakeLink("z.txt", "/dev/zero"); }},
    {"LinkToDevUrandom", [](const TempFolder& t) { return t.MakeLink("u.txt", "/dev/urandom"); }},
};

class DisplayTextSpecialTest : public ::testing::TestWithParam<SpecialRow> {};

TEST_P(DisplayTextSpecialTest, GivesNothing) {
    TempFolder dir;
    const std::string p = GetParam().make(dir);
    EXPECT_NE(KindOf(p), EntryKind::Other);
    EXPECT_EQ(LoadForDisplay(p, kCapacity), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayTextSpecialTest, ::testing::ValuesIn(kSpecialRows),
                         RowName());

// A sparse file just over the capacity: refused from its size before a byte is read
// (reading it would take half a gigabyte and seconds).
TEST(DisplayText, OversizeFileRefusedBeforeReading) {
    TempFolder dir;
    const std::string p = dir.WriteFile("big.txt", "");
    ASSERT_EQ(::truncate(p.c_str(), static_cast<off_t>(kCapacity) + 1), 0);
    std::optional<TextFile> file = TextFile::Open(p);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), kCapacity + 1);
    try {
        std::move(*file).ReadForDisplay(kCapacity);
        ADD_FAILURE() << "an oversize file was read";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(e.Message(), "Text exceeds memo capacity");
    }
}

// A UTF-8 file that fits but whose conversion would not is refused too.
TEST(DisplayText, ConversionPastTheLimitRefused) {
    TempFolder dir;
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "\xD8\xA7"; // alef: 2 bytes in UTF-8, 4 in GB18030
    const std::string p = dir.WriteFile("e.txt", text);
    EXPECT_THROW(LoadForDisplay(p, 3000), EOutOfResources);
    EXPECT_EQ(LoadForDisplay(p, 4000)->size(), 4000);
}

// A file of several pieces arrives: its start is there at once, converted if need be, and
// the rest comes from the feed's producer.
struct ArrivingRow {
    const char* name;
    std::string_view unit;  // repeated to make the file
    std::string_view shown; // each unit as the wrap engine gets it
};

const ArrivingRow kArrivingRows[] = {
    {"Gbk", "\xD6\xD0\xCE\xC4\r\n", "\xD6\xD0\xCE\xC4\r\n"},
    {"Utf8", "\xE4\xB8\xAD\xE6\x96\x87\r\n", "\xD6\xD0\xCE\xC4\r\n"},
};

class ArrivingTextTest : public ::testing::TestWithParam<ArrivingRow> {};

TEST_P(ArrivingTextTest, StartsAtOnceAndEndsWhole) {
    const ArrivingRow& row = GetParam();
    std::string file, shown;
    while (file.size() < 3'500'000) {
        file += row.unit;
        shown += row.shown;
    }
    TempFolder dir;
    std::optional<TextFile> opened = TextFile::Open(dir.WriteFile("big.txt", file));
    ASSERT_TRUE(opened);
    text::TextFeed feed = std::move(*opened).FeedForDisplay(kCapacity);
    EXPECT_GT(feed.ready, 0u);
    EXPECT_LT(feed.ready, shown.size());
    EXPECT_EQ(std::string_view(feed.buffer.constData(), feed.ready),
              std::string_view(shown).substr(0, feed.ready));
    ASSERT_TRUE(feed.produce);
    text::TextLoad load(std::move(feed));
    EXPECT_EQ(load.finalText().toStdString(), shown);
    EXPECT_FALSE(load.error());
}

// In pieces of a few bytes, cut inside characters (UTF-8's three bytes, UTF-16's pairs),
// the text is still the whole file's.
TEST_P(ArrivingTextTest, SmallPiecesGiveTheSameText) {
    const ArrivingRow& row = GetParam();
    std::string file, shown;
    for (int i = 0; i < 100; ++i) {
        file += row.unit;
        shown += row.shown;
    }
    TempFolder dir;
    for (const std::size_t piece : {1u, 2u, 5u, 7u}) {
        std::optional<TextFile> opened = TextFile::Open(dir.WriteFile("small.txt", file));
        ASSERT_TRUE(opened);
        text::TextLoad load(std::move(*opened).FeedForDisplay(kCapacity, piece));
        EXPECT_EQ(load.finalText().toStdString(), shown) << piece;
        EXPECT_FALSE(load.error());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ArrivingTextTest, ::testing::ValuesIn(kArrivingRows), RowName());

// Another program cuts the file short after its start was read: the text ends where the
// file did, and nothing reads past it.
TEST(DisplayText, FileCutShortWhileItArrivesGivesWhatWasThere) {
    TempFolder dir;
    std::string gbk;
    while (gbk.size() < 5'000'000) gbk += "\xD6\xD0\xCE\xC4\r\n"; // 中文, GBK
    const std::string p = dir.WriteFile("cut.txt", gbk);
    std::optional<TextFile> file = TextFile::Open(p);
    ASSERT_TRUE(file);
    text::TextFeed feed = std::move(*file).FeedForDisplay(kCapacity);
    ASSERT_TRUE(feed.produce);
    const std::size_t ready = feed.ready;
    ASSERT_EQ(::truncate(p.c_str(), 2'000'000), 0);
    text::TextLoad load(std::move(feed));
    EXPECT_EQ(load.finalText().toStdString(), gbk.substr(0, 2'000'000));
    EXPECT_LT(ready, 2'000'000u);
}

} // namespace
} // namespace orlenth::platform

namespace orlenth::platform {
namespace {

// However a file starts, the detection settles (or finds a plain ASCII start, which reads
// the same in every encoding) without reading far: the first page never waits for the
// whole file.
struct SettleRow {
    const char* name;
    std::string (*make)();
    bool asciiStart;
};

std::string Times(std::string_view unit, std::size_t bytes) {
    std::string s;
    while (s.size() < bytes) s += unit;
    return s;
}

constexpr std::size_t kBig = 8 * 1024 * 1024;

const SettleRow kSettleRows[] = {
    {"Nuls", [] { return std::string(kBig, '\0'); }, true},
    {"Ascii", [] { return Times("plain line\r\n", kBig); }, true},
    {"AsciiWithNulsNowAndThen", [] { return Times(std::string(2047, 'a') + '\0', kBig); }, true},
    // One é in every 10 000 bytes: too few valid sequences to be plainly UTF-8 early.
    {"SparseUtf8", [] { return Times(std::string(9998, 'a') + "\xC3\xA9", kBig); }, false},
    {"Gbk", [] { return Times("\xD6\xD0\xCE\xC4\r\n", kBig); }, false},
    {"Utf16Ascii", [] { return Times(std::string("a\0b\0\n\0", 6), kBig); }, false},
    {"HighBytes", [] { return Times("\x80\xFF", kBig); }, false},
};

class SettleTest : public ::testing::TestWithParam<SettleRow> {};

TEST_P(SettleTest, SettlesWithinTheLookAhead) {
    const std::string file = GetParam().make();
    EncodingSniffer sniffer(file.size());
    std::size_t fed = 0;
    while (fed < file.size() && !sniffer.Decided() && !sniffer.AsciiStart()) {
        sniffer.Feed(std::string_view(file).substr(fed, 4096));
        fed += 4096;
    }
    EXPECT_LE(fed, EncodingSniffer::kLookBytes + EncodingSniffer::kSampleBytes);
    EXPECT_EQ(sniffer.AsciiStart(), GetParam().asciiStart);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettleTest, ::testing::ValuesIn(kSettleRows), RowName());

// A sparse file of 64 MiB of NULs: its first piece is there at once, the rest is left to
// the load's thread, and the encoding is open until then.
TEST(DisplayText, NulFileShowsItsStartWithoutReadingTheRest) {
    TempFolder dir;
    const std::string p = dir.WriteFile("nul.txt", "");
    ASSERT_EQ(::truncate(p.c_str(), 64 << 20), 0);
    std::optional<TextFile> file = TextFile::Open(p);
    ASSERT_TRUE(file);
    auto report = std::make_shared<EncodingReport>();
    text::TextFeed feed = std::move(*file).FeedForDisplay(kCapacity, 1 << 20, {}, report);
    EXPECT_EQ(feed.ready, std::size_t{1} << 20);
    EXPECT_EQ(std::string_view(feed.buffer.constData(), feed.ready), std::string(feed.ready, '\0'));
    EXPECT_TRUE(feed.produce);
    EXPECT_EQ(report->Encoding(), std::nullopt);
}

// A plain ASCII start, then text in some encoding: the start shows at once, the rest is
// decided and converted on the load's thread, pieces cut wherever they fall.
struct AsciiStartRow {
    const char* name;
    std::string tail; // after the ASCII start, repeated
    std::string shown;
    FileEncoding encoding;
};

const AsciiStartRow kAsciiStartRows[] = {
    {"ThenGbk", "\xD6\xD0\xCE\xC4\r\n", "\xD6\xD0\xCE\xC4\r\n", FileEncoding::Gbk},
    {"ThenUtf8", "\xE4\xB8\xAD\xE6\x96\x87\r\n", "\xD6\xD0\xCE\xC4\r\n", FileEncoding::Utf8},
    // 中文 and 我們 in Big5: A4 A4 A4 E5, A7 DA AD CC.
    {"ThenBig5", "\xA4\xA4\xA4\xE5\xA7\xDA\xAD\xCC\r\n", "\xD6\xD0\xCE\xC4\xCE\xD2\x82\x83\r\n",
     FileEncoding::Big5},
    // A mark after the start is text, not a mark.
    {"ThenUtf8MarkInside", "\xEF\xBB\xBF\xE4\xB8\xAD", "\x84\x31\x95\x33\xD6\xD0",
     FileEncoding::Utf8},
};

class AsciiStartTest : public ::testing::TestWithParam<AsciiStartRow> {};

TEST_P(AsciiStartTest, StartShowsAtOnceAndRestIsConverted) {
    const AsciiStartRow& row = GetParam();
    const std::string start = Times("plain line\r\n", 3'000'000);
    std::string file = start, shown = start;
    for (int i = 0; i < 2000; ++i) {
        file += row.tail;
        shown += row.shown;
    }
    TempFolder dir;
    const std::string p = dir.WriteFile("a.txt", file);
    for (const std::size_t piece : {std::size_t{61}, std::size_t{4096}, TextFile::kPieceBytes}) {
        std::optional<TextFile> opened = TextFile::Open(p);
        ASSERT_TRUE(opened);
        auto report = std::make_shared<EncodingReport>();
        text::TextFeed feed = std::move(*opened).FeedForDisplay(kCapacity, piece, {}, report);
        EXPECT_GE(feed.ready, EncodingSniffer::kSampleBytes) << piece;
        EXPECT_LE(feed.ready, start.size()) << piece;
        EXPECT_EQ(report->Encoding(), std::nullopt) << piece;
        text::TextLoad load(std::move(feed));
        EXPECT_EQ(load.finalText().toStdString(), shown) << piece;
        EXPECT_FALSE(load.error());
        EXPECT_EQ(report->Encoding(), row.encoding) << piece;
    }
    EXPECT_EQ(DisplayBytesOf(QByteArray::fromStdString(file)).toStdString(), shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, AsciiStartTest, ::testing::ValuesIn(kAsciiStartRows), RowName());

} // namespace
} // namespace orlenth::platform
