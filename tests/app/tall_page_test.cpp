// A page taller than 2^31 pixels, through the real window: every way of moving reaches
// past that row, and the last line is drawn, ruled and read where it is. The page's Tag
// (the part of the line pitch beyond the font) makes the pitch 1000 pixels, so that 2.2
// million mostly empty lines, 4.4 MB, are enough; the window is made taller than a pitch
// so that the last line shows whole at the end.

#include "tests/app/AppFixture.h"

#include "app/PageGeometry.h"
#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/ScrollSteps.h"
#include "framework/ui/Timer.h"

#include <QAccessible>
#include <QImage>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include <cstdint>
#include <limits>
#include <utility>

using namespace orlenth;
using apptest::Gbk;

namespace {

constexpr int kLines = 2'200'000;
constexpr int kTag = 989; // with the default 11 points, a pitch of 1000
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
// A line past row 2^31 whose text marks it.
constexpr int kMarked = 2'150'000;

// Empty lines, every thousandth marked with its number, the last the book's end.
QByteArray tallText() {
    QByteArray text;
    text.reserve(2 * kLines + 40'000);
    for (int i = 0; i + 1 < kLines; ++i) {
        if (i % 1000 == 0) text += Gbk("第") + QByteArray::number(i) + Gbk("行");
        text += "\r\n";
    }
    text += Gbk("全书完\r\n");
    return text;
}

// Pixels in rows top … top + height − 1 from column left on that differ from the paper.
int inkIn(const QImage& screen, int left, int top, int height, QRgb paper) {
    int ink = 0;
    for (int y = std::max(top, 0); y < std::min(top + height, screen.height()); ++y)
        for (int x = left; x < left + 60; ++x) ink += screen.pixel(x, y) != paper;
    return ink;
}

} // namespace

class TallPageTest : public QObject {
    Q_OBJECT

private slots:
    void everyMoveReachesPastTwoToTheThirtyOne() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        form.SetBounds(QRect(form.Left(), form.Top(), form.Width(), form.Height() + 900));
        form.PaintBox1->SetTag(kTag);
        form.ScrollBox1->SetVertPosition(0);
        form.Memo1->SetText(tallText());
        form.PaintBox1Paint(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 60'000);
        QCoreApplication::processEvents();
        const int pitch = form.LinePitch();
        QCOMPARE(pitch, 1000);
        QCOMPARE(form.Memo1->LineCount(), kLines);
        const std::int64_t height = std::int64_t{kLines} * pitch;
        QTRY_COMPARE(form.PaintBox1->Height64(), height);
        QCOMPARE(form.ScrollBox1->VertRange(), 2 + height);
        const int client = form.ScrollBox1->ClientHeight();
        QVERIFY(client > pitch + 20);
        const std::int64_t end = 2 + height - client;
        QCOMPARE(form.ScrollBox1->MaxVertPosition(), end);
        QVERIFY(end > kIntMax);

        // End: the last line, drawn with its rule, where the geometry puts it.
        QWidget* area = form.ScrollBox1->ClientWidget();
        area->setFocus();
        QTest::keyClick(area, Qt::Key_End);
        QCOMPARE(form.ScrollBox1->VertPosition(), end);
        QImage screen(form.ScrollBox1->Widget()->size(), QImage::Format_RGB32);
        form.ScrollBox1->Widget()->render(&screen);
        const auto lastTop = static_cast<int>(2 + std::int64_t{kLines - 1} * pitch + kTextInset -
                                              form.ScrollBox1->VertPosition());
        QCOMPARE(lastTop, client - pitch + kTextInset);
        const int left = form.PaintBox1->Left() + kTextInset;
        const QRgb paper = screen.pixel(left + 100, lastTop - 100);
        QVERIFY(inkIn(screen, left, lastTop, 16, paper) > 20);
        QCOMPARE(inkIn(screen, left, lastTop + 30, 200, paper), 0);
        const int rule = lastTop - kTextInset - kRuleAbove;
        int dots = 0;
        for (int x = left; x < left + 100; ++x) dots += screen.pixel(x, rule) != paper;
        QCOMPARE(dots, 50); // psDot: one on, one off
        QCOMPARE(inkIn(screen, left, rule + 1, kTextInset + kRuleAbove - 1, paper), 0);

        // A screen reader finds the last line where it is drawn, and starts reading there.
        QAccessibleTextInterface* text =
            QAccessible::queryAccessibleInterface(form.PaintBox1->Widget())->textInterface();
        QVERIFY(text);
        // Each question counts the text a step further, until all of it is counted.
        int count = 0;
        for (int before = -1; before != count;)
            before = std::exchange(count, text->characterCount());
        const auto lastOffset =
            static_cast<int>(
                text->text(count - 100, count).lastIndexOf(QString::fromUtf8("全书完"))) +
            count - 100;
        QVERIFY(lastOffset > 2 * (kLines - 2));
        QCOMPARE(text->cursorPosition(), lastOffset);
        const QRect cell = text->characterRect(lastOffset);
        const QPoint widgetTop = form.PaintBox1->Widget()->mapToGlobal(QPoint(0, 0));
        const QPoint areaTop = form.ScrollBox1->Widget()->mapToGlobal(QPoint(0, 0));
        QCOMPARE(cell.top() - areaTop.y(), lastTop);
        QCOMPARE(cell.left() - widgetTop.x(), kTextInset);
        QCOMPARE(text->offsetAtPoint(cell.center()), lastOffset);

        // Home and End, the bar's ends, page up and down across row 2^31.
        QTest::keyClick(area, Qt::Key_Home);
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);
        auto* bar = form.ScrollBox1->Widget()->findChild<QScrollBar*>();
        QVERIFY(bar);
        QCOMPARE(bar->maximum(), kScaledBarMaximum);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(form.ScrollBox1->VertPosition(), end);
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);
        form.ScrollBox1->SetVertPosition(kIntMax - 100);
        const int overlap = pitch + form.PageFontPoints();
        form.N8Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), kIntMax - 100 + client - overlap);
        form.N8Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), kIntMax - 100 + 2 * (client - overlap));
        form.N7Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), kIntMax - 100 + client - overlap);
        QTest::keyClick(area, Qt::Key_End);
        QTest::keyClick(area, Qt::Key_PageUp);
        QCOMPARE(form.ScrollBox1->VertPosition(), end - client + overlap);

        // The arrows and the wheel, smoothly, and auto-scroll's tick.
        const std::int64_t far = kIntMax + std::int64_t{5'000'000};
        form.ScrollBox1->SetVertPosition(far);
        const int line = form.ScrollBox1->LineStep();
        QTest::keyClick(area, Qt::Key_Down);
        QCOMPARE(form.ScrollBox1->VertPosition(), far + line);
        QTest::keyClick(area, Qt::Key_Up);
        QCOMPARE(form.ScrollBox1->VertPosition(), far);
        QWheelEvent notch(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &notch);
        QCOMPARE(form.ScrollBox1->VertPosition(),
                 far + QApplication::wheelScrollLines() * std::int64_t{line});
        form.ScrollBox1->SetVertPosition(far);
        form.Timer1Timer(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), far + 2);
        form.ScrollBox1->SetVertPosition(end);
        form.Timer1Timer(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), end);

        // Wrapped again at another width, the line at the top stays at the top. (At the
        // design size: an area taller than a pitch could not reach the line before the
        // lines after it are wrapped again.)
        form.SetBounds(QRect(form.Left(), form.Top(), form.Width(), form.Height() - 900));
        QVERIFY(form.ScrollBox1->ClientHeight() < pitch);
        const std::int64_t marked = std::int64_t{kMarked} * pitch + 5;
        QVERIFY(marked > kIntMax);
        form.ScrollBox1->SetVertPosition(marked);
        const std::uint32_t markedStart = form.Memo1->LineStart(kMarked);
        QCOMPARE(form.Memo1->Line(kMarked), Gbk("第") + QByteArray::number(kMarked) + Gbk("行"));
        const int wrapWidth = form.Memo1->Width();
        form.BieJieExecute(nullptr);
        QVERIFY(form.Memo1->Width() != wrapWidth);
        QCOMPARE(form.ScrollBox1->VertPosition(), marked);
        const TopLine top = TopLineAt(form.ScrollBox1->VertPosition(), pitch, kLines);
        QCOMPARE(top.line, kMarked);
        QCOMPARE(form.Memo1->LineStart(top.line), markedStart);
        form.ScrollBox1->Widget()->render(&screen);
        const auto markedTop = static_cast<int>(2 + std::int64_t{kMarked} * pitch + kTextInset -
                                                form.ScrollBox1->VertPosition());
        QVERIFY(inkIn(screen, form.PaintBox1->Left() + kTextInset, markedTop, 16, paper) > 20);
    }
};

QTEST_MAIN(TallPageTest)
#include "tall_page_test.moc"
