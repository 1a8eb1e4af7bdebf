#include "app/SearchSession.h"

#include "framework/text/TextLoad.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace orlenth {

using text::TSearchStep;

void TSearchSession::SetPattern(const QString& typed) {
    typed_ = typed;
    pattern_ = text::TSearchPattern(typed);
    total_.reset();
    Reset();
}

void TSearchSession::Reset() {
    status_ = Status::Idle;
    hasHit_ = false;
    hit_ = {};
    wrapped_ = false;
    ordinal_.reset();
    fromOrdinal_.reset();
    total_.reset();
}

void TSearchSession::Begin(Direction direction, std::size_t from) {
    direction_ = direction;
    start_ = from_ = from;
    wrapped_ = false;
    fromOrdinal_.reset();
    status_ = pattern_.empty() ? Status::NotFound : Status::Searching;
}

void TSearchSession::Step(Direction direction, std::size_t fallback) {
    if (!hasHit_) {
        Begin(direction, fallback);
        return;
    }
    const std::optional<std::size_t> ordinal = ordinal_;
    Begin(direction, direction == Direction::Next ? hit_.offset + 1 : hit_.offset);
    fromOrdinal_ = ordinal;
}

TSearchSession::Status TSearchSession::Advance(std::string_view text, bool complete,
                                               std::size_t budget) {
    if (status_ != Status::Searching) return status_;
    const auto found = [&](const text::TSearchHit& hit) {
        hit_ = hit;
        hasHit_ = true;
        ordinal_.reset();
        if (fromOrdinal_) {
            if (direction_ == Direction::Next)
                ordinal_ = wrapped_ ? 1 : *fromOrdinal_ + 1;
            else if (!wrapped_ && *fromOrdinal_ > 1)
                ordinal_ = *fromOrdinal_ - 1;
            else if (wrapped_ && total_)
                ordinal_ = *total_;
        } else if (direction_ == Direction::Next && wrapped_) {
            ordinal_ = 1;
        } else if (direction_ == Direction::Previous && wrapped_ && total_ && complete) {
            ordinal_ = *total_;
        }
        return status_ = Status::Found;
    };
    const auto notFound = [&] {
        // Nothing anywhere: the hit on show, if any, is none any more either.
        hasHit_ = false;
        ordinal_.reset();
        return status_ = Status::NotFound;
    };
    if (direction_ == Direction::Next) {
        const TSearchStep step = text::FindNext(text, from_, pattern_, budget);
        switch (step.outcome) {
        case TSearchStep::Outcome::Found:
            // A hit at or past the start after going round was there on the way out.
            if (wrapped_ && step.hit.offset >= start_) return notFound();
            return found(step.hit);
        case TSearchStep::Outcome::Paused:
            from_ = step.resume;
            // Past the start, the wrapped search only finds what the first pass ruled out.
            if (wrapped_ && from_ > start_) return notFound();
            return status_;
        case TSearchStep::Outcome::Ended:
            if (wrapped_) return notFound();
            if (!complete) {
                // A hit may start in the last bytes and end in bytes still to come: wait
                // there for them.
                const std::size_t tail = pattern_.maxLength() > 0 ? pattern_.maxLength() - 1 : 0;
                const std::size_t back = text.size() > tail ? text.size() - tail : 0;
                from_ = std::max(from_, text::CharacterStartAtOrBefore(text, back));
                return status_;
            }
            wrapped_ = true;
            from_ = 0;
            return status_;
        }
    } else {
        const TSearchStep step = text::FindPrevious(text, from_, pattern_, budget);
        switch (step.outcome) {
        case TSearchStep::Outcome::Found:
            if (wrapped_ && step.hit.offset < start_) return notFound();
            return found(step.hit);
        case TSearchStep::Outcome::Paused:
            from_ = step.resume;
            if (wrapped_ && from_ <= start_) return notFound();
            return status_;
        case TSearchStep::Outcome::Ended:
            if (wrapped_) return notFound();
            wrapped_ = true;
            from_ = text.size();
            return status_;
        }
    }
    return status_;
}

void TSearchSession::SetOrdinal(std::size_t hitOffset, std::size_t ordinal) {
    if (hasHit_ && hit_.offset == hitOffset) ordinal_ = ordinal;
}

void TSearchSession::SetTotal(std::size_t total) {
    total_ = total;
}

std::optional<std::size_t> HitsBefore(std::string_view text, std::size_t offset,
                                      const text::TSearchPattern& pattern,
                                      const std::atomic<bool>& cancel) {
    if (pattern.empty()) return 0;
    // Every hit that starts before `offset` ends within the pattern's longest hit of it.
    const std::size_t end = std::min(text.size(), offset + pattern.maxLength() - 1);
    const std::string_view prefix = text.substr(0, end);
    const text::TSearchCount count = text::CountHits(prefix, true, pattern, cancel);
    if (count.cancelled) return std::nullopt;
    // The hits from `offset` on, in one pass too: stepping from one to the next would
    // take each up to the pattern's length again.
    const text::TSearchCount after =
        text::CountHits(prefix, true, pattern, cancel, {}, text::TSearchCount{0, offset, false});
    if (after.cancelled) return std::nullopt;
    return count.hits - after.hits;
}

std::optional<std::size_t> CountArriving(const text::TextLoad& load,
                                         const text::TSearchPattern& pattern,
                                         const std::atomic<bool>& cancel,
                                         const std::function<void(std::size_t)>& progress) {
    if (pattern.empty()) return 0;
    text::TSearchCount count;
    const auto report = [&](const text::TSearchCount& c) {
        if (progress) progress(c.hits);
    };
    for (;;) {
        // Loaded before available: once loaded, the bytes counted are all there are.
        const bool loaded = load.loaded();
        const std::size_t have = load.available();
        count = text::CountHits(std::string_view(load.bytes(), have), loaded, pattern, cancel,
                                report, count);
        if (count.cancelled || cancel.load()) return std::nullopt;
        if (loaded) return count.hits;
        report(count);
        // The load's own wait is for its owner; a reader from outside looks every little
        // while instead.
        while (load.available() == have && !load.loaded() && !cancel.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace orlenth
