// Reading a text while it still arrives and is wrapped: the page is as tall as the lines
// that exist, and paging and auto-scroll take what exists; when the rest comes, the page
// grows and they go on. The end key follows the text to its end, until another move. The
// producer is held back by the test, so what exists is known.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QAccessible>
#include <QScrollBar>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <thread>
#include <utility>

using namespace orlenth;

namespace {

// A novel-like text of about 3 MB, one display line per line.
QByteArray novelText() {
    QByteArray text;
    for (int i = 0; text.size() < 3'000'000; ++i)
        text +=
            UnicodeToDisplayBytes(QStringLiteral("天下大势，分久必合，合久必分。%1\r\n").arg(i));
    return text;
}

// `text` as a feed whose first 600 KB are there at once and the rest when `release` is set.
text::TextFeed heldFeed(const QByteArray& text, std::atomic<bool>& release) {
    text::TextFeed feed{QByteArray(text.size(), Qt::Uninitialized), 600'000,
                        [&release, text](text::TextSink& sink) {
                            while (!release && !sink.cancelled())
                                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                            std::memcpy(sink.data() + 600'000, text.constData() + 600'000,
                                        static_cast<std::size_t>(text.size()) - 600'000);
                            sink.publish(static_cast<std::size_t>(text.size()));
                        }};
    std::memcpy(feed.buffer.data(), text.constData(), 600'000);
    return feed;
}

} // namespace

class ArrivingTextTest : public QObject {
    Q_OBJECT

private slots:
    void readingTakesWhatExistsAndGoesOnWhenTheRestComes() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        const QByteArray text = novelText();
        // 600 KB are there at once; the rest waits for the test's word.
        std::atomic<bool> release = false;
        form.Memo1->SetText(heldFeed(text, release));
        form.PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();

        const int pitch = form.LinePitch();
        const int part = form.Memo1->LineCount();
        QVERIFY(part > 0);
        QVERIFY(!form.Memo1->Wrapped());
        QCOMPARE(form.PaintBox1->Height(), part * pitch);
        QWidget* area = form.ScrollBox1->ClientWidget();
        QTest::keyClick(area, Qt::Key_End);
        const std::int64_t end = form.ScrollBox1->VertPosition();
        QCOMPARE(end, 2 + part * pitch - form.ScrollBox1->ClientHeight());
        form.N8Click(nullptr); // page down at the end of what exists stays
        QCOMPARE(form.ScrollBox1->VertPosition(), end);
        form.Timer1Timer(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), end);

        release = true;
        QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
        // One display line for each line of the text.
        const int all = form.Memo1->FinalLineCount();
        QCOMPARE(all, static_cast<int>(text.count('\n')));
        QTRY_COMPARE(form.PaintBox1->Height(), all * pitch);
        QCOMPARE(form.ScrollBox1->VertPosition(), end);
        form.N8Click(nullptr);
        QVERIFY(form.ScrollBox1->VertPosition() > end);
        QTest::keyClick(area, Qt::Key_End);
        QCOMPARE(form.ScrollBox1->VertPosition(),
                 2 + all * pitch - form.ScrollBox1->ClientHeight());
        QCOMPARE(
            form.Memo1->Line(all - 1),
            UnicodeToDisplayBytes(QStringLiteral("天下大势，分久必合，合久必分。%1").arg(all - 1)));
    }

