// Files in every encoding the reader knows, written here from Unicode text: what the
// detection takes them for, and that each shows the same page as its GBK form.

#include "app/platform/DisplayText.h"
#include "app/platform/TextDetection.h"
#include "tests/platform/TempFolder.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <set>

namespace orlenth::platform {

void PrintTo(FileEncoding e, std::ostream* os) {
    *os << MenuNameOf(e);
}

namespace {

using testing::RowName;
using testing::TempFolder;

constexpr std::size_t kCapacity = std::size_t{512} * 1024 * 1024;

// A page of a story, in simplified and in traditional characters.
const char16_t kSimplified[] =
    u"第一章　风起\r\n\r\n"
    u"　　天色渐渐暗了下来，街上的行人也少了。他站在桥头，望着河水缓缓流去，心里想着明天的"
    u"事情。“你还不回家吗？”身后传来一个熟悉的声音。他回过头，看见妹妹提着一盏灯笼，笑盈盈地"
    u"望着他。\r\n"
    u"　　“就回去了。”他说，“今天的书还没有读完，先生说明天要考。”\r\n"
    u"　　两人沿着河岸慢慢走着，远处的钟声一下一下地响起来，城里的灯火一盏接一盏地亮了。\r\n";
const char16_t kTraditional[] =
    u"第一章　風起\r\n\r\n"
    u"　　天色漸漸暗了下來，街上的行人也少了。他站在橋頭，望著河水緩緩流去，心裡想著明天的"
    u"事情。「你還不回家嗎？」身後傳來一個熟悉的聲音。他回過頭，看見妹妹提著一盞燈籠，笑盈盈地"
    u"望著他。\r\n"
    u"　　「就回去了。」他說，「今天的書還沒有讀完，先生說明天要考。」\r\n"
    u"　　兩人沿著河岸慢慢走著，遠處的鐘聲一下一下地響起來，城裡的燈火一盞接一盞地亮了。\r\n";
// Cantonese, with characters that only Big5-HKSCS holds (佢, 哋, 喺, 嘢).
const char16_t kCantonese[] = u"　　佢哋喺度食緊嘢，我哋唔好嘈住佢，等陣先再講啦。\r\n";
const char16_t kJapanese[] =
    u"　今日は朝から雨が降っていたので、私は家で本を読んでいました。午後になると、友だちから"
    u"電話がかかってきて、駅の近くの喫茶店で会うことになりました。コーヒーを飲みながら、昔の"
    u"話をたくさんしました。\r\n";
const char16_t kKorean[] =
    u"오늘은 아침부터 비가 내려서 나는 집에서 책을 읽었다. 오후가 되자 친구에게서 전화가 와서 "
    u"역 근처의 찻집에서 만나기로 했다. 우리는 커피를 마시면서 옛날 이야기를 많이 나누었다.\r\n";
// Beyond GBK: a character of CJK extension B and the euro sign, four bytes in GB18030.
const char16_t kBeyondGbk[] = u"　　𠀀字与€号。\r\n";

QString Repeated(const char16_t* text, int times) {
    return QString::fromUtf16(text).repeated(times);
}

std::string Encoded(const QString& text, const char* encoding) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    const QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError()) << encoding;
    return bytes.toStdString();
}

std::string Utf16(const QString& text, bool little) {
    std::string out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return out;
}

// The text as the wrap engine should get it.
QByteArray Shown(const QString& text) {
    QStringEncoder gb18030("GB18030");
    return gb18030.encode(text);
}

struct FileRow {
    const char* name;
    QString (*text)();
    std::string (*bytes)(const QString&);
    FileEncoding verdict;
};

