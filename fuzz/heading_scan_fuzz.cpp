// The chapter-heading scanner on arbitrary bytes, fed in pieces of a size the first byte
// sets (1 to 256 bytes) and in one piece: the same candidates and the same chosen headings.
// Every candidate starts a line, its length reaches exactly the line's end, stays within the
// byte bound, and its line matches the same rule again; and every line that matches is a
// candidate. Lines written from the input in the forms the rules name (第…章 in digits and in
// words, named parts, Chapter N, and lines that only look like headings) give exactly the
// headings and numbers they were written with. Virtual sections start lines and go forward; a
// user's pattern stays bounded.

#include "FuzzTarget.h"

#include "framework/text/HeadingMatch.h"
#include "framework/text/HeadingScan.h"
#include "framework/text/HeadingTools.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orlenth::text;

bool isBreak(char c) {
    return c == '\n' || c == '\r';
}

bool startsALine(std::string_view text, std::size_t at) {
    return at == 0 || (at <= text.size() && isBreak(text[at - 1]));
}

// Every line of the text that the matcher takes, found without the scanner.
std::vector<Heading> headingsLineByLine(std::string_view text) {
    std::vector<Heading> out;
    std::size_t start = 0;
    while (true) {
        std::size_t end = start;
        while (end < text.size() && !isBreak(text[end])) ++end;
        const std::string_view line = text.substr(start, end - start);
        if (const auto m = MatchHeadingLine(line)) {
            if (line.size() > kMaxHeadingLineBytes) FuzzFailure("a line past the bound matched");
            out.push_back({static_cast<std::uint32_t>(start),
                           static_cast<std::uint8_t>(line.size()),
                           static_cast<std::uint8_t>(
                               m->rule == HeadingRule::Juan || m->rule == HeadingRule::Bu ? 0 : 1),
                           m->rule, 0});
        }
        if (end >= text.size()) break;
        start = end + 1;
    }
    return out;
}

// A text written line by line from the input's bytes in the forms the rules name, each with
// the heading it must give (none for a line that only looks like one), so that the scanner's
// candidates are checked against something other than the matcher itself.
struct Written {
    std::string text;
    struct Expected {
        std::uint32_t offset;
        HeadingRule rule;
        std::uint32_t number;
    };
    std::vector<Expected> headings;
};

// GBK bytes of the characters used below.
constexpr std::string_view kDi = "\xB5\xDA", kTian = "\xCC\xEC", kStop = "\xA1\xA3",
                           kTitle = "\xB7\xE7\xC6\xF0" /* 风起 */, kColon = "\xA3\xBA";
constexpr std::string_view kDigits[] = {"\xC1\xE3", "\xD2\xBB", "\xB6\xFE", "\xC8\xFD", "\xCB\xC4",
                                        "\xCE\xE5", "\xC1\xF9", "\xC6\xDF", "\xB0\xCB", "\xBE\xC5"};
constexpr std::pair<std::string_view, HeadingRule> kSuffixes[] = {
    {"\xD5\xC2", HeadingRule::Zhang}, {"\xBB\xD8", HeadingRule::Hui},
    {"\xBD\xDA", HeadingRule::Jie},   {"\xBE\xED", HeadingRule::Juan},
    {"\xBC\xAF", HeadingRule::Ji},    {"\xB2\xBF", HeadingRule::Bu},
    {"\xC6\xAA", HeadingRule::Pian}};
// 序章 楔子 尾声 后记 番外
constexpr std::string_view kNames[] = {"\xD0\xF2\xD5\xC2", "\xD0\xA8\xD7\xD3", "\xCE\xB2\xC9\xF9",
                                       "\xBA\xF3\xBC\xC7", "\xB7\xAC\xCD\xE2"};

// 1 to 9999 as written in words: 十五, 一百一十, 一千零一.
std::string ChineseNumeral(unsigned v) {
    static constexpr std::pair<unsigned, std::string_view> kUnits[] = {
        {1000, "\xC7\xA7"}, {100, "\xB0\xD9"}, {10, "\xCA\xAE"}, {1, ""}};
    std::string out;
    bool gap = false;
    for (const auto& [unit, name] : kUnits) {
        const unsigned d = v / unit % 10;
        if (d == 0) {
            gap = gap || !out.empty();
            continue;
        }
        if (gap) out += kDigits[0];
        gap = false;
        if (!(unit == 10 && d == 1 && out.empty())) out += kDigits[d];
        out += name;
    }
    return out;
}

