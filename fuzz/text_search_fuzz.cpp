// Searching GB18030 bytes against decoding them: the text is decoded character by character
// (a malformed byte a character of its own that matches nothing), both sides are folded,
// and the hits are where the folded pattern equals a run of folded characters. Every way of
// asking (one step after another forwards and backwards, with a small budget, a count, a
// count over the text arriving in two pieces) must give exactly those hits.
//
// Input: four bytes, then the rest. Byte 0: the pattern's length in bytes (up to 16).
// Byte 1: bit 0 reads the pattern's bytes as UTF-16LE instead of GB18030; bit 1 takes them
// from the text (at the split) instead of from the input after the header; bit 3 drops the
// typed pattern's last character after bits 4..6 have repeated it (1 to 8 times), so that
// periodic patterns ("abab", "abaab a") whose failure links go deep are tried. Byte 2: the
// budget less one. Byte 3: where the text is cut into two arrival pieces, in 255ths.

#include "FuzzTarget.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/TextEncoding.h"
#include "framework/text/TextSearch.h"

#include <QString>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orlenth::text;
using Outcome = TSearchStep::Outcome;

struct DecodedChar {
    std::size_t offset;
    std::size_t length;
    char32_t folded;
};

char32_t Fold(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
    if (c == 0x3000) c = 0x20;
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    return c;
}

// Outside Unicode, so that a malformed byte equals no pattern character.
constexpr char32_t kMalformed = 0x110000;

std::vector<DecodedChar> Decode(std::string_view text) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    std::vector<DecodedChar> out;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* p = begin; p < end;) {
        const GbkChar c = decoder.next(p, end);
        char32_t cp = c.codePoint;
        if (cp == kReplacementChar && std::string_view(p, c.length) != "\x84\x31\xA4\x37")
            cp = kMalformed;
        out.push_back({static_cast<std::size_t>(p - begin), c.length, Fold(cp)});
        p += c.length;
    }
    return out;
}

std::vector<char32_t> FoldedPattern(const QString& s) {
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t cp = s[i].unicode();
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(s[i], s[i + 1]);
            ++i;
        } else if (s[i].isSurrogate()) {
            cp = 0xFFFD;
        }
        out.push_back(Fold(cp));
    }
    return out;
}

std::vector<TSearchHit> ReferenceHits(std::string_view text, const QString& pattern) {
    const std::vector<DecodedChar> chars = Decode(text);
    const std::vector<char32_t> folded = FoldedPattern(pattern);
    std::vector<TSearchHit> hits;
    if (folded.empty()) return hits;
    for (std::size_t i = 0; i + folded.size() <= chars.size(); ++i) {
        std::size_t k = 0;
        while (k < folded.size() && chars[i + k].folded == folded[k]) ++k;
        if (k < folded.size()) continue;
        const DecodedChar& last = chars[i + k - 1];
        hits.push_back({chars[i].offset, last.offset + last.length - chars[i].offset});
    }
    return hits;
}

std::vector<TSearchHit> Forward(std::string_view text, const TSearchPattern& pattern,
                                std::size_t budget) {
    std::vector<TSearchHit> hits;
    std::size_t from = 0;
    for (;;) {
        const TSearchStep step = FindNext(text, from, pattern, budget);
        if (step.outcome == Outcome::Ended) return hits;
        if (step.outcome == Outcome::Paused) {
            if (step.resume <= from || CharacterStartAtOrBefore(text, step.resume) != step.resume)
                FuzzFailure("FindNext paused without moving on to a character start");
            from = step.resume;
            continue;
        }
        hits.push_back(step.hit);
        from = step.hit.offset + 1;
    }
}

std::vector<TSearchHit> Backward(std::string_view text, const TSearchPattern& pattern,
                                 std::size_t budget) {
    std::vector<TSearchHit> hits;
    std::size_t from = text.size();
    for (;;) {
        const TSearchStep step = FindPrevious(text, from, pattern, budget);
        if (step.outcome == Outcome::Ended) break;
        if (step.outcome == Outcome::Paused) {
            if (step.resume >= from) FuzzFailure("FindPrevious paused without moving back");
            from = step.resume;
            continue;
        }
        hits.push_back(step.hit);
        from = step.hit.offset;
    }
    return {hits.rbegin(), hits.rend()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t patternLength = data[0] % 17;
    const unsigned mode = data[1];
    const std::size_t budget = std::size_t{data[2]} + 1;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    std::string_view text = rest;
    std::string_view patternBytes;
    const std::size_t split = rest.size() * data[3] / 255;
    if (mode & 2) {
        patternBytes = rest.substr(std::min(split, rest.size())).substr(0, patternLength);
    } else {
        patternBytes = rest.substr(0, patternLength);
        text = rest.substr(patternBytes.size());
    }
    QString typed;
    if (mode & 1) {
        for (std::size_t i = 0; i + 1 < patternBytes.size(); i += 2)
            typed.append(
                QChar(static_cast<char16_t>(static_cast<std::uint8_t>(patternBytes[i]) |
                                            static_cast<std::uint8_t>(patternBytes[i + 1]) << 8)));
    } else {
        typed = orlenth::DisplayTextToUnicode(patternBytes);
    }
    const QString once = typed;
    for (unsigned r = (mode >> 4) & 7; r > 0; --r) typed += once;
    if ((mode & 8) && !typed.isEmpty()) typed.chop(typed.back().isLowSurrogate() ? 2 : 1);

    const TSearchPattern pattern(typed);
    const std::vector<TSearchHit> expected = ReferenceHits(text, typed);
    if (Forward(text, pattern, SIZE_MAX) != expected)
        FuzzFailure("FindNext's hits differ from decoding and finding");
    if (Backward(text, pattern, SIZE_MAX) != expected)
        FuzzFailure("FindPrevious's hits differ from FindNext's");
    if (Forward(text, pattern, budget) != expected)
        FuzzFailure("FindNext with a budget finds other hits");
    if (Backward(text, pattern, budget) != expected)
        FuzzFailure("FindPrevious with a budget finds other hits");

    const std::atomic<bool> cancel{false};
    const TSearchCount all = CountHits(text, true, pattern, cancel);
    if (all.hits != expected.size() || all.resume != text.size())
        FuzzFailure("CountHits counts other hits");
    const std::size_t cut = std::min(split, text.size());
    const TSearchCount part = CountHits(text.substr(0, cut), false, pattern, cancel);
    if (part.resume > cut) FuzzFailure("a count of a piece resumes past its end");
    std::size_t before = 0;
    for (const TSearchHit& h : expected) before += h.offset < part.resume ? 1 : 0;
    if (part.hits != before)
        FuzzFailure("a count of a piece counts other hits than before its resume");
    if (CountHits(text, true, pattern, cancel, {}, part).hits != expected.size())
        FuzzFailure("counting in two pieces differs from counting at once");
    return 0;
}
