// A reader's chapter pattern and the text it runs over, both hostile. Input: a mode byte, a
// bound on matches (1 to 256), the pattern's UTF-8 up to the first NUL, then GBK text.
// The mode's low two bits say how the pattern is taken:
//   0: as written (anything: backtracking, recursion, invalid);
//   1: a literal, escaped: the lines found are exactly those whose text (after leading
//      spaces) holds it, as plain string code decides;
//   2: "^" and a literal: exactly the lines starting with it;
//   3: a stored choice, read by ChapterChoice::Parse, checked against the forms written out
//      here, then its pattern (if any) taken as written.
// Whatever the pattern: every heading starts a line no longer than a heading can be and
// covers it, in order, within the bound; a line the pattern decides is decided as
// QRegularExpression (the same engine, without bounds) decides it; no line takes long; the
// text cut at a line start gives the same headings; a stop already asked for stops at once;
// and the background scan lists what the scan over the whole text finds.

#include "FuzzTarget.h"

#include "framework/text/ChapterScan.h"
#include "framework/text/GbkDecoder.h"
#include "framework/text/HeadingTools.h"
#include "framework/text/TextLoad.h"
#include "framework/text/UserPattern.h"

#include <QRegularExpression>
#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using namespace orlenth::text;

bool isBreak(char c) {
    return c == '\n' || c == '\r';
}

struct Line {
    std::size_t start;
    std::size_t length;
};

// CR, LF and CR LF end lines; the last line may end without.
std::vector<Line> linesOf(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && !isBreak(text[end])) ++end;
        lines.push_back({start, end - start});
        if (end >= text.size()) break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// The line as a pattern sees it: decoded character by character, then leading spaces, tabs
// and ideographic spaces taken off.
QString shownLine(std::string_view line) {
    const GbkDecoder& decoder = GbkDecoder::instance();
    std::u32string points;
    for (std::size_t at = 0; at < line.size();) {
        const GbkChar c = decoder.next(line.data() + at, line.data() + line.size());
        points.push_back(c.codePoint);
        at += c.length;
    }
    std::size_t lead = 0;
    while (lead < points.size() &&
           (points[lead] == U' ' || points[lead] == U'\t' || points[lead] == U'\u3000'))
        ++lead;
    return QString::fromUcs4(points.data() + lead, static_cast<qsizetype>(points.size() - lead));
}

