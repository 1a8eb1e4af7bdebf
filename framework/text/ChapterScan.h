#pragma once
// The table of contents of a text while it arrives: a low-priority thread follows a
// TextLoad, finding headings in each piece as it is published, so that the first chapters
// are listed at once and the whole list once the text is in. The list comes from one of
// three ways of finding headings, the reader's choice for the text:
// - automatic: the rules HeadingScan.h chooses from what has arrived;
// - one rule: every candidate of that rule, whatever the others find;
// - a pattern: the lines a regular expression matches (ScanWithPattern), tried once the
//   lines are in, up to a bound on matches.
// The scan holds the load, so its bytes live as long as the scan does.

#include "framework/text/HeadingScan.h"
#include "framework/text/TextLoad.h"

#include <QRegularExpression>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace orlenth::text {

// How headings are found in one text, as a file's record keeps it: "" automatic,
// "rule:" and a rule's key (HeadingRuleKey), or "re:" and a regular expression.
struct ChapterChoice {
    enum class Kind : std::uint8_t { Automatic, Rule, Pattern };
    Kind kind = Kind::Automatic;
    HeadingRule rule = HeadingRule::Zhang; // Kind::Rule
    QString pattern;                       // Kind::Pattern

    // The stored form back: Parse(Stored()) gives the same choice.
    QString Stored() const;
    // Anything not of the forms above (an unknown rule's key, "re:" with nothing after it)
    // is taken as automatic, so that a record from another version still opens.
    static ChapterChoice Parse(const QString& stored);
    friend bool operator==(const ChapterChoice&, const ChapterChoice&) = default;
};

// A matching rule's stored key ("zhang", "hui", … "english") and its name as the reader
// sees it ("第N章", … "Chapter N"); empty for Virtual and User.
QString HeadingRuleKey(HeadingRule rule);
QString HeadingRuleLabel(HeadingRule rule);

// What a scan has found so far.
struct ChapterList {
    std::vector<Heading> headings; // in text order
    std::uint64_t scannedBytes = 0;
    bool finished = false;     // the scan has ended: the list is all there will be
    bool stoppedEarly = false; // a pattern found more than the bound: the list is cut
};

class ChapterScan {
public:
    // A pattern's matches are kept up to this many.
    static constexpr std::size_t kMaxPatternMatches = 20000;

    // Starts at once on a thread of its own, at background priority. `maxMatches` bounds a
    // pattern's matches (0 is taken as 1); an invalid pattern finds nothing.
    ChapterScan(std::shared_ptr<const TextLoad> load, ChapterChoice choice,
                std::size_t maxMatches = kMaxPatternMatches);
    // Gives up a scan still running and waits for its thread, which returns within a piece
    // (a few milliseconds) or a pattern's chunk. The load is let go of in the background.
    ~ChapterScan();
    ChapterScan(const ChapterScan&) = delete;
    ChapterScan& operator=(const ChapterScan&) = delete;

    const ChapterChoice& Choice() const { return choice_; }
    const std::shared_ptr<const TextLoad>& Load() const { return load_; }

    // The list so far. Any thread.
    ChapterList Snapshot() const;
    // Whether the list can still change, without copying it. Any thread.
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // Changes whenever more of the text was scanned: equal values, equal lists. Any thread.
    std::uint64_t Progress() const { return progress_.load(std::memory_order_acquire); }

private:
    void run();
    void runHeadings();
    void runPattern();

    std::shared_ptr<const TextLoad> load_;
    ChapterChoice choice_;
    QRegularExpression pattern_;
    std::size_t maxMatches_;
    HeadingScanner scanner_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::uint64_t> progress_{0};
    std::atomic<std::uint64_t> fed_{0};
    mutable std::mutex mutex_; // guards the pattern's results
    std::vector<Heading> matches_;
    std::uint64_t patternScanned_ = 0;
    bool stoppedEarly_ = false;
    std::thread thread_; // last: it uses the members above
};

} // namespace orlenth::text
