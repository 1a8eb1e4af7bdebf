// The chapter-heading scanner on arbitrary bytes, fed in pieces of a size the first byte
// sets (1 to 256 bytes) and in one piece: the same candidates and the same chosen headings.
// Every candidate starts a line, its length reaches exactly the line's end, stays within the
// byte bound, and its line matches the same rule again; and every line that matches is a
// candidate. Virtual sections start lines and go forward; a user's pattern stays bounded.

#include "FuzzTarget.h"

#include "framework/text/HeadingMatch.h"
#include "framework/text/HeadingScan.h"
#include "framework/text/HeadingTools.h"

#include <cstdint>
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

    static UserPattern pattern(QStringLiteral("^(第|卷|Chapter)"));
    const PatternScan scan = ScanWithPattern(text, pattern, {.maxMatches = 40});
    if (scan.headings.size() > 40 || scan.scannedBytes > text.size())
        FuzzFailure("a pattern scan past its bounds");
    for (const Heading& h : scan.headings)
        if (!startsALine(text, h.offset)) FuzzFailure("a pattern match that does not start a line");
    return 0;
}
