#pragma once
// The chapter headings of a GBK (GB18030) text, found while the text arrives: the first
// chapters are known as soon as their bytes are, and the whole list when the text is.
//
// Every line is tried against the rules of HeadingMatch.h; each match is kept as a
// candidate of its rule. Which rules make the table of contents is decided anew from
// per-rule statistics whenever a snapshot is taken (a few dozen operations, whatever the
// text's size; the snapshot then copies the chosen headings, 33 µs for 14 000):
// - A rule is *in order* when at least half of its steps from one match to the next keep
//   or raise the number, or go back to 0 or 1 (a new volume numbering its chapters anew).
//   Its *widest stretch* is the most bytes between two of its matches, from the text's
//   start to its first match, or from its last match to the end of what has arrived.
// - The chapter rule is one of 章 回 节 and Chapter N: of those in order, the one whose
//   widest stretch is at most kMaxStretchBytes, or, when none or several are, the one with
//   the most matches; ties go to the earlier rule (章, 回, 节, Chapter). The others are
//   dropped. When none of them is in order, 集 or 篇 may be the chapter rule, the same way.
// - With a chapter rule from the first group, 集 and 篇 in order stand above it as
//   volumes, as 卷 and 部 in order always do; a volume rule of a single match counts only
//   when its number is 0 or 1 (a lone "第三部…" is most likely prose).
// - Named parts (序, 楔子, 尾声, 番外 …) are always kept: alone on a line they name a part
//   whichever numbering the text uses.
// Level 0 is a volume (卷, 部, and 集/篇 above a chapter rule), level 1 everything else.
//
// A heading costs 8 bytes (Heading) and is kept for every candidate of every rule, with 40
// bytes of statistics per rule. Lines longer than kMaxHeadingLineBytes are skipped
// unread; a line cut by a piece boundary is carried for at most that many bytes. Lines
// starting past offset 0xFFFFFFFF are not tried (offsets are 32 bits, as the line index's).

#include "framework/text/HeadingMatch.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orlenth::text {

struct Heading {
    std::uint32_t offset; // the start of its line in the text
    std::uint8_t length;  // bytes of the line, leading spaces in, line break out
    std::uint8_t level;   // 0 volume, 1 chapter
    HeadingRule rule;
    std::uint8_t reserved;
    friend bool operator==(const Heading&, const Heading&) = default;
};
static_assert(sizeof(Heading) == 8, "a heading is kept in 8 bytes");

// Above this, a rule's widest stretch without a match loses to a rule without one.
inline constexpr std::uint64_t kMaxStretchBytes = 256 * 1024;

// What a rule's matches look like so far.
struct HeadingRuleStats {
    std::uint32_t count = 0;
    std::uint32_t inOrder = 0; // steps that keep or raise the number, or restart at 0 or 1
    std::uint32_t firstNumber = 0;
    std::uint32_t lastNumber = 0;
    std::uint64_t firstOffset = 0;
    std::uint64_t lastOffset = 0;
    std::uint64_t widestGap = 0; // between two matches

    void add(std::uint32_t number, std::uint64_t offset);
    bool ordered() const;
    // The widest stretch of a text of `textBytes` bytes without a match (all of it if none).
    std::uint64_t widestStretch(std::uint64_t textBytes) const;
};
static_assert(sizeof(HeadingRuleStats) == 40);

using HeadingStats = std::array<HeadingRuleStats, kHeadingRuleCount>;

// The rules that make the table of contents and the level each gives its headings.
struct HeadingChoice {
    std::array<bool, kHeadingRuleCount> kept{};
    std::array<std::uint8_t, kHeadingRuleCount> level{};
};

// The choice described at the top of this file, for a text of `textBytes` bytes so far.
HeadingChoice ChooseHeadingRules(const HeadingStats& stats, std::uint64_t textBytes);

struct HeadingSnapshot {
    std::vector<Heading> headings; // of the chosen rules, in text order, levels set
    HeadingChoice choice;
    std::uint64_t scannedBytes = 0; // fed so far
    bool finished = false;
};

// One thread feeds the text (the load's or a worker); any thread may take snapshots, each
// a consistent state: the headings of the lines that had ended when it was taken.
class HeadingScanner {
public:
    // The next bytes of the text, any number of them, split anywhere (inside a character or
    // a line). The lines that end in them are tried; the last one, still open, waits for its
    // line break or Finish(). Ignored after Finish(). Feeding thread only.
    void Feed(std::string_view piece);
    // The text has ended: its last line, without a line break, is tried too. Feeding thread.
    void Finish();

    // The headings found so far under the rules chosen for what has arrived. Any thread.
    HeadingSnapshot Snapshot() const;
    // Every candidate of every rule, in text order, levels as their rule has them alone
    // (0 for 卷 and 部, 1 otherwise). Any thread.
    std::vector<Heading> Candidates() const;

private:
    void tryLine(std::string_view line, std::uint64_t start);

    // Feeding thread only.
    const std::array<bool, 256>& firstBytes_ = HeadingFirstBytes();
    std::uint64_t fed_ = 0;
    std::uint64_t lineStart_ = 0; // the line that the last piece left open
    std::string carry_;           // its bytes, while it can still be a heading
    bool carryTooLong_ = false;
    bool finished_ = false;

    mutable std::mutex mutex_; // guards what follows
    std::vector<Heading> candidates_;
    HeadingStats stats_;
    std::uint64_t published_ = 0;
    bool publishedFinished_ = false;
};

} // namespace orlenth::text