// Every ASCII character but letters and digits escaped: PCRE2 takes them all literally then.
QString escaped(const QString& literal) {
    QString out;
    for (const QChar c : literal) {
        if (c.unicode() < 0x80 && !c.isLetterOrNumber()) out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// ChapterChoice::Parse's forms, written out.
ChapterChoice expectedChoice(const std::string& stored) {
    static constexpr std::array<std::pair<const char*, HeadingRule>, 9> kRules{{
        {"zhang", HeadingRule::Zhang},
        {"hui", HeadingRule::Hui},
        {"jie", HeadingRule::Jie},
        {"juan", HeadingRule::Juan},
        {"ji", HeadingRule::Ji},
        {"bu", HeadingRule::Bu},
        {"pian", HeadingRule::Pian},
        {"named", HeadingRule::Named},
        {"english", HeadingRule::English},
    }};
    ChapterChoice choice;
    if (stored.rfind("rule:", 0) == 0) {
        for (const auto& [key, rule] : kRules)
            if (stored.substr(5) == key) {
                choice.kind = ChapterChoice::Kind::Rule;
                choice.rule = rule;
            }
    } else if (stored.rfind("re:", 0) == 0 && stored.size() > 3) {
        choice.kind = ChapterChoice::Kind::Pattern;
        choice.pattern = QString::fromUtf8(stored.substr(3));
    }
    return choice;
}

void checkChoice(const std::string& stored) {
    const ChapterChoice parsed = ChapterChoice::Parse(QString::fromUtf8(stored));
    const ChapterChoice expected = expectedChoice(stored);
    if (parsed.kind != expected.kind) FuzzFailure("a stored choice read as another kind");
    if (parsed.kind == ChapterChoice::Kind::Rule && parsed.rule != expected.rule)
        FuzzFailure("a stored rule read as another rule");
    if (parsed.kind == ChapterChoice::Kind::Pattern && parsed.pattern != expected.pattern)
        FuzzFailure("a stored pattern read as another pattern");
    if (ChapterChoice::Parse(parsed.Stored()) != parsed)
        FuzzFailure("a choice does not read back as stored");
}

// What the background scan ends with, over the whole text at once.
ChapterList backgroundList(std::string_view text, const QString& pattern, std::size_t bound) {
    TextFeed feed;
    feed.buffer = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    feed.ready = text.size();
    ChapterChoice choice;
    choice.kind = ChapterChoice::Kind::Pattern;
    choice.pattern = pattern;
    ChapterScan scan(std::make_shared<TextLoad>(std::move(feed)), choice, bound);
    while (!scan.Finished()) std::this_thread::yield();
    return scan.Snapshot();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned mode = data[0] & 3u;
    const std::size_t bound = std::size_t{data[1]} + 1;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t nul = rest.find('\0');
    const std::string patternBytes(rest.substr(0, nul));
    const std::string_view text =
        nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);

    QString pattern = QString::fromUtf8(patternBytes);
    QString literal;
    if (mode == 1 || mode == 2) {
        literal = pattern.left(UserPattern::kMaxLength / 2 - 1);
        pattern = (mode == 2 ? QStringLiteral("^") : QString()) + escaped(literal);
    } else if (mode == 3) {
        checkChoice(patternBytes);
        const ChapterChoice choice = ChapterChoice::Parse(pattern);
        if (choice.kind != ChapterChoice::Kind::Pattern) return 0;
        pattern = choice.pattern;
    }

    UserPattern user(pattern);
    const QRegularExpression reference(pattern);
    if (pattern.size() <= UserPattern::kMaxLength && !pattern.isEmpty() &&
        user.IsValid() != reference.isValid())
        FuzzFailure("a pattern valid in one engine and not in the other");
    if (user.IsValid() != UserPattern::Check(pattern))
        FuzzFailure("checking a pattern and compiling it disagree");
    if (!literal.isEmpty() && !user.IsValid()) FuzzFailure("an escaped literal does not compile");

    const std::vector<Line> lines = linesOf(text);
    const auto began = std::chrono::steady_clock::now();
    const PatternScan scan =
        ScanWithPattern(text, user, {.maxMatches = bound, .maxTime = std::chrono::hours(1)});
    // A bound of a few tens of milliseconds a line, with room for a slow machine.
    if (std::chrono::steady_clock::now() - began >
        std::chrono::seconds(1) + std::chrono::milliseconds(250) * lines.size())
        FuzzFailure("a line took too long");

    if (!user.IsValid()) {
        if (!scan.headings.empty() || scan.gaveUp != 0 || scan.scannedBytes != text.size())
            FuzzFailure("an invalid pattern found something");
        return 0;
    }
    if (scan.headings.size() > bound || scan.scannedBytes > text.size())
        FuzzFailure("a pattern scan past its bounds");
    if (!literal.isEmpty() && scan.gaveUp != 0) FuzzFailure("a literal gave up on a line");

    // Line by line, as the scan should have gone: which lines match, and how many gave up.
    std::vector<std::uint32_t> expected;
    std::size_t tried = 0;
    std::size_t lineIndex = 0;
    std::size_t h = 0;
    for (; lineIndex < lines.size(); ++lineIndex) {
        const Line& line = lines[lineIndex];
        if (expected.size() == bound) break;
        if (line.length == 0 || line.length > kMaxHeadingLineBytes) continue;
        ++tried;
        const QString shown = shownLine(text.substr(line.start, line.length));
        const bool listed = h < scan.headings.size() && scan.headings[h].offset == line.start;
        if (listed) ++h;
        bool matches;
        if (mode == 1)
            matches = shown.contains(literal);
        else if (mode == 2)
            matches = shown.startsWith(literal);
        else if (listed)
            matches = true;
        else
            continue; // not listed: no match or gave up, told apart below
        if (matches != listed) FuzzFailure("a literal's lines are not the lines holding it");
        if (mode != 1 && mode != 2 && !reference.match(shown).hasMatch())
            FuzzFailure("a line listed that the pattern does not match");
        if (matches) expected.push_back(static_cast<std::uint32_t>(line.start));
    }
    if (h != scan.headings.size()) FuzzFailure("a heading that is not a line the scan tries");
    if (scan.gaveUp > tried) FuzzFailure("more lines gave up than were tried");
    if (mode == 1 || mode == 2) {
        std::vector<std::uint32_t> found;
        for (const Heading& heading : scan.headings) found.push_back(heading.offset);
        if (found != expected) FuzzFailure("a literal's lines are not the lines holding it");
    }
    for (const Heading& heading : scan.headings) {
        std::size_t end = heading.offset;
        while (end < text.size() && !isBreak(text[end])) ++end;
        if (heading.rule != HeadingRule::User || heading.level != 1 ||
            heading.length != end - heading.offset)
            FuzzFailure("a heading that does not cover its line");
    }
    const bool more = scan.stop == PatternScan::Stop::Matches;
    if (more != (scan.headings.size() == bound && scan.scannedBytes < text.size()))
        FuzzFailure("stopped for its bound without reaching it");
    if (scan.stop != PatternScan::Stop::Done && !more) FuzzFailure("stopped for no reason");

    // The lines not listed and not given up do not match, as the engine without bounds says.
    // Only where the scan went and only for a few: the reference has no bound, and costs
    // what the bounded one did only on lines that did not give up.
    if (mode == 0 || mode == 3) {
        UserPattern again(pattern);
        std::size_t checked = 0;
        for (const Line& line : lines) {
            if (line.start >= scan.scannedBytes || checked == 64) break;
            if (line.length == 0 || line.length > kMaxHeadingLineBytes) continue;
            const QString shown = shownLine(text.substr(line.start, line.length));
            const UserPattern::Result r = again.Match(shown);
            if (r == UserPattern::Result::GaveUp) continue;
            ++checked;
            if ((r == UserPattern::Result::Match) != reference.match(shown).hasMatch())
                FuzzFailure("a line decided otherwise than the engine without bounds");
        }
    }

    // Cut at the line start nearest the middle: the two halves list what the whole does.
    if (!more && lines.size() > 1) {
        const std::size_t cut = lines[lines.size() / 2].start;
        const PatternScan first = ScanWithPattern(
            text.substr(0, cut), user, {.maxMatches = bound, .maxTime = std::chrono::hours(1)});
        const PatternScan second = ScanWithPattern(
            text.substr(cut), user, {.maxMatches = bound, .maxTime = std::chrono::hours(1)});
        std::vector<Heading> joined = first.headings;
        for (Heading heading : second.headings) {
            heading.offset += static_cast<std::uint32_t>(cut);
            joined.push_back(heading);
        }
        if (joined.size() <= bound && joined != scan.headings)
            FuzzFailure("the text cut at a line start lists other headings");
        if (joined.size() < bound && first.gaveUp + second.gaveUp != scan.gaveUp)
            FuzzFailure("the text cut at a line start gives up on other lines");
    }

    const std::atomic<bool> stop{true};
    const PatternScan stopped = ScanWithPattern(text, user, {}, &stop);
    if (!text.empty() && (stopped.stop != PatternScan::Stop::Asked || !stopped.headings.empty()))
        FuzzFailure("a scan asked to stop went on");

    // The background scan keeps one more match to tell "at least" and cuts its list there.
    const ChapterList list = backgroundList(text, pattern, bound);
    const PatternScan whole =
        ScanWithPattern(text, user, {.maxMatches = bound + 1, .maxTime = std::chrono::hours(1)});
    std::vector<Heading> kept = whole.headings;
    const bool cut = kept.size() > bound;
    if (cut) kept.resize(bound);
    if (!list.finished || list.headings != kept || list.stoppedEarly != cut)
        FuzzFailure("the background scan lists other headings");
    if (!cut && list.gaveUpLines != whole.gaveUp)
        FuzzFailure("the background scan counts other lines given up");
    return 0;
}
