// Virtual sections for a text without headings, a user's pattern with its limits, a
// heading's text, and moving between headings.

#include "framework/text/HeadingTools.h"
#include "text_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlenth::text {
namespace {

using testing::toGbk;

struct SectionRow {
    const char* name;
    std::string text;
    std::size_t every;
    std::vector<std::uint32_t> offsets;
};

void PrintTo(const SectionRow& row, std::ostream* os) {
    *os << row.name;
}

class VirtualSectionCuts : public ::testing::TestWithParam<SectionRow> {};

TEST_P(VirtualSectionCuts, FallOnLineStarts) {
    const SectionRow& row = GetParam();
    const std::vector<Heading> sections = VirtualSections(row.text, row.every);
    std::vector<std::uint32_t> offsets;
    for (const Heading& h : sections) {
        offsets.push_back(h.offset);
        EXPECT_EQ(h.rule, HeadingRule::Virtual);
    }
    EXPECT_EQ(offsets, row.offsets);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VirtualSectionCuts,
    ::testing::Values(
        SectionRow{"Empty", "", 4, {}}, SectionRow{"ShorterThanOneSection", "abc\ndef", 100, {0}},
        // Lines of 9 bytes and LF: starts 0, 10, 20, 30.
        SectionRow{"CutAtTheNextLineStart", "aaaaaaaaa\nbbbbbbbbb\nccccccccc\nddd", 12, {0, 20}},
        SectionRow{"ExactlyOnALineStart", "aaaa\nbbbb\ncccc\ndddd", 5, {0, 5, 10, 15}},
        // Never between the CR and the LF of a pair.
        SectionRow{"NotInsideCrLf", "aaa\r\nbbb\r\nccc", 4, {0, 5, 10}},
        SectionRow{"LoneCr", "aaa\rbbb\rccc", 3, {0, 4, 8}},
        SectionRow{"NoLineStartLeft", "aaaaaaaaaaaaaaaa\n", 4, {0}},
        SectionRow{"ZeroIsOne", "a\nb\nc", 0, {0, 2, 4}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(VirtualSectionCuts, TwentyKilobyteSectionsOfANovel) {
    std::string text;
    while (text.size() < 100'000)
        text += toGbk(QStringLiteral("　　他走了很远的路，才到了山下。\r\n"));
    const std::vector<Heading> sections = VirtualSections(text);
    ASSERT_EQ(sections.size(), 5u);
    for (std::size_t i = 1; i < sections.size(); ++i) {
        EXPECT_GE(sections[i].offset - sections[i - 1].offset, kVirtualSectionBytes);
        EXPECT_LT(sections[i].offset - sections[i - 1].offset, kVirtualSectionBytes + 40);
        EXPECT_EQ(text[sections[i].offset - 1], '\n');
    }
}

TEST(VirtualSectionCuts, LongLineLengthEndsOnACharacter) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += toGbk(QStringLiteral("文"));
    text += "\n";
    const std::vector<Heading> sections = VirtualSections(text);
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].length, 254u);
    EXPECT_EQ(HeadingText(text, sections[0]), QString(127, QChar(u'文')));
}

std::string patternText() {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += toGbk(QStringLiteral("　　卷%1 风\r\n正文正文。\r\n").arg(i));
    return text;
}

TEST(PatternScanLimits, CountsEveryMatchingLineWithinTheLimits) {
    const std::string text = patternText();
    UserPattern pattern(QStringLiteral("^卷\\d+"));
    PatternScan scan = ScanWithPattern(text, pattern);
    EXPECT_EQ(scan.headings.size(), 100u);
    EXPECT_EQ(scan.stop, PatternScan::Stop::Done);
    EXPECT_EQ(scan.scannedBytes, text.size());
    EXPECT_EQ(HeadingText(text, scan.headings[7]), QStringLiteral("卷7 风"));
    EXPECT_EQ(scan.headings[1].rule, HeadingRule::User);

    scan = ScanWithPattern(text, pattern, {.maxMatches = 10});
    EXPECT_EQ(scan.headings.size(), 10u);
    EXPECT_EQ(scan.stop, PatternScan::Stop::Matches);

    scan = ScanWithPattern(text, pattern, {.maxBytes = text.size() / 2});
    EXPECT_EQ(scan.stop, PatternScan::Stop::Bytes);
    EXPECT_GE(scan.headings.size(), 49u);
    EXPECT_LE(scan.headings.size(), 51u);
    EXPECT_LT(scan.scannedBytes, text.size());

    scan = ScanWithPattern(text, pattern, {.maxTime = std::chrono::seconds(0)});
    EXPECT_EQ(scan.stop, PatternScan::Stop::Time);
    EXPECT_LT(scan.headings.size(), 100u);

    UserPattern invalid(QStringLiteral("(unclosed"));
    EXPECT_TRUE(ScanWithPattern(text, invalid).headings.empty());
}

TEST(HeadingTextAndMoves, TextIsTheTrimmedLineWithinTheBytes) {
    const std::string text = toGbk(QStringLiteral("　　第一章 风起  \n文"));
    const Heading h{0, static_cast<std::uint8_t>(text.find('\n')), 1, HeadingRule::Zhang, 0};
    EXPECT_EQ(HeadingText(text, h), QStringLiteral("第一章 风起"));
    EXPECT_EQ(HeadingText(std::string_view(text).substr(0, 8), h), QStringLiteral("第一"));
    EXPECT_TRUE(HeadingText(text, Heading{1000, 5, 1, HeadingRule::Zhang, 0}).isEmpty());
}

TEST(HeadingTextAndMoves, BinarySearchesFromAnOffset) {
    const std::vector<Heading> hs = {{10, 1, 1, HeadingRule::Zhang, 0},
                                     {20, 1, 1, HeadingRule::Zhang, 0},
                                     {30, 1, 1, HeadingRule::Zhang, 0}};
    struct Case {
        std::uint64_t offset;
        std::size_t at, previous, next;
    };
    for (const Case& c : {Case{0, kNoHeading, kNoHeading, 0}, Case{10, 0, kNoHeading, 1},
                          Case{15, 0, 0, 1}, Case{20, 1, 0, 2}, Case{31, 2, 2, kNoHeading}}) {
        EXPECT_EQ(HeadingAt(hs, c.offset), c.at) << c.offset;
        EXPECT_EQ(PreviousHeading(hs, c.offset), c.previous) << c.offset;
        EXPECT_EQ(NextHeading(hs, c.offset), c.next) << c.offset;
    }
    EXPECT_EQ(NextHeading({}, 5), kNoHeading);
}

} // namespace
} // namespace orlenth::text
