// The main window's keys, focus and controls as a user meets them: what a click on a tool
// button leaves the keys with, the speed slider's keys, the Tab order after customizing
// the left bar, the font dialog's size and faces. Offscreen platform; dialogs answer
// through the fake seam.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Actions.h"
#include "framework/ui/FontChooser.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/Timer.h"
#include "framework/ui/ToolBar.h"
#include "framework/ui/ToolBarCustomizer.h"
#include "framework/ui/TrackBar.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QListWidget>
#include <QtTest>

using namespace orlenth;

namespace {

void showAtDesignSize(TOrlenth& form) {
    form.Show();
    QVERIFY(QTest::qWaitForWindowActive(form.Widget()));
    QCoreApplication::processEvents();
}

// A long article, so that every paging key has room to move.
void longArticle(TOrlenth& form) {
    QByteArray text;
    for (int i = 0; i < 300; ++i) text += apptest::Gbk("天下大势，分久必合，合久必分。\r\n");
    form.Memo1->SetText(text);
    form.PaintBox1Paint(nullptr);
    QCoreApplication::processEvents();
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    // After a click on any button of either bar the page still has the keys.
    void toolButtonClicksLeaveTheKeysOnThePage_data() {
        QTest::addColumn<QString>("button");
        for (const char* name : {"ToolButton12", "ToolButton13", "ToolButton5", "ToolButton6",
                                 "ToolButton4", "ToolButton7"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void toolButtonClicksLeaveTheKeysOnThePage() {
        QFETCH(QString, button);
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        QWidget* area = form.ScrollBox1->ClientWidget();
        QTest::mouseClick(form.PaintBox1->Widget(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(QApplication::focusWidget(), area);
        auto* b = qobject_cast<TToolButton*>(form.FindComponent(button.toStdString()));
        QVERIFY(b);
        QTest::mouseClick(b->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), area);
        // Whatever the click did, Page Down and the arrows still move the page.
        form.Timer1->SetEnabled(false);
        longArticle(form);
        form.ScrollBox1->SetVertPosition(0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        const std::int64_t paged = form.ScrollBox1->VertPosition();
        QVERIFY(paged > 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(form.ScrollBox1->VertPosition(), paged + form.ScrollBox1->LineStep());
        // The buttons are still stops of the Tab key.
        QVERIFY(b->Widget()->focusPolicy() & Qt::TabFocus);
    }

    // Space pages down as Page Down does.
    void spaceOnThePagePagesDown() {
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        longArticle(form);
        QWidget* area = form.ScrollBox1->ClientWidget();
        QTest::mouseClick(form.PaintBox1->Widget(), Qt::LeftButton, {}, QPoint(20, 20));
        form.ScrollBox1->SetVertPosition(0);
        QTest::keyClick(area, Qt::Key_PageDown);
        const std::int64_t one = form.ScrollBox1->VertPosition();
        QCOMPARE(one, std::int64_t{form.ScrollBox1->ClientHeight()} - 42);
        QTest::keyClick(area, Qt::Key_Space);
        QCOMPARE(form.ScrollBox1->VertPosition(), 2 * one);
        QTest::keyClick(area, Qt::Key_PageUp);
        QCOMPARE(form.ScrollBox1->VertPosition(), one);
    }

    // The speed slider, focused while the page scrolls by itself: arrows move it by its
    // line size, Page Up/Down by its page size, up and right toward the slow end.
    void speedSliderKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("move");
        QTest::newRow("right") << int(Qt::Key_Right) << 10;
        QTest::newRow("left") << int(Qt::Key_Left) << -10;
        QTest::newRow("up") << int(Qt::Key_Up) << 10;
        QTest::newRow("down") << int(Qt::Key_Down) << -10;
        QTest::newRow("page_up") << int(Qt::Key_PageUp) << 30;
        QTest::newRow("page_down") << int(Qt::Key_PageDown) << -30;
    }
    void speedSliderKeys() {
        QFETCH(int, key);
        QFETCH(int, move);
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return);
        QVERIFY(form.TrackBar1->Visible());
        QCOMPARE(form.TrackBar1->LineSize(), 10);
        QCOMPARE(form.TrackBar1->PageSize(), 30);
        QWidget* slider = form.TrackBar1->Widget();
        QTest::mouseClick(slider, Qt::LeftButton, {}, slider->rect().center());
        QCOMPARE(QApplication::focusWidget(), slider);
        const int start = form.TrackBar1->Position();
        QTest::keyClick(slider, Qt::Key(key));
        QCOMPARE(form.TrackBar1->Position(), start + move);
        // The position is the timer's interval: left is faster.
        QCOMPARE(form.Timer1->Interval(), start + move);
        QVERIFY(form.Timer1->Enabled());
        // Its tooltip says so, and screen readers hear what it is.
        QVERIFY(slider->toolTip().contains(QString::fromUtf8("左:快")));
        QCOMPARE(slider->accessibleName(), QString::fromUtf8("滚屏速度"));
    }

    // After customizing the left bar, opened from the pop-up menu, the Tab key follows the
    // buttons as they stand: a moved button and one taken off and put back are reached in
    // their new places, and the slider and the right bar still follow.
    void tabFollowsTheCustomizedBar() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return); // the slider shows
        const auto rowOf = [](const std::vector<TControl*>& list, TControl* c) {
            return int(std::find(list.begin(), list.end(), c) - list.begin());
        };
        rec.modalLoop = [&](QWidget& window) {
            auto* d = qobject_cast<TToolBarCustomizer*>(&window);
            if (!d) return 0;
            d->CurrentList()->setCurrentRow(rowOf(d->Current(), form.ToolButton1));
            d->Remove(); // 字体 off
            d->CurrentList()->setCurrentRow(rowOf(d->Current(), form.ToolButton5));
            while (d->CurrentList()->currentRow() > 0) d->MoveUp(); // 前进 first
            d->AvailableList()->setCurrentRow(rowOf(d->Available(), form.ToolButton1));
            d->CurrentList()->setCurrentRow(rowOf(d->Current(), form.ToolButton7));
            d->Add(); // 字体 back, before 滚屏
            return 1;
        };
        int item = 0;
        while (form.PopupMenu1->Item(item) != form.N4) ++item;
        rec.pick = item + 1; // the item after 隐藏列表框
        form.PopupMenu1->Popup(QPoint(0, 0));
        QCOMPARE(rec.menuTexts.back()[item + 1], QString::fromUtf8("工具栏设置..."));
        QCOMPARE(rec.modalWindows.back(), QStringLiteral("ToolBarCustomizer"));

        QWidget* area = form.ScrollBox1->ClientWidget();
        area->setFocus();
        QStringList reached;
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* w = QApplication::focusWidget();
            if (w == form.TabSet1->Widget()) break;
            TControl* c = TControl::OfWidget(w);
            reached << (c ? QString::fromStdString(c->Name()) : w->metaObject()->className());
        }
        QCOMPARE(reached, (QStringList{"ToolButton5", "ToolButton3", "ToolButton2", "ToolButton4",
                                       "ToolButton6", "ToolButton1", "ToolButton7", "TrackBar1",
                                       "ToolButton13", "ToolButton12"}));
        // As shown: the bar's own order, left to right.
        QStringList shown;
        for (TControl* c : form.ToolBar1->Ordered())
            if (c->Widget()->focusPolicy() != Qt::NoFocus)
                shown << QString::fromStdString(c->Name());
        QCOMPARE(reached.mid(0, shown.size()), shown);
    }

    // A face picked in the font dialog is the face that draws the page, and the dialog
    // opened again shows it; the Song face the page starts with is still called 宋体.
    void pickedFaceDrawsAndIsShownAgain_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("stored");
        QTest::newRow("second_song_face") << "AR PL UMing TW"
                                          << "AR PL UMing TW";
        QTest::newRow("second_kai_face") << "AR PL UKai TW"
                                         << "AR PL UKai TW";
        QTest::newRow("kai_face") << "AR PL UKai CN" << QString::fromUtf8("楷体_GB2312");
        QTest::newRow("song_face") << "AR PL UMing CN" << QString::fromUtf8("宋体");
    }
    void pickedFaceDrawsAndIsShownAgain() {
        QFETCH(QString, picked);
        QFETCH(QString, stored);
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        if (!QFontDatabase::families().contains(picked)) QSKIP("the face is not installed");
        TFont* page = form.PaintBox1->Font();
        QCOMPARE(QFontInfo(page->PageFont()).family(), QStringLiteral("AR PL UMing CN"));
        // The dialog as the user sees it: the face it shows, and the one picked in it.
        QString shown;
        QString pick = picked;
        rec.confirm = true;
        rec.editFont = [&](QFont& f, QColor& c) {
            TFontChooser chooser;
            chooser.SetCurrentFont(f);
            chooser.SetColor(c);
            auto* families = chooser.findChild<QListWidget*>("families");
            shown = families->currentItem() ? families->currentItem()->text() : QString();
            if (pick.isEmpty()) return;
            const QList<QListWidgetItem*> row = families->findItems(pick, Qt::MatchExactly);
            if (!row.isEmpty()) families->setCurrentItem(row.front());
            f = chooser.CurrentFont();
        };
        form.changeFnt->Execute();
        QCOMPARE(shown, QString::fromUtf8("宋体"));
        QCOMPARE(DisplayTextToUnicode(page->Name()), stored);
        QCOMPARE(QFontInfo(page->PageFont()).family(), picked);
        QCOMPARE(QFontInfo(form.Memo1->Font()->PageFont()).family(), picked);
        // Opened again and left alone: it shows the face in use and keeps it.
        pick.clear();
        form.changeFnt->Execute();
        QCOMPARE(shown, stored);
        QCOMPARE(DisplayTextToUnicode(page->Name()), stored);
        QCOMPARE(QFontInfo(page->PageFont()).family(), picked);
    }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
