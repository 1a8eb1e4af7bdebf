// The scanner over whole texts: line endings, the start and end of the text, texts that
// arrive in pieces split anywhere, the choice of rules, levels, and snapshots read by a
// second thread while the text is fed.

#include "framework/text/HeadingScan.h"
#include "text_test_support.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace orlenth::text {
namespace {

using testing::toGbk;

// The text's lines joined with `eol`, in GBK.
std::string textOf(const QStringList& lines, const char* eol, bool finalBreak = true) {
    std::string out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out += toGbk(lines[i]);
        if (i + 1 < lines.size() || finalBreak) out += eol;
    }
    return out;
}

HeadingSnapshot scanWhole(std::string_view text) {
    HeadingScanner scanner;
    scanner.Feed(text);
    scanner.Finish();
    return scanner.Snapshot();
}

// The headings' lines, decoded, and their levels, for readable comparisons.
struct Found {
    QString line;
    int level;
    friend bool operator==(const Found&, const Found&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Found& f) {
        return os << f.line.toStdString() << " @" << f.level;
    }
};

std::vector<Found> foundIn(std::string_view text, const std::vector<Heading>& headings) {
    std::vector<Found> out;
    for (const Heading& h : headings) {
        const std::string_view line = text.substr(h.offset, h.length);
        QStringDecoder decoder("GB18030");
        const QString decoded =
            decoder(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
        out.push_back({decoded.trimmed(), h.level});
    }
    return out;
}

struct EolRow {
    const char* name;
    const char* eol;
    bool finalBreak;
};

void PrintTo(const EolRow& row, std::ostream* os) {
    *os << row.name;
}

class HeadingLineEnds : public ::testing::TestWithParam<EolRow> {};

TEST_P(HeadingLineEnds, FindHeadingsAtTheStartTheEndAndBetween) {
    const EolRow& row = GetParam();
    const QStringList lines = {QStringLiteral("第一章 开端"),
                               QStringLiteral("　　他来了。"),
                               QStringLiteral("第二章"),
                               QStringLiteral(""),
                               QStringLiteral("　　第三回合他才明白过来。"),
                               QStringLiteral("第三章 终了")};
    const std::string text = textOf(lines, row.eol, row.finalBreak);
    const HeadingSnapshot snap = scanWhole(text);
    EXPECT_TRUE(snap.finished);
    EXPECT_EQ(snap.scannedBytes, text.size());
    const std::vector<Found> expected = {{QStringLiteral("第一章 开端"), 1},
                                         {QStringLiteral("第二章"), 1},
                                         {QStringLiteral("第三章 终了"), 1}};
    EXPECT_EQ(foundIn(text, snap.headings), expected);
    for (const Heading& h : snap.headings) {
        EXPECT_TRUE(h.offset == 0 || text[h.offset - 1] == '\n' || text[h.offset - 1] == '\r');
        const std::size_t end = std::size_t{h.offset} + h.length;
        EXPECT_TRUE(end == text.size() || text[end] == '\n' || text[end] == '\r');
        EXPECT_EQ(h.rule, HeadingRule::Zhang);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, HeadingLineEnds,
                         ::testing::Values(EolRow{"LF", "\n", true}, EolRow{"CRLF", "\r\n", true},
                                           EolRow{"CR", "\r", true},
                                           EolRow{"LFNoFinalBreak", "\n", false},
                                           EolRow{"CRLFNoFinalBreak", "\r\n", false},
                                           EolRow{"CRNoFinalBreak", "\r", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(HeadingScan, LastLineIsFoundOnlyOnFinish) {
    HeadingScanner scanner;
    scanner.Feed(toGbk(QStringLiteral("序\n正文\n第一章")));
    EXPECT_EQ(scanner.Snapshot().headings.size(), 1u);
    scanner.Finish();
    EXPECT_EQ(scanner.Snapshot().headings.size(), 2u);
    scanner.Feed(toGbk(QStringLiteral("\n第二章\n"))); // after Finish: ignored
    EXPECT_EQ(scanner.Snapshot().headings.size(), 2u);
}

// Every split of a small text into two pieces, and into single bytes, gives the one-piece
// result: a heading line (or a character, or a CR LF) cut in two is neither lost nor doubled.
class HeadingPieces : public ::testing::TestWithParam<EolRow> {};

TEST_P(HeadingPieces, SplitAnywhereGiveTheSameHeadings) {
    const std::string text = textOf(
        {QStringLiteral("楔子"), QStringLiteral("第一卷 风云"), QStringLiteral("第一章 开端"),
         QStringLiteral("　　正文，第一次看见。"), QStringLiteral("　　第二章"),
         QStringLiteral("Chapter 3"), QStringLiteral("第二卷"), QStringLiteral("第１章 又起")},
        GetParam().eol, GetParam().finalBreak);
    const HeadingSnapshot whole = scanWhole(text);
    // Chapter 3 is a candidate, but 章 is the chapter rule.
    const std::vector<Found> expected = {
        {QStringLiteral("楔子"), 1},        {QStringLiteral("第一卷 风云"), 0},
        {QStringLiteral("第一章 开端"), 1}, {QStringLiteral("第二章"), 1},
        {QStringLiteral("第二卷"), 0},      {QStringLiteral("第１章 又起"), 1}};
    ASSERT_EQ(foundIn(text, whole.headings), expected);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        HeadingScanner scanner;
        scanner.Feed(std::string_view(text).substr(0, cut));
        scanner.Feed(std::string_view(text).substr(cut));
        scanner.Finish();
        ASSERT_EQ(scanner.Snapshot().headings, whole.headings) << "cut at " << cut;
    }
    HeadingScanner bytes;
    for (char c : text) bytes.Feed(std::string_view(&c, 1));
    bytes.Finish();
    HeadingScanner one;
    one.Feed(text);
    one.Finish();
    EXPECT_EQ(one.Candidates().size(), 7u);
    EXPECT_EQ(bytes.Candidates(), one.Candidates());
    EXPECT_EQ(bytes.Snapshot().headings, whole.headings);
}

INSTANTIATE_TEST_SUITE_P(Texts, HeadingPieces,
                         ::testing::Values(EolRow{"CRLF", "\r\n", false}, EolRow{"LF", "\n", true},
                                           EolRow{"CR", "\r", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(HeadingScan, LongLineCutByPiecesIsSkippedAndTheNextStillFound) {
    const std::string longLine(400, 'x');
    const std::string text = longLine + "\n" + toGbk(QStringLiteral("第一章")) + "\n";
    HeadingScanner scanner;
    for (std::size_t at = 0; at < text.size(); at += 7)
        scanner.Feed(std::string_view(text).substr(at, 7));
    scanner.Finish();
    const std::vector<Heading> found = scanner.Snapshot().headings;
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].offset, 401u);
    EXPECT_EQ(found[0].length, 6u);
}

// Volumes: 卷 and 部 always stand above chapters, 集 only beside a chapter rule.
TEST(HeadingScan, VolumesAreLevelZero) {
    const std::string text =
        textOf({QStringLiteral("第一卷 起"), QStringLiteral("第一章"), QStringLiteral("文"),
                QStringLiteral("第二章"), QStringLiteral("第二卷 承"), QStringLiteral("第一章"),
                QStringLiteral("第二章")},
               "\n");
    const std::vector<Found> expected = {
        {QStringLiteral("第一卷 起"), 0}, {QStringLiteral("第一章"), 1},
        {QStringLiteral("第二章"), 1},    {QStringLiteral("第二卷 承"), 0},
        {QStringLiteral("第一章"), 1},    {QStringLiteral("第二章"), 1}};
    EXPECT_EQ(foundIn(text, scanWhole(text).headings), expected);

    const std::string episodes =
        textOf({QStringLiteral("第一集"), QStringLiteral("第一章"), QStringLiteral("第二章"),
                QStringLiteral("第二集"), QStringLiteral("第三章")},
               "\n");
    EXPECT_EQ(foundIn(episodes, scanWhole(episodes).headings),
              (std::vector<Found>{{QStringLiteral("第一集"), 0},
                                  {QStringLiteral("第一章"), 1},
                                  {QStringLiteral("第二章"), 1},
                                  {QStringLiteral("第二集"), 0},
                                  {QStringLiteral("第三章"), 1}}));
    const std::string alone =
        textOf({QStringLiteral("第一集"), QStringLiteral("文"), QStringLiteral("第二集")}, "\n");
    EXPECT_EQ(foundIn(alone, scanWhole(alone).headings),
              (std::vector<Found>{{QStringLiteral("第一集"), 1}, {QStringLiteral("第二集"), 1}}));
}

// Chapters of `count` with `filler` lines of prose between them.
QStringList novel(int count, const QString& heading, const QStringList& filler) {
    QStringList lines;
    for (int i = 1; i <= count; ++i) {
        lines << heading.arg(i);
        lines << filler;
    }
    return lines;
}

TEST(HeadingRuleChoice, ProseStartingWithFirstTimeIsNotAHeading) {
    const std::string text =
        textOf(novel(20, QStringLiteral("第%1章 题"),
                     {QStringLiteral("第一次见到他，是在春天。"), QStringLiteral("第二天"),
                      QStringLiteral("　　他走了很远的路才到。")}),
               "\r\n");
    const HeadingSnapshot snap = scanWhole(text);
    ASSERT_EQ(snap.headings.size(), 20u);
    for (const Heading& h : snap.headings) EXPECT_EQ(h.rule, HeadingRule::Zhang);
}

TEST(HeadingRuleChoice, StrayRuleWithFewLinesIsDropped) {
    QStringList lines = novel(30, QStringLiteral("第%1章"), {QStringLiteral("　　正文。")});
    lines.insert(10, QStringLiteral("第九回"));
    lines.insert(40, QStringLiteral("第五回"));
    lines.insert(50, QStringLiteral("第二回"));
    lines.insert(0, QStringLiteral("楔子"));
    lines.insert(20, QStringLiteral("第三部电影")); // a lone part that is not the first
    const std::string text = textOf(lines, "\n");
    const HeadingSnapshot snap = scanWhole(text);
    EXPECT_TRUE(snap.choice.kept[static_cast<std::size_t>(HeadingRule::Zhang)]);
    EXPECT_FALSE(snap.choice.kept[static_cast<std::size_t>(HeadingRule::Hui)]);
    EXPECT_FALSE(snap.choice.kept[static_cast<std::size_t>(HeadingRule::Bu)]);
    ASSERT_EQ(snap.headings.size(), 31u); // 楔子 and thirty chapters
    EXPECT_EQ(snap.headings[0].rule, HeadingRule::Named);
    EXPECT_EQ(scanWhole(text).headings, snap.headings);
}

TEST(HeadingRuleChoice, OutOfOrderNumbersLoseToAFewerOrderedRule) {
    HeadingStats stats;
    // 章 matches 40 times, its numbers going down (cross-references in the prose).
    for (std::uint32_t i = 0; i < 40; ++i) stats[0].add(90 - i, std::uint64_t{i} * 5000);
    for (std::uint32_t i = 1; i <= 20; ++i) stats[1].add(i, std::uint64_t{i} * 10000);
    const HeadingChoice choice = ChooseHeadingRules(stats, 210000);
    EXPECT_FALSE(choice.kept[0]);
    EXPECT_TRUE(choice.kept[1]);
}

TEST(HeadingRuleChoice, RuleLeavingHundredsOfKilobytesBareLosesToOneThatCoversTheText) {
    HeadingStats stats;
    constexpr std::uint64_t kText = 2'000'000;
    // 章: 50 headings in the first 200 KB, then nothing. 回: 30 headings across the text.
    for (std::uint32_t i = 1; i <= 50; ++i) stats[0].add(i, std::uint64_t{i} * 4000);
    for (std::uint32_t i = 1; i <= 30; ++i) stats[1].add(i, std::uint64_t{i - 1} * 66000);
    HeadingChoice choice = ChooseHeadingRules(stats, kText);
    EXPECT_FALSE(choice.kept[0]);
    EXPECT_TRUE(choice.kept[1]);
    // When both cover the text the one with more headings wins.
    choice = ChooseHeadingRules(stats, 210000);
    EXPECT_TRUE(choice.kept[0]);
    EXPECT_FALSE(choice.kept[1]);
}

TEST(HeadingRuleChoice, ChaptersRenumberedInEachVolumeAreInOrder) {
    HeadingRuleStats s;
    for (std::uint32_t volume = 0; volume < 5; ++volume)
        for (std::uint32_t i = 1; i <= 10; ++i) s.add(i, volume * 100000u + i * 1000u);
    EXPECT_TRUE(s.ordered());
    EXPECT_EQ(s.inOrder, 49u);
}

// A second thread takes snapshots while the text is fed: what it sees grows, is in text
// order, and is always a beginning of the final list of candidates.
TEST(HeadingScan, SnapshotsWhileFeedingAreConsistent) {
    const std::string text = textOf(
        novel(3000, QStringLiteral("第%1章 风"), {QStringLiteral("　　正文正文正文。")}), "\n");
    HeadingScanner scanner;
    std::atomic<bool> done{false};
    std::vector<std::vector<Heading>> seen;
    std::vector<std::uint64_t> scanned;
    std::thread reader([&] {
        while (!done.load()) {
            const HeadingSnapshot snap = scanner.Snapshot();
            scanned.push_back(snap.scannedBytes);
            seen.push_back(scanner.Candidates());
            for (std::size_t i = 1; i < snap.headings.size(); ++i)
                ASSERT_LT(snap.headings[i - 1].offset, snap.headings[i].offset);
        }
    });
    for (std::size_t at = 0; at < text.size(); at += 997)
        scanner.Feed(std::string_view(text).substr(at, 997));
    scanner.Finish();
    done = true;
    reader.join();
    const std::vector<Heading> all = scanner.Candidates();
    ASSERT_EQ(all.size(), 3000u);
    for (std::size_t k = 0; k < seen.size(); ++k) {
        ASSERT_LE(seen[k].size(), all.size());
        ASSERT_TRUE(std::equal(seen[k].begin(), seen[k].end(), all.begin())) << "read " << k;
        if (k > 0) {
            ASSERT_LE(scanned[k - 1], scanned[k]);
        }
    }
}

} // namespace
} // namespace orlenth::text
