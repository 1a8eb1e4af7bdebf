// A long text wrapped in the background, in segments on worker threads and while it is
// still arriving, must give exactly the lines of one wrap of the whole text.

#include "framework/Errors.h"
#include "framework/text/WrapEngine.h"
#include "framework/text/WrapSpan.h"
#include "text_test_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>

namespace orlenth::text {
namespace {

using testing::defaultPageFont;
using testing::toGbk;

constexpr int kWidth = 325;

// Pieces of text that put line breaks, four-byte characters and stray bytes anywhere,
// so that segment ends and arrival pieces fall on and next to all of them.
std::string makeText(const char* kind, std::size_t bytes) {
    const std::string han =
        toGbk(QStringLiteral("天下大势，分久必合，合久必分。“周末七国”《分争》"));
    const std::string four = toGbk(QStringLiteral("𠀀𪚥"));
    const std::string latin = "Latin words and 12345 digits ";
    std::mt19937 random(42);
    std::string text;
    text.reserve(bytes + 256);
    const std::string k = kind;
    while (text.size() < bytes) {
        const unsigned r = random() % 16;
        if (k == "OneHugeLine") {
            text += r < 12 ? han : latin;
            continue;
        }
        // Runs of empty lines, and empty lines between one-character ones, with a stretch
        // of prose now and then: the index packs the runs as patterns.
        if (k == "EmptyLinesLF" || k == "EmptyLinesCRLF" || k == "AlternatingEmpty") {
            const std::string brk = k == "EmptyLinesLF" ? "\n" : "\r\n";
            const std::string unit = k == "AlternatingEmpty" ? brk + han.substr(0, 2) + brk : brk;
            for (int i = 0; i < 20000; ++i) text += unit;
            if (r == 0) text += han + latin;
            continue;
        }
        if (r < 8)
            text += han;
        else if (r < 10)
            text += latin;
        else if (r < 11)
            text += k == "Mixed" ? four : han;
        else if (r < 12)
            text += k == "Mixed" ? std::string("\x81\r\x80\xFF") : "\r\n";
        else if (r < 13)
            text += "\r";
        else if (r < 14)
            text += "\n";
        else if (r < 15)
            text += "\r\r\n";
        else
            text += "\r\n\r\n";
    }
    return text;
}

std::vector<DisplayLine> wholeWrap(const std::string& text) {
    AdvanceCache cache(defaultPageFont());
    GbkMetrics metrics(cache);
    return wrapText(text, kWidth, metrics);
}

void expectSameLines(WrapEngine& engine, const std::string& text) {
    const std::vector<DisplayLine> expected = wholeWrap(text);
    ASSERT_EQ(engine.lineCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(engine.lineStart(i), expected[i].start) << "line " << i;
        ASSERT_EQ(engine.line(i).size(), std::min<std::size_t>(expected[i].length, 4096))
            << "line " << i;
    }
    if (!expected.empty()) {
        const DisplayLine last = expected.back();
        EXPECT_EQ(engine.line(expected.size() - 1).toStdString(),
                  text.substr(last.start, std::min<std::size_t>(last.length, 4096)));
        EXPECT_EQ(engine.lineAt(last.start + last.length), expected.size() - 1);
    }
}

// A feed that hands the text over in pieces of the given size, from a thread of its own.
TextFeed piecewise(const std::string& text, std::size_t piece) {
    return {QByteArray(static_cast<qsizetype>(text.size()), Qt::Uninitialized), 0,
            [text, piece](TextSink& sink) {
                for (std::size_t at = 0; at < text.size() && !sink.cancelled(); at += piece) {
                    const std::size_t n = std::min(piece, text.size() - at);
                    std::memcpy(sink.data() + at, text.data() + at, n);
                    sink.publish(at + n);
                }
            }};
}

struct Row {
    const char* kind;
    std::size_t bytes;
    std::size_t piece; // 0: the whole text at once
};

class BackgroundWrap : public ::testing::TestWithParam<Row> {};

TEST_P(BackgroundWrap, GivesTheLinesOfOneWholeWrap) {
    const Row row = GetParam();
    const std::string text = makeText(row.kind, row.bytes);
    WrapEngine engine(defaultPageFont(), kWidth);
    int progress = 0;
    engine.setOnProgress([&] { ++progress; });
    if (row.piece == 0)
        engine.setText(QByteArray::fromStdString(text));
    else
        engine.setText(piecewise(text, row.piece));
    // The start of a whole text is there at once; the rest comes while the event loop runs.
    if (row.piece == 0) {
        EXPECT_GT(engine.linesSoFar(), 0u);
    }
    // The last word comes from the event loop, just after the last line.
    QDeadlineTimer deadline(60'000);
    while ((!engine.wrapped() || progress == 0) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_GT(progress, 0);
    expectSameLines(engine, text);
    EXPECT_EQ(engine.text().toStdString(), text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BackgroundWrap,
    ::testing::Values(Row{"ShortHardLines", 3'500'000, 0}, Row{"Mixed", 3'500'000, 0},
                      Row{"OneHugeLine", 2'500'000, 0}, Row{"ShortHardLines", 3'500'000, 7'777},
                      Row{"Mixed", 3'500'000, 65'537}, Row{"OneHugeLine", 2'500'000, 100'003},
                      Row{"EmptyLinesLF", 3'000'000, 0}, Row{"EmptyLinesCRLF", 3'000'000, 0},
                      Row{"AlternatingEmpty", 3'000'000, 0},
                      Row{"AlternatingEmpty", 3'000'000, 30'011}),
    [](const auto& r) {
        return std::string(r.param.kind) +
               (r.param.piece ? "Arriving" + std::to_string(r.param.piece) : "");
    });

TEST(BackgroundWrapEdges, WidthChangeOrNewTextWhileWrappingStartsAfresh) {
    const std::string big = makeText("Mixed", 3'000'000);
    WrapEngine engine(defaultPageFont(), kWidth);
    engine.setText(QByteArray::fromStdString(big));
    EXPECT_GT(engine.linesSoFar(), 0u);
    engine.setWidth(200);
    EXPECT_GT(engine.linesSoFar(), 0u);
    engine.setWidth(kWidth);
    expectSameLines(engine, big);
    engine.setText(piecewise(big, 4096));
    EXPECT_GE(engine.linesSoFar(), 0u);
    const std::string small = toGbk(QStringLiteral("甲\r\n乙"));
    engine.setText(QByteArray::fromStdString(small));
    expectSameLines(engine, small);
    // Dropped while a text still arrives and wraps: neither the load nor the workers hang.
    engine.setText(piecewise(big, 1024));
    EXPECT_GE(engine.linesSoFar(), 0u);
}

TEST(BackgroundWrapEdges, AFailedArrivalKeepsWhatCameAndTellsOnce) {
    const std::string text = makeText("ShortHardLines", 600'000);
    WrapEngine engine(defaultPageFont(), kWidth);
    engine.setText(TextFeed{QByteArray(1'000'000, Qt::Uninitialized), 0, [&](TextSink& sink) {
                                std::memcpy(sink.data(), text.data(), text.size());
                                sink.publish(text.size());
                                throw EReadError();
                            }});
    EXPECT_EQ(engine.text().toStdString(), text);
    expectSameLines(engine, text);
    const std::exception_ptr error = engine.takeLoadError();
    ASSERT_TRUE(error);
    EXPECT_THROW(std::rethrow_exception(error), EReadError);
    EXPECT_FALSE(engine.takeLoadError());
}

// A wrap that is called off stops within a piece of the text, even inside one line that
// no break ends, so that dropping a long text never waits for a worker to wrap all of it.
// The flag is set before the wrap starts: it looks at it only after its first piece.
TEST(BackgroundWrapEdges, ACancelledWrapStopsWithinOneLongLine) {
    const std::string text = makeText("OneHugeLine", 8'000'000);
    AdvanceCache cache(defaultPageFont());
    GbkMetrics metrics(cache);
    const std::int64_t units = widthUnitsOf(kWidth);
    std::vector<std::uint32_t> whole, cut;
    ASSERT_EQ(wrapSpan(text, {0, text.size(), true}, units, metrics, nullptr, whole), text.size());
    const std::atomic<bool> cancel{true};
    const std::size_t next =
        wrapSpan(text, {0, text.size(), true, SIZE_MAX, &cancel}, units, metrics, nullptr, cut);
    // It went no further than its first piece and the line that piece ends in.
    EXPECT_GT(next, 0u);
    EXPECT_LE(next, kCancelCheckBytes);
    ASSERT_FALSE(cut.empty());
    EXPECT_LT(cut.size(), whole.size() / 50);
    // What it gave before stopping are the first lines of the whole wrap, and it stopped
    // at the start of the next one.
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin()));
    EXPECT_EQ(next, whole[cut.size()]);
}

// A text of one long line dropped while it wraps, and the next one wraps right.
TEST(BackgroundWrapEdges, NewTextWhileOneLongLineWraps) {
    const std::string line = makeText("OneHugeLine", 20'000'000);
    const std::string small = makeText("AlternatingEmpty", 300'000);
    WrapEngine engine(defaultPageFont(), kWidth);
    for (int i = 0; i < 3; ++i) {
        engine.setText(QByteArray::fromStdString(line));
        EXPECT_GT(engine.linesSoFar(), 0u);
        engine.setText(QByteArray::fromStdString(small));
        expectSameLines(engine, small);
    }
}

} // namespace
} // namespace orlenth::text
