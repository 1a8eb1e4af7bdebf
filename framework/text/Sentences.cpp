#include "framework/text/Sentences.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/TextSearch.h"

namespace orlenth::text {

namespace {

bool IsBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == U'\u3000';
}

bool IsLineEnd(char32_t c) {
    return c == U'\r' || c == U'\n';
}

bool EndsSentence(char32_t c) {
    return c == U'。' || c == U'！' || c == U'？' || c == U'!' || c == U'?';
}

// What may follow a sentence's last mark and still belong to it.
bool ClosesSentence(char32_t c) {
    switch (c) {
    case U'\u201D': // ”
    case U'\u2019': // ’
    case U'」':
    case U'』':
    case U'）':
    case U'》':
    case U'〉':
    case U'】':
    case U'"':
    case U'\'':
    case U')':
        return true;
    default:
        return EndsSentence(c);
    }
}

} // namespace

std::optional<TSentence> NextSentence(std::string_view text, std::size_t from, bool complete) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    // While the text arrives, its last bytes may be a character cut short.
    const std::size_t known =
        complete || text.size() < 4 ? (complete ? text.size() : 0) : text.size() - 3;
    std::size_t at = CharacterStartAtOrAfter(text, std::min(from, text.size()));
    const auto next = [&](std::size_t i) { return decoder.next(begin + i, end); };
    while (at < known && IsBlank(next(at).codePoint)) at += next(at).length;
    if (at >= known) return std::nullopt;
    const std::size_t start = at;
    bool ended = false;
    // Blanks before a line end are not said, U+3000 among them: the end of the last
    // character that is no blank, found going forward, as a GBK text cannot be read back.
    std::size_t said = at;
    while (at < known) {
        const GbkChar c = next(at);
        if (ended ? !ClosesSentence(c.codePoint) : IsLineEnd(c.codePoint)) break;
        if (at + c.length - start > kMaxSentenceBytes) return TSentence{start, at - start};
        if (EndsSentence(c.codePoint)) ended = true;
        at += c.length;
        if (!IsBlank(c.codePoint)) said = at;
    }
    if (at >= known && !complete) return std::nullopt; // its end may still be coming
    return TSentence{start, said - start};
}

} // namespace orlenth::text