const FileRow kFileRows[] = {
    {"GbkNovel", [] { return Repeated(kSimplified, 20); },
     [](const QString& t) { return Encoded(t, "GBK"); }, FileEncoding::Gbk},
    {"GbkTraditional", [] { return Repeated(kTraditional, 20); },
     [](const QString& t) { return Encoded(t, "GBK"); }, FileEncoding::Gbk},
    {"Gb18030FourByte",
     [] { return Repeated(kSimplified, 3) + Repeated(kBeyondGbk, 20) + Repeated(kSimplified, 3); },
     [](const QString& t) { return Encoded(t, "GB18030"); }, FileEncoding::Gbk},
    // Lines broken by spaces, as Korean is: GBK all the same.
    {"GbkVerseWithSpaces",
     [] { return Repeated(u"春风吹过小桥 流水绕着人家 我在窗前读书 听见远处钟声\r\n", 30); },
     [](const QString& t) { return Encoded(t, "GBK"); }, FileEncoding::Gbk},
    {"GbkShortLine", [] { return QString::fromUtf16(u"你好，世界。"); },
     [](const QString& t) { return Encoded(t, "GBK"); }, FileEncoding::Gbk},
    {"Utf8Novel", [] { return Repeated(kSimplified, 20); },
     [](const QString& t) { return t.toUtf8().toStdString(); }, FileEncoding::Utf8},
    {"Utf16LENoMark", [] { return Repeated(kSimplified, 20); },
     [](const QString& t) { return Utf16(t, true); }, FileEncoding::Utf16LE},
    {"Utf16BENoMark", [] { return Repeated(kSimplified, 20); },
     [](const QString& t) { return Utf16(t, false); }, FileEncoding::Utf16BE},
    {"Utf16LEWithoutLineBreaks",
     [] { return Repeated(kSimplified, 20).remove(QStringLiteral("\r\n")); },
     [](const QString& t) { return Utf16(t, true); }, FileEncoding::Utf16LE},
    {"Utf16LEAscii", [] { return QStringLiteral("Chapter one\r\nIt was late.\r\n").repeated(20); },
     [](const QString& t) { return Utf16(t, true); }, FileEncoding::Utf16LE},
    {"Utf16BEAsciiShort", [] { return QStringLiteral("ok"); },
     [](const QString& t) { return Utf16(t, false); }, FileEncoding::Utf16BE},
    {"Big5Novel", [] { return Repeated(kTraditional, 20); },
     [](const QString& t) { return Encoded(t, "Big5"); }, FileEncoding::Big5},
    {"Big5OnePage", [] { return Repeated(kTraditional, 1); },
     [](const QString& t) { return Encoded(t, "Big5"); }, FileEncoding::Big5},
    {"Big5HkscsCantonese", [] { return Repeated(kCantonese, 10) + Repeated(kTraditional, 10); },
     [](const QString& t) { return Encoded(t, "Big5-HKSCS"); }, FileEncoding::Big5Hkscs},
    {"ShiftJisStory", [] { return Repeated(kJapanese, 20); },
     [](const QString& t) { return Encoded(t, "Shift_JIS"); }, FileEncoding::ShiftJis},
    {"EucJpStory", [] { return Repeated(kJapanese, 20); },
     [](const QString& t) { return Encoded(t, "EUC-JP"); }, FileEncoding::EucJp},
    {"EucKrStory", [] { return Repeated(kKorean, 20); },
     [](const QString& t) { return Encoded(t, "EUC-KR"); }, FileEncoding::EucKr},
    {"AsciiOnly", [] { return QStringLiteral("Plain text.\n").repeated(50); },
     [](const QString& t) { return t.toLatin1().toStdString(); }, FileEncoding::Gbk},
};

class EncodingFileTest : public ::testing::TestWithParam<FileRow> {};

TEST_P(EncodingFileTest, Detected) {
    const std::string bytes = GetParam().bytes(GetParam().text());
    EXPECT_EQ(DetectEncoding(bytes), GetParam().verdict);
}

// Each file, detected and converted, shows the same page: its text in GB18030.
TEST_P(EncodingFileTest, ShowsItsText) {
    const QString text = GetParam().text();
    const std::string bytes = GetParam().bytes(text);
    EXPECT_EQ(DisplayBytesOf(QByteArray::fromStdString(bytes)), Shown(text));
}

// In pieces of any size, cut inside characters, the converter gives the text of one go.
TEST_P(EncodingFileTest, PiecesGiveTheWholeText) {
    const std::string bytes = GetParam().bytes(GetParam().text());
    const QByteArray whole = DisplayBytesOf(QByteArray::fromStdString(bytes));
    for (const std::size_t piece : {1u, 2u, 3u, 5u, 7u, 4096u}) {
        DisplayConverter converter(GetParam().verdict);
        QByteArray out;
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            converter.Feed(std::string_view(bytes).substr(at, piece), out);
        converter.Finish(out);
        EXPECT_EQ(out, whole) << piece;
    }
}

