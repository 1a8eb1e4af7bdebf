#include "framework/text/CharacterWalk.h"

#include <gtest/gtest.h>

#include <string>

namespace orlenth::text {
namespace {

using Outcome = TCharacterWalk::Outcome;

// 中 (D6 D0), a four-byte character (81 30 81 30), a stray lead before a line break, A.
const std::string kMixed = "\xD6\xD0"
                           "\x81\x30\x81\x30"
                           "\x81\r\nA";

struct OffsetRow {
    const char* name;
    std::size_t offset;
    std::size_t stopsAt;
    std::uint64_t characters;
};

class ToOffset : public testing::TestWithParam<OffsetRow> {};

TEST_P(ToOffset, StopsAtTheStartOfTheCharacterHoldingTheOffset) {
    const OffsetRow& row = GetParam();
    // Unbudgeted and a byte a call agree.
    for (const std::size_t budget : {SIZE_MAX, std::size_t{1}}) {
        TCharacterWalk walk;
        Outcome outcome = Outcome::Paused;
        for (int calls = 0; outcome == Outcome::Paused && calls < 100; ++calls)
            outcome = walk.ToOffset(kMixed, true, row.offset, budget);
        EXPECT_EQ(outcome, row.offset > kMixed.size() ? Outcome::Ended : Outcome::Reached);
        EXPECT_EQ(walk.Offset(), row.stopsAt);
        EXPECT_EQ(walk.Characters(), row.characters);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToOffset,
    testing::Values(OffsetRow{"Start", 0, 0, 0}, OffsetRow{"InsideATwoByteCharacter", 1, 0, 0},
                    OffsetRow{"AfterTwoBytes", 2, 2, 1},
                    OffsetRow{"InsideAFourByteCharacter", 5, 2, 1},
                    OffsetRow{"StrayLeadIsACharacterOfItsOwn", 6, 6, 2},
                    OffsetRow{"CarriageReturnAfterTheStrayLead", 7, 7, 3},
                    OffsetRow{"LineFeed", 8, 8, 4}, OffsetRow{"End", 10, 10, 6},
                    OffsetRow{"PastTheEnd", 99, 10, 6}),
    [](const testing::TestParamInfo<OffsetRow>& row) { return std::string(row.param.name); });

TEST(CharacterWalk, FindsTheSameCharacterAfterTheBytesChange) {
    // The place read in one reading of a file, found again in another: the same number of
    // characters before it, their bytes now four and two long by turns.
    const std::string gbk = std::string(20, '\xB0');
    std::string other;
    for (int i = 0; i < 10; ++i) other += (i % 2) ? std::string("\xB0\xA1") : "\x81\x30\x81\x30";
    TCharacterWalk before;
    ASSERT_EQ(before.ToOffset(gbk, true, 14), Outcome::Reached);
    EXPECT_EQ(before.Characters(), 7u);
    TCharacterWalk after;
    ASSERT_EQ(after.ToCharacter(other, true, before.Characters()), Outcome::Reached);
    EXPECT_EQ(after.Offset(), 4u * 4 + 3u * 2);
}

TEST(CharacterWalk, WaitsAtTheEndOfATextStillArriving) {
    // A four-byte character cut by the end of what has come must not be taken for four
    // characters of one byte.
    const std::string full = "ab\x81\x30\x81\x30"
                             "c";
    TCharacterWalk walk;
    EXPECT_EQ(walk.ToCharacter(std::string_view(full).substr(0, 4), false, 3), Outcome::Waiting);
    EXPECT_EQ(walk.Offset(), 1u);
    EXPECT_EQ(walk.ToCharacter(full, false, 3), Outcome::Reached);
    EXPECT_EQ(walk.Offset(), 6u);
    EXPECT_EQ(walk.ToCharacter(full, true, 9), Outcome::Ended);
    EXPECT_EQ(walk.Characters(), 4u);
}

} // namespace
} // namespace orlenth::text
