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

// Goes through candidate hit starts in increasing order, keeping the last character start
// it knows, so that checking a candidate never walks back past the one before it.
class Scanner {
public:
    Scanner(std::string_view text, const TSearchPattern& pattern, std::size_t known)
        : t_(reinterpret_cast<const std::uint8_t*>(text.data())), n_(text.size()),
          pattern_(pattern), known_(known) {}

    // Calls onHit(offset, length) for every hit starting in [from, limit), from >= the
    // known start, until it returns false.
    template <class OnHit> void scan(std::size_t from, std::size_t limit, OnHit&& onHit) {
        if (pattern_.folds())
            scanFolding(from, limit, onHit);
        else
            scanPlain(from, limit, onHit);
    }

    std::size_t known() const { return known_; }

private:
    bool isStart(std::size_t c) {
        known_ = floorStart(t_, n_, c, known_);
        return known_ == c;
    }

    template <class OnHit> void scanPlain(std::size_t from, std::size_t limit, OnHit& onHit) {
        const std::string& pat = pattern_.bytes();
        const std::size_t m = pat.size();
        const std::size_t windowEnd = std::min(n_, limit + m - 1);
        std::size_t p = from;
        while (p < limit && windowEnd - p >= m) {
            const void* found = memmem(t_ + p, windowEnd - p, pat.data(), m);
            if (!found) return;
            const auto c = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - t_);
            if (isStart(c) && !onHit(c, m)) return;
            p = c + 1;
        }
    }

    // The length of the hit at c, or 0. Forms of one character never start alike unless
    // they are the same length, so at most one form of a unit matches.
    std::size_t matchAt(std::size_t c) const {
        std::size_t p = c;
        for (const TSearchPattern::Unit& unit : pattern_.units()) {
            bool matched = false;
            for (std::size_t k = 0; k < unit.count; ++k) {
                const std::size_t len = unit.length[k];
                if (n_ - p >= len && std::memcmp(t_ + p, unit.bytes[k].data(), len) == 0) {
                    p += len;
                    matched = true;
                    break;
                }
            }
            if (!matched) return 0;
        }
        return p - c;
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

    template <class OnHit> bool tryAt(std::size_t c, OnHit& onHit) {
        const std::size_t len = matchAt(c);
        return len == 0 || !isStart(c) || onHit(c, len);
    }

    // Candidates are the places where a form of the first character begins, found on its
    // first two bytes sixteen offsets at a time. Forms that differ only in bit 0x20 (an
    // ASCII letter's cases, and its full-width cases too) share one probe that ignores the
    // bit; matchAt weeds out what that lets through.
    template <class OnHit> void scanFolding(std::size_t from, std::size_t limit, OnHit& onHit) {
        std::size_t p = from;
#ifdef __SSE2__
        struct Probe {
            std::uint8_t first, firstMask, second, secondMask;
            bool two;
        };
        const TSearchPattern::Unit& unit = pattern_.units().front();
        std::array<Probe, 4> probes{};
        std::size_t probeCount = 0;
        for (std::size_t k = 0; k < unit.count; ++k) {
            const Probe q{static_cast<std::uint8_t>(unit.bytes[k][0]), 0,
                          static_cast<std::uint8_t>(unit.bytes[k][1]), 0, unit.length[k] > 1};
            bool merged = false;
            for (std::size_t i = 0; i < probeCount && !merged; ++i) {
                Probe& r = probes[i];
                const auto d0 = static_cast<std::uint8_t>(r.first ^ q.first);
                const auto d1 = static_cast<std::uint8_t>(q.two ? r.second ^ q.second : 0);
                if (r.two != q.two || (d0 & ~0x20) != 0 || (d1 & ~0x20) != 0) continue;
                r.firstMask = static_cast<std::uint8_t>(r.firstMask | d0);
                r.secondMask = static_cast<std::uint8_t>(r.secondMask | d1);
                merged = true;
            }
            if (!merged) probes[probeCount++] = q;
        }
        __m128i firstMask[4], firstByte[4], secondMask[4], secondByte[4];
        for (std::size_t i = 0; i < probeCount; ++i) {
            const Probe& r = probes[i];
            firstMask[i] = _mm_set1_epi8(static_cast<char>(r.firstMask));
            firstByte[i] = _mm_set1_epi8(static_cast<char>(r.first | r.firstMask));
            secondMask[i] = _mm_set1_epi8(static_cast<char>(r.secondMask));
            secondByte[i] = _mm_set1_epi8(static_cast<char>(r.second | r.secondMask));
        }
        const auto block = [&](std::size_t q) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + q));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t_ + q + 1));
            __m128i hits = _mm_setzero_si128();
            for (std::size_t i = 0; i < probeCount; ++i) {
                __m128i eq = _mm_cmpeq_epi8(_mm_or_si128(a, firstMask[i]), firstByte[i]);
                if (probes[i].two)
                    eq = _mm_and_si128(
                        eq, _mm_cmpeq_epi8(_mm_or_si128(b, secondMask[i]), secondByte[i]));
                hits = _mm_or_si128(hits, eq);
            }
            return static_cast<unsigned>(_mm_movemask_epi8(hits));
        };
        const auto visit = [&](std::size_t q, std::uint32_t bits) {
            for (; bits != 0; bits &= bits - 1)
                if (!tryAt(q + static_cast<std::size_t>(__builtin_ctz(bits)), onHit)) return false;
            return true;
        };
        // Both loads of a block must stay inside the text.
        while (p + 33 <= n_ && p + 32 <= limit) {
            const std::uint32_t bits = block(p) | block(p + 16) << 16;
            if (bits != 0 && !visit(p, bits)) return;
            p += 32;
        }
        while (p + 17 <= n_ && p < limit) {
            std::uint32_t bits = block(p);
            if (limit - p < 16) bits &= (1u << (limit - p)) - 1;
            if (bits != 0 && !visit(p, bits)) return;
            p += 16;
        }
