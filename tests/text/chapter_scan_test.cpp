// The background chapter scan over a text that arrives: the same headings as a scan of the
// whole text whichever pieces it comes in, the first chapters before the rest has come,
// each way of choosing headings, a bound on a pattern's matches, giving up a scan of a
// text that never ends, and a text replaced while its scan runs.

#include "framework/text/ChapterScan.h"
#include "framework/text/HeadingTools.h"
#include "text_test_support.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace orlenth::text {
namespace {

using testing::toGbk;

// Two volumes of chapters with prose between, a prologue and an afterword.
std::string novel(int chaptersPerVolume) {
    QString s = QStringLiteral("楔子\r\n　　很久以前。\r\n");
    int n = 0;
    for (int v = 1; v <= 2; ++v) {
        s += QStringLiteral("第%1卷 风云\r\n").arg(v);
        for (int c = 0; c < chaptersPerVolume; ++c) {
            s += QStringLiteral("第%1章 第%1个故事\r\n").arg(++n);
            for (int p = 0; p < 5; ++p)
                s += QStringLiteral("　　他走了很远的路，第三回合才到，天也黑了。\r\n");
        }
    }
    s += QStringLiteral("后记\r\n完。");
    return toGbk(s);
}

// Polls until `done` holds; the scan runs on its own thread. Fails after a minute, which
// only a hung scan takes.
template <typename F> bool eventually(F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

ChapterList finalList(const ChapterScan& scan) {
    EXPECT_TRUE(eventually([&] { return scan.Finished(); }));
    return scan.Snapshot();
}

std::shared_ptr<const TextLoad> wholeLoad(const std::string& text) {
    TextFeed feed;
    feed.buffer = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    feed.ready = text.size();
    return std::make_shared<TextLoad>(std::move(feed));
}

// A load whose producer publishes `text` `piece` bytes at a time, holding back after
// `holdAt` bytes until released (or given up). What the producer uses is shared with it:
// the load may outlive this object (a scan hands its load to a background release), and
// its producer must still find the text and the lock.
class PiecewiseLoad {
public:
    PiecewiseLoad(std::string text, std::size_t piece, std::size_t holdAt = SIZE_MAX)
        : state_(std::make_shared<State>()) {
        state_->text = std::move(text);
        TextFeed feed;
        feed.buffer = QByteArray(static_cast<qsizetype>(state_->text.size()), '\0');
        feed.produce = [state = state_, piece, holdAt](TextSink& sink) {
            const std::string& whole = state->text;
            std::size_t done = 0;
            while (done < whole.size()) {
                if (done >= holdAt) {
                    std::unique_lock lock(state->mutex);
                    while (!state->released && !sink.cancelled())
                        state->changed.wait_for(lock, std::chrono::milliseconds(2));
                    if (sink.cancelled()) return;
                }
                const std::size_t n = std::min(
                    {piece, whole.size() - done, done < holdAt ? holdAt - done : SIZE_MAX});
                std::memcpy(sink.data() + done, whole.data() + done, n);
                done += n;
                sink.publish(done);
            }
        };
        load = std::make_shared<TextLoad>(std::move(feed));
    }
    void Release() {
        {
            const std::lock_guard lock(state_->mutex);
            state_->released = true;
        }
        state_->changed.notify_all();
    }

    std::shared_ptr<const TextLoad> load;

private:
    struct State {
        std::string text;
        std::mutex mutex;
        std::condition_variable changed;
        bool released = false;
    };
    std::shared_ptr<State> state_;
};

struct PieceRow {
    const char* name;
    std::size_t piece;
};

void PrintTo(const PieceRow& row, std::ostream* os) {
    *os << row.name;
}

class ChapterScanPieces : public ::testing::TestWithParam<PieceRow> {};

TEST_P(ChapterScanPieces, FindWhatAScanOfTheWholeTextFinds) {
    const std::string text = novel(30);
    HeadingScanner whole;
    whole.Feed(text);
    whole.Finish();
    const std::vector<Heading> expected = whole.Snapshot().headings;
    ASSERT_EQ(expected.size(), 64u); // 楔子, two volumes of 30 chapters, 后记

    PiecewiseLoad arriving(text, GetParam().piece);
    ChapterScan scan(arriving.load, {});
    const ChapterList list = finalList(scan);
    EXPECT_EQ(list.headings, expected);
    EXPECT_EQ(list.scannedBytes, text.size());
    EXPECT_FALSE(list.stoppedEarly);
}

INSTANTIATE_TEST_SUITE_P(Arrivals, ChapterScanPieces,
                         ::testing::Values(PieceRow{"ByteByByte", 1}, PieceRow{"OddPieces", 97},
                                           PieceRow{"Pages", 4096}, PieceRow{"AtOnce", SIZE_MAX}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ChapterScan, ListsTheFirstChaptersBeforeTheRestArrives) {
    const std::string text = novel(30);
    PiecewiseLoad arriving(text, 512, text.size() / 3);
    ChapterScan scan(arriving.load, {});
    ASSERT_TRUE(eventually([&] { return scan.Snapshot().scannedBytes == text.size() / 3; }));
    const ChapterList part = scan.Snapshot();
    EXPECT_FALSE(part.finished);
    ASSERT_GT(part.headings.size(), 3u);
    EXPECT_LT(part.headings.size(), 64u);
    EXPECT_EQ(HeadingText(text, part.headings[1]), QStringLiteral("第1卷 风云"));
    arriving.Release();
    EXPECT_EQ(finalList(scan).headings.size(), 64u);
}

TEST(ChapterScan, OneRuleListsOnlyItsCandidates) {
    const std::string text = novel(4);
    ChapterChoice choice;
    choice.kind = ChapterChoice::Kind::Rule;
    choice.rule = HeadingRule::Juan;
    ChapterScan scan(wholeLoad(text), choice);
    const ChapterList list = finalList(scan);
    ASSERT_EQ(list.headings.size(), 2u);
    EXPECT_EQ(HeadingText(text, list.headings[1]), QStringLiteral("第2卷 风云"));
    EXPECT_EQ(list.headings[0].level, 0);
}

struct PatternRow {
    const char* name;
    const char* pattern;
    std::size_t bound;
    std::size_t found;
    bool stoppedEarly;
};

void PrintTo(const PatternRow& row, std::ostream* os) {
    *os << row.name;
}

class ChapterScanPatterns : public ::testing::TestWithParam<PatternRow> {};

TEST_P(ChapterScanPatterns, FindTheLinesAPatternMatchesUpToTheBound) {
    const PatternRow& row = GetParam();
    const std::string text = novel(30);
    ChapterChoice choice;
    choice.kind = ChapterChoice::Kind::Pattern;
    choice.pattern = QString::fromUtf8(row.pattern);
    // Arriving in pieces: lines cut by a piece must still be tried whole.
    PiecewiseLoad arriving(text, 333);
    ChapterScan scan(arriving.load, choice, row.bound);
    const ChapterList list = finalList(scan);
    EXPECT_EQ(list.headings.size(), row.found);
    EXPECT_EQ(list.stoppedEarly, row.stoppedEarly);
    UserPattern pattern(choice.pattern);
    const PatternScan whole =
        ScanWithPattern(text, pattern, {.maxMatches = row.bound, .maxTime = std::chrono::hours(1)});
    const std::size_t same = std::min(whole.headings.size(), list.headings.size());
    EXPECT_TRUE(std::equal(list.headings.begin(), list.headings.begin() + static_cast<long>(same),
                           whole.headings.begin()));
}

INSTANTIATE_TEST_SUITE_P(Patterns, ChapterScanPatterns,
                         ::testing::Values(PatternRow{"Chapters", "^第\\d+章", 1000, 60, false},
                                           PatternRow{"Volumes", "卷", 1000, 2, false},
                                           PatternRow{"Bounded", "^第\\d+章", 10, 10, true},
                                           PatternRow{"ExactlyTheBound", "^第\\d+章", 60, 60,
                                                      false},
                                           PatternRow{"NoMatch", "^不存在", 1000, 0, false},
                                           PatternRow{"Invalid", "第(", 1000, 0, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ChapterScan, GivesUpATextThatNeverEndsAndKeepsItsBytesMeanwhile) {
    const std::string text = novel(30);
    auto arriving = std::make_unique<PiecewiseLoad>(text, 256, text.size() / 2);
    std::weak_ptr<const TextLoad> watched = arriving->load;
    {
        ChapterScan scan(arriving->load, {});
        // The scan alone holds the load now: its bytes must outlive the caller's handle.
        arriving->load.reset();
        EXPECT_FALSE(watched.expired());
        ASSERT_TRUE(eventually([&] { return scan.Snapshot().headings.size() > 3; }));
        EXPECT_FALSE(scan.Finished());
    } // returns although the text never ends
    EXPECT_TRUE(eventually([&] { return watched.expired(); }));
}

TEST(ChapterScan, ATextReplacedWhileScanningListsOnlyTheNewOne) {
    const std::string first = novel(30);
    PiecewiseLoad arriving(first, 128, first.size() / 2);
    auto scan = std::make_unique<ChapterScan>(arriving.load, ChapterChoice{});
    const std::string second = toGbk(QStringLiteral("第一回 甲\n乙\n第二回 丙\n丁\n"));
    scan = std::make_unique<ChapterScan>(wholeLoad(second), ChapterChoice{});
    const ChapterList list = finalList(*scan);
    ASSERT_EQ(list.headings.size(), 2u);
    EXPECT_EQ(HeadingText(second, list.headings[1]), QStringLiteral("第二回 丙"));
}

struct ChoiceRow {
    const char* name;
    const char* stored;
    ChapterChoice::Kind kind;
    const char* storedBack;
};

void PrintTo(const ChoiceRow& row, std::ostream* os) {
    *os << row.name;
}

class ChapterChoices : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(ChapterChoices, ReadBackAsStored) {
    const ChoiceRow& row = GetParam();
    const ChapterChoice choice = ChapterChoice::Parse(QString::fromUtf8(row.stored));
    EXPECT_EQ(choice.kind, row.kind);
    EXPECT_EQ(choice.Stored(), QString::fromUtf8(row.storedBack));
    EXPECT_EQ(ChapterChoice::Parse(choice.Stored()), choice);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, ChapterChoices,
    ::testing::Values(ChoiceRow{"Automatic", "", ChapterChoice::Kind::Automatic, ""},
                      ChoiceRow{"Rule", "rule:hui", ChapterChoice::Kind::Rule, "rule:hui"},
                      ChoiceRow{"English", "rule:english", ChapterChoice::Kind::Rule,
                                "rule:english"},
                      ChoiceRow{"UnknownRule", "rule:nope", ChapterChoice::Kind::Automatic, ""},
                      ChoiceRow{"Pattern", "re:^卷.+", ChapterChoice::Kind::Pattern, "re:^卷.+"},
                      ChoiceRow{"EmptyPattern", "re:", ChapterChoice::Kind::Automatic, ""},
                      ChoiceRow{"Other", "章", ChapterChoice::Kind::Automatic, ""}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace orlenth::text
