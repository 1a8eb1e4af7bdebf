// The hidden wrap memo: its text as Lines.Strings, display lines at its width and font,
// bounds and capacity errors, and agreement with the page's canvas.

#include "framework/ui/Canvas.h"
#include "framework/ui/Memo.h"

#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"

#include <gtest/gtest.h>

using namespace orlenth;

namespace {

QByteArray gbk(const char* utf8) {
    return QByteArray::fromStdString(UnicodeToGbk(QString::fromUtf8(utf8)));
}

QByteArray repeated(const char* utf8, int times) {
    QByteArray out;
    for (int i = 0; i < times; ++i) out += gbk(utf8);
    return out;
}

} // namespace

TEST(Memo, DisplayLineCountsOfHardBreaks) {
    struct Row {
        const char* name;
        QByteArray text;
        int count;
        QByteArrayList lines;
    } rows[] = {
        {"empty", "", 0, {}},
        {"crlf_only", "\r\n", 1, {""}},
        {"no_final_break", "ab", 1, {"ab"}},
        {"crlf_pairs", "ab\r\ncd\r\n", 2, {"ab", "cd"}},
        {"bare_lf", "ab\ncd", 2, {"ab", "cd"}},
        {"bare_lf_at_end", "ab\n", 1, {"ab"}},
        {"lone_cr", "ab\rcd", 2, {"ab", "cd"}},
        {"empty_line_between", "ab\r\n\r\ncd", 3, {"ab", "", "cd"}},
        {"two_breaks_at_end", "ab\r\n\r\n", 2, {"ab", ""}},
    };
    TMemo memo;
    memo.SetWidth(400);
    for (const Row& r : rows) {
        memo.SetText(r.text);
        ASSERT_EQ(memo.LineCount(), r.count) << r.name;
        for (int i = 0; i < r.count; ++i) EXPECT_EQ(memo.Line(i), r.lines[i]) << r.name << i;
        EXPECT_EQ(memo.Lines()->Strings(), r.lines) << r.name;
        // Stored back as Lines.Strings, each line ends in CR LF and the lines stay.
        memo.Lines()->SetStrings(r.lines);
        EXPECT_EQ(memo.Text(), r.lines.isEmpty() ? QByteArray() : r.lines.join("\r\n") + "\r\n")
            << r.name;
        EXPECT_EQ(memo.LineCount(), r.count) << r.name;
    }
}

TEST(Memo, LineOutsideTheListIsAnError) {
    TMemo memo;
    memo.SetWidth(400);
    memo.SetText("ab\r\ncd\r\n");
    for (int i : {2, -1, 100}) {
        try {
            memo.Line(i);
            FAIL() << i;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(i) + ")");
        }
    }
}

TEST(Memo, WidthFontAndWordWrapChangesRewrap) {
    TMemo memo;
    memo.Font()->SetName(gbk("宋体"));
    memo.Font()->SetHeight(-14);
    const QByteArray text = repeated("国", 40);
    memo.SetText(text);
    TCanvas canvas;
    canvas.Font()->Assign(memo.Font());
    const int advance = canvas.TextWidth(gbk("国"));
    ASSERT_GT(advance, 0);

    memo.SetWidth(advance * 10 + advance / 2);
    EXPECT_EQ(memo.LineCount(), 4) << "ten to a line";
    memo.SetWidth(advance * 20);
    EXPECT_EQ(memo.LineCount(), 2) << "a width change re-wraps";
    memo.Font()->SetHeight(-28);
    EXPECT_GE(memo.LineCount(), 4) << "a font twice as high, about twice the lines";
    memo.SetWordWrap(false);
    EXPECT_EQ(memo.LineCount(), 1) << "without word wrap only hard breaks count";
    memo.SetWordWrap(true);
    memo.Font()->SetHeight(-14);
    EXPECT_EQ(memo.LineCount(), 2);
}

TEST(Memo, ColumnsWrapAtTheWidthGivenInCellsDownAndBack) {
    TMemo memo;
    memo.Font()->SetName(gbk("宋体"));
    memo.Font()->SetHeight(-14);
    // Forty cells wrap eight to a column; the hard line of five is a column of its own.
    memo.SetText(repeated("国", 40) + gbk("\r\n") + repeated("国", 5));
    const double cell = memo.Metrics().em();
    ASSERT_GT(cell, 0);
    memo.SetWidth(static_cast<int>(cell * 8.5));
    const int rows = memo.LineCount();
    memo.SetColumns(true);
    EXPECT_EQ(memo.Metrics().flow(), text::Flow::Columns);
    EXPECT_EQ(memo.LineCount(), 6) << "eight cells to a column, then the short one";
    EXPECT_EQ(memo.LineStart(5), 82u) << "the second hard line starts the last column";
    memo.SetColumns(false);
    EXPECT_EQ(memo.LineCount(), rows);
    EXPECT_EQ(memo.Metrics().flow(), text::Flow::Rows);
}

TEST(Memo, LinesFitThePageCanvasInTheSameFont) {
    TMemo memo;
    memo.Font()->SetName(gbk("宋体"));
    memo.Font()->SetHeight(-14);
    memo.SetWidth(149);
    memo.SetText(repeated("我们的文集，收录了一百篇“网文”作品。Kestrow 2004年出版。", 12));
    TCanvas canvas;
    canvas.Font()->Assign(memo.Font());
    ASSERT_GT(memo.LineCount(), 20);
    for (int i = 0; i < memo.LineCount(); ++i)
        EXPECT_LE(canvas.TextWidth(memo.Line(i)), 149) << "line " << i;
    EXPECT_EQ(canvas.Font()->PageFont(), memo.Font()->PageFont());
}

TEST(Memo, TextBeyondCapacityKeepsTheOldText) {
    TMemo memo;
    memo.SetWidth(400);
    memo.SetText("kept\r\n");
    ASSERT_EQ(memo.LineCount(), 1);
    // Never written: only its size is looked at before it is refused.
    QByteArray huge(static_cast<qsizetype>(text::kMemoCapacity + 1), Qt::Uninitialized);
    try {
        memo.SetText(std::move(huge));
        FAIL();
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(e.Message(), "Text exceeds memo capacity");
    }
    EXPECT_EQ(memo.Text(), QByteArray("kept\r\n"));
    EXPECT_EQ(memo.Line(0), QByteArray("kept"));
}
