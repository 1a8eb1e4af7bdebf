#include "framework/text/TextSearch.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orlenth::text {

namespace {

constexpr bool isLead(std::uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}
constexpr bool isDigit(std::uint8_t b) {
    return b >= 0x30 && b <= 0x39;
}
// A byte that is the last of its character wherever it stands: it cannot open a longer
// character, and in one it can only be the second byte of two.
constexpr bool endsCharacter(std::uint8_t b) {
    return !isLead(b) && !isDigit(b);
}

// How many bytes the character at p covers, by GbkDecoder's rule; p < n.
std::size_t charLength(const std::uint8_t* t, std::size_t p, std::size_t n) {
    const std::uint8_t b0 = t[p];
    if (!isLead(b0) || n - p < 2) return 1;
    const std::uint8_t b1 = t[p + 1];
    if (b1 >= 0x40 && b1 != 0x7F && b1 != 0xFF) return 2;
    if (isDigit(b1) && n - p >= 4 && isLead(t[p + 2]) && isDigit(t[p + 3])) return 4;
    return 1;
}

// The lowest j in [lo, hi] such that every byte of [j, hi) is a lead byte. Sixteen bytes
// at a time: in Chinese text such runs go back to the line's start.
std::size_t leadRunStart(const std::uint8_t* t, std::size_t lo, std::size_t hi) {
    std::size_t k = hi;
#ifdef __SSE2__
    const __m128i above80 = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i belowFF = _mm_set1_epi8(static_cast<char>(0xFF));
    while (k - lo >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + k - 16));
        // Signed, 0x81..0xFE lie strictly between 0x80 and 0xFF.
        const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(v, above80), _mm_cmplt_epi8(v, belowFF));
        const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(lead)) & 0xFFFFu;
        if (other != 0) return k - 16 + static_cast<std::size_t>(32 - __builtin_clz(other));
        k -= 16;
    }
#endif
    while (k > lo && isLead(t[k - 1])) --k;
    return k;
}

// The start of the character covering x, given a character start `known` <= x. Bytes of
// 0x81..0xFE alone pair off two by two from the last byte that ends a character, so only
// a digit before such a run (a possible four-byte character) needs parsing forward.
std::size_t floorStart(const std::uint8_t* t, std::size_t n, std::size_t x, std::size_t known) {
    if (x >= n) return n;
    const std::size_t j = leadRunStart(t, known, x);
    if (j == known || endsCharacter(t[j - 1])) {
        if (((x - j) & 1) == 0) return x;
        return charLength(t, x - 1, n) == 1 ? x : x - 1;
    }
    std::size_t p = j - 1;
    while (p > known && !endsCharacter(t[p - 1])) --p;
    for (;;) {
        const std::size_t len = charLength(t, p, n);
        if (p + len > x) return p;
        p += len;
    }
}

std::size_t ceilStart(const std::uint8_t* t, std::size_t n, std::size_t x, std::size_t known) {
    const std::size_t f = floorStart(t, n, x, known);
    return f == x ? x : f + charLength(t, f, n);
}

// Character starts going back through a text a stretch at a time. In a run of lead bytes
// (a line of Chinese with nothing else) every stretch would walk back to the run's start
// again; the run found by the first walk answers the later ones by parity.
class BackwardStarts {
public:
    explicit BackwardStarts(std::string_view text)
        : t_(reinterpret_cast<const std::uint8_t*>(text.data())), n_(text.size()) {}

    std::size_t floor(std::size_t x) {
        // Inside [runFrom_, runTo_) every byte is a lead and runFrom_ starts a character:
        // characters there pair off two by two.
        if (x >= runFrom_ && x < runTo_) return ((x - runFrom_) & 1) == 0 ? x : x - 1;
        if (x >= n_) return n_;
        const std::size_t j = leadRunStart(t_, 0, x);
        if (j == 0 || endsCharacter(t_[j - 1])) {
            runFrom_ = j;
            runTo_ = x;
        }
        return floorStart(t_, n_, x, 0);
    }

private:
    const std::uint8_t* t_;
    std::size_t n_;
    std::size_t runFrom_ = 0, runTo_ = 0;
};

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Goes through the text once, forwards, from a character start: the hits in order, each
// reported once. Where no part of the pattern is matched it skips to the next place a hit
// could start (memmem for a pattern without folds, a probe for the first character's
// forms sixteen bytes at a time otherwise); from there it takes the text a character at a
// time against the pattern's classes, and on a mismatch follows the failure links instead
// of going back in the text. A place rejected because no character starts there costs
// only the walk to a character start, which never goes back past the last one known.
class Matcher {
public:
    enum class Stop {
        Hit,    // the next hit is in `hit`
        Limit,  // no hit still possible starts before the limit
        Budget, // the work reached the budget
    };