Written WriteLines(const std::uint8_t* data, std::size_t size) {
    Written w;
    for (std::size_t at = 0; at + 5 <= size && w.headings.size() < 64; at += 5) {
        const std::uint8_t* b = data + at;
        const unsigned number = static_cast<unsigned>(b[1] << 8 | b[2]) % 9999 + 1;
        const bool title = b[4] & 1, words = b[4] & 2;
        const auto start = static_cast<std::uint32_t>(w.text.size());
        if (b[4] & 4) w.text += "\xA1\xA1  "; // indented
        const std::string n = words ? ChineseNumeral(number) : std::to_string(number);
        const auto& [suffix, rule] = kSuffixes[b[3] % std::size(kSuffixes)];
        switch (b[0] % 5) {
        case 0: // 第十二章 风起
            w.text += std::string(kDi) + n + std::string(suffix);
            if (title) w.text += std::string(b[4] & 8 ? " " : "") + std::string(kTitle);
            w.headings.push_back({start, rule, number});
            break;
        case 1: // 楔子, 尾声：风起
            w.text += kNames[b[3] % std::size(kNames)];
            if (title) w.text += std::string(kColon) + std::string(kTitle);
            w.headings.push_back({start, HeadingRule::Named, 0});
            break;
        case 2: // Chapter 12
            w.text += std::string(b[4] & 8 ? "CHAPTER " : "Chapter ") + std::to_string(number);
            w.headings.push_back({start, HeadingRule::English, number});
            break;
        case 3: // 第十二天, no suffix
            w.text += std::string(kDi) + n + std::string(kTian) + std::string(kTitle);
            break;
        default: // a heading's form that ends as a sentence does
            w.text += std::string(kDi) + n + std::string(suffix) + std::string(kTitle) +
                      std::string(kStop);
            break;
        }
        w.text += b[4] & 16 ? "\r\n" : "\n";
    }
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t pieceSize = std::size_t{data[0]} + 1;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    HeadingScanner whole;
    whole.Feed(text);
    whole.Finish();
    HeadingScanner pieces;
    for (std::size_t at = 0; at < text.size(); at += pieceSize)
        pieces.Feed(text.substr(at, pieceSize));
    pieces.Finish();

    const std::vector<Heading> candidates = whole.Candidates();
    if (pieces.Candidates() != candidates) FuzzFailure("in pieces, other candidates");
    const HeadingSnapshot a = whole.Snapshot();
    const HeadingSnapshot b = pieces.Snapshot();
    if (a.headings != b.headings || a.choice.kept != b.choice.kept ||
        a.choice.level != b.choice.level)
        FuzzFailure("in pieces, other headings chosen");
    if (!a.finished || a.scannedBytes != text.size()) FuzzFailure("the scan did not reach the end");
    if (candidates != headingsLineByLine(text))
        FuzzFailure("the candidates are not the lines that match");

    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Heading& h = candidates[i];
        if (i > 0 && candidates[i - 1].offset >= h.offset) FuzzFailure("candidates out of order");
        if (!startsALine(text, h.offset)) FuzzFailure("a heading that does not start a line");
        const std::size_t end = std::size_t{h.offset} + h.length;
        if (h.length == 0 || h.length > kMaxHeadingLineBytes || end > text.size())
            FuzzFailure("a heading's length out of bounds");
        if (end < text.size() && !isBreak(text[end])) FuzzFailure("a heading ends inside its line");
        const auto m = MatchHeadingLine(text.substr(h.offset, h.length));
        if (!m || m->rule != h.rule) FuzzFailure("a heading's line does not match its rule again");
        if (h.level > 1) FuzzFailure("a level other than 0 or 1");
        (void)HeadingText(text, h);
    }
    for (const Heading& h : a.headings)
        if (!a.choice.kept[static_cast<std::size_t>(h.rule)])
            FuzzFailure("a heading of a rule not chosen");

    const std::vector<Heading> sections = VirtualSections(text, 1 + std::size_t{data[0]} % 64);
    if (text.empty() != sections.empty()) FuzzFailure("sections of an empty text, or none");
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const std::uint32_t at = sections[i].offset;
        if (!startsALine(text, at) ||
            (at > 0 && at < text.size() && text[at - 1] == '\r' && text[at] == '\n'))
            FuzzFailure("a section that does not start a line");
        if (i > 0 && sections[i - 1].offset >= at) FuzzFailure("sections out of order");
    }

    const Written written = WriteLines(data, size);
    HeadingScanner scanner;
    scanner.Feed(written.text);
    scanner.Finish();
    const std::vector<Heading> found = scanner.Candidates();
    if (found.size() != written.headings.size())
        FuzzFailure("written lines: other headings than the rules give");
    for (std::size_t i = 0; i < found.size() && i < written.headings.size(); ++i) {
        const auto& want = written.headings[i];
        if (found[i].offset != want.offset || found[i].rule != want.rule)
            FuzzFailure("written lines: a heading elsewhere or by another rule");
        const std::string_view line(written.text.data() + found[i].offset, found[i].length);
        const auto m = MatchHeadingLine(line);
        if (!m || m->number != want.number)
            FuzzFailure("written lines: a heading's number is wrong");
    }

    static UserPattern pattern(QStringLiteral("^(第|卷|Chapter)"));
    const PatternScan scan = ScanWithPattern(text, pattern, {.maxMatches = 40});
    if (scan.headings.size() > 40 || scan.scannedBytes > text.size())
        FuzzFailure("a pattern scan past its bounds");
    for (const Heading& h : scan.headings)
        if (!startsALine(text, h.offset)) FuzzFailure("a pattern match that does not start a line");
    return 0;
}
