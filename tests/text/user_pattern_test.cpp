// A reader's pattern: what it meant before it was bounded it still means, a line that would
// backtrack without end gives up instead, invalid patterns say why; and a scan with such a
// pattern gives up lines, sees its stop within a line, and goes over a line of megabytes.

#include "framework/text/ChapterScan.h"
#include "framework/text/HeadingTools.h"
#include "framework/text/UserPattern.h"
#include "text_test_support.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

namespace orlenth::text {
namespace {

using Result = UserPattern::Result;
using testing::toGbk;

struct MatchRow {
    const char* name;
    QString pattern;
    QString subject;
    Result result;
};

void PrintTo(const MatchRow& row, std::ostream* os) {
    *os << row.name;
}

class UserPatternMatches : public ::testing::TestWithParam<MatchRow> {};

TEST_P(UserPatternMatches, DecideAsBeforeOrGiveUp) {
    const MatchRow& row = GetParam();
    UserPattern pattern(row.pattern);
    ASSERT_TRUE(pattern.IsValid()) << pattern.ErrorString().toStdString();
    EXPECT_EQ(pattern.Match(row.subject), row.result);
    // What a pattern decides, it decides as the unbounded engine the patterns were always
    // run on.
    if (row.result != Result::GaveUp) {
        EXPECT_EQ(QRegularExpression(row.pattern).match(row.subject).hasMatch(),
                  row.result == Result::Match);
    }
}

QString as(int n) {
    return QString(n, QLatin1Char('a'));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, UserPatternMatches,
    ::testing::Values(
        MatchRow{"NestedPlusGivesUp", QStringLiteral("(a+)+$"), as(25) + u'!', Result::GaveUp},
        MatchRow{"NestedPlusOnAShortLine", QStringLiteral("(a+)+$"), as(4) + u'!', Result::NoMatch},
        MatchRow{"NestedPlusThatMatches", QStringLiteral("(a+)+$"), as(25), Result::Match},
        MatchRow{"AlternativesOverlapping", QStringLiteral("(a|aa)+$"), as(40) + u'!',
                 Result::GaveUp},
        MatchRow{"StarOfStar", QStringLiteral("((a*)*|b)+$"), as(30) + u'!', Result::GaveUp},
        MatchRow{"WordsAndSpaces", QStringLiteral("(\\w+\\s?)+$"),
                 QStringLiteral("aaaa aaaa aaaa aaaa aaaa aaaa aaaa aaaa!"), Result::GaveUp},
        MatchRow{"RepeatedDotStar", QStringLiteral("(.*a){20}"), as(100) + u'!', Result::GaveUp},
        // Just under the bound at every starting place of a heading's longest line.
        MatchRow{"EveryStartNearTheBound", QStringLiteral("(?:a|a){0,11}bz"),
                 as(253) + QStringLiteral("zb"), Result::NoMatch},
        MatchRow{"DeepRecursionBalanced", QStringLiteral("^(\\((?1)*\\))+$"),
                 QString(120, u'(') + QString(120, u')'), Result::Match},
        MatchRow{"RecursionWithoutEnd", QStringLiteral("((?1))|a"), QStringLiteral("b"),
                 Result::GaveUp},
        MatchRow{"Heading", QStringLiteral("^第.{1,9}章"), QStringLiteral("第一百二十三章 风"),
                 Result::Match},
        MatchRow{"DigitsStayAscii", QStringLiteral("^第\\d+章"), QStringLiteral("第１２章"),
                 Result::NoMatch},
        MatchRow{"AsciiDigits", QStringLiteral("^第\\d+章"), QStringLiteral("第12章"),
                 Result::Match},
        MatchRow{"CaselessUnicode", QStringLiteral("(?i)^chapter ä"), QStringLiteral("CHAPTER Ä"),
                 Result::Match},
        MatchRow{"ACharacterBeyondTheBmp", QStringLiteral("^.章$"), QStringLiteral("𠀀章"),
                 Result::Match},
        MatchRow{"PatternAsksForLessWork", QStringLiteral("(*LIMIT_MATCH=10)(a+)+$"), as(12) + u'!',
                 Result::GaveUp},
        MatchRow{"PatternCannotAskForMore", QStringLiteral("(*LIMIT_MATCH=100000000)(a+)+$"),
                 as(25) + u'!', Result::GaveUp},
        MatchRow{"Interpreted", QStringLiteral("(*NO_JIT)(a+)+$"), as(25) + u'!', Result::GaveUp}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(UserPatternMatches, BrokenUtf16MatchesNoCharacter) {
    UserPattern pattern(QStringLiteral("a.b|c"));
    const char16_t broken[] = {u'a', 0xD800, u'b'};
    EXPECT_EQ(pattern.Match(QStringView(broken, 3)), Result::NoMatch);
    const char16_t withC[] = {0xDC00, u'c'};
    EXPECT_EQ(pattern.Match(QStringView(withC, 2)), Result::Match);
}

struct InvalidRow {
    const char* name;
    QString pattern;
    qsizetype offset; // -1: no one place
};

void PrintTo(const InvalidRow& row, std::ostream* os) {
    *os << row.name;
}

class UserPatternInvalid : public ::testing::TestWithParam<InvalidRow> {};

TEST_P(UserPatternInvalid, SaysWhyAndMatchesNothing) {
    const InvalidRow& row = GetParam();
    UserPattern pattern(row.pattern);
    EXPECT_FALSE(pattern.IsValid());
    EXPECT_FALSE(pattern.ErrorString().isEmpty());
    EXPECT_EQ(pattern.ErrorOffset(), row.offset);
    // Where the pattern is wrong, as the engine the patterns were always run on says it.
    if (row.offset >= 0) {
        const QRegularExpression before(row.pattern);
        EXPECT_FALSE(before.isValid());
        EXPECT_EQ(before.patternErrorOffset(), row.offset);
    }
    QString why;
    qsizetype at = 0;
    EXPECT_FALSE(UserPattern::Check(row.pattern, &why, &at));
    EXPECT_EQ(why, pattern.ErrorString());
    EXPECT_EQ(at, row.offset);
    EXPECT_EQ(pattern.Match(QStringLiteral("第(1")), Result::NoMatch);
    const std::string text = toGbk(QStringLiteral("第(1\n章\n"));
    const PatternScan scan = ScanWithPattern(text, pattern);
    EXPECT_TRUE(scan.headings.empty());
    EXPECT_EQ(scan.scannedBytes, text.size());
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, UserPatternInvalid,
    ::testing::Values(InvalidRow{"Unclosed", QStringLiteral("第(\\d"), 4},
                      InvalidRow{"Bracket", QStringLiteral("["), 1},
                      InvalidRow{"Backslash", QStringLiteral("\\"), 1},
                      InvalidRow{"BackwardsRange", QStringLiteral("a{2,1}"), 5},
                      InvalidRow{"VariableLookbehind", QStringLiteral("(?<=a+)b"), 0},
                      InvalidRow{"Empty", QString(), -1},
                      InvalidRow{"TooLong", QString(UserPattern::kMaxLength + 1, u'a'), -1}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(UserPatternInvalid, TheLongestPatternCompiles) {
    EXPECT_TRUE(UserPattern(QString(UserPattern::kMaxLength, u'a')).IsValid());
}

// Lines of 25 "a" and "!": each one gives up under "(a+)+$".
std::string backtrackingLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "aaaaaaaaaaaaaaaaaaaaaaaaa!\n";
    return text;
}

TEST(PatternScanBound, CountsTheLinesThatGaveUpAsNotMatching) {
    std::string text = backtrackingLines(500);
    text += "aaaa\n";
    UserPattern pattern(QStringLiteral("(a+)+$"));
    const PatternScan scan = ScanWithPattern(text, pattern, {.maxTime = std::chrono::hours(1)});
    EXPECT_EQ(scan.gaveUp, 500u);
    ASSERT_EQ(scan.headings.size(), 1u);
    EXPECT_EQ(scan.headings[0].offset, text.size() - 5);
    EXPECT_EQ(scan.stop, PatternScan::Stop::Done);
}

TEST(PatternScanBound, AStopIsSeenBeforeTheNextLine) {
    const std::string text = backtrackingLines(100);
    UserPattern pattern(QStringLiteral("(a+)+$"));
    const std::atomic<bool> stop{true};
    const PatternScan scan = ScanWithPattern(text, pattern, {}, &stop);
    EXPECT_EQ(scan.stop, PatternScan::Stop::Asked);
    EXPECT_EQ(scan.scannedBytes, 0u);
    EXPECT_EQ(scan.gaveUp, 0u);
}

TEST(PatternScanBound, ALineOfMegabytesIsNotTried) {
    std::string text(5u << 20, 'a');
    text += "\naaaa\n";
    UserPattern pattern(QStringLiteral("(a+)+$"));
    const PatternScan scan = ScanWithPattern(text, pattern, {.maxTime = std::chrono::hours(1)});
    EXPECT_EQ(scan.gaveUp, 0u);
    ASSERT_EQ(scan.headings.size(), 1u);
    EXPECT_EQ(scan.headings[0].offset, (5u << 20) + 1);
}

TEST(ChapterScanBound, AGivenUpScanEndsWithinALineWithoutBeingWaitedFor) {
    // Four hundred thousand lines that give up: minutes of work if the stop were looked at
    // only between pieces of megabytes.
    const std::string text = backtrackingLines(400'000);
    TextFeed feed;
    feed.buffer = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    feed.ready = text.size();
    auto load = std::make_shared<TextLoad>(std::move(feed));
    const std::weak_ptr<const TextLoad> watched = load;
    ChapterChoice choice;
    choice.kind = ChapterChoice::Kind::Pattern;
    choice.pattern = QStringLiteral("(a+)+$");
    auto scan = std::make_unique<ChapterScan>(std::move(load), choice);
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (scan->Snapshot().gaveUpLines < 20 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const ChapterList part = scan->Snapshot();
    EXPECT_GE(part.gaveUpLines, 20u);
    EXPECT_FALSE(part.finished);
    scan.reset();
    // The scan's thread sees the stop at its next line and lets go of the text.
    while (!watched.expired() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(watched.expired());
}

} // namespace
} // namespace orlenth::text
