// The find bar's search without a window: which hit comes next or before, going round the
// text's ends, budgeted steps agreeing with one unlimited step, hits numbered as they are
// stepped through, and a text replaced or still arriving under a search.

#include "app/SearchSession.h"
#include "framework/text/TextEncoding.h"
#include "framework/text/TextLoad.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace orlenth {
namespace {

using Direction = TSearchSession::Direction;
using Status = TSearchSession::Status;

std::string Gbk(const char* utf8) {
    return UnicodeToGbk(QString::fromUtf8(utf8));
}

// Runs a search to its end, `budget` bytes of work a step.
Status RunToEnd(TSearchSession& s, std::string_view text, std::size_t budget) {
    for (int guard = 0; guard < 1'000'000; ++guard) {
        const Status st = s.Advance(text, true, budget);
        if (st != Status::Searching) return st;
    }
    ADD_FAILURE() << "the search never ended";
    return Status::Searching;
}

struct Case {
    const char* name;
    const char* text;
    const char* pattern;
    std::size_t from; // a byte offset into the GBK text
    Direction direction;
    std::optional<std::size_t> hit; // byte offset, none: not found
    bool wrapped;
};

// 甲乙 is four bytes, so "ab" in "甲乙ab甲ab" stands at 4 and 8.
const Case kCases[] = {
    {"next_after_from", "甲乙ab甲ab", "ab", 0, Direction::Next, 4, false},
    {"next_at_from", "甲乙ab甲ab", "ab", 4, Direction::Next, 4, false},
    {"next_skips_past", "甲乙ab甲ab", "ab", 5, Direction::Next, 8, false},
    {"next_wraps", "甲乙ab甲ab", "ab", 9, Direction::Next, 4, true},
    {"next_wraps_to_only_hit", "ab甲乙", "AB", 3, Direction::Next, 0, true},
    {"next_folds_full_width", "甲ＡＢ乙", "ab", 0, Direction::Next, 2, false},
    {"previous_before_from", "甲乙ab甲ab", "ab", 8, Direction::Previous, 4, false},
    {"previous_wraps", "甲乙ab甲ab", "ab", 4, Direction::Previous, 8, true},
    {"previous_from_end", "甲乙ab甲ab", "ab", 10, Direction::Previous, 8, false},
    {"none_next", "甲乙ab甲ab", "乙甲", 0, Direction::Next, std::nullopt, false},
    {"none_previous", "甲乙ab甲ab", "丙", 9, Direction::Previous, std::nullopt, false},
    // 中文 is D6 D0 CE C4, 形 is D0 CE: its bytes stand across the two characters.
    {"no_hit_across_characters", "中文", "形", 0, Direction::Next, std::nullopt, false},
    {"empty_pattern", "甲乙ab", "", 0, Direction::Next, std::nullopt, false},
    // Budgets smaller than the pattern: a step pauses at the start of the longest part
    // matched so far, and each step still moves on.
    {"long_pattern_next", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "aaaaaaaaaaaaaaaaaaaab", 0,
     Direction::Next, 20, false},
    {"long_pattern_previous_wraps", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
     "AAAAAAAAAAAAAAAAAAAAB", 5, Direction::Previous, 20, true},
    {"periodic_pattern_previous", "abababab甲", "abab", 8, Direction::Previous, 4, false},
    {"periodic_pattern_next_across_characters", "甲ab甲abab", "abab", 0, Direction::Next, 6, false},
};

class SessionCases : public ::testing::TestWithParam<Case> {};

TEST_P(SessionCases, FindsTheHitWithAnyBudget) {
    const Case& c = GetParam();
    const std::string text = Gbk(c.text);
    const QString pattern = QString::fromUtf8(c.pattern);
    for (const std::size_t budget : {std::size_t{1}, std::size_t{2}, std::size_t{3}, SIZE_MAX}) {
        SCOPED_TRACE(budget);
        TSearchSession s;
        s.SetPattern(pattern);
        s.Begin(c.direction, c.from);
        const Status st = RunToEnd(s, text, budget);
        if (!c.hit) {
            EXPECT_EQ(st, Status::NotFound);
            EXPECT_FALSE(s.HasHit());
            continue;
        }
        ASSERT_EQ(st, Status::Found);
        EXPECT_EQ(s.Hit().offset, *c.hit);
        EXPECT_EQ(s.Wrapped(), c.wrapped);
    }
}

INSTANTIATE_TEST_SUITE_P(, SessionCases, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SearchSession, NumbersHitsAsItStepsAndWraps) {
    const std::string text = Gbk("的a的b的c");
    TSearchSession s;
    s.SetPattern(QString::fromUtf8("的"));
    s.Begin(Direction::Next, 1);
    ASSERT_EQ(RunToEnd(s, text, 2), Status::Found);
    EXPECT_EQ(s.Hit().offset, 3u);
    EXPECT_FALSE(s.Ordinal()); // started from a place, not a hit: the window asks
    const std::atomic<bool> no{false};
    s.SetOrdinal(3, *HitsBefore(text, 3, s.Pattern(), no) + 1);
    EXPECT_EQ(s.Ordinal(), 2u);
    s.SetOrdinal(0, 9); // another hit's number
    EXPECT_EQ(s.Ordinal(), 2u);

    const struct {
        Direction d;
        std::size_t offset;
        std::optional<std::size_t> ordinal;
        bool wrapped;
    } steps[] = {
        {Direction::Next, 6, 3, false},     {Direction::Next, 0, 1, true},
        {Direction::Previous, 6, 3, true},  {Direction::Previous, 3, 2, false},
        {Direction::Previous, 0, 1, false},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        if (i == 2) s.SetTotal(3);
        s.Step(steps[i].d, 0);
        ASSERT_EQ(RunToEnd(s, text, 1), Status::Found);
        EXPECT_EQ(s.Hit().offset, steps[i].offset);
        EXPECT_EQ(s.Ordinal(), steps[i].ordinal);
        EXPECT_EQ(s.Wrapped(), steps[i].wrapped);
    }
}

TEST(SearchSession, ReplacedTextStopsTheSearch) {
    const std::string text(1000, 'x');
    TSearchSession s;
    s.SetPattern(QStringLiteral("y"));
    s.Begin(Direction::Next, 0);
    EXPECT_EQ(s.Advance(text, true, 10), Status::Searching);
    s.Reset();
    EXPECT_EQ(s.State(), Status::Idle);
    // The new text is not searched from the old one's place: nothing goes on by itself.
    EXPECT_EQ(s.Advance("y", true), Status::Idle);
    EXPECT_FALSE(s.HasHit());
    EXPECT_EQ(s.Typed(), QStringLiteral("y"));
    s.Begin(Direction::Next, 0);
    EXPECT_EQ(RunToEnd(s, "y", 1), Status::Found);
}

TEST(SearchSession, WaitsAtTheEndOfATextStillArriving) {
    const std::string whole = Gbk("一二三四五六七八九十");
    TSearchSession s;
    s.SetPattern(QString::fromUtf8("九十"));
    s.Begin(Direction::Next, 0);
    // The hit's first character has come, its second not yet: no wrap, no miss.
    const std::string_view part(whole.data(), 17);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.Advance(part, false, 4), Status::Searching);
    EXPECT_FALSE(s.Wrapped());
    EXPECT_EQ(RunToEnd(s, whole, 4), Status::Found);
    EXPECT_EQ(s.Hit().offset, 16u);
    EXPECT_FALSE(s.Wrapped());
}

