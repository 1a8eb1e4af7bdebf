#include "framework/Errors.h"
#include "framework/text/GbkDecoder.h"
#include "framework/text/WrapEngine.h"
#include "text_test_support.h"

#include <QFontMetricsF>
#include <gtest/gtest.h>

#include <ostream>

#include <set>

namespace orlenth::text {
namespace {

using testing::defaultPageFont;
using testing::toGbk;

// Wraps with the default page font; widths are given in units of a Han character's advance
// (em) plus an optional extra in pixels, so that rows read in characters.
class Wrapper {
public:
    Wrapper() : cache_(defaultPageFont()), metrics_(cache_), fm_(defaultPageFont()) {}

    double em() const { return fm_.horizontalAdvance(QStringLiteral("中")); }
    double widthOf(const QString& s) const {
        double w = 0;
        for (const uint c : s.toUcs4())
            w += fm_.horizontalAdvance(QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1));
        return w;
    }
    std::vector<DisplayLine> wrap(const std::string& gbk, double width) const {
        return wrapText(gbk, width, metrics_);
    }
    std::vector<QString> texts(const QString& text, double width) const {
        const std::string gbk = toGbk(text);
        std::vector<QString> out;
        for (const DisplayLine& l : wrap(gbk, width))
            out.push_back(
                QString::fromUcs4(GbkDecoder::instance()
                                      .decode(std::string_view(gbk).substr(l.start, l.length))
                                      .c_str()));
        return out;
    }

private:
    AdvanceCache cache_;
    GbkMetrics metrics_;
    QFontMetricsF fm_;
};

const Wrapper& wrapper() {
    static const Wrapper w;
    return w;
}

std::vector<std::string> asUtf8(const std::vector<QString>& lines) {
    std::vector<std::string> out;
    for (const QString& l : lines) out.push_back(l.toStdString());
    return out;
}

// ---- Exact results on short texts ----------------------------------------------------

struct ExactCase {
    const char* name;
    QString text;
    double ems;       // width in Han advances...
    QString widthRef; // ...plus the advance of this string, when given
    double extraEms;  // ...plus this many more ems
    std::vector<std::string> expected;
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const ExactCase& row, std::ostream* os) {
    *os << row.name;
}

class WrapExact : public ::testing::TestWithParam<ExactCase> {};

TEST_P(WrapExact, GivesTheseLines) {
    const ExactCase& c = GetParam();
    const Wrapper& w = wrapper();
    const double width = c.ems * w.em() + w.widthOf(c.widthRef) + c.extraEms * w.em();
    EXPECT_EQ(asUtf8(w.texts(c.text, width)), c.expected) << "width " << width;
}

INSTANTIATE_TEST_SUITE_P(
    Breaking, WrapExact,
    ::testing::Values(
        ExactCase{"HanFillsWholeLines",
                  QStringLiteral("一二三四五六七八九十"),
                  4,
                  {},
                  0,
                  {"一二三四", "五六七八", "九十"}},
        ExactCase{"HanJustUnderWidth",
                  QStringLiteral("一二三四五六七八九十"),
                  4,
                  {},
                  -0.01,
                  {"一二三", "四五六", "七八九", "十"}},
        ExactCase{"CommaTakesPreviousCharacterDown",
                  QStringLiteral("一二三四，五六"),
                  4,
                  {},
                  0,
                  {"一二三", "四，五六"}},
        ExactCase{"FullStopAndClosingQuoteStayTogether",
                  QStringLiteral("一二三。”四五"),
                  3,
                  {},
                  0,
                  {"一二", "三。”", "四五"}},
        ExactCase{"QuestionAndExclamationMarks",
                  QStringLiteral("是吗？好！"),
                  2,
                  {},
                  0,
                  {"是", "吗？", "好！"}},
        ExactCase{
            "OpeningMarkNotAtLineEnd", QStringLiteral("一二《三四"), 3, {}, 0, {"一二", "《三四"}},
        ExactCase{"BookTitleMarks",
                  QStringLiteral("一二三《四五》"),
                  3,
                  {},
                  0,
                  {"一二三", "《四", "五》"}},
        ExactCase{"OpeningQuoteGoesDown", QStringLiteral("他说“好”"), 3, {}, 0, {"他说", "“好”"}},
        ExactCase{"DashIsNotSplit", QStringLiteral("一二——三"), 3, {}, 0, {"一二", "——三"}},
        ExactCase{"FourByteNonstarterTakesPreviousCharacterDown",
                  QStringLiteral("一二‼三四"),
                  2,
                  {},
                  0,
                  {"一", "二‼", "三四"}},
        ExactCase{"TooNarrowForAnyRuleLeavesOpenerAtEnd",
                  QStringLiteral("他说“好”"),
                  2,
                  {},
                  0,
                  {"他说", "“", "好”"}},
        ExactCase{"LatinWordMovesWhole",
                  QStringLiteral("我爱Orlenth"),
                  0,
                  QStringLiteral("Orlenth"),
                  0.5,
                  {"我爱", "Orlenth"}},
        ExactCase{"DigitRunMovesWhole",
                  QStringLiteral("共计1234567元"),
                  0,
                  QStringLiteral("1234567"),
                  0.5,
                  {"共计", "1234567", "元"}},
        ExactCase{"SpaceStaysWithWordBefore",
                  QStringLiteral("read the book"),
                  0,
                  QStringLiteral("read the "),
                  0.1,
                  {"read the ", "book"}},
        ExactCase{"SpaceNeverStartsALine",
                  QStringLiteral("read the book"),
                  0,
                  QStringLiteral("read the"),
                  0.1,
                  {"read ", "the book"}},
        ExactCase{"RunWiderThanLineIsCut",
                  QStringLiteral("中WWWWWWWW"),
                  0,
                  QStringLiteral("WWW"),
                  0.1,
                  {"中", "WWW", "WWW", "WW"}},
        ExactCase{
            "CharacterWiderThanWidthStandsAlone", QStringLiteral("中文"), 0.5, {}, 0, {"中", "文"}},
        ExactCase{"FourByteCharactersAreWhole",
                  QStringLiteral("𠀀𪚥𠀀𪚥𠀀"),
                  0,
                  QStringLiteral("𠀀𪚥"),
                  0.1,
                  {"𠀀𪚥", "𠀀𪚥", "𠀀"}}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Hard line breaks and the line count ---------------------------------------------

struct HardBreakCase {
    const char* name;
    std::string gbk;
    std::vector<std::string> expected; // GBK bytes of each display line
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const HardBreakCase& row, std::ostream* os) {
    *os << row.name;
}

class WrapHardBreaks : public ::testing::TestWithParam<HardBreakCase> {};

TEST_P(WrapHardBreaks, GiveTheseLines) {
    const std::string& text = GetParam().gbk;
    std::vector<std::string> got;
    for (const DisplayLine& l : wrapper().wrap(text, 1000))
        got.push_back(text.substr(l.start, l.length));
    EXPECT_EQ(got, GetParam().expected);
}

const std::string kJia = toGbk(QStringLiteral("甲"));
const std::string kYi = toGbk(QStringLiteral("乙"));

INSTANTIATE_TEST_SUITE_P(
    Texts, WrapHardBreaks,
    ::testing::Values(HardBreakCase{"Empty", "", {}}, HardBreakCase{"OneCrLf", "\r\n", {""}},
                      HardBreakCase{"OneLf", "\n", {""}}, HardBreakCase{"OneCr", "\r", {""}},
                      HardBreakCase{"TrailingBreakAddsNoLine", kJia + "\r\n", {kJia}},
                      HardBreakCase{"TwoTrailingBreaks", kJia + "\r\n\r\n", {kJia, ""}},
                      HardBreakCase{"NoTrailingBreak", kJia + "\r\n" + kYi, {kJia, kYi}},
                      HardBreakCase{"BareLf", kJia + "\n" + kYi, {kJia, kYi}},
                      HardBreakCase{"BareCr", kJia + "\r" + kYi, {kJia, kYi}},
                      HardBreakCase{"LfThenCrAreTwoBreaks", kJia + "\n\r" + kYi, {kJia, "", kYi}},
                      HardBreakCase{"CrThenCrLf", kJia + "\r\r\n" + kYi, {kJia, "", kYi}},
                      HardBreakCase{"StrayLeadByteBeforeBreak", "\xD6\r\n" + kYi, {"\xD6", kYi}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(WrapHardBreaks, LfCrAndCrLfTextsWrapAlike) {
    const QString lf =
        QStringLiteral("子曰：“学而时习之，不亦说乎？”\n\n有朋自远方来，不亦乐乎？\n");
    QString crlf = lf;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    QString cr = lf;
    cr.replace(u'\n', u'\r');
    for (const double ems : {3.0, 5.5, 8.0, 40.0}) {
        const double width = ems * wrapper().em();
        const auto expected = wrapper().texts(crlf, width);
        EXPECT_EQ(wrapper().texts(lf, width), expected) << ems << " em";
        EXPECT_EQ(wrapper().texts(cr, width), expected) << ems << " em";
    }
}

// ---- Rules that hold for every line of real text at every width ------------------------

const std::set<char32_t> kNeverFirst = {U'，', U'。', U'、', U'；', U'：', U'？', U'！', U'）',
                                        U'》', U'」', U'』', U'”',  U'’',  U'〕', U'】', U'…',
                                        U'.',  U',',  U':',  U'!',  U'?',  U')'};
const std::set<char32_t> kNeverLast = {U'（', U'《', U'「', U'『', U'“', U'‘', U'〔', U'【'};

// Letters, digits, the ASCII symbols that bind into words (an address stays whole) and the
// dash, whose two halves (——) may not be parted.
bool isWordChar(char32_t c) {
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') ||
           c == U'@' || c == U'_' || c == U'—';
}

struct Article {
    const char* name;
    QString text;
};

// Failures name the row rather than dumping its bytes.
void PrintTo(const Article& row, std::ostream* os) {
    *os << row.name;
}

class WrapRules : public ::testing::TestWithParam<Article> {};

TEST_P(WrapRules, HoldOnEveryLineAtManyWidths) {
    const Wrapper& w = wrapper();
    const std::string gbk = toGbk(GetParam().text);
    const GbkDecoder& decoder = GbkDecoder::instance();

    // Character boundaries and code points by byte offset, from an independent walk.
    std::vector<char32_t> charAt(gbk.size() + 1, 0);
    std::vector<bool> boundary(gbk.size() + 1, false);
    for (std::size_t p = 0; p < gbk.size();) {
        boundary[p] = true;
        const GbkChar c = decoder.next(gbk.data() + p, gbk.data() + gbk.size());
        charAt[p] = c.codePoint;
        p += c.length;
    }
    boundary[gbk.size()] = true;
    const auto decodeRange = [&](std::size_t from, std::size_t to) {
        return decoder.decode(std::string_view(gbk).substr(from, to - from));
    };

    for (double ems = 2; ems <= 30; ems += 0.75) {
        const double width = ems * w.em();
        SCOPED_TRACE("width " + std::to_string(width));
        const std::vector<DisplayLine> lines = w.wrap(gbk, width);
        std::size_t cursor = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const DisplayLine l = lines[i];
            SCOPED_TRACE("line " + std::to_string(i));
            ASSERT_EQ(l.start, cursor) << "lines must give the text back in order";
            const std::size_t end = l.start + l.length;
            ASSERT_TRUE(boundary[l.start] && boundary[end]) << "a character was split";
            const std::u32string chars = decodeRange(l.start, end);
            const QString s = QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size()));
            if (chars.size() > 1) {
                EXPECT_LE(w.widthOf(s), width) << s.toStdString();
            }

            cursor = end;
            const bool hard = cursor < gbk.size() && (gbk[cursor] == '\r' || gbk[cursor] == '\n');
            if (hard) {
                cursor += gbk.compare(cursor, 2, "\r\n") == 0 ? 2u : 1u;
                continue;
            }
            // Marks cluster up to four characters ("然……”"); narrower lines cannot keep
            // them together.
            if (i + 1 == lines.size() || ems < 5) continue;
            // A soft break: the prohibitions apply on both sides of it.
            ASSERT_FALSE(chars.empty());
            const char32_t last = chars.back();
            const char32_t next = charAt[cursor];
            EXPECT_FALSE(kNeverLast.count(last)) << s.toStdString();
            EXPECT_FALSE(kNeverFirst.count(next)) << "next line opens with a closing mark";
            if (isWordChar(last) && isWordChar(next)) {
                std::size_t a = l.start, b = cursor;
                const auto before = [&](std::size_t at) {
                    do --at;
                    while (!boundary[at]);
                    return at;
                };
                while (a > 0 && isWordChar(charAt[before(a)])) a = before(a);
                while (b < gbk.size() && isWordChar(charAt[b])) ++b;
                // Marks that may not be parted from the run travel with it.
                while (a > 0 && kNeverLast.count(charAt[before(a)])) a = before(a);
                while (b < gbk.size() && kNeverFirst.count(charAt[b])) {
                    do ++b;
                    while (!boundary[b]);
                }
                const std::u32string run = decodeRange(a, b);
                EXPECT_GT(
                    w.widthOf(QString::fromUcs4(run.data(), static_cast<qsizetype>(run.size()))),
                    width)
                    << "a Latin run that fits on a line was split";
            }
        }
        // Only a final line break (or none) may be left over.
        const std::string rest = gbk.substr(cursor);
        EXPECT_TRUE(rest.empty() || rest == "\r\n" || rest == "\r" || rest == "\n") << rest;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Articles, WrapRules,
    ::testing::Values(
        Article{
            "Analects",
            QStringLiteral("子曰：“学而时习之，不亦说乎？有朋自远方来，不亦乐乎？人不知而不愠，"
                           "不亦君子乎？”\r\n有子曰：“其为人也孝弟，而好犯上者，鲜矣；不好犯上，"
                           "而好作乱者，未之有也。君子务本，本立而道生。孝弟也者，其为仁之本与！”"
                           "\r\n")},
        Article{"MixedLatinAndDigits",
                QStringLiteral("他在2024年读了《红楼梦》和《The Story of the Stone》两个版本，"
                               "觉得Hawkes的译文很好；第120回共计12345678字（约）。\n"
                               "Email: reader@example.com，电话13800138000！")},
        Article{"FourByteCharacters",
                QStringLiteral("𠀀𪚥是GB18030里的四字节字符，古籍中常见“𬺰”"
                               "这样的字。𠀀𠀀𠀀𪚥𪚥𪚥"
                               "《𠀀》，“𪚥”。\r\r\n")},
        Article{"PunctuationClusters",
                QStringLiteral("“你好！”他说。“真的？！”——“当然……”（笑）《诗经》、《尚书》、"
                               "《礼记》。【注】〔一〕「甲」『乙』‘丙’。")}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- The stateful engine -------------------------------------------------------------

TEST(WrapEngine, CountsLinesAsThePageDoes) {
    WrapEngine engine(defaultPageFont(), 325);
    EXPECT_EQ(engine.lineCount(), 0u);
    engine.setText("\r\n");
    EXPECT_EQ(engine.lineCount(), 1u);
    EXPECT_EQ(engine.line(0), QByteArray());
    engine.setText(QByteArray::fromStdString(kJia + "\r\n" + kYi + "\r\n"));
    EXPECT_EQ(engine.lineCount(), 2u);
    EXPECT_EQ(engine.line(1), QByteArray::fromStdString(kYi));
}

TEST(WrapEngine, RewrapsWhenWidthOrFontChanges) {
    WrapEngine engine(defaultPageFont(), 325);
    engine.setText(QByteArray::fromStdString(toGbk(QString(60, u'文'))));
    const std::size_t wide = engine.lineCount();
    engine.setWidth(160);
    const std::size_t narrow = engine.lineCount();
    EXPECT_GT(narrow, wide);
    engine.setFont(pageFont(QStringLiteral("宋体"), 28));
    EXPECT_GT(engine.lineCount(), narrow);
}

TEST(WrapEngine, LineTextStopsAt4096BytesWithoutSplittingACharacter) {
    WrapEngine engine(defaultPageFont(), 1'000'000'000);
    // One ASCII byte first puts the 4,096th byte inside a two-byte character.
    const std::string text = "a" + toGbk(QString(2500, u'文'));
    engine.setText(QByteArray::fromStdString(text));
    ASSERT_EQ(engine.lineCount(), 1u);
    EXPECT_EQ(engine.line(0), QByteArray::fromStdString(text.substr(0, 4095)));
}

TEST(WrapEngine, AskingPastTheLastLineIsAListIndexError) {
    WrapEngine engine(defaultPageFont(), 325);
    engine.setText(QByteArray::fromStdString(kJia));
    EXPECT_THROW(engine.line(1), EListError);
}

TEST(WrapEngine, RefusesTextBeyondCapacityAndKeepsTheOldText) {
    WrapEngine engine(defaultPageFont(), 325);
    engine.setText(QByteArray::fromStdString(kJia));
    // Untouched pages of an uninitialised buffer cost no memory.
    QByteArray huge(static_cast<qsizetype>(kMemoCapacity + 1), Qt::Uninitialized);
    try {
        engine.setText(std::move(huge));
        FAIL() << "no exception";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "Text exceeds memo capacity");
    }
    EXPECT_EQ(engine.line(0), QByteArray::fromStdString(kJia));
    static_assert(kMemoCapacity >= 512'000'000);
}

} // namespace
} // namespace orlenth::text
