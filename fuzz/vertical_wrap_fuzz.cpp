// The wrap engine laying out columns: arbitrary bytes at an arbitrary page height (the first
// two bytes, in 1/64 pixel). The columns must cover the text exactly and in order, with
// nothing between two of them but one line break; a soft break falls between whole
// characters and leaves no column empty; no column of two or more characters is taller than
// the height, nor could a column a soft break ends have taken the next character. Lengths are
// measured afresh from the font's advances and the vertical rules, not read from the engine's
// table, so a table filled wrongly shows too. The stateful engine, switched from rows to columns,
// must give the same columns.

#include "FuzzTarget.h"
#include "LineOrder.h"

#include "framework/text/AdvanceCache.h"
#include "framework/text/GbkDecoder.h"
#include "framework/text/GbkMetrics.h"
#include "framework/text/PageFont.h"
#include "framework/text/VerticalForms.h"
#include "framework/text/WrapEngine.h"
#include "framework/text/WrapSpan.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace orlenth::text;

struct Context {
    int argc = 1;
    char name[19] = "fuzz_vertical_wrap";
    char* argv[2] = {name, nullptr};
    QGuiApplication app{argc, argv};
    QFont font = pageFont(QStringLiteral("宋体"), 14);
    AdvanceCache cache{font};
    GbkMetrics columns{cache, Flow::Columns};
    // A separate cache for the fresh measurements, so that nothing the table filled is
    // read back as the truth.
    AdvanceCache fresh{font};
    WrapEngine engine{font, 0};
};

Context* gContext = nullptr;

// The length of one character down a column, in the table's units, measured afresh.
std::int64_t FreshLength(char32_t c) {
    Context& k = *gContext;
    const char32_t form = VerticalFormOf(c).presentation;
    const double px = VerticalAdvance(c, k.fresh.advance(c), k.columns.em(),
                                      form != 0 && k.columns.hasPresentation(form));
    return static_cast<std::int64_t>(std::ceil(px * GbkMetrics::kSubpixels));
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
    const int heightUnits = data[0] | data[1] << 8;
    const double height = static_cast<double>(heightUnits) / GbkMetrics::kSubpixels;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::vector<DisplayLine> lines = wrapText(text, height, gContext->columns);

    const GbkDecoder& decoder = GbkDecoder::instance();
    const char* const base = text.data();
    std::size_t pos = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DisplayLine& line = lines[i];
        const std::size_t end = CheckLineInOrder(text, lines, i, pos);
        std::int64_t length = 0;
        std::size_t characters = 0;
        std::size_t p = line.start;
        while (p < end) {
            if (base[p] == '\r' || base[p] == '\n') FuzzFailure("a column holds a line break");
            const GbkChar c = decoder.next(base + p, base + text.size());
            length += FreshLength(c.codePoint);
            ++characters;
            p += c.length;
        }
        if (p != end) FuzzFailure("a column ends inside a character");
        if (characters > 1 && length > widthUnitsOf(height))
            FuzzFailure("a column of more than one character is taller than the height");
        CheckNoRoomLeft(text, lines, i, length, widthUnitsOf(height),
                        [](const char*, GbkChar c) { return FreshLength(c.codePoint); });
        pos = end;
    }
    const std::size_t rest = text.size() - pos;
    if (rest != BreakAt(text, pos)) FuzzFailure("the columns do not reach the end of the text");

    // The page's engine, turned to columns after wrapping rows, wraps alike.
    WrapEngine& engine = gContext->engine;
    engine.setFlow(Flow::Rows);
    engine.setText(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    engine.setWidth(heightUnits / GbkMetrics::kSubpixels);
    engine.lineCount();
    engine.setFlow(Flow::Columns);
    const std::vector<DisplayLine> atWhole =
        wrapText(text, heightUnits / GbkMetrics::kSubpixels, gContext->columns);
    if (engine.lineCount() != atWhole.size()) FuzzFailure("the engine's column count differs");
    for (std::size_t i = 0; i < atWhole.size(); ++i)
        if (engine.lineStart(i) != atWhole[i].start)
            FuzzFailure("the engine's column starts elsewhere");
    return 0;
}
