// The arithmetic of a page of columns: plain quantities in, no application object.

#include "app/VerticalGeometry.h"

#include <gtest/gtest.h>

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

struct PageWidthRow {
    const char* name;
    int count, pitch, viewWidth;
    std::int64_t expected;
};
class ColumnPageWidthTest : public testing::TestWithParam<PageWidthRow> {};
TEST_P(ColumnPageWidthTest, IsTheColumnsOrTheArea) {
    const PageWidthRow& r = GetParam();
    EXPECT_EQ(ColumnPageWidth(r.count, r.pitch, r.viewWidth), r.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, ColumnPageWidthTest,
    testing::Values(PageWidthRow{"ManyColumnsAreWiderThanTheArea", 10, 30, 150, 300},
                    PageWidthRow{"FewColumnsTakeTheArea", 3, 30, 150, 150},
                    PageWidthRow{"NoColumns", 0, 30, 150, 150},
                    PageWidthRow{"NegativesAreNothing", -4, 30, -1, 0},
                    PageWidthRow{"BeyondAnInt", 100'000'000, 60, 800, 6'000'000'000}),
    NameOf<PageWidthRow>);

TEST(ColumnScroll, ThePageStartsAtItsRightEdge) {
    const std::int64_t page = ColumnPageWidth(10, 30, 150);
    const std::int64_t start = PositionOfDistance(0, page, 150);
    EXPECT_EQ(start, 150);
    EXPECT_EQ(FirstColumnAt(start, 150, 30, 10), (TopLine{0, 0}));
    EXPECT_EQ(DistanceOfPosition(start, page, 150), 0);
    // A page narrower than the area cannot scroll: its start is position 0.
    EXPECT_EQ(PositionOfDistance(0, ColumnPageWidth(2, 30, 150), 150), 0);
}

struct FirstColumnRow {
    const char* name;
    std::int64_t position;
    TopLine expected;
};
class FirstColumnAtTest : public testing::TestWithParam<FirstColumnRow> {};
// Ten columns 30 apart in an area 150 wide: a page 300 wide, starting at position 150.
TEST_P(FirstColumnAtTest, FindsTheColumnAtTheRightEdgeAndComesBack) {
    const FirstColumnRow& r = GetParam();
    const TopLine first = FirstColumnAt(r.position, 150, 30, 10);
    EXPECT_EQ(first, r.expected);
    if (r.position <= 150 && r.position >= 0) {
        EXPECT_EQ(PositionOfFirstColumn(first, 150, 30, 10), r.position);
    }
}
INSTANTIATE_TEST_SUITE_P(
    Rows, FirstColumnAtTest,
    testing::Values(FirstColumnRow{"AtTheStart", 150, {0, 0}},
                    FirstColumnRow{"RightOfTheStartIsStillTheFirst", 170, {0, 0}},
                    FirstColumnRow{"OneColumnOn", 120, {1, 0}},
                    FirstColumnRow{"PartWayAcrossTheFirstColumn", 131, {0, 19}},
                    FirstColumnRow{"AtTheLeftEdge", 0, {5, 0}},
                    FirstColumnRow{"PastTheLeftEdgeIsTheLastColumn", -400, {9, 29}}),
    NameOf<FirstColumnRow>);

TEST(ColumnPlace, CellsAndRulesMirrorRowsFromTheRightEdge) {
    EXPECT_EQ(PlaceColumn(0, 30, 14, 300), (ColumnPlace{282, 306}));
    EXPECT_EQ(PlaceColumn(3, 30, 14, 300), (ColumnPlace{192, 216}));
}

TEST(ColumnPlace, EachRuleRunsBetweenTwoColumnsAtTheSmallestPitch) {
    for (const int cell : {0, 14, 19, 40}) {
        const int pitch = LinePitchFor(0, 0, cell);
        const std::int64_t page = ColumnPageWidth(6, pitch, 50);
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
        const std::int64_t page = ColumnPageWidth(count, pitch, view);
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

// ---- Paging left and right -----------------------------------------------------------

struct PagingRow {
    const char* name;
    std::int64_t position;
    std::int64_t left, right;
};
class ColumnPagingTest : public testing::TestWithParam<PagingRow> {};
// A page 1000 wide in an area 300 wide (start at 700), pitch 30 and 14 points: pages
// overlap by 44.
TEST_P(ColumnPagingTest, StepsByNearlyAScreen) {
    const PagingRow& r = GetParam();
    const PagingView view{r.position, 300, 1000, 14, 30};
    EXPECT_EQ(PageLeft(view), r.left);
    EXPECT_EQ(PageRight(view), r.right);
}
INSTANTIATE_TEST_SUITE_P(Rows, ColumnPagingTest,
                         testing::Values(PagingRow{"FromTheStartOnwardIsLeftward", 700, 444, 700},
                                         PagingRow{"BackFromTheSecondScreenIsTheStart", 444, 188,
                                                   700},
                                         PagingRow{"NearTheLeftEdgeGoesToIt", 10, 0, 266},
                                         PagingRow{"AtTheLeftEdgeStays", 0, 0, 256},
                                         PagingRow{"FromMidwayBackIsRightward", 300, 44, 556}),
                         NameOf<PagingRow>);

TEST(ColumnPaging, OnwardNeverMovesRightNorBackLeft) {
    for (std::int64_t position = -50; position <= 1050; position += 13)
        for (const int width : {10, 44, 300, 2000}) {
            const PagingView view{position, width, 1000, 14, 30};
            EXPECT_LE(PageLeft(view), position) << position << " in " << width;
            EXPECT_GE(PageRight(view), position) << position << " in " << width;
        }
}

// ---- The place read --------------------------------------------------------------------

// Five columns 30 apart in an area 70 wide: a page 150 wide, starting at position 80.
Starts FiveColumns() {
    return Starts({0, 10, 25, 40, 60}, true, 80);
}

struct ColumnPlaceRow {
    const char* name;
    std::int64_t position;
    std::uint32_t place;
};
class ColumnPlaceAtTest : public testing::TestWithParam<ColumnPlaceRow> {};
TEST_P(ColumnPlaceAtTest, IsTheStartOfTheColumnAtTheRightEdge) {
    Starts columns = FiveColumns();
    EXPECT_EQ(ColumnPlaceAt(columns, GetParam().position, 70, 30), GetParam().place);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, ColumnPlaceAtTest,
    testing::Values(ColumnPlaceRow{"AtTheStart", 80, 0}, ColumnPlaceRow{"RightOfTheStart", 95, 0},
                    ColumnPlaceRow{"OneColumnOn", 50, 10},
                    ColumnPlaceRow{"PartWayIntoTheSecondColumnIsStillTheFirst", 60, 0},
                    ColumnPlaceRow{"AtTheLeftEdge", 0, 25},
                    ColumnPlaceRow{"PastTheLeftEdgeIsTheLastColumn", -100, 60}),
    NameOf<ColumnPlaceRow>);

TEST(ColumnPositionOf, PutsTheColumnHoldingTheOffsetAtTheRightEdge) {
    Starts columns = FiveColumns();
    EXPECT_EQ(ColumnPositionOf(columns, 0, 70, 30), 80);
    EXPECT_EQ(ColumnPositionOf(columns, 25, 70, 30), 20);
    EXPECT_EQ(ColumnPositionOf(columns, 39, 70, 30), 20);
    EXPECT_EQ(ColumnPositionOf(columns, 60, 70, 30), -40); // the area clamps it to 0
    // A text shorter than the offset (it changed): the page's start.
    EXPECT_EQ(ColumnPositionOf(columns, 500, 70, 30), 80);
    for (const std::uint32_t offset : {0u, 10u, 11u, 24u, 25u, 40u, 79u}) {
        const std::int64_t position = ColumnPositionOf(columns, offset, 70, 30).value();
        const std::uint32_t place = ColumnPlaceAt(columns, position, 70, 30);
        EXPECT_LE(place, offset);
        EXPECT_EQ(columns.Start(WrappedLineAt(columns, offset)), place) << offset;
    }
}

TEST(ColumnPositionOf, WaitsForWrappingToPassTheOffset) {
    Starts arriving({0, 10, 25}, false, 0);
    EXPECT_EQ(ColumnPositionOf(arriving, 30, 70, 30), std::nullopt);
    // Three columns make a page 90 wide: 90 − 70 − 30.
    EXPECT_EQ(ColumnPositionOf(arriving, 12, 70, 30), -10);
}

// ---- Switching layouts keeps the place -------------------------------------------------

struct SwitchRow {
    const char* name;
    std::int64_t rowPosition;  // scrolled this far down the rows
    std::uint32_t columnPlace; // the first column then starts here
};
class SwitchLayoutTest : public testing::TestWithParam<SwitchRow> {};
// The same 80 bytes in rows {0, 20, 40, 60} 25 apart and in the five columns above.
TEST_P(SwitchLayoutTest, KeepsTheTextOnTopAtTheRightEdgeAndBack) {
    Starts rows({0, 20, 40, 60}, true, 80);
    Starts columns = FiveColumns();
    const SwitchRow& r = GetParam();
    const std::uint32_t place = TReadingState::PlaceAt(rows, r.rowPosition, 25);
    const std::int64_t position = ColumnPositionOf(columns, place, 70, 30).value();
    const std::uint32_t inColumns = ColumnPlaceAt(columns, position, 70, 30);
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
