// The sentences reading aloud walks, on arbitrary bytes (after the first byte, which sets how
// much of the text has arrived). Walked from each sentence's end, they come in order, never
// overlap, hold no line break, start and end on no blank, stay within the bound, and only
// blanks lie between them: every other character is said. While the text arrives, what is
// given is what the whole text gives, and every sentence whose line has ended by then is
// given. The same bytes written in a small alphabet (letters, blanks, line breaks, stops,
// closing marks) give exactly the sentences a reading of the rules character by character
// finds.

#include "FuzzTarget.h"

#include "framework/text/GbkDecoder.h"
#include "framework/text/Sentences.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orlenth::text;

bool IsBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == U'\u3000';
}

std::vector<TSentence> Walk(std::string_view text, bool complete) {
    std::vector<TSentence> out;
    std::size_t from = 0;
    while (const auto s = NextSentence(text, from, complete)) {
        if (s->offset < from || s->length == 0 || out.size() > text.size())
            FuzzFailure("a sentence that does not move on");
        out.push_back(*s);
        from = s->offset + s->length;
    }
    return out;
}

void CheckWalk(std::string_view text, const std::vector<TSentence>& sentences) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    const char* const base = text.data();
    const auto at = [&](std::size_t i) { return decoder.next(base + i, base + text.size()); };
    std::size_t pos = 0;
    for (std::size_t k = 0; k <= sentences.size(); ++k) {
        const std::size_t start = k < sentences.size() ? sentences[k].offset : text.size();
        for (; pos < start; pos += at(pos).length)
            if (!IsBlank(at(pos).codePoint)) FuzzFailure("a character no sentence says");
        if (pos != start) FuzzFailure("a sentence that starts inside a character");
        if (k == sentences.size()) break;
        const std::size_t end = start + sentences[k].length;
        if (end > text.size() || sentences[k].length > kMaxSentenceBytes)
            FuzzFailure("a sentence past its bounds");
        char32_t last = 0;
        for (; pos < end; pos += at(pos).length) {
            last = at(pos).codePoint;
            if (last == U'\r' || last == U'\n') FuzzFailure("a sentence holds a line break");
            if (pos == start && IsBlank(last)) FuzzFailure("a sentence starts on a blank");
        }
        if (pos != end) FuzzFailure("a sentence that ends inside a character");
        // One cut at the bound ends wherever the bound fell.
        if (IsBlank(last) && sentences[k].length + 4 <= kMaxSentenceBytes)
            FuzzFailure("a sentence ends on a blank");
    }
}

// The small alphabet: one character for each byte of the input.
constexpr std::string_view kAlphabet[] = {"a",
                                          "b",
                                          " ",
                                          "\t",
                                          "\n",
                                          "\r",
                                          "!",
                                          "?",
                                          ".",
                                          "\"",
                                          "\xD6\xD0" /* 中 */,
                                          "\xA1\xA3" /* 。 */,
                                          "\xA3\xA1" /* ！ */,
                                          "\xA1\xB9" /* 」 */,
                                          "\xA1\xB1" /* ” */,
                                          "\xA1\xA1" /* U+3000 */};

// The rules read character by character: a sentence starts at its first character that is
// no blank; it ends before a line break, or after a stop (。！？!?) and the closing marks and
// stops right after it; blanks before a line break are not said.
std::vector<TSentence> Expected(const std::vector<std::string_view>& chars) {
    const auto is = [](std::string_view c, std::initializer_list<std::string_view> set) {
        for (const std::string_view s : set)
            if (c == s) return true;
        return false;
    };
    const auto blank = [&](std::string_view c) {
        return is(c, {" ", "\t", "\n", "\r", "\xA1\xA1"});
    };
    const auto stop = [&](std::string_view c) { return is(c, {"!", "?", "\xA1\xA3", "\xA3\xA1"}); };
    const auto closer = [&](std::string_view c) {
        return stop(c) || is(c, {"\"", "\xA1\xB9", "\xA1\xB1"});
    };
    std::vector<std::size_t> offsets{0};
    for (const std::string_view c : chars) offsets.push_back(offsets.back() + c.size());
    std::vector<TSentence> out;
    for (std::size_t i = 0; i < chars.size();) {
        if (blank(chars[i])) {
            ++i;
            continue;
        }
        const std::size_t first = i;
        bool ended = false;
        for (; i < chars.size(); ++i) {
            if (ended ? !closer(chars[i]) : chars[i] == "\n" || chars[i] == "\r") break;
            ended = ended || stop(chars[i]);
        }
        std::size_t last = i;
        while (last > first && blank(chars[last - 1])) --last;
        out.push_back({offsets[first], offsets[last] - offsets[first]});
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<TSentence> whole = Walk(text, true);
    CheckWalk(text, whole);

    const std::string_view arrived = text.substr(0, data[0] * text.size() / 255);
    const std::vector<TSentence> early = Walk(arrived, false);
    if (early.size() > whole.size() || !std::equal(early.begin(), early.end(), whole.begin()))
        FuzzFailure("while the text arrives, other sentences");
    // Every sentence before a line break that has arrived whole (past the last four bytes,
    // which may be a character cut short) is given.
    std::size_t lineEnd = 0;
    for (std::size_t p = 0; p + 4 <= arrived.size(); ++p)
        if (arrived[p] == '\n' || arrived[p] == '\r') lineEnd = p + 1;
    std::size_t due = 0;
    while (due < whole.size() && whole[due].offset + whole[due].length < lineEnd) ++due;
    if (early.size() < due) FuzzFailure("a sentence whose line has ended is held back");

    std::vector<std::string_view> chars;
    std::string small;
    for (std::size_t i = 1; i < size && small.size() < 400; ++i) {
        chars.push_back(kAlphabet[data[i] % std::size(kAlphabet)]);
        small += chars.back();
    }
    if (Walk(small, true) != Expected(chars))
        FuzzFailure("the sentences are not those the rules give");
    return 0;
}
