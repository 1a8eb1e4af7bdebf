#pragma once
// The table of contents of a text while it arrives: a low-priority thread follows a
// TextLoad, finding headings in each piece as it is published, so that the first chapters
// are listed at once and the whole list once the text is in. The list comes from one of
// three ways of finding headings, the reader's choice for the text:
// - automatic: the rules HeadingScan.h chooses from what has arrived;
// - one rule: every candidate of that rule, whatever the others find;
// - a pattern: the lines a regular expression matches (ScanWithPattern), tried once the
//   lines are in, up to a bound on matches, each line at a bounded cost (UserPattern).
// The scan holds the load, so its bytes live as long as the scan does. Giving a scan up
// never waits for it: its thread is told to stop and joined elsewhere.

#include "framework/text/HeadingScan.h"
#include "framework/text/TextLoad.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
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
    // Lines a pattern could not decide within its bound, taken as not matching.
    std::uint64_t gaveUpLines = 0;
};

class ChapterScan {
public:
    // A pattern's matches are kept up to this many.
    static constexpr std::size_t kMaxPatternMatches = 20000;

    // Starts at once on a thread of its own, at background priority. `maxMatches` bounds a
    // pattern's matches (0 is taken as 1); an invalid pattern finds nothing.
    ChapterScan(std::shared_ptr<const TextLoad> load, ChapterChoice choice,
                std::size_t maxMatches = kMaxPatternMatches);
    // Gives up a scan still running without waiting for it: its thread is told to stop,
    // which it sees after the piece it is on (a MiB of headings), the pattern's line (its
    // bound: milliseconds at most) or a MiB of a long line, and is joined off this thread
    // (joinInBackground), where the load is let go of too.
    ~ChapterScan();
    ChapterScan(const ChapterScan&) = delete;
    ChapterScan& operator=(const ChapterScan&) = delete;

    const ChapterChoice& Choice() const { return choice_; }
    const std::shared_ptr<const TextLoad>& Load() const;

    // The list so far. Any thread.
    ChapterList Snapshot() const;
    // Whether the list can still change, without copying it. Any thread.
    bool Finished() const;
    // Changes whenever more of the text was scanned: equal values, equal lists. Any thread.
    std::uint64_t Progress() const;

private:
    // What the scan's thread works on, shared with it: it outlives this object until the
    // thread has ended.
    struct Work;
    ChapterChoice choice_;
    std::shared_ptr<Work> work_;
    std::thread thread_;
};

} // namespace orlenth::text
