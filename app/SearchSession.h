#pragma once
// Finding the next or previous hit in the text on show, as the find bar does it: which way,
// from where, whether the search went round the text's end, and which hit of how many it
// is. No widgets and no threads: the window feeds it the text known so far one budgeted
// step at a time (so that a big text never holds the window up), and the background
// count's results when they come.

#include "framework/text/TextSearch.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace orlenth {

namespace text {
class TextLoad;
}

class TSearchSession {
public:
    enum class Direction { Next, Previous };
    enum class Status {
        Idle,      // nothing asked, or the text was replaced
        Searching, // call Step again
        Found,     // Hit() holds the hit
        NotFound,  // no hit anywhere in the text
    };

    // Another pattern: the hit, its number and the count are forgotten, any search stops.
    void SetPattern(const QString& typed);
    const QString& Typed() const { return typed_; }
    const text::TSearchPattern& Pattern() const { return pattern_; }

    // Starts a search: Next for the first hit starting at or after `from`, Previous for the
    // last one starting before it; at the text's end (start) it goes on from the other end
    // up to `from`. Without a pattern the status is NotFound at once.
    void Begin(Direction direction, std::size_t from);
    // The same from the hit on show (the next one after it, the one before it): the hits'
    // numbers then follow from its number. Without a hit: Begin from `fallback`.
    void Step(Direction direction, std::size_t fallback);

    // One step over `text`, the bytes known so far (`complete`: all of them), doing
    // about `budget` bytes of work. While the text is still arriving a search forward
    // waits at its end (Searching, call again with more text) rather than going round.
    // A hit found over many steps is the hit one unlimited step finds.
    Status Advance(std::string_view text, bool complete, std::size_t budget = SIZE_MAX);

    Status State() const { return status_; }
    const text::TSearchHit& Hit() const { return hit_; }
    bool HasHit() const { return hasHit_; }
    // Whether the last search went round the text's end (Next) or start (Previous).
    bool Wrapped() const { return wrapped_; }
    Direction LastDirection() const { return direction_; }

    // The hit's number, from 1, once known: stepping from a numbered hit numbers the next
    // one; otherwise the window asks the background (HitsBefore) and tells it here. A
    // number for another hit than the one on show is ignored.
    std::optional<std::size_t> Ordinal() const { return ordinal_; }
    void SetOrdinal(std::size_t hitOffset, std::size_t ordinal);
    // The number of hits in the whole text, once counted (see CountArriving).
    std::optional<std::size_t> Total() const { return total_; }
    void SetTotal(std::size_t total);

    // The text was replaced: the hit, its number, the count and any search go; the
    // pattern stays.
    void Reset();

private:
    QString typed_;
    text::TSearchPattern pattern_;
    Status status_ = Status::Idle;
    Direction direction_ = Direction::Next;
    std::size_t start_ = 0; // where the search began
    std::size_t from_ = 0;  // where its next step goes on
    bool wrapped_ = false;
    bool hasHit_ = false;
    text::TSearchHit hit_;
    // The number of the hit the search started from, when it started from one.
    std::optional<std::size_t> fromOrdinal_;
    std::optional<std::size_t> ordinal_;
    std::optional<std::size_t> total_;
};

// The number of hits that start before `offset` (a character start) in a text whose bytes
// up to offset + the pattern's longest hit are known. Checks `cancel` as CountHits does;
// nothing when cancelled.
std::optional<std::size_t> HitsBefore(std::string_view text, std::size_t offset,
                                      const text::TSearchPattern& pattern,
                                      const std::atomic<bool>& cancel);

// Counts the hits of a text as it arrives, waiting for more bytes until it is loaded;
// `progress` hears the hits so far every megabyte or so. Nothing when cancelled. Runs on
// any thread (the load's bytes are safe to read from any).
std::optional<std::size_t>
CountArriving(const text::TextLoad& load, const text::TSearchPattern& pattern,
              const std::atomic<bool>& cancel,
              const std::function<void(std::size_t hits)>& progress = {});

} // namespace orlenth