    // A screen reader reads what has arrived at once, nothing waits for the rest, and the
    // text it counts grows as the rest comes, every range far in reading as the text does.
    void aScreenReaderReadsWhatHasArrivedAndMoreAsItComes() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        const QByteArray text = novelText();
        const QString whole = DisplayTextToUnicode(text);
        std::atomic<bool> release = false;
        form.Memo1->SetText(heldFeed(text, release));
        QCoreApplication::processEvents();
        QAccessibleTextInterface* page =
            QAccessible::queryAccessibleInterface(form.PaintBox1->Widget())->textInterface();
        QVERIFY(page);
        // Each question counts a step further, as far as the lines wrapped so far reach.
        int count = 0;
        for (int before = -1; before != count;)
            before = std::exchange(count, page->characterCount());
        QVERIFY(count > 0 && count < 600'000);
        QVERIFY(!form.Memo1->Wrapped());
        QCOMPARE(page->text(count - 40, count), whole.mid(count - 40, 40));
        release = true;
        QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
        for (int before = -1; before != count;)
            before = std::exchange(count, page->characterCount());
        QCOMPARE(count, whole.size());
        int start = -1, end = -1;
        for (const int at : {count / 3, count - 1}) {
            QCOMPARE(page->text(at, at + 30), whole.mid(at, 30));
            const QString line = page->textAtOffset(at, QAccessible::LineBoundary, &start, &end);
            QCOMPARE(line, whole.mid(start, end - start));
            QVERIFY(start <= at && at < end && line.endsWith(u'\n'));
            QCOMPARE(whole.lastIndexOf(u'\n', at - 1) + 1, start);
            // Characters, words and sentences are found around the place, as they read.
            for (const auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary,
                                    QAccessible::SentenceBoundary}) {
                const QString item = page->textAtOffset(at, type, &start, &end);
                QVERIFY(start <= at && at < end && end - start < 200);
                QCOMPARE(item, whole.mid(start, end - start));
            }
        }
    }

    void endFollowsTheTextToItsLastLine() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        const QByteArray text = novelText();
        const int all = static_cast<int>(text.count('\n'));
        std::atomic<bool> release = false;
        form.Memo1->SetText(heldFeed(text, release));
        form.PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
        const int pitch = form.LinePitch();
        const int part = form.Memo1->LineCount();
        QVERIFY(part > 0 && part < all);

        // End returns at once, at the end of what exists: nothing waits for the rest.
        QWidget* area = form.ScrollBox1->ClientWidget();
        QTest::keyClick(area, Qt::Key_End);
        QVERIFY(form.ScrollBox1->FollowingEnd());
        const int client = form.ScrollBox1->ClientHeight();
        // The part held back may still be being wrapped: the page is as tall as the lines
        // wrapped when End was pressed, perhaps more than were counted before.
        QCOMPARE(form.ScrollBox1->VertPosition(), 2 + form.PaintBox1->Height64() - client);
        QVERIFY(form.PaintBox1->Height64() >= std::int64_t{part} * pitch);
        QVERIFY(form.PaintBox1->Height64() < std::int64_t{all} * pitch);
        QVERIFY(!form.Memo1->Wrapped());
        release = true;
        QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
        QTRY_COMPARE(form.PaintBox1->Height(), all * pitch);
        // The last page, its last line at the foot of the area, once the area has taken
        // the page's last height (its range follows in the same turn of the event loop or
        // the next, as the lines' arrival and the paint interleave).
        QTRY_COMPARE(form.ScrollBox1->VertPosition(), 2 + std::int64_t{all} * pitch - client);
        auto* bar = form.ScrollBox1->Widget()->findChild<QScrollBar*>();
        QCOMPARE(bar->value(), bar->maximum());
        QImage screen(form.ScrollBox1->Widget()->size(), QImage::Format_RGB32);
        form.ScrollBox1->Widget()->render(&screen);
        const int lastTop = client - pitch + 4;
        const int left = form.PaintBox1->Left() + 4;
        const QRgb paper = screen.pixel(left + 200, lastTop + 7);
        int ink = 0;
        for (int y = lastTop; y < lastTop + 14; ++y)
            for (int x = left; x < left + 42; ++x) ink += screen.pixel(x, y) != paper;
        QVERIFY(ink > 20);
    }

    // Any other move while following ends it: the page then stays where that move put it
    // as the rest of the text comes.
    void anyOtherMoveEndsTheFollowing_data() {
        QTest::addColumn<int>("move");
        QTest::newRow("a key") << 0;
        QTest::newRow("page up") << 1;
        QTest::newRow("the scroll bar") << 2;
        QTest::newRow("a click on a row") << 3;
    }

    void anyOtherMoveEndsTheFollowing() {
        QFETCH(int, move);
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        const QByteArray text = novelText();
        std::atomic<bool> release = false;
        form.Memo1->SetText(heldFeed(text, release));
        form.PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
        QWidget* area = form.ScrollBox1->ClientWidget();
        QTest::keyClick(area, Qt::Key_End);
        QVERIFY(form.ScrollBox1->FollowingEnd());
        const std::int64_t end = form.ScrollBox1->VertPosition();
        auto* bar = form.ScrollBox1->Widget()->findChild<QScrollBar*>();
        switch (move) {
        case 0:
            QTest::keyClick(area, Qt::Key_Up);
            break;
        case 1:
            QTest::keyClick(area, Qt::Key_PageUp);
            break;
        case 2:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case 3:
            form.ListBox1->SetItemIndex(1);
            form.ListBox1Click(nullptr);
            break;
        }
        QVERIFY(!form.ScrollBox1->FollowingEnd());
        const std::int64_t moved = form.ScrollBox1->VertPosition();
        QVERIFY(moved < end);
        release = true;
        QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
        QCoreApplication::processEvents();
        QCOMPARE(form.ScrollBox1->VertPosition(), moved);
    }
};

QTEST_MAIN(ArrivingTextTest)
#include "arriving_text_test.moc"
