// The main window's commands as a user gives them: keys, the pop-up menu, the toggles,
// the dialogs, paging. Offscreen platform; dialogs answer through the fake seam.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Colors.h"
#include "framework/ui/CommonDialogs.h"
#include "framework/ui/FontChooser.h"
#include "framework/ui/Memo.h"
#include "framework/ui/Menus.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/Panel.h"
#include "framework/ui/Timer.h"
#include "framework/ui/ToolBar.h"
#include "framework/ui/ToolBarCustomizer.h"
#include "library/WJKStringListItem.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
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

// The top bar's pieces on screen, in the top bar's coordinates: the banner, the slider and
// every button shown. `fault` names a button shown beyond the end of its bar.
std::vector<QRect> shownInTopBar(TOrlenth& form, QString& fault) {
    QWidget* top = form.Panel3->Widget();
    std::vector<QRect> out;
    for (TControl* c :
         {static_cast<TControl*>(form.Image1), static_cast<TControl*>(form.TrackBar1)})
        if (c->Widget()->isVisibleTo(top)) out.push_back(c->Widget()->geometry());
    for (TToolBar* bar : {form.ToolBar1, form.ToolBar2})
        for (TControl* c : bar->Controls()) {
            QWidget* w = c->Widget();
            if (!w->isVisibleTo(top)) continue;
            if (!QRect(QPoint(), bar->Widget()->size()).contains(w->geometry()))
                fault = QString::fromStdString(c->Name()) + QStringLiteral(" cut off");
            out.push_back(QRect(w->mapTo(top, QPoint()), w->size()));
        }
    return out;
}

