#include "app/platform/MemoryStatus.h"

#include "tests/platform/TempFolder.h"

namespace orlenth::platform {
namespace {

using testing::RowName;
using testing::TempFolder;

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;

struct MemInfoRow {
    const char* name;
    std::string_view text;
    MemoryStatus status;
};

const MemInfoRow kMemInfoRows[] = {
    {"Empty", "", {0, 0}},
    {"Typical",
     "MemTotal:         524288 kB\nMemFree:           10000 kB\nMemAvailable:     330301 kB\n",
     {512 * kMiB, 37}},
    {"LoadRoundsDown", "MemTotal: 1000 kB\nMemAvailable: 1 kB\n", {1000 * 1024, 99}},
    {"NothingUsed", "MemTotal: 2048 kB\nMemAvailable: 2048 kB\n", {2048 * 1024, 0}},
    {"AllUsed", "MemTotal: 2048 kB\nMemAvailable: 0 kB\n", {2048 * 1024, 100}},
    {"AvailableAboveTotal", "MemTotal: 2048 kB\nMemAvailable: 4096 kB\n", {2048 * 1024, 0}},
    {"FreeWhenNoAvailable", "MemTotal: 4000 kB\nMemFree: 1000 kB\n", {4000 * 1024, 75}},
    {"AvailableWinsOverFree",
     "MemFree: 1000 kB\nMemAvailable: 3000 kB\nMemTotal: 4000 kB\n",
     {4000 * 1024, 25}},
    {"NoFreeFigureAtAll", "MemTotal: 4000 kB\n", {4000 * 1024, 0}},
    {"AboveFourGiB", "MemTotal: 16777216 kB\nMemAvailable: 8388608 kB\n", {16 * kGiB, 50}},
    {"PrefixOfKeyIgnored",
     "MemTotalX: 5 kB\nMemTotal: 1024 kB\nMemAvailable: 512 kB\n",
     {kMiB, 50}},
    {"NoFinalNewline", "MemTotal: 1024 kB\nMemAvailable: 256 kB", {kMiB, 75}},
    {"GarbageTotal", "MemTotal: lots\nMemAvailable: 5 kB\n", {0, 0}},
    {"TotalTooLargeForBytes", "MemTotal: 18446744073709551615 kB\n", {0, 0}},
    {"HugeTotalNoOverflow",
     "MemTotal: 18014398509481983 kB\nMemAvailable: 0 kB\n",
     {18014398509481983ull * 1024, 100}},
};

class MemInfoTest : public ::testing::TestWithParam<MemInfoRow> {};

TEST_P(MemInfoTest, Parsed) {
    const MemoryStatus got = ParseMemInfo(GetParam().text);
    EXPECT_EQ(got.totalBytes, GetParam().status.totalBytes);
    EXPECT_EQ(got.loadPercent, GetParam().status.loadPercent);
}

TEST_P(MemInfoTest, ReadFromFile) {
    TempFolder dir;
    EXPECT_EQ(ReadMemoryStatus(dir.WriteFile("meminfo", GetParam().text)), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Rows, MemInfoTest, ::testing::ValuesIn(kMemInfoRows), RowName());

TEST(MemoryStatus, MissingFileGivesZeros) {
    TempFolder dir;
    EXPECT_EQ(ReadMemoryStatus(dir / "no-meminfo"), (MemoryStatus{0, 0}));
}

TEST(MemoryStatus, ThisMachine) {
    const MemoryStatus s = ReadMemoryStatus();
    EXPECT_GT(s.totalBytes, 0u);
    EXPECT_LE(s.loadPercent, 100u);
}

// "物理内存: " TAB and " MB" CR CR "已经使用: " TAB, in GBK.
const std::string kPiece1 = "\xCE\xEF\xC0\xED\xC4\xDA\xB4\xE6\x3A\x20\x09";
const std::string kPiece3 = "\x20\x4D\x42\x0D\x0D\xD2\xD1\xBE\xAD\xCA\xB9\xD3\xC3\x3A\x20\x09";

struct TextRow {
    const char* name;
    MemoryStatus status;
    std::string text;
};

const TextRow kTextRows[] = {
    {"HalfGiBAt37",
     {512 * kMiB, 37},
     "\xCE\xEF\xC0\xED\xC4\xDA\xB4\xE6\x3A\x20\x09\x35\x31\x32\x20\x4D\x42\x0D\x0D\xD2\xD1\xBE"
     "\xAD\xCA\xB9\xD3\xC3\x3A\x20\x09\x33\x37\x20\x25"},
    {"PartMiBRoundsDown", {1023 * kMiB + 9 * kMiB / 10, 5}, kPiece1 + "1023" + kPiece3 + "5 %"},
    {"JustUnderOneMiB", {kMiB - 1, 1}, kPiece1 + "0" + kPiece3 + "1 %"},
    {"LoadZero", {kGiB, 0}, kPiece1 + "1024" + kPiece3 + "0 %"},
    {"LoadHundred", {kGiB, 100}, kPiece1 + "1024" + kPiece3 + "100 %"},
    {"AboveFourGiB", {4 * kGiB + kMiB, 12}, kPiece1 + "4097" + kPiece3 + "12 %"},
    {"SixtyFourGiB", {64 * kGiB, 50}, kPiece1 + "65536" + kPiece3 + "50 %"},
    {"Zeros", {0, 0}, kPiece1 + "0" + kPiece3 + "0 %"},
};

class MemoryTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(MemoryTextTest, GbkBytes) {
    EXPECT_EQ(MemoryText(GetParam().status), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rows, MemoryTextTest, ::testing::ValuesIn(kTextRows), RowName());

} // namespace
} // namespace orlenth::platform
