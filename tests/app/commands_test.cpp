// The main window's commands as a user gives them: keys, the pop-up menu, the toggles,
// the dialogs, paging. Offscreen platform; dialogs answer through the fake seam.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QtTest>

using namespace orlenth;

namespace {

// The window at its stored size, shown, with every pending layout done.
void showAtDesignSize(TOrlenth& form) {
    form.Show();
    QCoreApplication::processEvents();
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void enterTogglesAutoScrollWhereverTheFocusIs() {
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        form.ListBox1->Widget()->setFocus();
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return);
        QVERIFY(form.Timer1->Enabled());
        QVERIFY(form.gunp->Checked());
        QVERIFY(form.ToolButton7->Down());
        QVERIFY(form.TrackBar1->Visible());
        QCOMPARE(form.TrackBar1->Position(), 150);
        // A tick moves the page two pixels.
        form.Timer1->Fire("OnTimer", Q_ARG(orlenth::TComponent*, form.Timer1));
        QCOMPARE(form.ScrollBox1->VertPosition(), 2);
        form.TrackBar1->SetPosition(1);
        QCOMPARE(form.Timer1->Interval(), 1);
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Enter);
        QVERIFY(!form.Timer1->Enabled());
        QVERIFY(!form.gunp->Checked());
        QVERIFY(!form.TrackBar1->Visible());
    }

    void pagingAtTheDesignSize() {
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        QCOMPARE(form.ScrollBox1->ClientHeight(), 396);
        QVERIFY(form.ScrollBox1->VertRange() > 1000);
        form.N8Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), 354);
        form.N7Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);
        // Near the end a page down lands exactly on it.
        form.ScrollBox1->SetVertPosition(form.ScrollBox1->MaxVertPosition() - 100);
        form.N8Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), form.ScrollBox1->MaxVertPosition());
    }

    void steppingRunsOnAcrossCategories() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.ListBox1->SetItemIndex(form.ListBox1->Count() - 1);
        form.ToolButton5Click(nullptr);
        QCOMPARE(form.TabSet1->TabIndex(), 1);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        form.ToolButton6Click(nullptr);
        QCOMPARE(form.TabSet1->TabIndex(), 0);
        QCOMPARE(form.ListBox1->ItemIndex(), 26);
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);
        form.ListBox1->SetItemIndex(0);
        form.ToolButton6Click(nullptr); // first title of the first tab: nothing
        QCOMPARE(form.TabSet1->TabIndex(), 0);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
    }

    void rightClickOnPageOrMarginOpensTheMenu() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        for (QWidget* w : {form.PaintBox1->Widget(), form.ScrollBox1->Widget()}) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3),
                                    w->mapToGlobal(QPoint(3, 3)));
            QCoreApplication::sendEvent(w, &event);
        }
        QCOMPARE(rec.menuPositions.size(), std::size_t{2});
    }

    void borderMarginsAndListToggles() {
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        const int w = form.ScrollBox1->Width();
        auto frameAt = [&] {
            QImage page(form.PaintBox1->Width(), 40, QImage::Format_RGB32);
            form.PaintBox1->Widget()->render(&page, {}, QRegion(0, 0, page.width(), 40));
            return page.pixel(0, 20) == qRgb(0, 0, 0);
        };
        QVERIFY(!frameAt());
        form.visBK->Execute();
        QVERIFY(form.visBK->Checked());
        QVERIFY(frameAt());
        form.visBK->Execute();
        QVERIFY(!frameAt());

        form.BieJie->Execute();
        QCOMPARE(form.PaintBox1->Width(), w - 40);
        QCOMPARE(form.PaintBox1->Left(), 16);
        form.BieJie->Execute();
        QCOMPARE(form.PaintBox1->Width(), 2 * w / 3);

        form.ycList1->Execute();
        QCoreApplication::processEvents();
        QVERIFY(!form.Panel1->Visible());
        QVERIFY(!form.Splitter1->Visible());
        QVERIFY(form.ToolButton4->Down());
        QVERIFY(form.ScrollBox1->Width() > w);
        QCOMPARE(form.PaintBox1->Width(), 2 * form.ScrollBox1->Width() / 3);
        form.ycList1->Execute();
        QCoreApplication::processEvents();
        QVERIFY(form.Panel1->Visible());
        QCOMPARE(form.Splitter1->Left(), form.Panel1->Left() + form.Panel1->Width());
        QCOMPARE(form.ScrollBox1->Width(), w);
    }

    void fontDialogChangesPitchAndLines() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        const int lines = form.Memo1->LineCount();
        const int height = form.PaintBox1->Font()->Height();
        rec.editFont = [](QFont& f, QColor&) { f.setPointSize(16); };
        form.changeFnt->Execute(); // cancelled: nothing changes
        QCOMPARE(form.LinePitch(), 31);
        QCOMPARE(form.PaintBox1->Font()->Height(), height);
        rec.confirm = true;
        form.changeFnt->Execute();
        QCOMPARE(form.PaintBox1->Font()->Height(), -21);
        QCOMPARE(form.Memo1->Font()->Height(), -21);
        QCOMPARE(form.LinePitch(), 36);
        form.PaintBox1Paint(nullptr);
        QVERIFY(form.Memo1->LineCount() > lines);
        QCOMPARE(form.PaintBox1->Height(), form.Memo1->LineCount() * 36);
    }

    void colourCommandsChangeOnlyOnConfirmation() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        const int page = form.PaintBox1->Color();
        rec.editColor = [](QColor& c) { c = QColor(10, 20, 30); };
        form.changBJcolor->Execute(); // cancelled
        QCOMPARE(form.PaintBox1->Color(), page);
        rec.confirm = true;
        form.changBJcolor->Execute();
        QCOMPARE(form.PaintBox1->Color(), 0x001E140A);
        form.chageBYse->Execute();
        QCOMPARE(form.ScrollBox1->Color(), 0x001E140A);
        form.chageBKColor->Execute();
        QCOMPARE(form.PaintBox1->Canvas()->Pen()->Color(), 0x001E140A);
    }

    void hintsShowAsTooltips() {
        apptest::SetUpProgram();
        TOrlenth form;
        QCOMPARE(form.ToolButton1->Widget()->toolTip(), QString::fromUtf8("改变文本字体"));
        QCOMPARE(form.ToolButton7->Widget()->toolTip(), QString::fromUtf8("开始或结束滚屏"));
        QCOMPARE(form.ToolButton5->Widget()->toolTip(), QString());
        QCOMPARE(form.Image1->Widget()->toolTip(), QString::fromUtf8("关于我们"));
        QCOMPARE(form.TrackBar1->Widget()->toolTip(), QString::fromUtf8("滚屏速度(左:快;右:慢)"));
        // The window shows no hints of its own: the list has none to show anyway.
        QCOMPARE(form.ListBox1->Widget()->toolTip(), QString());
    }

    void aboutOpensModallyAndAltF4Closes() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        QTest::mouseClick(form.Image1->Widget(), Qt::LeftButton);
        QCOMPARE(rec.modalWindows.back(), QStringLiteral("aboutKestrow"));
        QVERIFY(form.Widget()->isVisible());
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_F4, Qt::AltModifier);
        QVERIFY(!form.Widget()->isVisible());
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