// The loader, reading in small pieces on the load's thread, agrees and reports it.
TEST_P(EncodingFileTest, LoadedInPiecesAndReported) {
    const QString text = GetParam().text();
    TempFolder dir;
    std::optional<TextFile> file = TextFile::Open(dir.WriteFile("f.txt", GetParam().bytes(text)));
    ASSERT_TRUE(file);
    auto report = std::make_shared<EncodingReport>();
    text::TextLoad load(std::move(*file).FeedForDisplay(kCapacity, 13, std::nullopt, report));
    EXPECT_EQ(load.finalText(), Shown(text));
    EXPECT_EQ(report->Encoding(), GetParam().verdict);
    EXPECT_FALSE(report->Forced());
}

INSTANTIATE_TEST_SUITE_P(Rows, EncodingFileTest, ::testing::ValuesIn(kFileRows), RowName());

TEST(EncodingDetection, CantoneseRowNeedsHkscs) {
    const QString text = QString::fromUtf16(kCantonese);
    QStringEncoder big5("Big5", QStringConverter::Flag::Stateless);
    QStringDecoder back("Big5", QStringConverter::Flag::Stateless);
    EXPECT_NE(back.decode(big5.encode(text)), text);
}

// A cut anywhere, inside a character too, changes nothing.
TEST(EncodingDetection, CutFilesKeepTheirVerdict) {
    for (const FileRow& row : kFileRows) {
        const std::string bytes = row.bytes(row.text());
        if (bytes.size() < 400) continue;
        for (std::size_t cut = 301; cut < bytes.size(); cut += 97)
            EXPECT_EQ(DetectEncoding(std::string_view(bytes).substr(0, cut)), row.verdict)
                << row.name << " cut at " << cut;
    }
}

TEST(EncodingDetection, MenuListsEveryEncodingOnce) {
    std::set<FileEncoding> seen;
    std::set<std::string> names;
    for (const EncodingName& n : KnownEncodings()) {
        seen.insert(n.encoding);
        names.insert(n.menuName);
        EXPECT_STREQ(MenuNameOf(n.encoding), n.menuName);
    }
    EXPECT_EQ(seen.size(), 9u);
    EXPECT_EQ(names.size(), 9u);
    EXPECT_STREQ(MenuNameOf(FileEncoding::Gbk), "GB18030");
    EXPECT_STREQ(MenuNameOf(FileEncoding::Utf16LE), "UTF-16 LE");
}

// The caller chooses: the file is read in that encoding whatever it looks like.
struct ForcedRow {
    const char* name;
    std::string file;
    FileEncoding forced;
    const char16_t* shown; // null: the file's own bytes
};

const ForcedRow kForcedRows[] = {
    // 中文 in UTF-8, forced to GBK: shown as its bytes.
    {"Utf8AsGbk", "\xE4\xB8\xAD\xE6\x96\x87", FileEncoding::Gbk, nullptr},
    // 中 in GBK, forced to UTF-8: two broken sequences.
    {"GbkAsUtf8", "\xD6\xD0", FileEncoding::Utf8, u"\uFFFD\uFFFD"},
    // 中 in UTF-16 LE, with its mark dropped and without.
    {"Utf16LEMarked", std::string("\xFF\xFE\x2D\x4E", 4), FileEncoding::Utf16LE, u"中"},
    {"Utf16LEUnmarked", std::string("\x2D\x4E", 2), FileEncoding::Utf16LE, u"中"},
    // The same bytes the other way round: a Tifinagh letter.
    {"Utf16BEOfLE", std::string("\x2D\x4E", 2), FileEncoding::Utf16BE, u"\u2D4E"},
    // 中文 in Big5; 中 in Big5-HKSCS; あ in Shift_JIS and EUC-JP; 한 in EUC-KR.
    {"Big5", "\xA4\xA4\xA4\xE5", FileEncoding::Big5, u"中文"},
    {"Big5Hkscs", "\xA4\xA4", FileEncoding::Big5Hkscs, u"中"},
    {"ShiftJis", "\x82\xA0", FileEncoding::ShiftJis, u"あ"},
    {"EucJp", "\xA4\xA2", FileEncoding::EucJp, u"あ"},
    {"EucKr", "\xC7\xD1", FileEncoding::EucKr, u"한"},
    // A lead byte cut off by the end is one U+FFFD.
    {"Big5CutOff", "a\xA4", FileEncoding::Big5, u"a\uFFFD"},
};

class ForcedEncodingTest : public ::testing::TestWithParam<ForcedRow> {};

