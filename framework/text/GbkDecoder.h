#pragma once
// GBK bytes to Unicode code points, one character at a time, with GB18030's four-byte
// sequences counted as characters too.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orlenth::text {

// One decoded character: its code point and how many bytes of the text it covers.
struct GbkChar {
    char32_t codePoint;
    std::uint8_t length; // 1, 2 or 4
};

// Code point given to bytes that form no character.
inline constexpr char32_t kReplacementChar = 0xFFFD;

// Bytes 0x81..0xFE open a multi-byte sequence.
constexpr bool isGbkLead(std::uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}
constexpr bool isGbkTrail(std::uint8_t b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Contract: every byte of the input belongs to exactly one character. A lead byte that is
// not followed by a valid trail byte (or four-byte tail) is a one-byte character that
// decodes to kReplacementChar, and the following byte starts a character of its own, so a
// CR or LF after a stray lead byte is still a line break. 0x80 and 0xFF are replacement
// characters of one byte. A two-byte pair that GB18030 does not map decodes to
// kReplacementChar and still covers both bytes.
class GbkDecoder {
public:
    // The tables are built once, from Qt's GB18030 decoder, on first use.
    static const GbkDecoder& instance();

    // The character that starts at p; p < end.
    GbkChar next(const char* p, const char* end) const {
        const auto b0 = static_cast<std::uint8_t>(*p);
        if (b0 < 0x80) return {b0, 1};
        if (!isGbkLead(b0) || end - p < 2) return {kReplacementChar, 1};
        const auto b1 = static_cast<std::uint8_t>(p[1]);
        if (isGbkTrail(b1)) return {pairs_[pairIndex(b0, b1)], 2};
        if (b1 >= 0x30 && b1 <= 0x39) return fourByte(p, end);
        return {kReplacementChar, 1};
    }

    // The code point of a two-byte pair, for callers that build their own tables.
    char32_t pair(std::uint8_t lead, std::uint8_t trail) const {
        return pairs_[pairIndex(lead, trail)];
    }

    // Decodes a whole text to UTF-32; mostly for tests and tools.
    std::u32string decode(std::string_view bytes) const;

    static constexpr std::size_t pairIndex(std::uint8_t lead, std::uint8_t trail) {
        return static_cast<std::size_t>(lead) << 8 | trail;
    }

private:
    GbkDecoder();
    GbkChar fourByte(const char* p, const char* end) const;

    std::array<char32_t, 65536> pairs_{};
};

} // namespace orlenth::text
