#include "framework/text/TextSearch.h"

#include "text_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orlenth::text {
namespace {

using testing::toGbk;
using Outcome = TSearchStep::Outcome;

// Every hit, one unlimited FindNext after another.
std::vector<TSearchHit> HitsForward(std::string_view text, const TSearchPattern& pattern,
                                    std::size_t budget = SIZE_MAX) {
    std::vector<TSearchHit> hits;
    std::size_t from = 0;
    for (;;) {
        const TSearchStep step = FindNext(text, from, pattern, budget);
        if (step.outcome == Outcome::Ended) return hits;
        if (step.outcome == Outcome::Paused) {
            EXPECT_GT(step.resume, from);
            from = step.resume;
            continue;
        }
        hits.push_back(step.hit);
        from = step.hit.offset + 1;
    }
}

std::vector<TSearchHit> HitsBackward(std::string_view text, const TSearchPattern& pattern,
                                     std::size_t budget = SIZE_MAX) {
    std::vector<TSearchHit> hits;
    std::size_t from = text.size();
    for (;;) {
        const TSearchStep step = FindPrevious(text, from, pattern, budget);
        if (step.outcome == Outcome::Ended) break;
        if (step.outcome == Outcome::Paused) {
            EXPECT_LT(step.resume, from);
            from = step.resume;
            continue;
        }
        hits.insert(hits.begin(), step.hit);
        from = step.hit.offset;
    }
    return hits;
}

std::size_t Count(std::string_view text, const TSearchPattern& pattern) {
    const std::atomic<bool> cancel{false};
    const TSearchCount c = CountHits(text, true, pattern, cancel);
    EXPECT_EQ(c.resume, text.size());
    return c.hits;
}

std::vector<std::size_t> Offsets(const std::vector<TSearchHit>& hits) {
    std::vector<std::size_t> out;
    for (const TSearchHit& h : hits) out.push_back(h.offset);
    return out;
}

struct Row {
    const char* name;
    std::string text; // GB18030 bytes
    QString pattern;
    std::vector<std::size_t> offsets;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

std::string Gbk(const char* utf8) {
    return toGbk(QString::fromUtf8(utf8));
}

std::string Repeat(const char* utf8, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += Gbk(utf8);
    return out;
}

// 中文 is D6 D0 CE C4; 𠀀 (U+20000) is 95 32 82 36; 81 30 81 30 is U+0080.
const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"HitAtStartAndEnd", Gbk("中文abc中文"), "中文", {0, 7}},
        {"BytesStraddlingTwoCharacters", std::string("\xB0\xD6\xD0\xCE\xC4\xB0", 6), "中文", {}},
        {"StraddleThenRealHit", std::string("\xB0\xD6\xD0\xCE\xC4\xB0") + Gbk("中文"), "中文", {6}},
        {"EvenRunAfterLineBreak", Gbk("\r\n啊中文"), "中文", {4}},
        {"OddLeadBeforeHitSwallowsIt", std::string("\x81") + Gbk("中文"), "中文", {}},
        {"HitRightAfterFourByteCharacter", Gbk("𠀀中文"), "中文", {4}},
        {"FourBytePattern", Gbk("a𠀀b𠀀"), "𠀀", {1, 6}},
        {"FourBytePatternStraddling", std::string("\xB0") + Gbk("𠀀"), "𠀀", {}},
        {"RunAfterFourByteDigit", std::string("\x81\x30\x81\x30") + Gbk("中文"), "中文", {4}},
        {"DigitInsideFourByteCharacter",
         std::string("1\x81\x31\x81\x30"
                     "1"),
         "1",
         {0, 5}},
        {"InvalidByteFF", std::string("\xFF") + Gbk("中文"), "中文", {1}},
        {"InvalidByte80", std::string("\x80") + Gbk("中文"), "中文", {1}},
        {"LeadBefore7F", std::string("\x81\x7F") + Gbk("中文"), "中文", {2}},
        {"UnfinishedFourByte", std::string("\x81\x30") + Gbk("中文"), "中文", {2}},
        {"LeadCutOffAtEnd", Gbk("中文") + "\xD6", "中文", {0}},
        {"AsciiAsTrailByte",
         std::string("\x81"
                     "aa"),
         "a",
         {2}},
        {"ReplacementMatchesOnlyItsBytes",
         std::string("\xFF") + Gbk("\xEF\xBF\xBD"),
         QString(QChar(0xFFFD)),
         {1}},
        {"OverlappingAscii", "aaa", "aa", {0, 1}},
        {"OverlappingChinese", Gbk("中中中"), "中中", {0, 2}},
        {"CaseFolds", "Abc aBC abc", "abc", {0, 4, 8}},
        {"WidthFolds", Gbk("ＡＢＣ ａｂｃ"), "abc", {0, 7}},
        {"FullWidthPatternFindsAscii", Gbk("x abc ＡbＣ"), "ＡＢＣ", {2, 6}},
        {"IdeographicSpaceIsSpace", Gbk("中　文 中 文"), " ", {2, 6, 9}},
        {"FullWidthComma", Gbk("一，二,三"), ",", {2, 6}},
        {"FoldedHitAfterStraddle", std::string("\xB0\xA3\xC1\xB0") + Gbk("Ａ"), "a", {4}},
        {"PinyinDoesNotFold", Gbk("É é"), "é", {5}},
        {"YenSignDoesNotFold", Gbk("￥$"), "$", {2}},
        // Long enough for the sixteen-byte scans and walks back.
        {"LongRunsFoldedHits",
         std::string(40, 'x') + Repeat("中", 40) + Gbk("ａbc") + Repeat("文", 20) + "ABC",
         "abc",
         {120, 164}},
        {"LongOddRunHidesEveryHit", "\x81" + Repeat("中", 30) + Gbk("文"), "中", {}},
        // Long and periodic patterns: each byte is taken once against the pattern and
        // mismatches follow the failure links, so these are where a link off by one shows.
        {"LongPatternOverRepetitiveText",
         std::string(300, 'a') + "b" + std::string(100, 'a') + "B",
         QString(100, u'a') + u'b',
         {200, 301}},
        {"LongPatternFoldedAcrossForms",
         std::string(50, 'A') + Gbk("ａ") + std::string(49, 'a') + "b",
         QString(100, u'a') + u'b',
         {0}},
        {"PeriodicOverlappingHits", "abababab", "abab", {0, 2, 4}},
        {"PeriodicPatternFailsLate", "abababacababac", "ababac", {2, 8}},
        {"FailureLinkAfterPartialMatch", "aabaabaaab", "aaab", {6}},
        {"BorderWithinBorder", "abaabaabaababaaba", "abaababa", {6}},
        {"PeriodicFoldedMixedForms", Gbk("aＢaｂaBx"), "ABAB", {0, 3}},
        {"LongPlainPatternDenseHits",
         Repeat("中", 30),
         QString::fromUtf8("中中中中中中中中中中"),
         {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40}},
        {"LongPlainPatternEveryPlaceStraddles",
         "\x81" + Repeat("中", 60),
         QString::fromUtf8("中中中中中中中中中中中中中中中中中中中中"),
         {}},
        {"PeriodicPatternStraddlingThenAtAStart",
         std::string("\xB0\xD6\xD0\xCE\xC4\xD6\xD0\xCE\xC4\xB0") + Gbk("中文中文"),
         QString::fromUtf8("中文中文"),
         {10}},
        {"FoldedPatternStraddlingThenAtAStart",
         std::string("\xB0\xA3\xC1\xA3\xC1\xA3\xC1\r\n") + Gbk("ＡＡ") + "a",
         "aaa",
         {9}},
        {"EmptyPattern", "abc", "", {}},
        {"PatternLongerThanText", Gbk("中"), "中文", {}},
        {"EmptyText", "", "a", {}},
    };
    return rows;
}