TEST_P(ForcedEncodingTest, ReadInTheChosenEncoding) {
    const ForcedRow& row = GetParam();
    const QByteArray expected =
        row.shown ? Shown(QString::fromUtf16(row.shown)) : QByteArray::fromStdString(row.file);
    EXPECT_EQ(DisplayBytesOf(QByteArray::fromStdString(row.file), row.forced), expected);
    TempFolder dir;
    const std::string path = dir.WriteFile("f.txt", row.file);
    EXPECT_EQ(LoadForDisplay(path, kCapacity, row.forced), expected);
    std::optional<TextFile> file = TextFile::Open(path);
    ASSERT_TRUE(file);
    auto report = std::make_shared<EncodingReport>();
    text::TextLoad load(std::move(*file).FeedForDisplay(kCapacity, 1, row.forced, report));
    EXPECT_EQ(load.finalText(), expected);
    EXPECT_EQ(report->Encoding(), row.forced);
    EXPECT_TRUE(report->Forced());
}

// An earlier verdict passed on is taken as a choice is, whatever the bytes look like, yet
// reported as the detection's; a choice made as well comes first.
TEST_P(ForcedEncodingTest, KnownVerdictReadWithoutDetectionStillDetected) {
    const ForcedRow& row = GetParam();
    const QByteArray expected =
        row.shown ? Shown(QString::fromUtf16(row.shown)) : QByteArray::fromStdString(row.file);
    TempFolder dir;
    const std::string path = dir.WriteFile("f.txt", row.file);
    std::optional<TextFile> file = TextFile::Open(path);
    ASSERT_TRUE(file);
    auto report = std::make_shared<EncodingReport>();
    text::TextLoad load(
        std::move(*file).FeedForDisplay(kCapacity, 1, std::nullopt, report, row.forced));
    EXPECT_EQ(load.finalText(), expected);
    EXPECT_EQ(report->Encoding(), row.forced);
    EXPECT_FALSE(report->Forced());
    const FileEncoding other =
        row.forced == FileEncoding::Gbk ? FileEncoding::Utf16BE : FileEncoding::Gbk;
    std::optional<TextFile> again = TextFile::Open(path);
    ASSERT_TRUE(again);
    report = std::make_shared<EncodingReport>();
    text::TextLoad chosen(
        std::move(*again).FeedForDisplay(kCapacity, 1, row.forced, report, other));
    EXPECT_EQ(chosen.finalText(), expected);
    EXPECT_EQ(report->Encoding(), row.forced);
    EXPECT_TRUE(report->Forced());
}

INSTANTIATE_TEST_SUITE_P(Rows, ForcedEncodingTest, ::testing::ValuesIn(kForcedRows), RowName());

// A big GBK file read in a chosen or known encoding has its start at once, not a whole
// piece, and the rest after.
TEST(EncodingDetection, ChosenGbkShowsItsStartAndReadsTheRestAfter) {
    const std::string novel = Encoded(Repeated(kTraditional, 8000), "GBK");
    ASSERT_GT(novel.size(), 2 * TextFile::kPieceBytes);
    TempFolder dir;
    const std::string path = dir.WriteFile("f.txt", novel);
    for (const bool forced : {true, false}) {
        std::optional<TextFile> file = TextFile::Open(path);
        ASSERT_TRUE(file);
        const std::optional<FileEncoding> gbk = FileEncoding::Gbk;
        text::TextFeed feed = std::move(*file).FeedForDisplay(kCapacity, TextFile::kPieceBytes,
                                                              forced ? gbk : std::nullopt, nullptr,
                                                              forced ? std::nullopt : gbk);
        EXPECT_GT(feed.ready, 0u) << forced;
        EXPECT_LE(feed.ready, std::size_t{64} << 10) << forced;
        text::TextLoad load(std::move(feed));
        EXPECT_EQ(load.finalText().toStdString(), novel) << forced;
    }
}

// A Big5 novel and its BOM-less UTF-16 form show the page its GBK form shows.
TEST(EncodingDetection, Big5AndUtf16ShowTheGbkPage) {
    const QString text = Repeated(kTraditional, 200);
    const QByteArray gbk = QByteArray::fromStdString(Encoded(text, "GBK"));
    EXPECT_EQ(DisplayBytesOf(gbk), gbk);
    EXPECT_EQ(DisplayBytesOf(QByteArray::fromStdString(Encoded(text, "Big5"))), gbk);
    EXPECT_EQ(DisplayBytesOf(QByteArray::fromStdString(Utf16(text, true))), gbk);
    EXPECT_EQ(DisplayBytesOf(QByteArray::fromStdString(Utf16(text, false))), gbk);
}

} // namespace
} // namespace orlenth::platform
