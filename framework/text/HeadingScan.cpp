#include "framework/text/HeadingScan.h"

#include <algorithm>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orlenth::text {

namespace {

constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

// The first CR or LF in [p, end), or end. Both end a line, so CR LF ends one line and
// leaves an empty one, which is never a heading: no pair needs to be carried over a piece
// boundary.
const char* findBreak(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '\n' && *p != '\r') ++p;
    return p;
}

// Whether the line's first byte after its indentation can begin a heading; most lines of
// prose cannot, and are passed over without a call.
bool worthTrying(const char* p, std::size_t n, const std::array<bool, 256>& firstBytes) {
    const char* const end = p + n;
    while (p < end) {
        if (*p == ' ' || *p == '\t') {
            ++p;
        } else if (end - p >= 2 && static_cast<std::uint8_t>(p[0]) == 0xA1 &&
                   static_cast<std::uint8_t>(p[1]) == 0xA1) {
            p += 2;
        } else {
            return firstBytes[static_cast<std::uint8_t>(*p)];
        }
    }
    return false;
}

std::uint8_t aloneLevel(HeadingRule rule) {
    return rule == HeadingRule::Juan || rule == HeadingRule::Bu ? 0 : 1;
}

std::size_t index(HeadingRule rule) {
    return static_cast<std::size_t>(rule);
}

// Of `rules`, the one in order that structures the text best; Count when none is in order.
HeadingRule bestChapterRule(const HeadingStats& stats, std::uint64_t textBytes,
                            std::initializer_list<HeadingRule> rules) {
    HeadingRule best = HeadingRule::Count;
    for (HeadingRule r : rules) {
        const HeadingRuleStats& s = stats[index(r)];
        if (s.count == 0 || !s.ordered()) continue;
        if (best == HeadingRule::Count) {
            best = r;
            continue;
        }
        const HeadingRuleStats& b = stats[index(best)];
        const bool sCovers = s.widestStretch(textBytes) <= kMaxStretchBytes;
        const bool bCovers = b.widestStretch(textBytes) <= kMaxStretchBytes;
        if (sCovers != bCovers) {
            if (sCovers) best = r;
        } else if (s.count > b.count) {
            best = r;
        }
    }
    return best;
}

} // namespace

void HeadingRuleStats::add(std::uint32_t number, std::uint64_t offset) {
    if (count == 0) {
        firstNumber = number;
        firstOffset = offset;
    } else {
        if (number >= lastNumber || number <= 1) ++inOrder;
        widestGap = std::max(widestGap, offset - lastOffset);
    }
    lastNumber = number;
    lastOffset = offset;
    ++count;
}

bool HeadingRuleStats::ordered() const {
    return count > 0 && std::uint64_t{inOrder} * 2 >= std::uint64_t{count} - 1;
}

std::uint64_t HeadingRuleStats::widestStretch(std::uint64_t textBytes) const {
    if (count == 0) return textBytes;
    const std::uint64_t tail = textBytes > lastOffset ? textBytes - lastOffset : 0;
    return std::max({firstOffset, widestGap, tail});
}

HeadingChoice ChooseHeadingRules(const HeadingStats& stats, std::uint64_t textBytes) {
    HeadingChoice choice;
    const auto keep = [&](HeadingRule r, std::uint8_t level) {
        choice.kept[index(r)] = true;
        choice.level[index(r)] = level;
    };
    // A volume rule of one match counts only as the first volume.
    const auto volumeHolds = [&](HeadingRule r) {
        const HeadingRuleStats& s = stats[index(r)];
        return s.ordered() && (s.count >= 2 || s.firstNumber <= 1);
    };
    HeadingRule chapter = bestChapterRule(
        stats, textBytes,
        {HeadingRule::Zhang, HeadingRule::Hui, HeadingRule::Jie, HeadingRule::English});
    if (chapter != HeadingRule::Count) {
        keep(chapter, 1);
        for (HeadingRule r : {HeadingRule::Ji, HeadingRule::Pian})
            if (volumeHolds(r)) keep(r, 0);
    } else {
        chapter = bestChapterRule(stats, textBytes, {HeadingRule::Ji, HeadingRule::Pian});
        if (chapter != HeadingRule::Count) keep(chapter, 1);
    }
    for (HeadingRule r : {HeadingRule::Juan, HeadingRule::Bu})
        if (volumeHolds(r)) keep(r, 0);
    if (stats[index(HeadingRule::Named)].count > 0) keep(HeadingRule::Named, 1);
    return choice;
}

void HeadingScanner::tryLine(std::string_view line, std::uint64_t start) {
    if (start > kMaxOffset) return;
    const std::optional<HeadingMatch> m = MatchHeadingLine(line);
    if (!m) return;
    const Heading h{static_cast<std::uint32_t>(start), static_cast<std::uint8_t>(line.size()),
                    aloneLevel(m->rule), m->rule, 0};
    const std::lock_guard lock(mutex_);
    candidates_.push_back(h);
    stats_[index(m->rule)].add(m->number, start);
}

void HeadingScanner::Feed(std::string_view piece) {
    if (finished_ || piece.empty()) return;
    const char* const base = piece.data();
    const char* const end = base + piece.size();
    const std::uint64_t pieceStart = fed_;
    fed_ += piece.size();
    const char* p = base;
    while (p < end) {
        const char* const lineEnd = findBreak(p, end);
        const std::size_t n = static_cast<std::size_t>(lineEnd - p);
        const bool open = lineEnd == end;
        if (carry_.empty() && !carryTooLong_ && !open) {
            // The common case: the whole line is in this piece.
            if (n <= kMaxHeadingLineBytes && worthTrying(p, n, firstBytes_))
                tryLine({p, n}, lineStart_);
        } else if (!carryTooLong_) {
            if (carry_.size() + n > kMaxHeadingLineBytes) {
                carryTooLong_ = true;
                carry_.clear();
            } else {
                carry_.append(p, n);
            }
        }
        if (open) break;
        if (!carry_.empty()) tryLine(carry_, lineStart_);
        carry_.clear();
        carryTooLong_ = false;
        p = lineEnd + 1;
        lineStart_ = pieceStart + static_cast<std::uint64_t>(p - base);
    }
    const std::lock_guard lock(mutex_);
    published_ = fed_;
}

void HeadingScanner::Finish() {
    if (finished_) return;
    finished_ = true;
    if (!carryTooLong_ && !carry_.empty()) tryLine(carry_, lineStart_);
    carry_.clear();
    const std::lock_guard lock(mutex_);
    publishedFinished_ = true;
}

HeadingSnapshot HeadingScanner::Snapshot() const {
    HeadingSnapshot snap;
    const std::lock_guard lock(mutex_);
    snap.scannedBytes = published_;
    snap.finished = publishedFinished_;
    snap.choice = ChooseHeadingRules(stats_, published_);
    for (Heading h : candidates_) {
        if (!snap.choice.kept[index(h.rule)]) continue;
        h.level = snap.choice.level[index(h.rule)];
        snap.headings.push_back(h);
    }
    return snap;
}

std::vector<Heading> HeadingScanner::Candidates() const {
    const std::lock_guard lock(mutex_);
    return candidates_;
}

} // namespace orlenth::text