    Matcher(std::string_view text, const TSearchPattern& pattern, std::size_t start)
        : t_(reinterpret_cast<const std::uint8_t*>(text.data())), n_(text.size()),
          pattern_(pattern), classes_(pattern.classes()), failure_(pattern.failure()),
          units_(classes_.size()), known_(start), q_(start) {
        std::size_t ring = 1;
        while (ring <= units_) ring <<= 1;
        starts_.resize(ring);
        mask_ = ring - 1;
        if (pattern.folds()) buildProbes();
    }

    // The earliest start of a hit not yet ruled out (a character start): every hit that
    // starts before it has been reported.
    std::size_t pending() const { return j_ > 0 ? starts_[(count_ - j_) & mask_] : q_; }
    // Bytes of work done: bytes skipped over or taken as characters, and the pattern's
    // length for each memmem.
    std::size_t work() const { return work_; }

    // Goes on until the next hit, until no hit still possible starts before `limit`, or,
    // once the work has reached `budget`, as soon as pending() is past `floor`.
    Stop run(std::size_t limit, std::size_t budget, std::size_t floor, TSearchHit& hit) {
        limit = std::min(limit, n_);
        for (;;) {
            if (q_ >= n_) {
                // No character left to finish a match with.
                j_ = 0;
                q_ = n_;
                return Stop::Limit;
            }
            // pending() is never past q_: the ring is read only near the limit.
            if (q_ >= limit && pending() >= limit) return Stop::Limit;
            if (work_ >= budget && pending() > floor) return Stop::Budget;
            if (j_ == 0 && q_ >= takeUntil_) {
                const std::size_t room = budget > work_ ? budget - work_ : 1;
                const std::size_t stop = q_ + std::min(limit - q_, room);
                const std::size_t c = nextCandidate(stop);
                if (c == kNone) {
                    known_ = floorStart(t_, n_, stop, known_);
                    q_ = known_ == stop ? stop : known_ + charLength(t_, known_, n_);
                    continue;
                }
                q_ = c;
                if (q_ >= limit) continue;
            }
            if (j_ > 0 && work_ < budget) {
                // A run of one-byte characters short of the limit and the budget: the steps
                // below without their checks, until a match ends or none is left.
                std::size_t end = std::max(std::min(n_, limit), q_);
                if (budget - work_ < end - q_) end = q_ + (budget - work_);
                std::size_t q = q_, j = j_, count = count_;
                while (q < end && t_[q] < 0x80) {
                    const std::uint32_t cls = pattern_.ByteClass(t_[q]);
                    while (j > 0 && classes_[j] != cls) j = failure_[j];
                    if (classes_[j] == cls) ++j;
                    starts_[count++ & mask_] = q++;
                    if (j == units_ || j == 0) break;
                }
                if (q > q_) {
                    work_ += q - q_;
                    q_ = q;
                    j_ = j;
                    count_ = count;
                    if (ended(limit, hit)) return Stop::Hit;
                    continue;
                }
            }
            // One character against the pattern.
            const std::uint8_t b = t_[q_];
            std::size_t length = 1;
            std::uint32_t cls = 0;
            if (b < 0x80) {
                cls = pattern_.ByteClass(b);
            } else {
                length = charLength(t_, q_, n_);
                if (length > 1) cls = pattern_.WideClass(t_ + q_, length);
            }
            while (j_ > 0 && classes_[j_] != cls) j_ = failure_[j_];
            if (classes_[j_] == cls) ++j_;
            starts_[count_++ & mask_] = q_;
            q_ += length;
            work_ += length;
            if (ended(limit, hit)) return Stop::Hit;
        }
    }

private:
    // After a character: whether it completed a hit that starts before `limit`.
    bool ended(std::size_t limit, TSearchHit& hit) {
        if (j_ == units_) {
            const std::size_t start = starts_[(count_ - units_) & mask_];
            j_ = failure_[units_];
            if (start < limit) {
                known_ = q_;
                hit = {start, q_ - start};
                return true;
            }
        }
        if (j_ == 0) known_ = q_;
        return false;
    }

