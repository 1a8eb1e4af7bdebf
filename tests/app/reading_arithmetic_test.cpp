// The reading window's arithmetic on plain quantities: paging, stepping across rows and
// tabs, the page's place across the reading area, the lines a paint draws.

#include "app/PageGeometry.h"
#include "app/Paging.h"
#include "app/Stepping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

namespace orlenth {
namespace {

constexpr int kMax = std::numeric_limits<int>::max();

auto rowName = [](const auto& row) { return std::string(row.param.name); };

// Rows print as their names, in failure messages and in the test list.
template <class Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

// ---- paging. The design size: an area 396 high, the default font of 11 points, pitch 31
// (Tag 20), so pages overlap by 42; a range of 2000 ends at 1604.

constexpr std::int64_t kTall = std::int64_t{1} << 40; // a page past what an int holds
constexpr std::int64_t kWideMax = kMax;

struct PagingRow {
    const char* name;
    PagingView view; // position, height, range, font points, pitch
    std::int64_t down;
    std::int64_t up;
};

const PagingRow kPagingRows[] = {
    {"TopOfLongArticle", {0, 396, 2000, 11, 31}, 354, 0},
    {"BackFromSecondPageToTop", {354, 396, 2000, 11, 31}, 708, 0},
    {"UpFromExactlyOneHeightGoesToTop", {396, 396, 2000, 11, 31}, 750, 0},
    {"UpFromOnePastOneHeightStepsBack", {397, 396, 2000, 11, 31}, 751, 43},
    {"DownOneShortOfEndTest", {1227, 396, 2000, 11, 31}, 1581, 873},
    {"DownOnEndTestLandsOnEnd", {1228, 396, 2000, 11, 31}, 1604, 874},
    {"DownAtEndStays", {1604, 396, 2000, 11, 31}, 1604, 1250},
    {"ArticleFitsTheArea", {0, 396, 300, 11, 31}, 0, 0},
    {"LargerFontOverlapsMore", {1000, 396, 2000, 16, 36}, 1344, 656},
    {"EndTestUsesPitchLessFont", {1208, 396, 2000, 11, 11}, 1604, 834},
    {"NearIntMax", {kMax - 500, 396, kMax, 11, 31}, kMax - 396, kMax - 854},
    // An area shorter than the overlap: a page step would run the wrong way.
    {"AreaShorterThanOverlapStays", {500, 28, 5000, 11, 31}, 500, 500},
    {"AreaShorterThanOverlapStillJumpsToEnd", {4970, 28, 5000, 11, 31}, 4972, 4970},
    {"PastEndNearIntMaxStays", {kMax - 100, 396, kMax, 11, 31}, kMax - 100, kMax - 454},
    {"DownAcrossIntMax", {kMax - 100, 396, kTall, 11, 31}, kWideMax + 254, kMax - 454},
    {"UpAcrossIntMax", {kWideMax + 300, 396, kTall, 11, 31}, kWideMax + 654, kMax - 54},
    {"DownOnEndTestOfTallPage", {kTall - 768, 396, kTall, 11, 31}, kTall - 396, kTall - 1122},
    // A pitch grown past points + Tag for the font's cell overlaps by the grown pitch.
    {"GrownPitchOverlapsMore", {1000, 396, 2000, 72, 129}, 1195, 805},
    {"GrownPitchShortOfEndTest", {1264, 396, 2000, 72, 129}, 1459, 1069},
    {"GrownPitchEndTest", {1265, 396, 2000, 72, 129}, 1604, 1070},
};

class PagingTest : public ::testing::TestWithParam<PagingRow> {};

TEST_P(PagingTest, DownAndUp) {
    const PagingRow& r = GetParam();
    EXPECT_EQ(PageDown(r.view), r.down);
    EXPECT_EQ(PageUp(r.view), r.up);
}

INSTANTIATE_TEST_SUITE_P(Rows, PagingTest, ::testing::ValuesIn(kPagingRows), rowName);

// ---- stepping

using Kind = StepMove::Kind;

struct StepRow {
    const char* name;
    TitleSelection at; // row, rows, tab, tabs
    StepMove forward;
    StepMove back;
};

const StepRow kStepRows[] = {
    {"MiddleRow", {5, 27, 0, 5}, {Kind::Row, 6}, {Kind::Row, 4}},
    {"FirstRowOfFirstTab", {0, 27, 0, 5}, {Kind::Row, 1}, {}},
    {"FirstRowOfLaterTab", {0, 30, 2, 5}, {Kind::Row, 1}, {Kind::TabAtLast, 1}},
    {"LastRowOfFirstTab", {26, 27, 0, 5}, {Kind::Tab, 1}, {Kind::Row, 25}},
    {"LastRowOfLastTab", {29, 30, 4, 5}, {}, {Kind::Row, 28}},
    {"LastRowBeforeFolderTab", {29, 30, 4, 6}, {Kind::Tab, 5}, {Kind::Row, 28}},
    {"OnlyRow", {0, 1, 1, 5}, {Kind::Tab, 2}, {Kind::TabAtLast, 0}},
    {"NoRowSelected", {-1, 27, 2, 5}, {}, {Kind::TabAtLast, 1}},
    {"NoRowSelectedInFirstTab", {-1, 27, 0, 5}, {}, {}},
    {"EmptyListBeforeLastTab", {-1, 0, 3, 5}, {Kind::Tab, 4}, {Kind::TabAtLast, 2}},
    {"EmptyFolderTab", {-1, 0, 5, 6}, {}, {Kind::TabAtLast, 4}},
    {"RowPastTheList", {40, 27, 1, 5}, {Kind::Tab, 2}, {Kind::TabAtLast, 0}},
    {"TabPastTheStrip", {0, 27, 7, 5}, {Kind::Row, 1}, {}},
};

class SteppingTest : public ::testing::TestWithParam<StepRow> {};

TEST_P(SteppingTest, ForwardAndBack) {
    const StepRow& r = GetParam();
    const StepMove forward = StepForward(r.at), back = StepBack(r.at);
    EXPECT_EQ(forward.kind, r.forward.kind);
    if (forward.kind != Kind::None) {
        EXPECT_EQ(forward.index, r.forward.index);
    }
    EXPECT_EQ(back.kind, r.back.kind);
    if (back.kind != Kind::None) {
        EXPECT_EQ(back.index, r.back.index);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SteppingTest, ::testing::ValuesIn(kStepRows), rowName);

// ---- the page's place

struct PlacementRow {
    const char* name;
    int areaWidth;
    bool margins;
    PagePlacement page; // width, left, wrap width
};

const PlacementRow kPlacementRows[] = {
    {"MarginsOn500", 500, true, {333, 83, 325}},
    {"MarginsOff500", 500, false, {460, 16, 452}},
    {"MarginsOnDropFractions", 601, true, {400, 100, 392}},
    {"MarginsOnNarrowerThanWrapInset", 5, true, {3, 0, 0}},
    {"MarginsOnZeroWidth", 0, true, {0, 0, 0}},
    {"MarginsOffExactly40", 40, false, {0, 16, 0}},
    {"MarginsOffNarrowerThan40", 30, false, {0, 16, 0}},
    {"NegativeWidthIsZero", -10, true, {0, 0, 0}},
    {"MarginsOnIntMax", kMax, true, {1431655764, 357913941, 1431655756}},
};

class PlacementTest : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(PlacementTest, WidthLeftAndWrap) {
    const PlacementRow& r = GetParam();
    const PagePlacement page = PlacePage(r.areaWidth, r.margins);
    EXPECT_EQ(page.width, r.page.width);
    EXPECT_EQ(page.left, r.page.left);
    EXPECT_EQ(page.wrapWidth, r.page.wrapWidth);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlacementTest, ::testing::ValuesIn(kPlacementRows), rowName);

// ---- the line at the top, noted and put back after the lines change

// A text of 200 million display lines at 31 pixels: line tops past what an int holds.
constexpr int kManyLines = 200'000'000, kLast = kManyLines - 1, kMiddle = 150'000'000;
constexpr std::int64_t kLastTop = std::int64_t{kLast} * 31;
constexpr std::int64_t kMiddleTop = std::int64_t{kMiddle} * 31,
                       kAt129 = std::int64_t{kMiddle} * 129;

struct TopRow {
    const char* name;
    std::int64_t position;
    int pitch, count;
    TopLine top;
    int newPitch;
    std::int64_t back; // the position that shows the same line at newPitch
};

const TopRow kTopRows[] = {
    {"AtTheTop", 0, 31, 100, {0, 0}, 31, 0},
    {"OnALine", 310, 31, 100, {10, 0}, 31, 310},
    {"IntoALine", 320, 31, 100, {10, 10}, 31, 320},
    {"SmallerPitchKeepsLessThanAPitch", 320, 31, 100, {10, 10}, 5, 54},
    {"PastTheLastLine", 5000, 31, 100, {99, 30}, 31, 3099},
    {"NoLines", 320, 31, 0, {0, 0}, 31, 0},
    {"NoPitch", 320, 0, 100, {0, 0}, 31, 0},
    {"LastOfIntMaxLinesAtPitchOne", kMax, 1, kMax, {kMax - 1, 0}, 40, std::int64_t{kMax - 1} * 40},
    // 200 million lines at 31: the last starts at 6.2e9, far past an int.
    {"PastIntMax", kLastTop + 12, 31, kManyLines, {kLast, 12}, 31, kLastTop + 12},
    {"PastIntMaxToLargerPitch", kMiddleTop + 30, 31, kManyLines, {kMiddle, 30}, 129, kAt129 + 30},
    {"PastTheLastOfATallPage", kTall, 31, kManyLines, {kLast, 30}, 31, kLastTop + 30},
};

class TopLineTest : public ::testing::TestWithParam<TopRow> {};

TEST_P(TopLineTest, NotedAndPutBack) {
    const TopRow& r = GetParam();
    EXPECT_EQ(TopLineAt(r.position, r.pitch, r.count), r.top);
    EXPECT_EQ(PositionOfTopLine(r.top, r.newPitch), r.back);
}

INSTANTIATE_TEST_SUITE_P(Rows, TopLineTest, ::testing::ValuesIn(kTopRows), rowName);

// ---- the line pitch: points + Tag while the text cell keeps 2 clear rows above the next
// rule (cell + 13 ≤ pitch), otherwise just enough more.

struct PitchRow {
    const char* name;
    int points, tag, cell;
    int pitch;
};

const PitchRow kPitchRows[] = {
    {"DefaultPage", 11, 20, 16, 31},
    {"CellLeavesExactlyTwoRows", 11, 20, 18, 31},
    {"CellOneRowTooTallGrowsByOne", 11, 20, 19, 32},
    {"TwentyPointsSitOnTheRule", 20, 20, 29, 42},
    {"ThirtySixPoints", 36, 20, 53, 66},
    {"SeventyTwoPoints", 72, 20, 105, 118},
    {"TagZero", 11, 0, 16, 29},
    {"LargeTagKeepsItsPitch", 11, 10000, 16, 10011},
    {"NegativeTag", 11, -20, 16, 29},
    {"NegativeCellIsNone", 11, 20, -5, 31},
    {"NoCellAtPointsZero", 0, 0, 0, 13},
    {"SumPastIntMax", kMax, 20, 16, kMax},
    {"CellPastIntMax", 11, 20, kMax, kMax},
};

class PitchTest : public ::testing::TestWithParam<PitchRow> {};

TEST_P(PitchTest, KeepsPointsPlusTagUnlessTheCellNeedsMore) {
    const PitchRow& r = GetParam();
    EXPECT_EQ(LinePitchFor(r.points, r.tag, r.cell), r.pitch);
}

INSTANTIATE_TEST_SUITE_P(Rows, PitchTest, ::testing::ValuesIn(kPitchRows), rowName);

// ---- the lines a paint draws. Line i: text cell from i × pitch + 4, cell high; rule at
// i × pitch − 7. "None" rows expect an empty range.

constexpr std::int64_t kHugeTop = std::int64_t{3'000'000} * 1011;

struct LinesRow {
    const char* name;
    std::int64_t clipTop;
    int clipHeight, cell, pitch, count;
    LineRange expected; // {0, -1}: none
};

const LinesRow kLinesRows[] = {
    {"FirstScreen", 0, 396, 16, 31, 100, {0, 13}},
    {"ScrolledScreen", 1000, 396, 16, 31, 100, {31, 46}},
    {"EndOfPage", 280, 30, 16, 31, 10, {8, 9}},
    {"OneLine", 0, 50, 16, 31, 1, {0, 0}},
    {"TallCellReachesBack", 100, 10, 80, 31, 100, {0, 4}},
    {"ClipBelowLastLineNone", 5000, 100, 16, 31, 100, {0, -1}},
    {"EmptyClipNone", 100, 0, 16, 31, 100, {0, -1}},
    {"NoLinesNone", 0, 396, 16, 31, 0, {0, -1}},
    {"ZeroPitchNone", 0, 396, 16, 0, 100, {0, -1}},
    {"NearIntMax", kMax - 1000, 500, 16, 31, kMax / 31, {69273633, 69273651}},
    // The last screen of 200 million lines at 31, rows 6.2e9 down.
    {"LastScreenPastIntMax", kLastTop - 365, 396, 16, 31, kManyLines, {kLast - 13, kLast}},
    {"HugePitchPastIntMax", kHugeTop + 500, 396, 16, 1011, 3'000'001, {3'000'000, 3'000'000}},
};

class VisibleLinesTest : public ::testing::TestWithParam<LinesRow> {};

TEST_P(VisibleLinesTest, RangeCoversWhatMeetsTheClip) {
    const LinesRow& r = GetParam();
    const LineRange got = VisibleLines(r.clipTop, r.clipHeight, r.cell, r.pitch, r.count);
    if (r.expected.first > r.expected.last) {
        EXPECT_GT(got.first, got.last);
    } else {
        EXPECT_EQ(got.first, r.expected.first);
        EXPECT_EQ(got.last, r.expected.last);
    }
    // Every line whose text or rule meets the clip is drawn. Without a pitch the page has no
    // height and nothing of it shows.
    if (r.pitch <= 0) return;
    const long long top = r.clipTop, bottom = top + r.clipHeight;
    // Every line near the clip (all of them on a short page).
    const long long from = std::max<long long>(0, top / r.pitch - 40),
                    to = std::min<long long>(r.count, bottom / r.pitch + 40);
    for (long long i = from; i < to; ++i) {
        const long long cellTop = i * r.pitch + 4, rule = i * r.pitch - 7;
        const bool meets = r.clipHeight > 0 && ((cellTop < bottom && cellTop + r.cell > top) ||
                                                (rule >= top && rule < bottom));
        if (meets) {
            EXPECT_TRUE(got.first <= i && i <= got.last) << "line " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, VisibleLinesTest, ::testing::ValuesIn(kLinesRows), rowName);

} // namespace
} // namespace orlenth
