// A file-system name's face, on arbitrary bytes, against the rule read character by
// character: valid UTF-8 shows as its characters; a name that is no UTF-8 but whole GB18030
// characters shows as those; any other name as UTF-8 with each byte outside a valid sequence
// one U+FFFD. So a name never loses a character it holds, and never shows one it does not.

#include "FuzzTarget.h"

#include "app/platform/DisplayName.h"
#include "framework/text/GbkDecoder.h"

#include <QList>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

namespace {

using orlenth::text::GbkDecoder;
using orlenth::text::kReplacementChar;

// The UTF-8 sequence at the front of `s`: its character and length, or nothing when the
// bytes there are no whole, shortest, valid sequence.
std::optional<std::pair<char32_t, std::size_t>> Utf8At(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = b(0);
    if (lead < 0x80) return std::pair{char32_t{lead}, std::size_t{1}};
    const std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (n == 0 || s.size() < n) return std::nullopt;
    char32_t c = lead & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return std::nullopt;
        c = c << 6 | (b(i) & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return std::pair{c, n};
}

// The name read as UTF-8, each stray byte one U+FFFD; whether it was all valid.
std::vector<char32_t> AsUtf8(std::string_view s, bool& valid) {
    std::vector<char32_t> out;
    valid = true;
    for (std::size_t at = 0; at < s.size();) {
        const auto c = Utf8At(s.substr(at));
        valid = valid && c.has_value();
        out.push_back(c ? c->first : kReplacementChar);
        at += c ? c->second : 1;
    }
    return out;
}

// The name's GB18030 characters, or nothing when some bytes are none.
std::optional<std::vector<char32_t>> AsGb18030(std::string_view s) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    std::vector<char32_t> out;
    for (std::size_t at = 0; at < s.size();) {
        const auto c = decoder.next(s.data() + at, s.data() + s.size());
        // U+FFFD stands for bytes of no character, but for its own four bytes.
        if (c.codePoint == kReplacementChar && s.substr(at, c.length) != "\x84\x31\xA4\x37")
            return std::nullopt;
        out.push_back(c.codePoint);
        at += c.length;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const QString shown = orlenth::platform::DisplayName(name);
    std::vector<char32_t> got;
    for (const char32_t c : shown.toUcs4()) got.push_back(c);

    bool valid = false;
    const std::vector<char32_t> utf8 = AsUtf8(name, valid);
    if (valid) {
        if (got != utf8) FuzzFailure("a UTF-8 name shows other characters");
    } else if (const auto gb = AsGb18030(name)) {
        if (got != *gb) FuzzFailure("a GB18030 name shows other characters");
    } else if (got != utf8) {
        FuzzFailure("a name of neither shows otherwise than one U+FFFD a stray byte");
    }
    return 0;
}
