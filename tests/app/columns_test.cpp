// 竖排 on the real main window: the page drawn in columns shows the characters of rows in
// the same order, the place read survives the switch both ways, paging, keys and
// auto-scroll go leftwards, a found hit is marked down its column, a screen reader finds
// the columns right to left, and the layout is kept with the settings.

#include "tests/app/AppFixture.h"

#include "app/FindBar.h"
#include "app/Unit1main.h"
#include "app/VerticalGeometry.h"
#include "framework/text/GbkDecoder.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QScrollBar>
#include <QtTest>

#include <cmath>
#include <map>
#include <vector>

using namespace orlenth;
using apptest::Gbk;

namespace {

// Ideographs only (no marks, which take other forms in columns), none repeated next to
// another, so that any two neighbours swapped draw differently.
const char kIdeographs[] = "天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏闰余成岁律吕调阳"
                           "云腾致雨露结为霜金生丽水玉出昆冈剑号巨阙珠称夜光果珍李柰菜重芥姜";

struct Window {
    apptest::TDialogLog& log = apptest::SetUpProgram();
    TOrlenth form;

    Window() {
        form.Show();
        form.Widget()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.Widget()));
        QCoreApplication::processEvents();
    }
    QWidget* area() { return form.ScrollBox1->ClientWidget(); }
    void show(const QByteArray& text) {
        form.Memo1->SetText(text);
        form.PaintBox1Paint(nullptr);
        QTRY_VERIFY(form.Memo1->Wrapped());
        QCoreApplication::processEvents();
    }
    void columns(bool on) {
        form.SetColumns(on);
        QTRY_VERIFY(form.Memo1->Wrapped());
        QCoreApplication::processEvents();
    }
    std::int64_t pos() { return form.ScrollBox1->VertPosition(); }
    // The column at the page's right edge, or the row at its top.
    int firstLine() { return form.Memo1->LineAt(form.PlaceRead()); }
};

// The ink of one character's slot on a grab: its dark pixels, cut to their bounding box.
// Columns draw through glyph runs and rows through text, whose rendering may differ by a
// pixel or two, so two inks are compared by how many of their pixels differ.
struct Ink {
    QImage mask;
};

int Difference(const Ink& a, const Ink& b) {
    const int width = std::max(a.mask.width(), b.mask.width()),
              height = std::max(a.mask.height(), b.mask.height());
    const auto at = [](const QImage& m, int x, int y) {
        return x < m.width() && y < m.height() && m.pixelIndex(x, y) == 1;
    };
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) differing += at(a.mask, x, y) != at(b.mask, x, y);
    return differing;
}

Ink InkIn(const QImage& grab, QRect slot) {
    slot &= grab.rect();
    int left = slot.right() + 1, right = slot.left() - 1, top = slot.bottom() + 1,
        bottom = slot.top() - 1;
    for (int y = slot.top(); y <= slot.bottom(); ++y)
        for (int x = slot.left(); x <= slot.right(); ++x)
            if (qGray(grab.pixel(x, y)) < 128) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < left) return {};
    QImage mask(right - left + 1, bottom - top + 1, QImage::Format_Mono);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            mask.setPixel(x - left, y - top, qGray(grab.pixel(x, y)) < 128 ? 1 : 0);
    return {mask};
}

int CharactersOf(const QByteArray& gbk) {
    return static_cast<int>(
        text::GbkDecoder::instance()
            .decode(std::string_view(gbk.constData(), static_cast<std::size_t>(gbk.size())))
            .size());
}

} // namespace

class ColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void columnsShowTheCharactersOfRowsInTheSameOrder() {
        Window w;
        // A face of its own for the ideographs: characters a face lacks come from
        // fallbacks, which rows and columns may pick differently.
        TLook look = w.form.CurrentLook();
        look.fontName = QByteArrayLiteral("AR PL UMing CN");
        w.form.ApplyLook(look);
        w.show(Gbk(kIdeographs).repeated(3));
        const int pitch = w.form.LinePitch();
        const QFont font = w.form.PaintBox1->Font()->PageFont();
        const QFontMetricsF fm(font);
        const double advance = fm.horizontalAdvance(QChar(0x5929));
        const int cellHeight = QFontMetrics(font).height();
        // Each character's ink by its place in the text (the text is two-byte characters
        // only), for the characters whose slots lie wholly on the area.
        const auto keep = [](std::map<int, Ink>& inks, const QImage& grab, int index, QRect slot) {
            if (grab.rect().contains(slot)) inks[index] = InkIn(grab, slot);
        };
        // Rows: each line's characters one advance apart from the text inset on.
        std::map<int, Ink> rows;
        QImage grab = w.area()->grab().toImage();
        for (int i = 0; i < w.form.Memo1->LineCount() && (i + 1) * pitch < grab.height(); ++i) {
            const int y = i * pitch + kTextInset;
            const double x = w.form.PaintBox1->Left() + kTextInset;
            const int first = static_cast<int>(w.form.Memo1->LineStart(i)) / 2;
            for (int k = 0; k < CharactersOf(w.form.Memo1->Line(i)); ++k)
                keep(rows, grab, first + k,
                     QRect(static_cast<int>(std::lround(x + k * advance)), y,
                           static_cast<int>(std::lround(advance)), cellHeight));
        }
        // Columns: right to left, each character one em below the last.
        w.columns(true);
        QVERIFY(w.form.ScrollBox1->Columns());
        const double em = w.form.Memo1->Metrics().em();
        const int cell = static_cast<int>(std::ceil(em));
        const int top =
            PlaceColumns(w.form.ScrollBox1->Height(), w.form.BieJie->Checked()).top + kTextInset;
        std::map<int, Ink> columns;
        grab = w.area()->grab().toImage();
        const std::int64_t right = ColumnsRightEdge(grab.width(), 0);
        for (int i = 0; i < w.form.Memo1->LineCount(); ++i) {
            const ColumnPlace place = PlaceColumn(i, pitch, cell, right);
            if (place.textLeft < 0) break;
            const int first = static_cast<int>(w.form.Memo1->LineStart(i)) / 2;
            for (int k = 0; k < CharactersOf(w.form.Memo1->Line(i)); ++k)
                keep(columns, grab, first + k,
                     QRect(static_cast<int>(place.textLeft),
                           static_cast<int>(std::lround(top + k * em)), cell,
                           static_cast<int>(std::lround(em))));
        }