class TextSearchRows : public ::testing::TestWithParam<Row> {};

TEST_P(TextSearchRows, FindsExactlyTheHits) {
    const Row& row = GetParam();
    const TSearchPattern pattern(row.pattern);
    const std::vector<TSearchHit> forward = HitsForward(row.text, pattern);
    EXPECT_EQ(Offsets(forward), row.offsets);
    EXPECT_EQ(HitsBackward(row.text, pattern), forward);
    EXPECT_EQ(Count(row.text, pattern), row.offsets.size());
    for (const TSearchHit& h : forward) {
        EXPECT_EQ(CharacterStartAtOrBefore(row.text, h.offset), h.offset);
        EXPECT_EQ(CharacterStartAtOrBefore(row.text, h.offset + h.length), h.offset + h.length);
    }
}

TEST_P(TextSearchRows, BudgetsChangeNothing) {
    const Row& row = GetParam();
    const TSearchPattern pattern(row.pattern);
    const std::vector<TSearchHit> whole = HitsForward(row.text, pattern);
    for (const std::size_t budget :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}}) {
        EXPECT_EQ(HitsForward(row.text, pattern, budget), whole) << "budget " << budget;
        EXPECT_EQ(HitsBackward(row.text, pattern, budget), whole) << "budget " << budget;
    }
}