// Every hit that FindNext enumerates before an offset, one at a time.
std::size_t BruteBefore(std::string_view text, std::size_t offset, const text::TSearchPattern& p) {
    std::size_t n = 0;
    for (std::size_t from = 0;;) {
        const auto step = text::FindNext(text, from, p);
        if (step.outcome != text::TSearchStep::Outcome::Found || step.hit.offset >= offset)
            return n;
        ++n;
        from = step.hit.offset + 1;
    }
}

TEST(SearchSession, HitsBeforeCountsOverlapsAndFolds) {
    const struct {
        const char* text;
        const char* pattern;
    } rows[] = {{"aaaaaa", "aa"}, {"ａＢab甲AB乙aB", "ab"}, {"啊啊啊啊", "啊啊"}, {"x", "xyz"}};
    const std::atomic<bool> no{false};
    for (const auto& r : rows) {
        const std::string text = Gbk(r.text);
        const text::TSearchPattern p(QString::fromUtf8(r.pattern));
        for (std::size_t at = 0; at <= text.size();
             at = text::CharacterStartAtOrAfter(text, at + 1)) {
            SCOPED_TRACE(std::string(r.text) + " @" + std::to_string(at));
            EXPECT_EQ(HitsBefore(text, at, p, no), BruteBefore(text, at, p));
            if (at == text.size()) break;
        }
    }
    const std::atomic<bool> yes{true};
    EXPECT_FALSE(HitsBefore(std::string(4 << 20, 'a'), 4 << 20,
                            text::TSearchPattern(QStringLiteral("a")), yes));
}

TEST(SearchSession, CountArrivingWaitsForTheWholeText) {
    const std::string whole = Gbk("的的的的") + std::string(3 << 20, '.') + Gbk("的的");
    text::TextFeed feed;
    feed.buffer = QByteArray(static_cast<qsizetype>(whole.size()), '\0');
    feed.produce = [&whole](text::TextSink& sink) {
        // Pieces that cut 的 in two.
        for (std::size_t at = 0; at < whole.size();) {
            const std::size_t n = std::min<std::size_t>(whole.size() - at, 333'333);
            std::memcpy(sink.data() + at, whole.data() + at, n);
            at += n;
            sink.publish(at);
        }
    };
    text::TextLoad load(std::move(feed));
    const std::atomic<bool> no{false};
    std::size_t last = 0;
    const auto total = CountArriving(load, text::TSearchPattern(QString::fromUtf8("的")), no,
                                     [&](std::size_t hits) {
                                         EXPECT_GE(hits, last);
                                         last = hits;
                                     });
    EXPECT_EQ(total, 6u);
}

} // namespace
} // namespace orlenth
