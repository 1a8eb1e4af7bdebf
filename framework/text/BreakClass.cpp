#include "framework/text/BreakClass.h"

#include <unicode/uchar.h>

#include <array>
#include <atomic>

namespace orlenth::text {

namespace {

BreakClass fromLineBreakProperty(char32_t c) {
    const auto u = static_cast<UChar32>(c);
    // Chinese marks kept off the start of a line against the standard (see the header).
    if (c == U'\u00B7' || c == U'\uFE51' || c == U'\uFF5E') return BreakClass::NoStart;
    switch (u_getIntPropertyValue(u, UCHAR_LINE_BREAK)) {
    case U_LB_CLOSE_PUNCTUATION:
    case U_LB_CLOSE_PARENTHESIS:
    case U_LB_EXCLAMATION:
    case U_LB_INFIX_NUMERIC:
    case U_LB_BREAK_SYMBOLS:
    case U_LB_NONSTARTER:
    case U_LB_CONDITIONAL_JAPANESE_STARTER:
    case U_LB_INSEPARABLE:
    case U_LB_POSTFIX_NUMERIC:
    case U_LB_BREAK_AFTER:
    case U_LB_HYPHEN:
    case U_LB_SPACE:
    case U_LB_ZWSPACE:
    case U_LB_COMBINING_MARK:
    case U_LB_ZWJ:
        return BreakClass::NoStart;
    case U_LB_OPEN_PUNCTUATION:
    case U_LB_PREFIX_NUMERIC:
    case U_LB_BREAK_BEFORE:
        return BreakClass::NoEnd;
    case U_LB_ALPHABETIC:
    case U_LB_HEBREW_LETTER:
    case U_LB_NUMERIC:
    case U_LB_BREAK_BOTH:
    case U_LB_GLUE:
    case U_LB_WORD_JOINER:
        return BreakClass::Word;
    case U_LB_QUOTATION:
        switch (u_charType(u)) {
        case U_INITIAL_PUNCTUATION:
            return BreakClass::NoEnd;
        case U_FINAL_PUNCTUATION:
            return BreakClass::NoStart;
        default:
            return BreakClass::Ordinary;
        }
    default:
        return BreakClass::Ordinary;
    }
}

// Every font's table asks for the same twenty thousand characters again, and four-byte
// characters are asked for on each use, so answers are kept for the planes that Han and
// symbols live in. A slot holds the class plus one, or 0 until first asked; racing
// threads store the same value.
constexpr char32_t kCachedPlanes = 0x40000;
constinit std::array<std::atomic<std::uint8_t>, kCachedPlanes> cached{};

} // namespace

BreakClass breakClassOf(char32_t c) {
    if (c >= kCachedPlanes) return fromLineBreakProperty(c);
    std::atomic<std::uint8_t>& slot = cached[c];
    auto v = slot.load(std::memory_order_relaxed);
    if (v == 0) {
        v = static_cast<std::uint8_t>(static_cast<unsigned>(fromLineBreakProperty(c)) + 1);
        slot.store(v, std::memory_order_relaxed);
    }
    return static_cast<BreakClass>(v - 1);
}

} // namespace orlenth::text