// The text arriving in two pieces, cut at every offset: counting the first piece and then
// going on over the whole counts every hit once.
TEST_P(TextSearchRows, CountsAcrossArrivalPieces) {
    const Row& row = GetParam();
    const TSearchPattern pattern(row.pattern);
    const std::atomic<bool> cancel{false};
    for (std::size_t cut = 0; cut <= row.text.size(); ++cut) {
        const std::string_view text(row.text);
        const TSearchCount part = CountHits(text.substr(0, cut), false, pattern, cancel);
        EXPECT_LE(part.resume, cut);
        const TSearchCount all = CountHits(text, true, pattern, cancel, {}, part);
        EXPECT_EQ(all.hits, row.offsets.size()) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(, TextSearchRows, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<Row>& row) {
                             return std::string(row.param.name);
                         });

TEST(TextSearch, FromInsideACharacterStartsAtTheNext) {
    const std::string text = Gbk("中文中文");
    const TSearchPattern pattern(QStringLiteral("文"));
    const TSearchStep step = FindNext(text, 1, pattern);
    ASSERT_EQ(step.outcome, Outcome::Found);
    EXPECT_EQ(step.hit, (TSearchHit{2, 2}));
    EXPECT_EQ(FindNext(text, 3, pattern).hit.offset, 6u);
    EXPECT_EQ(CharacterStartAtOrAfter(text, 3), 4u);
    EXPECT_EQ(CharacterStartAtOrBefore(text, 3), 2u);
}

TEST(TextSearch, PausedStepsResumeAtCharacterStarts) {
    const std::string text = Gbk("一二三四五六七八九十abc");
    const TSearchPattern pattern(QStringLiteral("abc"));
    const TSearchStep step = FindNext(text, 0, pattern, 3);
    ASSERT_EQ(step.outcome, Outcome::Paused);
    EXPECT_EQ(step.resume, 4u);
    const TSearchStep back = FindPrevious(text, 20, pattern, 3);
    ASSERT_EQ(back.outcome, Outcome::Paused);
    EXPECT_EQ(back.resume, 16u);
}

TEST(TextSearch, WrapsAroundBothWays) {
    const std::string text = Gbk("甲乙甲乙");
    const TSearchPattern pattern(QStringLiteral("甲"));
    const auto next = FindNextWrapping(text, 5, pattern);
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->wrapped);
    EXPECT_EQ(next->hit.offset, 0u);
    const auto previous = FindPreviousWrapping(text, 0, pattern);
    ASSERT_TRUE(previous);
    EXPECT_TRUE(previous->wrapped);
    EXPECT_EQ(previous->hit.offset, 4u);
    const auto plain = FindNextWrapping(text, 1, pattern);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->wrapped);
    EXPECT_EQ(plain->hit.offset, 4u);
    EXPECT_FALSE(FindNextWrapping(text, 0, TSearchPattern(QStringLiteral("丙"))));
}

TEST(TextSearch, CancelledCountStopsWhereItWas) {
    const std::string text(3u << 20, 'a');
    const TSearchPattern pattern(QStringLiteral("a"));
    std::atomic<bool> cancel{false};
    std::vector<std::size_t> seen;
    const TSearchCount c = CountHits(text, true, pattern, cancel, [&](const TSearchCount& p) {
        seen.push_back(p.resume);
        cancel = true;
    });
    EXPECT_TRUE(c.cancelled);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(c.resume, seen[0]);
    EXPECT_EQ(c.hits, c.resume);
    cancel = false;
    const TSearchCount rest = CountHits(text, true, pattern, cancel, {}, c);
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(rest.hits, text.size());
}

// Going back in stretches, the later ones inside a run of lead bytes that began before the
// first: the run's start decides where characters start in all of them.
TEST(TextSearch, FindPreviousGoesBackThroughALongLeadRun) {
    const std::string run = Repeat("中", 20000);
    const struct {
        std::string text;
        const char* pattern;
        std::optional<std::size_t> last;
    } rows[] = {
        {"\n" + Gbk("文") + run, "文", 1},
        {"\n" + Gbk("文") + run, "中", 40001},
        {"\x81" + run, "中", std::nullopt},
        {"\x81" + run + "\n" + Gbk("中"), "中", 40002},
        {std::string("\x81\x30") + run, "中", 40000},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.pattern);
        const TSearchPattern pattern(QString::fromUtf8(r.pattern));
        const TSearchStep step = FindPrevious(r.text, r.text.size(), pattern);
        if (!r.last) {
            EXPECT_EQ(step.outcome, Outcome::Ended);
            continue;
        }
        ASSERT_EQ(step.outcome, Outcome::Found);
        EXPECT_EQ(step.hit.offset, *r.last);
        EXPECT_EQ(HitsBackward(r.text, pattern, 3000), HitsForward(r.text, pattern));
    }
}

TEST(TextSearch, PatternFolds) {
    EXPECT_FALSE(TSearchPattern(QStringLiteral("中文")).folds());
    EXPECT_TRUE(TSearchPattern(QStringLiteral("中a")).folds());
    EXPECT_EQ(TSearchPattern(QStringLiteral("ab")).minLength(), 2u);
    EXPECT_EQ(TSearchPattern(QStringLiteral("ab")).maxLength(), 4u);
    EXPECT_TRUE(TSearchPattern(QString()).empty());
}

} // namespace
} // namespace orlenth::text