#endif
        for (; p < limit; ++p)
            if (candidate(p) && !tryAt(p, onHit)) return;
    }

    const std::uint8_t* t_;
    std::size_t n_;
    const TSearchPattern& pattern_;
    std::size_t known_;
};

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
    const std::size_t budget = std::max<std::size_t>(budgetBytes, 1);
    const std::size_t limit = n - start > budget ? start + budget : n;
    Scanner scanner(text, pattern, start);
    bool found = false;
    scanner.scan(start, limit, [&](std::size_t offset, std::size_t length) {
        step.hit = {offset, length};
        found = true;
        return false;
    });
    if (found) {
        step.outcome = TSearchStep::Outcome::Found;
    } else if (limit < n) {
        step.outcome = TSearchStep::Outcome::Paused;
        step.resume = ceilStart(reinterpret_cast<const std::uint8_t*>(text.data()), n, limit,
                                std::min(scanner.known(), limit));
    }
    return step;
}

TSearchStep FindPrevious(std::string_view text, std::size_t from, const TSearchPattern& pattern,
                         std::size_t budgetBytes) {
    TSearchStep step;
    const std::size_t end = std::min(from, text.size());
    if (pattern.empty() || end == 0) return step;
    const std::size_t budget = std::max<std::size_t>(budgetBytes, 1);
    const std::size_t low = CharacterStartAtOrBefore(text, end > budget ? end - budget : 0);
    // The region is searched forwards, keeping the last hit in it.
    Scanner scanner(text, pattern, low);
    bool found = false;
    scanner.scan(low, end, [&](std::size_t offset, std::size_t length) {
        step.hit = {offset, length};
        found = true;
        return true;
    });
    if (found) {
        step.outcome = TSearchStep::Outcome::Found;
    } else if (low > 0) {
        step.outcome = TSearchStep::Outcome::Paused;
        step.resume = low;
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
    std::size_t p = CharacterStartAtOrAfter(text, count.resume);
    Scanner scanner(text, pattern, p);
    while (p < limit) {
        if (cancel.load(std::memory_order_relaxed)) {
            count.resume = p;
            count.cancelled = true;
            return count;
        }
        const std::size_t chunkEnd = limit - p > kChunk ? p + kChunk : limit;
        scanner.scan(p, chunkEnd, [&count](std::size_t, std::size_t) {
            ++count.hits;
            return true;
        });
        p = chunkEnd;
        count.resume = p;
        if (progress) progress(count);
    }
    count.resume = std::max(count.resume, limit);
    return count;
}

} // namespace orlenth::text
