// The arithmetic of a page of columns: plain quantities in, no application object.

#include "app/VerticalGeometry.h"

#include "app/ReadingState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace orlenth {
namespace {

// Display lines (columns or rows) as a list of starts.
class Starts final : public TDisplayLines {
public:
    Starts(std::vector<std::uint32_t> starts, bool complete, std::uint64_t size)
        : starts_(std::move(starts)), complete_(complete), size_(size) {}
    int Count() override { return static_cast<int>(starts_.size()); }
    bool Complete() override { return complete_; }
    std::uint32_t Start(int i) override { return starts_.at(static_cast<std::size_t>(i)); }
    std::uint64_t TextSize() override { return size_; }

private:
    std::vector<std::uint32_t> starts_;
    bool complete_;
    std::uint64_t size_;
};

template <class Row> std::string NameOf(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

// ---- Where the page and its columns lie ----------------------------------------------

struct PlacementRow {
    const char* name;
    int areaHeight;
    bool margins;
    ColumnPlacement expected;
};
class PlaceColumnsTest : public testing::TestWithParam<PlacementRow> {};
TEST_P(PlaceColumnsTest, PutsThePageDownTheArea) {
    EXPECT_EQ(PlaceColumns(GetParam().areaHeight, GetParam().margins), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, PlaceColumnsTest,
    testing::Values(PlacementRow{"MarginsTakeASixthAboveAndBelow", 600, true, {400, 100, 392}},
                    PlacementRow{"WithoutMarginsNearlyTheWholeHeight", 600, false, {560, 16, 552}},
                    PlacementRow{"AnAreaTooLowGivesNoColumn", 30, false, {0, 16, 0}},
                    PlacementRow{"ANegativeAreaIsNone", -5, true, {0, 0, 0}}),
    NameOf<PlacementRow>);

TEST(ColumnsRightEdge, IsTheAreasAtTheStartAndMovesRightAsTheReaderGoesOn) {
    EXPECT_EQ(ColumnsRightEdge(150, 0), 150);
    EXPECT_EQ(ColumnsRightEdge(150, 90), 240);
    EXPECT_EQ(ColumnsRightEdge(-3, 6'000'000'000), 6'000'000'000);
    // Column 0's cell ends kTextInset short of the area's right edge at the start.
    const ColumnPlace first = PlaceColumn(0, 30, 14, ColumnsRightEdge(150, 0));
    EXPECT_EQ(first.textLeft + 14 - 1, 150 - 1 - kTextInset);
}

TEST(ColumnPlace, CellsAndRulesMirrorRowsFromTheRightEdge) {
    EXPECT_EQ(PlaceColumn(0, 30, 14, 300), (ColumnPlace{282, 306}));
    EXPECT_EQ(PlaceColumn(3, 30, 14, 300), (ColumnPlace{192, 216}));
}

TEST(ColumnPlace, EachRuleRunsBetweenTwoColumnsAtTheSmallestPitch) {
    for (const int cell : {0, 14, 19, 40}) {
        const int pitch = LinePitchFor(0, 0, cell);
        const std::int64_t page = std::int64_t{6} * pitch;
        for (int i = 1; i < 6; ++i) {
            const ColumnPlace here = PlaceColumn(i, pitch, cell, page);
            const ColumnPlace right = PlaceColumn(i - 1, pitch, cell, page);
            EXPECT_LT(here.textLeft + cell - 1, here.ruleX) << "cell " << cell << ", column " << i;
            EXPECT_LT(here.ruleX, right.textLeft) << "cell " << cell << ", column " << i;
            EXPECT_GE(here.textLeft, page - std::int64_t{i + 1} * pitch);
        }
    }
}

TEST(VisibleColumns, HoldEveryColumnThatMeetsTheClipAndNoneOffThePage) {
    const int count = 12, cell = 17;
    const int pitch = LinePitchFor(12, 4, cell);
    for (const int view : {100, 2000}) {
        const std::int64_t page = std::max<std::int64_t>(std::int64_t{count} * pitch, view);
        for (std::int64_t left = -40; left < page + 40; left += 7)
            for (const int width : {1, 5, pitch, 3 * pitch + 1}) {
                const LineRange range = VisibleColumns(left, width, cell, pitch, count, page);
                ASSERT_GE(range.first, 0);
                ASSERT_LE(range.last, count - 1);
                for (int i = 0; i < count; ++i) {
                    const ColumnPlace c = PlaceColumn(i, pitch, cell, page);
                    const bool cellMeets =
                        c.textLeft <= left + width - 1 && c.textLeft + cell - 1 >= left;
                    const bool ruleMeets = c.ruleX >= left && c.ruleX <= left + width - 1;
                    if (!cellMeets && !ruleMeets) continue;
                    EXPECT_TRUE(i >= range.first && i <= range.last)
                        << "column " << i << " left out of a clip at " << left << " width "
                        << width;
                }
            }
    }
    EXPECT_EQ(VisibleColumns(0, 0, cell, pitch, count, 500), (LineRange{0, -1}));
}

// ---- Switching layouts keeps the place -------------------------------------------------

struct SwitchRow {
    const char* name;
    std::int64_t rowPosition;  // scrolled this far down the rows
    std::uint32_t columnPlace; // the first column then starts here
};
class SwitchLayoutTest : public testing::TestWithParam<SwitchRow> {};
// The same 80 bytes in rows {0, 20, 40, 60} 25 apart and in five columns {0, 10, 25, 40,
// 60} 30 apart; in columns the position is the distance from the right edge.
TEST_P(SwitchLayoutTest, KeepsTheTextOnTopAtTheRightEdgeAndBack) {
    Starts rows({0, 20, 40, 60}, true, 80);
    Starts columns({0, 10, 25, 40, 60}, true, 80);
    const SwitchRow& r = GetParam();
    const std::uint32_t place = TReadingState::PlaceAt(rows, r.rowPosition, 25);
    const std::int64_t distance = TReadingState::PositionOf(columns, place, 30).value();
    const std::uint32_t inColumns = TReadingState::PlaceAt(columns, distance, 30);
    EXPECT_EQ(inColumns, r.columnPlace);
    // The first column holds the text that was on top.
    const int first = WrappedLineAt(columns, place);
    EXPECT_EQ(columns.Start(first), inColumns);
    // And back: the row holding the column's start is on top again.
    const std::int64_t back = TReadingState::PositionOf(rows, inColumns, 25).value();
    EXPECT_EQ(TReadingState::PlaceAt(rows, back, 25), rows.Start(WrappedLineAt(rows, inColumns)));
}
INSTANTIATE_TEST_SUITE_P(Rows, SwitchLayoutTest,
                         testing::Values(SwitchRow{"AtTheStart", 0, 0},
                                         SwitchRow{"TheSecondRowStartsInTheSecondColumn", 25, 10},
                                         SwitchRow{"TheThirdRowStartsAColumn", 55, 40},
                                         SwitchRow{"TheLastRowStartsTheLastColumn", 80, 60}),
                         NameOf<SwitchRow>);

} // namespace
} // namespace orlenth