    // The first place in [q_, stop) where a hit could start, a character start; kNone when
    // there is none. Counts the bytes passed as work.
    std::size_t nextCandidate(std::size_t stop) {
        known_ = std::min(known_, q_);
        return pattern_.folds() ? nextFolded(stop) : nextPlain(stop);
    }

    bool isStart(std::size_t c) {
        known_ = floorStart(t_, n_, c, known_);
        return known_ == c;
    }

    std::size_t nextPlain(std::size_t stop) {
        const std::string& pat = pattern_.bytes();
        const std::size_t m = pat.size();
        const std::size_t windowEnd = std::min(n_, stop + m - 1);
        if (windowEnd - q_ < m) {
            work_ += stop - q_;
            return kNone;
        }
        const void* found = memmem(t_ + q_, windowEnd - q_, pat.data(), m);
        if (!found) {
            work_ += stop - q_ + m;
            return kNone;
        }
        const auto c = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - t_);
        // memmem costs the pattern's length on each call: before the next, the text is
        // taken a character at a time at least that far, so that bytes found at no
        // character start, or hits close together, cost no more than their length.
        work_ += c - q_ + m;
        takeUntil_ = c + m;
        if (isStart(c)) return c;
        return known_ + charLength(t_, known_, n_);
    }

    std::size_t nextFolded(std::size_t stop) {
        std::size_t p = q_;
#ifdef __SSE2__
        // Both loads of a block must stay inside the text.
        while (p + 33 <= n_ && p + 32 <= stop) {
            // Most blocks hold no first byte of any form: one compare a probe rules them out.
            if (!anyFirst(p) && !anyFirst(p + 16)) {
                p += 32;
                continue;
            }
            std::uint32_t bits = block(p) | block(p + 16) << 16;
            for (; bits != 0; bits &= bits - 1) {
                const std::size_t c = p + static_cast<std::size_t>(__builtin_ctz(bits));
                if (candidate(c) && isStart(c)) {
                    work_ += c - q_ + 1;
                    return c;
                }
            }
            p += 32;
        }
#endif
        for (; p < stop; ++p)
            if (candidate(p) && isStart(p)) {
                work_ += p - q_ + 1;
                return p;
            }
        work_ += stop - q_;
        return kNone;
    }

    bool candidate(std::size_t c) const {
        const TSearchPattern::Unit& first = pattern_.units().front();
        for (std::size_t k = 0; k < first.count; ++k) {
            if (t_[c] != static_cast<std::uint8_t>(first.bytes[k][0])) continue;
            if (first.length[k] == 1 ||
                (c + 1 < n_ && t_[c + 1] == static_cast<std::uint8_t>(first.bytes[k][1])))
                return true;
        }
        return false;
    }

