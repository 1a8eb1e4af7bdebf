#pragma once
// Finding what the user typed in a text as it is kept: GB18030 bytes (GBK being a subset),
// never decoded as a whole. A hit is a run of whole characters: it starts only where a
// character starts, so the bytes of 中文 straddling two other characters are no hit.
//
// Characters are reckoned as GbkDecoder reckons them: one byte below 0x81, or 0x80, 0xFF;
// two bytes for a lead 0x81..0xFE and a trail 0x40..0xFE other than 0x7F; four bytes for
// lead, 0x30..0x39, lead, 0x30..0x39. Any other byte (a lead with no valid follower, a
// lead cut off by the end) is a character of one byte of its own. Such malformed bytes
// match no pattern character, not even U+FFFD, which matches only its own stored bytes.
//
// Folds: an ASCII letter matches either case, and the full-width forms U+FF01..U+FF5E and
// U+3000 match their ASCII counterparts U+0021..U+007E and U+0020 (so "abc" finds "ＡＢＣ"
// and "Abc", "，" finds ","). Nothing else folds: pinyin, Greek and Cyrillic letters, other
// width variants (￥, ￣) and traditional/simplified pairs match only themselves.
//
// Every function here is a pure function of its arguments over bytes that do not change
// while it runs: any thread may call them at once with the same pattern.

#include <QString>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlenth::text {

// A pattern compiled once from what the user typed. An empty pattern matches nothing.
class TSearchPattern {
public:
    TSearchPattern() = default;
    // Unpaired surrogates in `typed` become U+FFFD.
    explicit TSearchPattern(const QString& typed);

    bool empty() const { return units_.empty(); }
    // Whether some character has more than one stored form (a letter, a full-width form,
    // a space); a pattern that has none is found by a plain byte search.
    bool folds() const { return folds_; }
    // The fewest and most bytes a hit can cover.
    std::size_t minLength() const { return minLength_; }
    std::size_t maxLength() const { return maxLength_; }

    // One pattern character: the GB18030 bytes of each of its forms (at most four).
    struct Unit {
        std::uint8_t count = 0;
        std::array<std::uint8_t, 4> length{};
        std::array<std::array<char, 4>, 4> bytes{};
    };
    const std::vector<Unit>& units() const { return units_; }
    // Without folds: the pattern's bytes, the one form of a hit.
    const std::string& bytes() const { return bytes_; }

    // Matching character by character: the class of each unit (1 and up; two units share
    // one when they match the same characters), the failure links over those classes (for
    // each count of units matched, the longest proper prefix that is also a suffix), and
    // the class of a text character from its bytes (0: it matches no unit).
    const std::vector<std::uint32_t>& classes() const { return classes_; }
    const std::vector<std::uint32_t>& failure() const { return failure_; }
    std::uint32_t ByteClass(std::uint8_t b) const { return byteClass_[b]; }
    std::uint32_t WideClass(const std::uint8_t* p, std::size_t length) const;

private:
    std::vector<Unit> units_;
    std::string bytes_;
    std::vector<std::uint32_t> classes_;
    std::vector<std::uint32_t> failure_;
    std::array<std::uint32_t, 256> byteClass_{};
    // Sorted by the packed bytes of a form of two or four bytes.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> wideClass_;
    std::size_t minLength_ = 0;
    std::size_t maxLength_ = 0;
    bool folds_ = false;
};

struct TSearchHit {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool operator==(const TSearchHit&) const = default;
};

// What one budgeted call found.
struct TSearchStep {
    enum class Outcome {
        Found,  // `hit` holds the hit
        Paused, // the budget ran out first: call again with `resume` as `from`
        Ended,  // no hit between `from` and the text's end (start, for FindPrevious)
    };
    Outcome outcome = Outcome::Ended;
    TSearchHit hit;
    // With Paused: a character start, where the next call goes on.
    std::size_t resume = 0;
};

// The first hit that starts at or after `from` (any offset: one inside a character counts
// from the next character start; past the end is the end). The work is linear in the bytes
// passed, whatever the pattern: each byte is read about once (skipped over, or taken as
// one character against the pattern with failure links, never compared with the whole
// pattern again). It stops after about budgetBytes bytes of that work (at least enough to
// rule out one start; with a pattern longer than the budget, as much as the pattern's
// length) and then pauses, so that a caller on the window's thread goes on next frame; a
// hit found over several paused calls is the hit one call with an unlimited budget finds. Hits may
// overlap: FindNext(hit.offset + 1) gives the next one. The bytes are taken as the whole text: in a
// text still arriving, a character cut off at the end may read otherwise once the rest has come
// (CountHits waits for it). The walk back to a character start from `from` is not bounded by the
// budget (see CharacterStartAtOrBefore).
TSearchStep FindNext(std::string_view text, std::size_t from, const TSearchPattern& pattern,
                     std::size_t budgetBytes = SIZE_MAX);
// The last hit that starts before `from` (it may reach past `from`); the mirror of
// FindNext: FindPrevious(hit.offset) gives the hit FindNext reached just before. Goes back
// in stretches, nearest first and each twice the one before, each read forwards as
// FindNext reads; the work is linear in the bytes gone back over (and the pattern's length
// per stretch), and a budget as for FindNext.
TSearchStep FindPrevious(std::string_view text, std::size_t from, const TSearchPattern& pattern,
                         std::size_t budgetBytes = SIZE_MAX);

// FindNext from `from`, and when nothing is found up to the end, from the text's start
// up to `from`; FindPrevious likewise the other way. `wrapped` says whether the hit
// came from the far side. Unbudgeted: for short texts and tests.
struct TWrappedHit {
    TSearchHit hit;
    bool wrapped = false;
};
std::optional<TWrappedHit> FindNextWrapping(std::string_view text, std::size_t from,
                                            const TSearchPattern& pattern);
std::optional<TWrappedHit> FindPreviousWrapping(std::string_view text, std::size_t from,
                                                const TSearchPattern& pattern);

// A count of hits, and where it stops; pass it back to go on.
struct TSearchCount {
    std::size_t hits = 0;
    // Every hit that starts before it is counted, none that starts at or after it.
    std::size_t resume = 0;
    bool cancelled = false;
};

// Counts the hits from `start.resume` on, adding to `start.hits`. While the text is still
// arriving (`complete` false), `text` is the bytes known so far and the count stops where
// a hit could still need bytes to come; calling again with the longer text and the
// returned count counts every hit once. Checks `cancel` and calls `progress` (when set)
// every megabyte or so, on the calling thread.
TSearchCount CountHits(std::string_view text, bool complete, const TSearchPattern& pattern,
                       const std::atomic<bool>& cancel,
                       const std::function<void(const TSearchCount&)>& progress = {},
                       TSearchCount start = {});

// The start of the character that covers `offset` (offset itself when a character starts
// there, and the text's size for any offset at or past the end). Walks back over the bytes
// 0x81..0xFE before `offset` to the nearest other byte (sixteen at a time), and only when
// that is a digit (0x30..0x39, perhaps part of a four-byte character) on to the nearest
// byte outside both ranges, then parses forward; in a text, within its line.
std::size_t CharacterStartAtOrBefore(std::string_view text, std::size_t offset);
// The first character start at or after `offset` (the text's size at the end).
std::size_t CharacterStartAtOrAfter(std::string_view text, std::size_t offset);

} // namespace orlenth::text
