// The display conversion against itself. Every call stands alone, so a text converts the
// same whatever was converted before it; a text cut where a character ends converts as its
// two parts do; a character cut off at the end costs exactly one U+FFFD; and whole
// characters read as the wrap engine's decoder reads them, so the page measures what it
// shows. The first two bytes choose where the rest is split into A and B.

#include "FuzzTarget.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/TextEncoding.h"

#include <QString>

#include <string>
#include <string_view>

namespace {

using orlenth::DisplayTextToUnicode;
using orlenth::text::GbkChar;
using orlenth::text::GbkDecoder;
using orlenth::text::kReplacementChar;

// The longest prefix of s made of characters the decoder maps (no replacement); the last
// end of a character in it up to `from`; and where the first of its multi-byte characters
// at or after `from` starts (or the last one before, or npos when it has none).
struct WholePrefix {
    std::size_t length = 0;
    std::size_t lengthUpTo = 0;
    std::size_t cutCharacter = std::string_view::npos;
    std::size_t cutLength = 0;
};

WholePrefix WholeCharacters(std::string_view s, std::size_t from) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    WholePrefix w;
    const char* const begin = s.data();
    const char* const end = begin + s.size();
    for (const char* p = begin; p < end;) {
        const GbkChar c = decoder.next(p, end);
        if (c.codePoint == kReplacementChar) break;
        const auto at = static_cast<std::size_t>(p - begin);
        if (c.length > 1 && (w.cutCharacter == std::string_view::npos || w.cutCharacter < from)) {
            w.cutCharacter = at;
            w.cutLength = c.length;
        }
        p += c.length;
        w.length = at + c.length;
        if (w.length <= from) w.lengthUpTo = w.length;
    }
    return w;
}

// Bytes that no character continues with: after one, any converter is back at the start.
bool EndsCharacters(unsigned char b) {
    return b < 0x30 || (b >= 0x3A && b < 0x40);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t split =
        (std::size_t{data[0]} | std::size_t{data[1]} << 8) % (text.size() + 1);
    const std::string_view a = text.substr(0, split);
    const std::string_view b = text.substr(split);

    // A line break would finish whatever a converter that kept state still held, so B
    // after it is B alone.
    DisplayTextToUnicode(std::string_view("\n"));
    const QString bFirst = DisplayTextToUnicode(b);
    const QString aAlone = DisplayTextToUnicode(a);
    if (DisplayTextToUnicode(b) != bFirst) FuzzFailure("B converts differently after A");
    if (DisplayTextToUnicode(a) != aAlone) FuzzFailure("A converts differently after B");

    if (!a.empty() && EndsCharacters(static_cast<unsigned char>(a.back())) &&
        DisplayTextToUnicode(text) != aAlone + bFirst)
        FuzzFailure("A ending in a control or punctuation byte, then B, differs from A+B");

    const WholePrefix whole = WholeCharacters(text, split);
    const std::string_view wholeText = text.substr(0, whole.length);
    const std::string_view wholeA = text.substr(0, whole.lengthUpTo);
    const std::string_view rest = text.substr(whole.lengthUpTo);
    if (DisplayTextToUnicode(text) != DisplayTextToUnicode(wholeA) + DisplayTextToUnicode(rest))
        FuzzFailure("whole characters, then the rest, differ from the two converted apart");

    const QString wholeConverted = DisplayTextToUnicode(wholeText);
    const std::u32string decoded = GbkDecoder::instance().decode(wholeText);
    if (wholeConverted != QString::fromUcs4(decoded.data(), static_cast<qsizetype>(decoded.size())))
        FuzzFailure("whole characters convert otherwise than the wrap engine decodes them");

    if (whole.cutCharacter != std::string_view::npos) {
        const QString before = DisplayTextToUnicode(wholeText.substr(0, whole.cutCharacter));
        for (std::size_t k = 1; k < whole.cutLength; ++k)
            if (DisplayTextToUnicode(wholeText.substr(0, whole.cutCharacter + k)) !=
                before + QChar(QChar::ReplacementCharacter))
                FuzzFailure("a character cut off at the end is not one U+FFFD");
    }
    return 0;
}