#ifdef __SSE2__
    // The probes for the first character's forms. Forms that differ only in bit 0x20 (an
    // ASCII letter's cases, and its full-width cases too) share one probe that ignores the
    // bit; candidate() weeds out what that lets through.
    void buildProbes() {
        struct Probe {
            std::uint8_t first, firstMask, second, secondMask;
            bool two;
        };
        const TSearchPattern::Unit& unit = pattern_.units().front();
        std::array<Probe, 4> probes{};
        for (std::size_t k = 0; k < unit.count; ++k) {
            const Probe q{static_cast<std::uint8_t>(unit.bytes[k][0]), 0,
                          static_cast<std::uint8_t>(unit.bytes[k][1]), 0, unit.length[k] > 1};
            bool merged = false;
            for (std::size_t i = 0; i < probeCount_ && !merged; ++i) {
                Probe& r = probes[i];
                const auto d0 = static_cast<std::uint8_t>(r.first ^ q.first);
                const auto d1 = static_cast<std::uint8_t>(q.two ? r.second ^ q.second : 0);
                if (r.two != q.two || (d0 & ~0x20) != 0 || (d1 & ~0x20) != 0) continue;
                r.firstMask = static_cast<std::uint8_t>(r.firstMask | d0);
                r.secondMask = static_cast<std::uint8_t>(r.secondMask | d1);
                merged = true;
            }
            if (!merged) probes[probeCount_++] = q;
        }
        for (std::size_t i = 0; i < probeCount_; ++i) {
            const Probe& r = probes[i];
            two_[i] = r.two;
            firstMask_[i] = _mm_set1_epi8(static_cast<char>(r.firstMask));
            firstByte_[i] = _mm_set1_epi8(static_cast<char>(r.first | r.firstMask));
            secondMask_[i] = _mm_set1_epi8(static_cast<char>(r.secondMask));
            secondByte_[i] = _mm_set1_epi8(static_cast<char>(r.second | r.secondMask));
        }
    }

    bool anyFirst(std::size_t q) const {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + q));
        __m128i hits = _mm_cmpeq_epi8(_mm_or_si128(a, firstMask_[0]), firstByte_[0]);
        for (std::size_t i = 1; i < probeCount_; ++i)
            hits =
                _mm_or_si128(hits, _mm_cmpeq_epi8(_mm_or_si128(a, firstMask_[i]), firstByte_[i]));
        return _mm_movemask_epi8(hits) != 0;
    }

    unsigned block(std::size_t q) const {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + q));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + q + 1));
        __m128i hits = _mm_setzero_si128();
        for (std::size_t i = 0; i < probeCount_; ++i) {
            __m128i eq = _mm_cmpeq_epi8(_mm_or_si128(a, firstMask_[i]), firstByte_[i]);
            if (two_[i])
                eq = _mm_and_si128(eq,
                                   _mm_cmpeq_epi8(_mm_or_si128(b, secondMask_[i]), secondByte_[i]));
            hits = _mm_or_si128(hits, eq);
        }
        return static_cast<unsigned>(_mm_movemask_epi8(hits));
    }

    std::size_t probeCount_ = 0;
    std::array<bool, 4> two_{};
    __m128i firstMask_[4], firstByte_[4], secondMask_[4], secondByte_[4];
#else
    void buildProbes() {}
#endif

    const std::uint8_t* t_;
    std::size_t n_;
    const TSearchPattern& pattern_;
    const std::vector<std::uint32_t>& classes_;
    const std::vector<std::uint32_t>& failure_;
    std::size_t units_;
    // A character start at or before every place still to be looked at.
    std::size_t known_;
    // The next character to take, and how many units of the pattern end just before it.
    std::size_t q_;
    std::size_t j_ = 0;
    // Where the last characters taken start, by their count modulo the ring's size.
    std::vector<std::size_t> starts_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
    std::size_t work_ = 0;
    std::size_t takeUntil_ = 0;
};

std::uint32_t PackedBytes(const std::uint8_t* p, std::size_t length) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < length; ++i) v = v << 8 | p[i];
    return v;
}

// The characters a pattern character matches: an ASCII letter both cases, a printable
// ASCII character its full-width form, the space the ideographic space.
std::vector<char32_t> foldClass(char32_t c) {
    char32_t canon = c;
    if (c >= 0xFF01 && c <= 0xFF5E)
        canon = c - 0xFEE0;
    else if (c == 0x3000)
        canon = 0x20;
    if (canon >= 'A' && canon <= 'Z') canon += 'a' - 'A';
    if (canon == 0x20) return {0x20, 0x3000};
    if (canon < 0x21 || canon > 0x7E) return {c};
    std::vector<char32_t> members{canon, canon + 0xFEE0};
    if (canon >= 'a' && canon <= 'z') {
        members.push_back(canon - ('a' - 'A'));
        members.push_back(canon - ('a' - 'A') + 0xFEE0);
    }
    return members;
}

std::vector<char32_t> codePointsOf(const QString& s) {
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else if (c.isSurrogate()) {
            out.push_back(0xFFFD);
        } else {
            out.push_back(c.unicode());
        }
    }
    return out;
}

} // namespace