        // Each character's ink is compared with the same character's and its neighbours' in
        // the other layout: in the same order, the same character's is the nearest. A face
        // may draw a character a little otherwise through glyphs than through shaped text,
        // so a few may miss; a column drawn out of order, mirrored or off its cells misses
        // nearly all.
        int compared = 0, nearest = 0;
        QStringList missed;
        for (const auto& [i, ink] : rows) {
            if (!columns.contains(i)) continue;
            ++compared;
            QVERIFY2(!ink.mask.isNull(), qPrintable(QStringLiteral("no ink at %1").arg(i)));
            const int same = Difference(ink, columns[i]);
            bool best = true;
            for (const int j : {i - 1, i + 1})
                if (columns.contains(j)) best = best && same < Difference(ink, columns[j]);
            if (best)
                ++nearest;
            else
                missed << QString::number(i);
        }
        QVERIFY2(compared >= 30, qPrintable(QString::number(compared)));
        QVERIFY2(nearest * 20 >= compared * 19,
                 qPrintable(QStringLiteral("%1 of %2 missed: %3")
                                .arg(compared - nearest)
                                .arg(compared)
                                .arg(missed.join(QLatin1Char(' ')))));
    }

    void thePlaceReadIsKeptAcrossTheSwitchBothWays() {
        Window w;
        w.show(Gbk(kIdeographs).repeated(400));
        const std::uint32_t target = w.form.Memo1->LineStart(40) + 10;
        w.form.GoToPlace(target);
        QTRY_COMPARE(w.firstLine(), w.form.Memo1->LineAt(target));
        w.columns(true);
        QTRY_COMPARE(w.firstLine(), w.form.Memo1->LineAt(target));
        QVERIFY(w.pos() > 0);
        const std::uint32_t inColumns = w.form.PlaceRead();
        w.columns(false);
        QTRY_COMPARE(w.firstLine(), w.form.Memo1->LineAt(inColumns));
        QVERIFY(!w.form.ScrollBox1->Columns() && !w.form.Memo1->Columns());
    }

    void aLowerPageWrapsAgainKeepingThePlaceAndTellsScreenReaders() {
        Window w;
        w.show(Gbk(kIdeographs).repeated(400));
        w.columns(true);
        QAccessibleTextInterface* text =
            QAccessible::queryAccessibleInterface(w.form.PaintBox1->Widget())->textInterface();
        const std::uint32_t target = w.form.Memo1->LineStart(30) + 6;
        w.form.GoToPlace(target);
        QTRY_COMPARE(w.firstLine(), w.form.Memo1->LineAt(target));
        const int before = w.form.Memo1->Width();
        w.form.Widget()->resize(w.form.Widget()->width(), w.form.Widget()->height() - 120);
        QTRY_VERIFY(w.form.Memo1->Width() < before);
        QTRY_VERIFY(w.form.Memo1->Wrapped());
        QTRY_COMPARE(w.firstLine(), w.form.Memo1->LineAt(target));
        // The reader's lines are the new columns (the text is two-byte characters only).
        int start = 0, end = 0;
        text->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(end, static_cast<int>(w.form.Memo1->LineStart(1) / 2));
    }

    void anIdlePageIsNotPaintedOverAndOver() {
        Window w;
        w.show(Gbk(kIdeographs).repeated(40));
        w.columns(true);
        QTest::qWait(100);
        struct Counter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } counter;
        w.form.PaintBox1->Widget()->installEventFilter(&counter);
        QTest::qWait(300);
        QCOMPARE(counter.paints, 0);
        // A move paints again.
        QTest::keyClick(w.area(), Qt::Key_Left);
        QTRY_VERIFY(counter.paints > 0);
        w.form.PaintBox1->Widget()->removeEventFilter(&counter);
    }

    void pagingKeysAndAutoScrollGoLeftwards() {
        Window w;
        w.show(Gbk(kIdeographs).repeated(400));
        w.columns(true);
        QCOMPARE(w.pos(), 0);
        // The scroll bar lies below the page, its thumb at its right end at the start.
        auto* bar = w.form.ScrollBox1->Widget()->findChild<QScrollBar*>();
        QVERIFY(bar && bar->isVisible());
        QCOMPARE(bar->orientation(), Qt::Horizontal);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(bar->geometry().top() >= w.area()->geometry().bottom());
        // Page Down: the column at the left of the screen comes to its right edge, or one
        // near it (the pages overlap as rows do).
        const int width = w.form.ScrollBox1->ClientWidth(), pitch = w.form.LinePitch();
        QTest::keyClick(w.area(), Qt::Key_PageDown);
        const int onScreen = width / pitch;
        QVERIFY2(w.firstLine() >= onScreen - 3 && w.firstLine() < onScreen,
                 qPrintable(QString::number(w.firstLine())));
        const std::int64_t paged = w.pos();
        QTest::keyClick(w.area(), Qt::Key_Left);
        QVERIFY(w.pos() > paged);
        QTest::keyClick(w.area(), Qt::Key_Right);
        QCOMPARE(w.pos(), paged);
        QTest::keyClick(w.area(), Qt::Key_PageUp);
        QCOMPARE(w.pos(), 0);
        w.form.Timer1Timer(nullptr);
        QVERIFY(w.pos() > 0);
        QTest::keyClick(w.area(), Qt::Key_End);
        QCOMPARE(w.pos(), w.form.ScrollBox1->MaxVertPosition());
        // The last column stands at the left edge, the rest as many as fit.
        const int shown = w.form.Memo1->LineCount() - w.firstLine();
        QVERIFY2(shown == onScreen || shown == onScreen + 1, qPrintable(QString::number(shown)));
        QCOMPARE(bar->value(), 0);
        QTest::keyClick(w.area(), Qt::Key_Home);
        QCOMPARE(w.pos(), 0);
        // Dragging the thumb to the bar's left end goes to the text's end.
        bar->setValue(0);
        QCOMPARE(w.pos(), w.form.ScrollBox1->MaxVertPosition());
    }

    void aFoundHitIsMarkedDownItsColumn() {
        Window w;
        QByteArray text = Gbk(kIdeographs).repeated(40);
        w.show(text);
        w.columns(true);
        // A word that occurs once, in the middle of the ninth column.
        const std::uint32_t at = w.form.Memo1->LineStart(8) + 8;
        text.replace(at, 4, Gbk("寻找"));
        w.show(text);
        QCOMPARE(w.form.Memo1->LineStart(8) + 8, at);
        QTest::keyClick(w.area(), Qt::Key_F, Qt::ControlModifier);
        apptest::Type(w.form.FindBar()->Field(), QString::fromUtf8("寻找"));
        QTest::keyClick(w.form.FindBar()->Field(), Qt::Key_Return);
        QTRY_VERIFY(w.form.FoundHit());
        QCOMPARE(w.form.FoundHit()->offset, std::size_t{at});
        // The find bar took room below the page, which wrapped again at its new height: the
        // hit's column is where the wrap put it now, the page's second, one column of
        // context right of it.
        const int line = w.form.Memo1->LineAt(at);
        const int down = static_cast<int>(at - w.form.Memo1->LineStart(line)) / 2;
        QTRY_COMPARE(w.firstLine() + 1, line);
        const QImage grab = w.area()->grab().toImage();
        const QRgb mark = QApplication::palette().color(QPalette::Highlight).rgb();
        QRect marked;
        for (int y = 0; y < grab.height(); ++y)
            for (int x = 0; x < grab.width(); ++x)
                if (grab.pixel(x, y) == mark) marked |= QRect(x, y, 1, 1);
        const double em = w.form.Memo1->Metrics().em();
        const int cell = static_cast<int>(std::ceil(em));
        const ColumnPlace column =
            PlaceColumn(line, w.form.LinePitch(), cell, ColumnsRightEdge(grab.width(), w.pos()));
        // Two characters tall, one cell wide, in that column, as far down as the wrap says.
        QVERIFY(!marked.isEmpty());
        QCOMPARE(marked.left(), static_cast<int>(column.textLeft));
        QCOMPARE(marked.width(), cell);
        QVERIFY(std::abs(marked.height() - 2 * em) <= 1);
        const int top =
            PlaceColumns(w.form.ScrollBox1->Height(), w.form.BieJie->Checked()).top + kTextInset;
        QVERIFY2(
            std::abs(marked.top() - (top + down * em)) <= 1,
            qPrintable(QStringLiteral("%1 against %2").arg(marked.top()).arg(top + down * em)));
    }

    void aScreenReaderFindsTheColumnsRightToLeftInReadingOrder() {
        Window w;
        w.show(Gbk(kIdeographs).repeated(10));
        QAccessibleInterface* page =
            QAccessible::queryAccessibleInterface(w.form.PaintBox1->Widget());
        QVERIFY(page && page->textInterface());
        const QString rowsText =
            page->textInterface()->text(0, page->textInterface()->characterCount());
        w.columns(true);
        QAccessibleTextInterface* text = page->textInterface();
        QCOMPARE(text->text(0, text->characterCount()), rowsText);
        int start = 0, end = 0;
        text->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
        const QRect first = text->characterRect(0), second = text->characterRect(1),
                    nextColumn = text->characterRect(end);
        // Down the column, then the next column to its left, at the same height.
        QVERIFY(second.top() > first.top() && second.left() == first.left());
        QVERIFY(nextColumn.left() < first.left());
        QCOMPARE(nextColumn.top(), first.top());
        QCOMPARE(text->offsetAtPoint(nextColumn.center()), end);
    }

    void theLayoutIsKeptWithTheSettings() {
        apptest::TConfig config;
        {
            config.Open();
            Window w;
            w.columns(true);
            w.form.resetLookExecute(nullptr);
            QVERIFY(w.form.vertical->Checked());
            w.form.SaveSettings();
        }
        config.Open();
        Window w;
        QVERIFY(w.form.vertical->Checked());
        QVERIFY(w.form.ScrollBox1->Columns() && w.form.Memo1->Columns());
    }
};

QTEST_MAIN(ColumnsTest)
#include "columns_test.moc"
