// The line index keeps every start it was given, in whichever form each block is packed,
// across the edges between blocks and forms, and while it is read during appends.

#include "framework/text/LineIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace orlenth::text {
namespace {

using Kind = LineIndex::Kind;
constexpr std::size_t kBlock = LineIndex::kBlockSize;

// Starts from `first` on, with the gaps the generator gives, `count` of them.
std::vector<std::uint32_t> startsOf(std::uint32_t first, std::size_t count,
                                    const std::function<std::uint32_t(std::size_t)>& gap) {
    std::vector<std::uint32_t> s;
    s.reserve(count);
    std::uint32_t at = first;
    for (std::size_t k = 0; k < count; ++k) {
        s.push_back(at);
        at += gap(k);
    }
    return s;
}

std::function<std::uint32_t(std::size_t)> randomGaps(std::uint32_t lo, std::uint32_t hi,
                                                     unsigned seed) {
    auto random = std::make_shared<std::mt19937>(seed);
    return
        [=](std::size_t) { return std::uniform_int_distribution<std::uint32_t>(lo, hi)(*random); };
}

// Gaps from one generator up to line `until`, then from another.
std::function<std::uint32_t(std::size_t)> then(std::function<std::uint32_t(std::size_t)> a,
                                               std::size_t until,
                                               std::function<std::uint32_t(std::size_t)> b) {
    return [=](std::size_t k) { return k < until ? a(k) : b(k); };
}

std::function<std::uint32_t(std::size_t)> cycle(std::vector<std::uint32_t> gaps) {
    return [=](std::size_t k) { return gaps[k % gaps.size()]; };
}

struct Row {
    const char* name;
    std::uint32_t first;
    std::size_t count;
    std::function<std::uint32_t(std::size_t)> gap;
    std::vector<Kind> kinds; // of the full blocks, in order
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

std::vector<Row> rows() {
    const auto one = cycle({1});
    const auto random = [](std::uint32_t lo, std::uint32_t hi) { return randomGaps(lo, hi, 7); };
    // Mostly small gaps with one just past the limit of 4 or 8 bits now and then.
    const auto rarely = [](std::uint32_t small, std::uint32_t over) {
        return [=](std::size_t k) { return k % 97 == 5 ? over : 1 + std::uint32_t(k % small); };
    };
    return {
        {"EmptyLinesLF", 0, 3 * kBlock + 5, one, {Kind::Pattern, Kind::Pattern, Kind::Pattern}},
        {"EmptyLinesCRLF", 7, 2 * kBlock, cycle({2}), {Kind::Pattern, Kind::Pattern}},
        {"AlternatingEmptyAndOneChar",
         0,
         2 * kBlock + 1,
         cycle({1, 2}),
         {Kind::Pattern, Kind::Pattern}},
        {"PeriodOfSixteen",
         3,
         kBlock + 100,
         cycle({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 300}),
         {Kind::Pattern}},
        {"PeriodOfSeventeenIsGaps",
         0,
         kBlock,
         cycle({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1, 2}),
         {Kind::Gaps4}},
        {"LongLineInEqualPieces", 1000, kBlock + 9, cycle({46}), {Kind::Pattern}},
        {"TinyLines", 0, 2 * kBlock + 77, random(1, 3), {Kind::Gaps4, Kind::Gaps4}},
        {"FourBitsWithEscapes", 0, kBlock, rarely(15, 16), {Kind::Gaps4}},
        {"ShortChineseLines", 0, 2 * kBlock + 3, random(8, 22), {Kind::Gaps8, Kind::Gaps8}},
        {"NovelLike", 12, 2 * kBlock, random(2, 60), {Kind::Gaps8, Kind::Gaps8}},
        {"EightBitsWithEscapes", 0, kBlock, rarely(255, 256), {Kind::Gaps8}},
        {"HugeGapsArePlain", 0, kBlock + 1, random(300, 100000), {Kind::Plain}},
        {"NearTheTopOfTheRange",
         0xFFFFFFFFu - 20 * std::uint32_t(kBlock),
         2 * kBlock,
         random(5, 9),
         {Kind::Gaps4, Kind::Gaps4}},
        // The form changes inside a block and at a block's edge.
        {"PatternThenShortLines",
         0,
         3 * kBlock,
         then(one, kBlock + kBlock / 2, random(8, 22)),
         {Kind::Pattern, Kind::Gaps8, Kind::Gaps8}},
        {"ShortLinesThenPatternAtTheEdge",
         0,
         3 * kBlock + 10,
         then(random(8, 22), kBlock - 1, cycle({2})),
         {Kind::Gaps8, Kind::Pattern, Kind::Pattern}},
        {"PlainThenPatternThenGaps",
         0,
         3 * kBlock,
         then(random(300, 100000), kBlock - 1, then(one, 2 * kBlock - 1, random(1, 3))),
         {Kind::Plain, Kind::Pattern, Kind::Gaps4}},
        {"OpenBlockOnly", 5, kBlock - 1, random(8, 22), {}},
    };
}

class LineIndexForms : public ::testing::TestWithParam<Row> {};

TEST_P(LineIndexForms, KeepsEveryStartAndFindsEveryLine) {
    const Row& row = GetParam();
    const std::vector<std::uint32_t> s = startsOf(row.first, row.count, row.gap);
    LineIndex index(row.count + 10);
    // Appends of uneven sizes, so that blocks fill in the middle of an append.
    std::mt19937 random(3);
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t n = std::min<std::size_t>(s.size() - at, 1 + random() % 5000);
        index.append(s.data() + at, n);
        at += n;
        ASSERT_EQ(index.size(), at);
    }
    ASSERT_EQ(row.count / kBlock, row.kinds.size());
    for (std::size_t b = 0; b < row.kinds.size(); ++b)
        EXPECT_EQ(index.kindOf(b), row.kinds[b]) << "block " << b;
    for (std::size_t i = 0; i < s.size(); ++i) ASSERT_EQ(index[i], s[i]) << "line " << i;
    // lineAt at every start, just before each and just after the last.
    for (std::size_t i = 0; i < s.size(); ++i) {
        ASSERT_EQ(index.lineAt(s[i], s.size()), i) << "line " << i;
        if (i > 0 && s[i] - 1 != s[i - 1]) {
            ASSERT_EQ(index.lineAt(s[i] - 1, s.size()), i - 1) << "before line " << i;
        }
    }
    if (s.back() != 0xFFFFFFFFu) {
        EXPECT_EQ(index.lineAt(s.back() + 1, s.size()), s.size() - 1);
    }
    if (s.front() > 0) {
        EXPECT_EQ(index.lineAt(s.front() - 1, s.size()), 0u);
    }
    // Among the first lines only, including the first of the second block.
    const std::size_t some = std::min(s.size(), kBlock + 1);
    EXPECT_EQ(index.lineAt(s.back(), some), some - 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, LineIndexForms, ::testing::ValuesIn(rows()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(LineIndex, PackedFormsCostFarLessThanFourBytesALine) {
    struct Case {
        std::function<std::uint32_t(std::size_t)> gap;
        double mostBytesPerLine;
    };
    const Case cases[] = {{cycle({1}), 0.01},
                          {cycle({1, 2}), 0.01},
                          {randomGaps(1, 3, 1), 0.6},
                          {randomGaps(8, 22, 1), 1.15}};
    for (const Case& c : cases) {
        const std::size_t count = 40 * kBlock;
        const std::vector<std::uint32_t> s = startsOf(0, count, c.gap);
        LineIndex index(count);
        index.append(s.data(), s.size());
        const double perLine =
            static_cast<double>(index.memoryBytes()) / static_cast<double>(count);
        EXPECT_LE(perLine, c.mostBytesPerLine + 4.0 * kBlock / count);
    }
}

TEST(LineIndex, RefusesLinesBeyondItsRoomAndKeepsWhatItHad) {
    LineIndex index(10);
    const std::vector<std::uint32_t> s = startsOf(0, 2 * kBlock, cycle({1}));
    index.append(s.data(), 3);
    // The room is rounded up to whole blocks: more than that is refused.
    EXPECT_THROW(index.append(s.data() + 3, 2 * kBlock - 3), std::length_error);
    EXPECT_EQ(index.size(), 3u);
    EXPECT_EQ(index[2], 2u);
}

// A reader on another thread sees the right start for every line published, while blocks
// are packed under it and the open block is refilled.
TEST(LineIndex, ReadsWhileAnotherThreadAppends) {
    const std::size_t count = 12 * kBlock + 321;
    const std::vector<std::uint32_t> s =
        startsOf(0, count,
                 then(randomGaps(8, 22, 5), 3 * kBlock,
                      then(cycle({1}), 6 * kBlock + 17,
                           then(randomGaps(1, 3, 6), 9 * kBlock - 5, randomGaps(300, 9000, 7)))));
    LineIndex index(count);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::mt19937 random(11);
        for (std::size_t at = 0; at < count;) {
            const std::size_t n = std::min<std::size_t>(count - at, 1 + random() % 64);
            index.append(s.data() + at, n);
            at += n;
        }
        done = true;
    });
    std::mt19937 random(12);
    std::size_t wrong = 0, reads = 0;
    for (bool last = false; !last;) {
        last = done.load();
        const std::size_t n = index.size();
        if (n == 0) continue;
        // The newest lines and the first of their block, which lie in the open block and
        // are overwritten first once it is packed, and a few anywhere.
        for (std::size_t i = n - std::min<std::size_t>(n, 64); i < n; ++i, ++reads)
            wrong += index[i] != s[i];
        const std::size_t open = (n - 1) & ~(kBlock - 1);
        for (std::size_t i = open; i < std::min(n, open + 8); ++i, ++reads)
            wrong += index[i] != s[i];
        for (int k = 0; k < 16; ++k, ++reads) {
            const std::size_t i = random() % n;
            wrong += index[i] != s[i];
            wrong += index.lineAt(s[i], n) != i;
        }
    }
    writer.join();
    EXPECT_EQ(wrong, 0u) << "of " << reads << " reads";
    EXPECT_EQ(index.size(), count);
    for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(index[i], s[i]) << "line " << i;
}

} // namespace
} // namespace orlenth::text