TSearchPattern::TSearchPattern(const QString& typed) {
    QStringEncoder encoder("GB18030");
    for (const char32_t c : codePointsOf(typed)) {
        Unit unit;
        std::size_t shortest = 4;
        std::size_t longest = 0;
        for (const char32_t member : foldClass(c)) {
            const QByteArray b = encoder(QString::fromUcs4(&member, 1));
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(b.constData());
            const auto size = static_cast<std::size_t>(b.size());
            // A form must read back as one whole character, or it could never match.
            if (size == 0 || size > 4 || charLength(bytes, 0, size) != size) continue;
            std::memcpy(unit.bytes[unit.count].data(), bytes, size);
            unit.length[unit.count] = static_cast<std::uint8_t>(size);
            ++unit.count;
            shortest = std::min(shortest, size);
            longest = std::max(longest, size);
        }
        if (unit.count == 0) {
            // GB18030 holds every character, so this does not happen; such a pattern
            // would match nothing.
            *this = TSearchPattern();
            return;
        }
        folds_ = folds_ || unit.count > 1;
        minLength_ += shortest;
        maxLength_ += longest;
        units_.push_back(unit);
    }
    if (!folds_)
        for (const Unit& unit : units_) bytes_.append(unit.bytes[0].data(), unit.length[0]);
    // Two units are alike when their first forms are: a fold class lists its members in
    // one order whichever member was typed.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> firstForms;
    for (const Unit& unit : units_) {
        const std::uint32_t key =
            PackedBytes(reinterpret_cast<const std::uint8_t*>(unit.bytes[0].data()),
                        unit.length[0]) |
            static_cast<std::uint32_t>(unit.length[0] == 1) << 31;
        std::uint32_t cls = 0;
        for (const auto& [form, c] : firstForms)
            if (form == key) cls = c;
        if (cls == 0) {
            cls = static_cast<std::uint32_t>(firstForms.size() + 1);
            firstForms.emplace_back(key, cls);
            for (std::size_t k = 0; k < unit.count; ++k) {
                const auto* b = reinterpret_cast<const std::uint8_t*>(unit.bytes[k].data());
                if (unit.length[k] == 1)
                    byteClass_[b[0]] = cls;
                else
                    wideClass_.emplace_back(PackedBytes(b, unit.length[k]), cls);
            }
        }
        classes_.push_back(cls);
    }
    std::sort(wideClass_.begin(), wideClass_.end());
    // Failure links: for j units matched, the most units that can still be matched when
    // the next character does not fit.
    failure_.assign(classes_.size() + 1, 0);
    for (std::size_t i = 1, k = 0; i < classes_.size(); ++i) {
        while (k > 0 && classes_[i] != classes_[k]) k = failure_[k];
        if (classes_[i] == classes_[k]) ++k;
        failure_[i + 1] = static_cast<std::uint32_t>(k);
    }
}

std::uint32_t TSearchPattern::WideClass(const std::uint8_t* p, std::size_t length) const {
    const std::uint32_t key = PackedBytes(p, length);
    const auto it = std::lower_bound(wideClass_.begin(), wideClass_.end(),
                                     std::pair<std::uint32_t, std::uint32_t>(key, 0));
    return it != wideClass_.end() && it->first == key ? it->second : 0;
}

std::size_t CharacterStartAtOrBefore(std::string_view text, std::size_t offset) {
    return floorStart(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), offset, 0);
}

std::size_t CharacterStartAtOrAfter(std::string_view text, std::size_t offset) {
    return ceilStart(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), offset, 0);
}

TSearchStep FindNext(std::string_view text, std::size_t from, const TSearchPattern& pattern,
                     std::size_t budgetBytes) {
    TSearchStep step;
    const std::size_t n = text.size();
    if (pattern.empty() || from >= n || n - from < pattern.minLength()) return step;
    const std::size_t start = CharacterStartAtOrAfter(text, from);
    Matcher matcher(text, pattern, start);
    switch (matcher.run(n, std::max<std::size_t>(budgetBytes, 1), start, step.hit)) {
    case Matcher::Stop::Hit:
        step.outcome = TSearchStep::Outcome::Found;
        break;
    case Matcher::Stop::Budget:
        step.outcome = TSearchStep::Outcome::Paused;
        step.resume = matcher.pending();
        break;
    case Matcher::Stop::Limit:
        step.hit = {};
        break;
    }
    return step;
}

