// Reading a text while it still arrives and is wrapped: the page is as tall as the lines
// that exist, and paging, the end key and auto-scroll take what exists; when the rest
// comes, the page grows and they go on. The producer is held back by the test, so what
// exists is known.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QtTest>

#include <atomic>
#include <cstring>
#include <thread>

using namespace orlenth;

class ArrivingTextTest : public QObject {
    Q_OBJECT

private slots:
    void readingTakesWhatExistsAndGoesOnWhenTheRestComes() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QByteArray text;
        for (int i = 0; text.size() < 3'000'000; ++i)
            text += UnicodeToDisplayBytes(
                QStringLiteral("天下大势，分久必合，合久必分。%1\r\n").arg(i));
        // 600 KB are there at once; the rest waits for the test's word.
        std::atomic<bool> release = false;
        text::TextFeed feed{QByteArray(text.size(), Qt::Uninitialized), 600'000,
                            [&](text::TextSink& sink) {
                                while (!release && !sink.cancelled())
                                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                std::memcpy(sink.data() + 600'000, text.constData() + 600'000,
                                            static_cast<std::size_t>(text.size()) - 600'000);
                                sink.publish(static_cast<std::size_t>(text.size()));
                            }};
        std::memcpy(feed.buffer.data(), text.constData(), 600'000);
        form.Memo1->SetText(std::move(feed));
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
};

QTEST_MAIN(ArrivingTextTest)
#include "arriving_text_test.moc"
