// The reading state without a window: what the folder tab lists and opens, and the place
// read turned into a scroll position and back, over display lines still being wrapped.

#include "app/ReadingState.h"
#include "app/platform/FileEntry.h"
#include "framework/Errors.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orlenth {
namespace {

using platform::testing::TempFolder;

// Display lines as a list of starts; `complete` says whether more may come.
class FakeLines final : public TDisplayLines {
public:
    FakeLines(std::vector<std::uint32_t> starts, bool complete, std::uint64_t size)
        : starts_(std::move(starts)), complete_(complete), size_(size) {}
    int Count() override { return static_cast<int>(starts_.size()); }
    bool Complete() override { return complete_; }
    std::uint32_t Start(int i) override {
        EXPECT_GE(i, 0);
        EXPECT_LT(i, Count()) << "asked for a line not wrapped yet";
        return starts_.at(static_cast<std::size_t>(i));
    }
    std::uint64_t TextSize() override {
        EXPECT_TRUE(complete_) << "asked for the size of a text still arriving";
        return size_;
    }

private:
    std::vector<std::uint32_t> starts_;
    bool complete_;
    std::uint64_t size_;
};

struct PlaceRow {
    const char* name;
    std::vector<std::uint32_t> starts;
    bool complete;
    std::uint64_t size;
    std::uint32_t offset;
    std::optional<std::int64_t> position; // at pitch 31
};

void PrintTo(const PlaceRow& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<std::uint32_t> kTen{0, 10, 20, 30, 40, 50, 60, 70, 80, 90};

class GoingToAPlace : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(GoingToAPlace, PutsTheLineHoldingTheOffsetOnTop) {
    const PlaceRow& row = GetParam();
    FakeLines lines(row.starts, row.complete, row.size);
    EXPECT_EQ(TReadingState::PositionOf(lines, row.offset, 31), row.position);
    // And back: the place read there is the start of that line.
    if (row.position && *row.position > 0) {
        EXPECT_LE(TReadingState::PlaceAt(lines, *row.position, 31), row.offset);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GoingToAPlace,
    ::testing::Values(PlaceRow{"TopIsAlwaysThere", {}, false, 0, 0, 0},
                      PlaceRow{"LineStart", kTen, true, 100, 40, 4 * 31},
                      PlaceRow{"InsideALine", kTen, true, 100, 47, 4 * 31},
                      PlaceRow{"LastLine", kTen, true, 100, 99, 9 * 31},
                      PlaceRow{"PastTheEndOfAShorterTextGoesToTheTop", kTen, true, 100, 100, 0},
                      PlaceRow{"EmptyCompleteText", {}, true, 0, 5, 0},
                      PlaceRow{"WrappedPastTheOffset", kTen, false, 0, 47, 4 * 31},
                      PlaceRow{"InTheLastWrappedLineWaits", kTen, false, 0, 95, std::nullopt},
                      PlaceRow{"OnTheLastWrappedStartWaits", kTen, false, 0, 90, std::nullopt},
                      PlaceRow{"NothingWrappedYetWaits", {}, false, 0, 1, std::nullopt},
                      PlaceRow{"OffsetNearFourGigabytes",
                               [] {
                                   std::vector<std::uint32_t> s(100'000'000 / 1000);
                                   for (std::size_t i = 0; i < s.size(); ++i)
                                       s[i] = static_cast<std::uint32_t>(i * 40);
                                   return s;
                               }(),
                               true, 4'000'000'000u, 3'999'999'999u, std::int64_t{99'999} * 31}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ReadingPlace, PlaceAtTakesTheLineUnderThePosition) {
    FakeLines lines(kTen, false, 0);
    EXPECT_EQ(TReadingState::PlaceAt(lines, 0, 31), 0u);
    EXPECT_EQ(TReadingState::PlaceAt(lines, -5, 31), 0u);
    EXPECT_EQ(TReadingState::PlaceAt(lines, 31 * 3 + 30, 31), 30u);
    EXPECT_EQ(TReadingState::PlaceAt(lines, 31 * 500, 31), 90u) << "clamped to the last line";
    FakeLines none({}, true, 0);
    EXPECT_EQ(TReadingState::PlaceAt(none, 500, 31), 0u);
}

// ---- the folder tab

struct Folder {
    TempFolder dir;
    Folder() {
        dir.WriteFile("第10章.txt", "ten");
        dir.WriteFile("第2章.txt", "two!");
        dir.WriteFile("番外", "extra");
        dir.MakeFolder("卷.txt");
        dir.MakeFifo("管道.txt");
        dir.MakeLink("断.txt", dir / "nowhere");
    }
};

TReadingState::TContainers noContainers() {
    return {};
}

TEST(ReadingState, ListsTheFolderInReadingOrderWithTheNamedFile) {
    Folder f;
    TReadingState state(noContainers());
    EXPECT_TRUE(state.Titles(kFolderCategory).isEmpty()) << "no folder yet";
    state.SetFolder(f.dir.Path(), "番外");
    const QByteArrayList rows = state.Titles(kFolderCategory);
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(state.FolderRow("第2章.txt"), state.FolderRow("第10章.txt") - 1);
    EXPECT_GE(state.FolderRow("番外"), 0);
    EXPECT_EQ(state.FolderRow("missing.txt"), -1);
    EXPECT_EQ(state.FolderPath(state.FolderRow("番外")), f.dir / "番外");
    EXPECT_EQ(state.FolderPath(6), "");
    EXPECT_EQ(state.FolderPath(-1), "");
    EXPECT_TRUE(state.Titles(kFolderCategory + 1).isEmpty());
    EXPECT_TRUE(state.Titles(0).isEmpty()) << "a category without its container";
}

TEST(ReadingState, OpensWhatIsReadableAndKeepsTheEntryOnFailure) {
    Folder f;
    TReadingState state(noContainers());
    state.SetFolder(f.dir.Path());
    state.Titles(kFolderCategory);
    using Kind = TReadingState::TOpened::Kind;

    TReadingState::TOpened two = state.Open(kFolderCategory, state.FolderRow("第2章.txt"));
    ASSERT_EQ(two.kind, Kind::File);
    EXPECT_EQ(two.identity.size, 4u);
    EXPECT_EQ(two.identity.canonicalPath, platform::CanonicalPath(f.dir / "第2章.txt"));
    EXPECT_GT(two.identity.modified, 0);
    EXPECT_EQ(state.Category(), kFolderCategory);
    const int shown = state.Entry();
    ASSERT_TRUE(state.FileOnShow());

    // Nothing to read: the entry on show stays.
    for (const char* name : {"卷.txt", "管道.txt"}) {
        EXPECT_EQ(state.Open(kFolderCategory, state.FolderRow(name)).kind, Kind::Nothing) << name;
        EXPECT_EQ(state.Entry(), shown) << name;
    }
    EXPECT_EQ(state.Open(kFolderCategory, 99).kind, Kind::Nothing);
    EXPECT_EQ(state.Open(7, 0).kind, Kind::Nothing);
    EXPECT_EQ(state.Open(0, 0).kind, Kind::Nothing);
    // Gone: the box's message names it, the entry on show stays.
    EXPECT_THROW(state.Open(kFolderCategory, state.FolderRow("断.txt")), EFOpenError);
    EXPECT_EQ(state.Entry(), shown);
    state.ClearEntry();
    EXPECT_EQ(state.Entry(), -1);
    EXPECT_FALSE(state.FileOnShow());
}

TEST(ReadingState, AFileThatChangedHasAnotherIdentity) {
    Folder f;
    TReadingState state(noContainers());
    state.SetFolder(f.dir.Path());
    state.Titles(kFolderCategory);
    const int row = state.FolderRow("第10章.txt");
    const TFileIdentity before = state.Open(kFolderCategory, row).identity;
    f.dir.WriteFile("第10章.txt", "t");
    timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (f.dir / "第10章.txt").c_str(), times, 0), 0);
    const TFileIdentity after = state.Open(kFolderCategory, row).identity;
    EXPECT_EQ(after.canonicalPath, before.canonicalPath);
    EXPECT_EQ(after.size, 1u);
    EXPECT_EQ(after.modified, std::int64_t{1'000'000'000} * 1000);
}

} // namespace
} // namespace orlenth
