// The main window's commands as a user gives them: keys, the pop-up menu, the toggles,
// the dialogs, paging. Offscreen platform; dialogs answer through the fake seam.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Colors.h"
#include "framework/ui/CommonDialogs.h"
#include "framework/ui/Menus.h"
#include "framework/ui/Panel.h"
#include "framework/ui/Timer.h"
#include "framework/ui/ToolBar.h"
#include "library/WJKStringListItem.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QImage>
#include <QtTest>

#include <functional>
#include <memory>
#include <utility>

using namespace orlenth;

namespace {

// The window at its stored size, shown, with every pending layout done.
void showAtDesignSize(TOrlenth& form) {
    form.Show();
    QCoreApplication::processEvents();
}

// The visible controls' lefts, in the bar's order.
std::vector<int> lefts(TToolBar& bar) {
    std::vector<int> v;
    for (TControl* c : bar.Ordered())
        if (c->Visible()) v.push_back(c->Left());
    return v;
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void enterTogglesAutoScrollWhereverTheFocusIs() {
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        form.TrackBar1->SetPosition(200);
        QCOMPARE(form.Timer1->Interval(), 200);
        // Slider and timer apart: the start must bring the slider to the timer.
        form.Timer1->SetInterval(40);
        form.ListBox1->Widget()->setFocus();
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return);
        QVERIFY(form.Timer1->Enabled());
        QVERIFY(form.gunp->Checked());
        QVERIFY(form.ToolButton7->Down());
        QVERIFY(form.TrackBar1->Visible());
        QCOMPARE(form.TrackBar1->Position(), 40);
        QCOMPARE(form.Timer1->Interval(), 40);
        // The real timer moves the page, two pixels a tick.
        QTRY_VERIFY(form.ScrollBox1->VertPosition() > 0);
        QCOMPARE(form.ScrollBox1->VertPosition() % 2, 0);
        form.TrackBar1->SetPosition(1);
        QCOMPARE(form.Timer1->Interval(), 1);
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Enter);
        QVERIFY(!form.Timer1->Enabled());
        QVERIFY(!form.gunp->Checked());
        QVERIFY(!form.TrackBar1->Visible());
        const int stopped = form.ScrollBox1->VertPosition();
        QTest::qWait(30);
        QCOMPARE(form.ScrollBox1->VertPosition(), stopped);
    }

    // Without a timer left, the start is reported and neither the check nor the slider
    // follows; the timer counts as running, so the next Enter only stops it.
    void timerStartFailureIsReported() {
        apptest::TDialogLog& log = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        TTimer::SetStarter([](QObject&, int) { return 0; });
        // A failed comparison returns early; the next test must have its timers.
        const std::shared_ptr<void> restore(nullptr, [](void*) { TTimer::SetStarter(nullptr); });
        const QString expected = QStringLiteral("Not enough timers available.");
        for (const bool expectRunning : {true, false, true}) {
            const std::size_t boxes = log.boxes.size();
            QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return);
            QCOMPARE(form.Timer1->Enabled(), expectRunning);
            QVERIFY(!form.gunp->Checked());
            QVERIFY(!form.TrackBar1->Visible());
            QCOMPARE(log.boxes.size(), boxes + (expectRunning ? 1 : 0));
            if (expectRunning) QCOMPARE(log.boxes.back().text, expected);
        }
        TTimer::SetStarter(nullptr);
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return);
        QVERIFY(!form.Timer1->Enabled());
        QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return);
        QVERIFY(form.Timer1->Enabled() && form.gunp->Checked() && form.TrackBar1->Visible());
    }

    void pagingAtTheDesignSize() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        QCOMPARE(form.ScrollBox1->ClientHeight(), 396);
        QVERIFY(form.ScrollBox1->VertRange() > 1000);
        form.N8Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), 354);
        form.N7Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);
        // More than a screen down, page up goes back a screen less the overlap of 42.
        form.ScrollBox1->SetVertPosition(600);
        form.N7Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), 600 - 396 + 42);
        // Near the end a page down lands exactly on it.
        form.ScrollBox1->SetVertPosition(form.ScrollBox1->MaxVertPosition() - 100);
        form.N8Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), form.ScrollBox1->MaxVertPosition());

        // With a 16-point font the overlap is 2 × 16 + 20 = 52.
        rec.confirm = true;
        rec.editFont = [](QFont& f, QColor&) { f.setPointSize(16); };
        form.changeFnt->Execute();
        form.PaintBox1Paint(nullptr);
        QCOMPARE(form.PageFontPoints(), 16);
        form.ScrollBox1->SetVertPosition(0);
        form.N8Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), 396 - 52);
        form.ScrollBox1->SetVertPosition(600);
        QCOMPARE(form.ScrollBox1->VertPosition(), 600);
        form.N7Click(nullptr);
        QCOMPARE(form.ScrollBox1->VertPosition(), 600 - 396 + 52);
    }

    void steppingRunsOnAcrossCategories() {
        apptest::SetUpProgram();
        TOrlenth form;
        // The article on the page is the one the selection names.
        auto shows = [&](int tab, int row, TWJKStringList* list) {
            QCOMPARE(form.TabSet1->TabIndex(), tab);
            QCOMPARE(form.ListBox1->ItemIndex(), row);
            QCOMPARE(form.ArticleText(),
                     QByteArray::fromStdString(list->GetArrayItem(row + 1)->GetList().Text()));
        };
        form.ToolButton5Click(nullptr);
        shows(0, 1, form.WJKStringList0);
        form.ToolButton6Click(nullptr);
        shows(0, 0, form.WJKStringList0);
        form.ListBox1->SetItemIndex(form.ListBox1->Count() - 1);
        form.ToolButton5Click(nullptr);
        shows(1, 0, form.WJKStringList1);
        form.ScrollBox1->SetVertPosition(100);
        form.ToolButton6Click(nullptr);
        shows(0, 26, form.WJKStringList0);
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);
        form.ListBox1->SetItemIndex(0);
        form.ListBox1Click(nullptr);
        form.ToolButton6Click(nullptr); // first title of the first tab: nothing
        shows(0, 0, form.WJKStringList0);
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
        QVERIFY(frameAt());
        form.visBK->Execute();
        QVERIFY(!frameAt());

        form.BieJie->Execute();
        QCOMPARE(form.PaintBox1->Width(), w - 40);
        QCOMPARE(form.PaintBox1->Left(), 16);
        QCOMPARE(form.Memo1->Width(), w - 48);
        form.BieJie->Execute();
        QCOMPARE(form.PaintBox1->Width(), 2 * w / 3);

        form.ycList1->Execute();
        QCoreApplication::processEvents();
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
        const int engineHeight = form.Memo1->Font()->Height();
        rec.editFont = [](QFont& f, QColor&) { f.setPointSize(16); };
        form.changeFnt->Execute(); // cancelled: nothing changes
        QCOMPARE(rec.offeredFont.pointSize(), 11);
        QCOMPARE(form.LinePitch(), 31);
        QCOMPARE(form.PaintBox1->Font()->Height(), height);
        QCOMPARE(form.Memo1->Font()->Height(), engineHeight);
        form.PaintBox1Paint(nullptr);
        QCOMPARE(form.Memo1->LineCount(), lines);
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
        // Each command offers the colour it changes, then takes the choice.
        const std::pair<TAction*, std::function<int()>> commands[] = {
            {form.changBJcolor, [&] { return form.PaintBox1->Color(); }},
            {form.chageBYse, [&] { return form.ScrollBox1->Color(); }},
            {form.chageBKColor, [&] { return form.PaintBox1->Canvas()->Pen()->Color(); }},
        };
        for (const auto& [action, colour] : commands) {
            const int before = colour();
            QVERIFY(before != 0x001E140A);
            action->Execute();
            QCOMPARE(rec.offeredColor, ToQColor(before, QGuiApplication::palette()));
            QCOMPARE(colour(), 0x001E140A);
        }
    }

    void toolBarsAreReadAndLaidOutAsDescribed() {
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        TToolBar* bar1 = form.ToolBar1;
        TToolBar* bar2 = form.ToolBar2;
        QVERIFY(bar1->AutoSize() && bar1->Customizable() && bar1->Flat() && bar1->ShowCaptions());
        QCOMPARE(bar1->EdgeBorders(), TToolBar::TEdgeBorders());
        QVERIFY(!bar1->Transparent());
        QVERIFY(bar2->Transparent());
        QCOMPARE(bar1->ButtonHeight(), 21);
        QCOMPARE(form.ToolButton3->Style(), TToolButton::tbsDropDown);
        QCOMPARE(form.ToolButton9->Style(), TToolButton::tbsSeparator);
        QCOMPARE(form.ToolButton1->ImageIndex(), -1);
        QCOMPARE(form.FontDialog1->Font()->Height(), -11);
        QCOMPARE(form.FontDialog1->Font()->Name(), QByteArray("MS Sans Serif"));
        QCOMPARE(form.FontDialog1->Options(),
                 TFontDialog::TFontDialogOptions(TFontDialog::fdEffects));
        QCOMPARE(form.FontDialog1->DesignLeft(), 384);
        QCOMPARE(form.ColorDialog1->Options(),
                 TColorDialog::TColorDialogOptions(TColorDialog::cdFullOpen));
        QCOMPARE(form.ColorDialog1->DesignTop(), 27);

        QCOMPARE(lefts(*bar1),
                 (std::vector<int>{0, 33, 41, 74, 107, 115, 148, 156, 189, 222, 230}));
        QCOMPARE(bar1->Width(), 263);
        QCOMPARE(form.ToolButton3->Widget()->geometry(), QRect(0, 0, 33, 21));
        QCOMPARE(form.ToolButton8->Widget()->geometry(), QRect(107, 0, 8, 21));
        QCOMPARE(lefts(*bar2), (std::vector<int>{0, 46}));
        QCOMPARE(bar2->Width(), 92);
        // Aligned right in the strip above the page, left of the logo.
        QCOMPARE(form.Image1->Left() + form.Image1->Width(), form.Panel3->Width());
        QCOMPARE(bar2->Widget()->geometry(), QRect(form.Image1->Left() - 92, 0, 92, 24));

        // A hidden button gives up its place; the bar shrinks with it and grows back.
        form.ToolButton4->SetVisible(false);
        QCOMPARE(lefts(*bar1), (std::vector<int>{0, 33, 41, 74, 107, 115, 123, 156, 189, 197}));
        QCOMPARE(bar1->Width(), 230);
        form.ToolButton4->SetVisible(true);
        QCOMPARE(bar1->Width(), 263);
        // Wider buttons and an edge on the left move everything.
        bar2->SetButtonWidth(50);
        bar2->SetEdgeBorders(TToolBar::ebLeft | TToolBar::ebTop);
        QCOMPARE(form.ToolButton13->Widget()->geometry(), QRect(2, 2, 50, 21));
        QCOMPARE(form.ToolButton12->Left(), 52);
        QCOMPARE(bar2->Width(), 102);
    }

    void menuButtonOpensThePopUpMenuBelowItself() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        TToolButton* drop = form.ToolButton3;
        // The menu opens on the press, and the release does not open it again (a second
        // choice of the toggle would turn scrolling off).
        rec.pick = 0; // 滚屏
        QTest::mousePress(drop->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(drop->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(rec.menuPositions.size(), std::size_t{1});
        QCOMPARE(rec.menuPositions[0], drop->Widget()->mapToGlobal(QPoint(0, 21)));
        QVERIFY(form.Timer1->Enabled());
    }

    void toolButtonsRunTheirHandlerOrElseTheirAction() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        form.ToolButton7->Click();
        // A press that leaves the button before the release is no click.
        QTest::mousePress(form.ToolButton1->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(form.ToolButton1->Widget(), Qt::LeftButton, {}, QPoint(50, 5));
        QVERIFY(!rec.owner); // no font dialog was offered
        form.gunp->SetEnabled(false);
        form.ToolButton7->Click();
        QVERIFY(form.Timer1->Enabled());
    }

    void hintsShowAsTooltips() {
        apptest::SetUpProgram();
        TOrlenth form;
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