// The names of the bar's controls in their order; `fault` says where they do not lie side
// by side from its left end, all shown, with the bar as wide as they are together.
std::vector<std::string> laidOutNames(TToolBar& bar, QString& fault) {
    std::vector<std::string> names;
    int x = 0;
    for (TControl* c : bar.Ordered()) {
        names.push_back(c->Name());
        if (c->Left() != x || c->Widget()->geometry() != c->Bounds() ||
            !c->Widget()->isVisibleTo(bar.Widget()))
            fault = QString::fromStdString(c->Name()) + QStringLiteral(" misplaced");
        x += c->Width();
    }
    if (bar.Width() != x) fault = QStringLiteral("bar %1 wide for %2").arg(bar.Width()).arg(x);
    return names;
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
        const std::int64_t stopped = form.ScrollBox1->VertPosition();
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

    // The font dialog opens on the page font, and OK on the untouched dialog gives the
    // page back as it was; a colour chosen in it colours the text.
    void fontDialogOpensOnThePageFontAndKeepsItUntouched() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        TFont* page = form.PaintBox1->Font();
        rec.confirm = true;
        rec.editFont = [](QFont& f, QColor& c) {
            TFontChooser chooser;
            chooser.SetCurrentFont(f);
            chooser.SetColor(c);
            f = chooser.CurrentFont();
            c = chooser.Color();
        };
        const QImage before = form.PaintBox1->Widget()->grab().toImage();
        const QFont engineFont = form.Memo1->Font()->PageFont();
        const int color = page->Color();
        form.changeFnt->Execute();
        QCOMPARE(rec.offeredFont.family(), GbkToUnicode(page->Name().toStdString()));
        QCOMPARE(rec.offeredFont.family(), QString::fromUtf8("宋体"));
        QCOMPARE(rec.offeredFont.pointSize(), page->SizeInPoints());
        QVERIFY(!rec.offeredFont.bold() && !rec.offeredFont.italic());
        QCOMPARE(rec.offeredColor, ToQColor(color, form.PaintBox1->Widget()->palette()));
        QCOMPARE(page->Name(), apptest::Gbk("宋体"));
        QCOMPARE(page->Height(), -14);
        QCOMPARE(page->Color(), color);
        QCOMPARE(form.Memo1->Font()->PageFont(), engineFont);
        QCoreApplication::processEvents();
        QCOMPARE(form.PaintBox1->Widget()->grab().toImage(), before);

        auto reds = [&] {
            const QImage img = form.PaintBox1->Widget()->grab().toImage();
            int n = 0; // glyph edges blend into the page colour: red well above the rest
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QColor c = img.pixelColor(x, y);
                    n += c.red() > c.green() + 80 && c.red() > c.blue() + 80;
                }
            return n;
        };
        QCOMPARE(reds(), 0);
        rec.editFont = [](QFont&, QColor& c) { c = QColor(200, 0, 0); };
        form.changeFnt->Execute();
        QCOMPARE(page->Color(), 0x000000C8);
        QCoreApplication::processEvents();
        QVERIFY(reds() > 0);
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

    // The top bar through narrow widths and back: what does not fit is hidden meanwhile,
    // nothing overlaps, and at the design size every button is back, pixel for pixel.
    void topBarComesBackAfterAnyWidth() {
        apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        QWidget* window = form.Widget();
        const QSize design = window->size();
        QCOMPARE(design, QSize(719, 432));
        const QImage start = form.Panel3->Widget()->grab().toImage();
        struct Step {
            int width;
            bool scrolling;
        };
        const Step steps[] = {
            {300, false}, {design.width(), false}, {520, true}, {120, true}, {design.width(), true},
            {0, false},   {design.width(), false}};
        for (const auto [width, scrolling] : steps) {
            if (form.gunp->Checked() != scrolling)
                QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Return);
            QCOMPARE(form.TrackBar1->Visible(), scrolling);
            window->resize(width, design.height());
            QCoreApplication::processEvents();
            QString fault;
            const std::vector<QRect> shown = shownInTopBar(form, fault);
            for (std::size_t i = 0; i < shown.size(); ++i)
                for (std::size_t j = i + 1; j < shown.size(); ++j)
                    if (shown[i].intersects(shown[j])) fault = QStringLiteral("overlap");
            QVERIFY2(fault.isEmpty(), qPrintable(fault + QStringLiteral(" at %1").arg(width)));
            if (width != design.width()) continue;
            QCOMPARE(shown.size(), std::size_t(1 + scrolling + 11 + 2));
            if (!scrolling) QCOMPARE(form.Panel3->Widget()->grab().toImage(), start);
        }
    }

    // Customizing the left bar, opened by a double click on the bar's free part (a double
    // click on a button only clicks it): each command applies at once, reset restores.
    void toolBarCustomizingRearrangesAndResets() {
        apptest::TDialogLog& log = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        TToolBar* bar = form.ToolBar1;
        QString fault;
        const std::vector<std::string> stored = laidOutNames(*bar, fault);
        const std::size_t modals = log.modalWindows.size(); // the splash window's
        QTest::mouseDClick(form.ToolButton5->Widget(), Qt::LeftButton);
        QCOMPARE(log.modalWindows.size(), modals);

        auto rowOf = [](const std::vector<TControl*>& list, TControl* c) {
            return int(std::find(list.begin(), list.end(), c) - list.begin());
        };
        struct Step {
            const char* what;
            std::function<void(TToolBarCustomizer&)> run;
            std::vector<std::string> expected;
        };
        const std::vector<Step> steps{
            {"remove 前进",
             [&](TToolBarCustomizer& d) {
                 d.CurrentList()->setCurrentRow(rowOf(d.Current(), form.ToolButton5));
                 d.Remove();
             },
             {"ToolButton3", "ToolButton9", "ToolButton1", "ToolButton2", "ToolButton8",
              "ToolButton4", "ToolButton10", "ToolButton6", "ToolButton11", "ToolButton7"}},
            {"move 后退 up",
             [&](TToolBarCustomizer& d) {
                 d.CurrentList()->setCurrentRow(rowOf(d.Current(), form.ToolButton6));
                 d.MoveUp();
             },
             {"ToolButton3", "ToolButton9", "ToolButton1", "ToolButton2", "ToolButton8",
              "ToolButton4", "ToolButton6", "ToolButton10", "ToolButton11", "ToolButton7"}},
            {"move 菜单 down, remove a separator",
             [&](TToolBarCustomizer& d) {
                 d.CurrentList()->setCurrentRow(0);
                 d.MoveDown();
                 d.CurrentList()->setCurrentRow(rowOf(d.Current(), form.ToolButton11));
                 d.Remove();
             },
             {"ToolButton9", "ToolButton3", "ToolButton1", "ToolButton2", "ToolButton8",
              "ToolButton4", "ToolButton6", "ToolButton10", "ToolButton7"}},
            {"add 前进 before 滚屏",
             [&](TToolBarCustomizer& d) {
                 d.AvailableList()->setCurrentRow(rowOf(d.Available(), form.ToolButton5));
                 d.CurrentList()->setCurrentRow(rowOf(d.Current(), form.ToolButton7));
                 d.Add();
             },
             {"ToolButton9", "ToolButton3", "ToolButton1", "ToolButton2", "ToolButton8",
              "ToolButton4", "ToolButton6", "ToolButton10", "ToolButton5", "ToolButton7"}},
            {"reset", [](TToolBarCustomizer& d) { d.Reset(); }, stored},
        };
        // What each step left: the bar's order, and any fault of the bar or the dialog.
        std::vector<std::pair<std::vector<std::string>, QString>> after;
        log.modalLoop = [&](QWidget& window) {
            auto* dialog = qobject_cast<TToolBarCustomizer*>(&window);
            if (!dialog) return 0;
            for (QLabel* label : dialog->findChildren<QLabel*>())
                if (!label->buddy()) fault = label->text() + QStringLiteral(" has no buddy");
            for (const Step& step : steps) {
                step.run(*dialog);
                QString stepFault;
                auto names = laidOutNames(*bar, stepFault);
                if (dialog->Current() != bar->Ordered() ||
                    dialog->CurrentList()->count() != int(dialog->Current().size()) ||
                    dialog->Current().size() + dialog->Available().size() != bar->Stored().size())
                    stepFault = QStringLiteral("dialog lists out of step");
                for (TControl* c : dialog->Available())
                    if (c->Widget()->isVisible()) stepFault = QStringLiteral("removed one shown");
                after.emplace_back(std::move(names), stepFault);
            }
            return 1;
        };
        // The bar's free part: the strip below its buttons.
        QTest::mouseDClick(bar->Widget(), Qt::LeftButton, {}, QPoint(3, bar->Height() - 1));
        QCOMPARE(log.modalWindows.size(), modals + 1);
        QCOMPARE(log.modalWindows.back(), QStringLiteral("ToolBarCustomizer"));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(after.size(), steps.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            QVERIFY2(after[i].second.isEmpty(), steps[i].what);
            QVERIFY2(after[i].first == steps[i].expected, steps[i].what);
        }
        QCOMPARE(shownInTopBar(form, fault).size(), std::size_t(1 + 11 + 2));
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

    // Enter and leave come only with pointer motion; after a menu or a click's action the
    // raised frame shows where the pointer is now.
    void hoverFrameFollowsThePointerAfterAMenuOrAClick() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        showAtDesignSize(form);
        const auto enter = [](TToolButton* b) {
            QEnterEvent e(QPointF(5, 5), QPointF(5, 5), b->Widget()->mapToGlobal(QPointF(5, 5)));
            QCoreApplication::sendEvent(b->Widget(), &e);
            return b->Hot();
        };
        QCursor::setPos(form.Widget()->mapToGlobal(QPoint(300, 300)));
        QCoreApplication::processEvents();
        rec.pick = 1; // 下翻页
        QVERIFY(enter(form.ToolButton3));
        QTest::mousePress(form.ToolButton3->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(rec.menuPositions.size(), std::size_t{1});
        QVERIFY(!form.ToolButton3->Hot());
        QTest::mouseRelease(form.ToolButton3->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!form.ToolButton3->Hot());

        const int article = form.ListBox1->ItemIndex();
        QVERIFY(enter(form.ToolButton5));
        QTest::mouseClick(form.ToolButton5->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(form.ListBox1->ItemIndex(), article + 1);
        QVERIFY(!form.ToolButton5->Hot());
        // Still over the button, the frame stays.
        QCursor::setPos(form.ToolButton5->Widget()->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::processEvents();
        QVERIFY(enter(form.ToolButton5));
        QTest::mouseClick(form.ToolButton5->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(form.ListBox1->ItemIndex(), article + 2);
        QVERIFY(form.ToolButton5->Hot());
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