TSearchStep FindPrevious(std::string_view text, std::size_t from, const TSearchPattern& pattern,
                         std::size_t budgetBytes) {
    TSearchStep step;
    const std::size_t end = std::min(from, text.size());
    if (pattern.empty() || end == 0) return step;
    const std::size_t budget = std::max<std::size_t>(budgetBytes, 1);
    // The first stretch is short, so that a hit close behind costs little; reading a
    // stretch costs up to the pattern's length past its end, so none is much shorter
    // than a few patterns.
    std::size_t stretch = std::max<std::size_t>(std::size_t{4} << 10, 4 * pattern.maxLength());
    std::size_t work = 0;
    BackwardStarts starts(text);
    for (std::size_t high = end; high > 0;) {
        if (high < end && work >= budget) {
            step.outcome = TSearchStep::Outcome::Paused;
            step.resume = high;
            return step;
        }
        const std::size_t take = std::min({stretch, budget - std::min(work, budget - 1), high});
        const std::size_t low = starts.floor(high - take);
        Matcher matcher(text, pattern, low);
        bool found = false;
        TSearchHit hit;
        while (matcher.run(high, SIZE_MAX, low, hit) == Matcher::Stop::Hit) {
            step.hit = hit;
            found = true;
        }
        if (found) {
            step.outcome = TSearchStep::Outcome::Found;
            return step;
        }
        work += std::max(matcher.work(), high - low);
        high = low;
        stretch = std::min(stretch * 2, std::size_t{16} << 20);
    }
    return step;
}

std::optional<TWrappedHit> FindNextWrapping(std::string_view text, std::size_t from,
                                            const TSearchPattern& pattern) {
    const TSearchStep ahead = FindNext(text, from, pattern);
    if (ahead.outcome == TSearchStep::Outcome::Found) return TWrappedHit{ahead.hit, false};
    const TSearchStep again = FindNext(text, 0, pattern);
    if (again.outcome == TSearchStep::Outcome::Found) return TWrappedHit{again.hit, true};
    return std::nullopt;
}

std::optional<TWrappedHit> FindPreviousWrapping(std::string_view text, std::size_t from,
                                                const TSearchPattern& pattern) {
    const TSearchStep behind = FindPrevious(text, from, pattern);
    if (behind.outcome == TSearchStep::Outcome::Found) return TWrappedHit{behind.hit, false};
    const TSearchStep again = FindPrevious(text, text.size(), pattern);
    if (again.outcome == TSearchStep::Outcome::Found) return TWrappedHit{again.hit, true};
    return std::nullopt;
}

TSearchCount CountHits(std::string_view text, bool complete, const TSearchPattern& pattern,
                       const std::atomic<bool>& cancel,
                       const std::function<void(const TSearchCount&)>& progress,
                       TSearchCount start) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    const std::size_t n = text.size();
    TSearchCount count = start;
    count.cancelled = false;
    // Whether a character starts at an offset depends on at most the two bytes after it,
    // and a hit on at most maxLength bytes: past that, bytes still to come could change it.
    const std::size_t keep = std::max<std::size_t>(pattern.maxLength(), 3);
    const std::size_t limit = complete ? n : (n >= keep ? n - keep + 1 : 0);
    if (pattern.empty()) {
        count.resume = std::max(count.resume, limit);
        return count;
    }
    if (count.resume >= limit) return count;
    Matcher matcher(text, pattern, CharacterStartAtOrAfter(text, count.resume));
    std::size_t p = count.resume;
    while (p < limit) {
        if (cancel.load(std::memory_order_relaxed)) {
            count.resume = p;
            count.cancelled = true;
            return count;
        }
        // A megabyte of work at a time, whatever the pattern.
        const std::size_t before = matcher.work();
        const std::size_t chunkEnd = limit - p > kChunk ? p + kChunk : limit;
        TSearchHit hit;
        Matcher::Stop stop;
        while ((stop = matcher.run(chunkEnd, before + kChunk, p, hit)) == Matcher::Stop::Hit)
            ++count.hits;
        // Every hit that starts before where the matcher stands is counted.
        p = stop == Matcher::Stop::Limit ? chunkEnd : matcher.pending();
        count.resume = p;
        if (progress) progress(count);
    }
    count.resume = std::max(count.resume, limit);
    return count;
}

} // namespace orlenth::text
