// The wrap engine on arbitrary bytes at an arbitrary width (the first two bytes, in 1/64
// pixel). The display lines must cover the text exactly and in order, with nothing between
// two lines but one line break (CR LF, a lone CR or a lone LF); a soft break must fall
// between whole characters and never leave a line empty; no line may be wider than the
// width, measured with the engine's own table, unless it holds one character; and no line
// ended by a soft break could have taken the character after it. Wrapped in
// pieces as the background wrap does it (a first part that stops after some offset, a part
// of the text that has not all arrived, segments that end just after a line break), the
// text must give the very same lines.

#include "FuzzTarget.h"
#include "LineOrder.h"

#include "framework/text/AdvanceCache.h"
#include "framework/text/GbkDecoder.h"
#include "framework/text/GbkMetrics.h"
#include "framework/text/PageFont.h"
#include "framework/text/WrapEngine.h"
#include "framework/text/WrapSpan.h"

#include <QGuiApplication>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace orlenth::text;

// Fonts need a GUI application; the offscreen platform needs no display. The application
// outlives the font engine's users, which go first at exit.
struct Context {
    int argc = 1;
    char name[17] = "fuzz_wrap_engine";
    char* argv[2] = {name, nullptr};
    QGuiApplication app{argc, argv};
    // The page's default font, so that the table is the one the reader wraps with.
    AdvanceCache cache{pageFont(QStringLiteral("宋体"), 14)};
    GbkMetrics metrics{cache};
};

Context* gContext = nullptr;

// The first line break at or after `at` and its length: where a segment may end.
std::size_t SegmentEndAfter(std::string_view s, std::size_t at) {
    for (std::size_t p = at; p < s.size(); ++p)
        if (const std::size_t gap = BreakAt(s, p)) return p + gap;
    return s.size();
}

void CheckPiecewise(std::string_view text, double width, const std::vector<DisplayLine>& lines,
                    const GbkMetrics& metrics) {
    const std::int64_t units = widthUnitsOf(width);
    const std::size_t n = text.size();
    // Offsets picked from the text's own bytes, so that the corpus steers them.
    const auto pick = [&](std::size_t k) {
        return n == 0 ? 0 : static_cast<std::uint8_t>(text[k % n]) * n / 255;
    };
    std::vector<std::uint32_t> starts;
    // Only the first `arrived` bytes are there, and the first part stops after `stop`.
    const std::size_t arrived = pick(1);
    std::size_t from = wrapSpan(text.substr(0, arrived), {0, arrived, arrived == n, pick(2)}, units,
                                metrics, nullptr, starts);
    // Segments that end just after a line break, then the rest.
    for (std::size_t k = 3; from < n && k < 6; ++k) {
        const std::size_t end = SegmentEndAfter(text, std::max(from, pick(k)));
        from = wrapSpan(text, {from, end, true}, units, metrics, nullptr, starts);
    }
    if (from < n || starts.empty())
        wrapSpan(text, {from, n, true}, units, metrics, nullptr, starts);
    if (starts.size() != lines.size()) FuzzFailure("wrapped in pieces, the line count differs");
    for (std::size_t i = 0; i < lines.size() && i < starts.size(); ++i)
        if (starts[i] != lines[i].start) FuzzFailure("wrapped in pieces, a line starts elsewhere");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static Context context;
    gContext = &context;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const double width = static_cast<double>(data[0] | data[1] << 8) / GbkMetrics::kSubpixels;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const GbkMetrics& metrics = gContext->metrics;
    const std::vector<DisplayLine> lines = wrapText(text, width, metrics);
    CheckPiecewise(text, width, lines, metrics);

    const GbkDecoder& decoder = GbkDecoder::instance();
    const char* const base = text.data();
    // A character's advance as the table gives it, a pair looked up by its bytes.
    const auto advance = [&metrics](const char* p, GbkChar c) {
        const auto b = static_cast<std::uint8_t>(*p);
        GbkMetrics::Entry e = metrics.single(b);
        if (c.length == 2) {
            e = metrics.pair(b, static_cast<std::uint8_t>(p[1]));
            if (e & GbkMetrics::kNotAPair) e = metrics.of(c.codePoint);
        } else if (c.length == 4) {
            e = metrics.of(c.codePoint);
        }
        return std::int64_t{GbkMetrics::advance(e)};
    };
    const std::int64_t limit = widthUnitsOf(width);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DisplayLine& line = lines[i];
        const std::size_t end = CheckLineInOrder(text, lines, i, pos);

        // Every line starts where a hard line does or where the one before it ended, which
        // was found to be a character boundary; so walking from its start sees the
        // characters the engine saw.
        std::int64_t lineWidth = 0;
        std::size_t characters = 0;
        std::size_t p = line.start;
        while (p < end) {
            const auto b = static_cast<std::uint8_t>(base[p]);
            if (b == '\r' || b == '\n') FuzzFailure("a line holds a line break");
            const GbkChar c = decoder.next(base + p, base + text.size());
            lineWidth += advance(base + p, c);
            ++characters;
            p += c.length;
        }
        if (p != end) FuzzFailure("a line ends inside a character");
        if (characters > 1 && lineWidth > limit)
            FuzzFailure("a line of more than one character is wider than the width");
        CheckNoRoomLeft(text, lines, i, lineWidth, limit, advance);
        pos = end;
    }

    // After the last line only one line break may follow, whose empty line is left out.
    const std::size_t rest = text.size() - pos;
    if (rest != BreakAt(text, pos)) FuzzFailure("the lines do not reach the end of the text");
    if (rest == 0 && !lines.empty() && lines.back().length == 0)
        FuzzFailure("an empty last line is kept");
    return 0;
}
