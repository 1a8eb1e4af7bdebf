// Tool bars: the main window's two bars read from their description, laid out, clicked,
// and the drop-down button that opens the pop-up menu.

#include "commands_fixture.h"
#include "tests/support/FakeDialogs.h"

#include "framework/ui/Actions.h"
#include "framework/ui/CommonDialogs.h"
#include "framework/ui/Menus.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ToolBar.h"

#include "framework/ClassRegistry.h"
#include "framework/text/TextEncoding.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace orlenth;
using commandstest::TCommandsForm;
using testsupport::TDialogLog;

namespace {

// The main window's top bar and the components its buttons refer to, as the window's
// description stores them (the handlers trimmed to those the test window has).
const char* kTopBar = R"(
object Orlenth: TCommandsForm
  Width = 727
  Height = 466
  object Panel3: TPanel
    Left = 0
    Top = 0
    Width = 709
    Height = 24
    Align = alTop
    BevelOuter = bvNone
    ParentColor = true
    TabOrder = 2
    object ToolBar1: TToolBar
      Left = 0
      Top = 0
      Width = 263
      Height = 24
      Align = alLeft
      AutoSize = true
      ButtonHeight = 21
      ButtonWidth = 33
      Customizable = true
      EdgeBorders = []
      Flat = true
      ShowCaptions = true
      TabOrder = 0
      object ToolButton3: TToolButton
        Left = 0
        Top = 0
        Caption = "菜单"
        DropdownMenu = PopupMenu1
        Style = tbsDropDown
      end
      object ToolButton9: TToolButton
        Left = 33
        Top = 0
        Width = 8
        Style = tbsSeparator
      end
      object ToolButton1: TToolButton
        Left = 41
        Top = 0
        Hint = "改变文本字体"
        Caption = "字体"
        Style = tbsButton
        OnClick = changeFntExecute
      end
      object ToolButton2: TToolButton
        Left = 74
        Top = 0
        Hint = "改变文本背景色"
        Caption = "背景"
        Style = tbsButton
        OnClick = ToolButton5Click
      end
      object ToolButton8: TToolButton
        Left = 107
        Top = 0
        Width = 8
        Style = tbsSeparator
      end
      object ToolButton4: TToolButton
        Left = 115
        Top = 0
        Hint = "隐藏或显示列表框"
        Caption = "隐藏"
        Style = tbsButton
        OnClick = ycList1Execute
      end
      object ToolButton10: TToolButton
        Left = 148
        Top = 0
        Width = 8
        Style = tbsSeparator
      end
      object ToolButton5: TToolButton
        Left = 156
        Top = 0
        Caption = "前进"
        Style = tbsButton
        OnClick = ToolButton5Click
      end
      object ToolButton6: TToolButton
        Left = 189
        Top = 0
        Caption = "后退"
        Style = tbsButton
        OnClick = ToolButton5Click
      end
      object ToolButton11: TToolButton
        Left = 222
        Top = 0
        Width = 8
        Style = tbsSeparator
      end
      object ToolButton7: TToolButton
        Left = 230
        Top = 0
        Action = gunp
        Style = tbsButton
      end
    end
    object ToolBar2: TToolBar
      Left = 537
      Top = 0
      Width = 92
      Height = 24
      Align = alRight
      AutoSize = true
      ButtonHeight = 21
      ButtonWidth = 46
      EdgeBorders = []
      Flat = true
      ShowCaptions = true
      TabOrder = 2
      Transparent = true
      object ToolButton13: TToolButton
        Left = 0
        Top = 0
        Caption = "上翻页"
        Style = tbsButton
        OnClick = N7Click
      end
      object ToolButton12: TToolButton
        Left = 46
        Top = 0
        Caption = "下翻页"
        Style = tbsButton
        OnClick = N8Click
      end
    end
  end
  object FontDialog1: TFontDialog
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = "MS Sans Serif"
    Font.Style = []
    Device = fdScreen
    MinFontSize = 0
    MaxFontSize = 0
    Options = [fdEffects]
    Left = 384
    Top = 27
  end
  object ColorDialog1: TColorDialog
    Options = [cdFullOpen]
    Left = 420
    Top = 27
  end
  object PopupMenu1: TPopupMenu
    AutoHotkeys = maManual
    Left = 456
    Top = 27
    object N5: TMenuItem
      Action = gunp
    end
    object N8: TMenuItem
      Caption = "下翻页"
      OnClick = N8Click
    end
  end
  object ActionList1: TActionList
    Left = 492
    Top = 27
    object gunp: TAction
      Caption = "滚屏"
      Hint = "开始或结束滚屏"
      ShortCut = 13
      OnExecute = ToolButton7Click
    end
  end
end
)";

class ToolBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterColorIdents();
        RegisterClass<TPanel>();
        RegisterClass<TToolBar>();
        RegisterClass<TToolButton>();
        RegisterClass<TPopupMenu>();
        RegisterClass<TMenuItem>();
        RegisterClass<TActionList>();
        RegisterClass<TAction>();
        RegisterClass<TFontDialog>();
        RegisterClass<TColorDialog>();
        ReadComponent(ParseDescriptionText(kTopBar, ".", "topbar.txt"), form);
        form.Widget()->resize(719, 432);
        bar1 = qobject_cast<TToolBar*>(form.FindComponent("ToolBar1"));
        bar2 = qobject_cast<TToolBar*>(form.FindComponent("ToolBar2"));
        ASSERT_TRUE(bar1 && bar2);
    }
    void TearDown() override { SetDialogs(nullptr); }

    TToolButton* button(const char* name) {
        return qobject_cast<TToolButton*>(form.FindComponent(name));
    }
    std::vector<int> lefts(TToolBar& bar) {
        std::vector<int> v;
        for (TControl* c : bar.Ordered())
            if (c->Visible()) v.push_back(c->Left());
        return v;
    }

    TDialogLog& log = testsupport::InstallFakeDialogs();
    TCommandsForm form;
    TToolBar* bar1 = nullptr;
    TToolBar* bar2 = nullptr;
};

} // namespace

TEST_F(ToolBarTest, ReadsEveryStoredPropertyAndReference) {
    EXPECT_TRUE(bar1->AutoSize() && bar1->Customizable() && bar1->Flat() && bar1->ShowCaptions());
    EXPECT_EQ(bar1->EdgeBorders(), TToolBar::TEdgeBorders());
    EXPECT_FALSE(bar1->Transparent());
    EXPECT_TRUE(bar2->Transparent());
    EXPECT_EQ(bar1->ButtonHeight(), 21);
    auto* menu = qobject_cast<TPopupMenu*>(form.FindComponent("PopupMenu1"));
    EXPECT_EQ(button("ToolButton3")->DropdownMenu(), menu);
    EXPECT_EQ(button("ToolButton3")->Style(), TToolButton::tbsDropDown);
    EXPECT_EQ(button("ToolButton7")->Action(), form.FindComponent("gunp"));
    EXPECT_EQ(GbkToUnicode(button("ToolButton7")->Caption().toStdString()),
              QString::fromUtf8("滚屏"));
    EXPECT_EQ(button("ToolButton9")->Style(), TToolButton::tbsSeparator);
    EXPECT_EQ(button("ToolButton1")->ImageIndex(), -1);

    auto* fonts = qobject_cast<TFontDialog*>(form.FindComponent("FontDialog1"));
    auto* colours = qobject_cast<TColorDialog*>(form.FindComponent("ColorDialog1"));
    ASSERT_TRUE(fonts && colours);
    EXPECT_EQ(fonts->Font()->Height(), -11);
    EXPECT_EQ(fonts->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(fonts->Options(), TFontDialog::fdEffects);
    EXPECT_EQ(fonts->DesignLeft(), 384);
    EXPECT_EQ(colours->Options(), TColorDialog::cdFullOpen);
    EXPECT_EQ(colours->DesignTop(), 27);
}

TEST_F(ToolBarTest, ButtonsAreLaidOutLeftToRightAndTheBarFitsThem) {
    EXPECT_EQ(lefts(*bar1), (std::vector<int>{0, 33, 41, 74, 107, 115, 148, 156, 189, 222, 230}));
    EXPECT_EQ(bar1->Width(), 263);
    EXPECT_EQ(button("ToolButton3")->Widget()->geometry(), QRect(0, 0, 33, 21));
    EXPECT_EQ(button("ToolButton8")->Widget()->geometry(), QRect(107, 0, 8, 21));
    EXPECT_EQ(lefts(*bar2), (std::vector<int>{0, 46}));
    EXPECT_EQ(bar2->Width(), 92);
    EXPECT_EQ(bar2->Widget()->geometry(), QRect(719 - 92, 0, 92, 24)) << "aligned right in Panel3";

    // A hidden button gives up its place; the bar shrinks with it and grows back.
    button("ToolButton4")->SetVisible(false);
    EXPECT_EQ(lefts(*bar1), (std::vector<int>{0, 33, 41, 74, 107, 115, 123, 156, 189, 197}));
    EXPECT_EQ(bar1->Width(), 230);
    button("ToolButton4")->SetVisible(true);
    EXPECT_EQ(bar1->Width(), 263);

    // Wider buttons and an edge on the left move everything.
    bar2->SetButtonWidth(50);
    bar2->SetEdgeBorders(TToolBar::ebLeft | TToolBar::ebTop);
    EXPECT_EQ(button("ToolButton13")->Widget()->geometry(), QRect(2, 2, 50, 21));
    EXPECT_EQ(button("ToolButton12")->Left(), 52);
    EXPECT_EQ(bar2->Width(), 102);
}

TEST_F(ToolBarTest, TheDropDownButtonOpensItsMenuBelowItself) {
    auto* drop = button("ToolButton3");
    log.pick = 1; // 下翻页
    drop->Click();
    ASSERT_EQ(log.menuPositions.size(), 1u);
    EXPECT_EQ(log.menuPositions[0], drop->Widget()->mapToGlobal(QPoint(0, 21)));
    EXPECT_EQ(form.calls, (std::vector<std::string>{"N8Click(N8)"}));

    // The same with the mouse: the menu opens on the press.
    form.Widget()->show();
    log.pick = 0; // the scroll action
    QTest::mousePress(drop->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(drop->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(log.menuPositions.size(), 2u);
    EXPECT_EQ(form.calls.back(), "ToolButton7Click(gunp)");
    EXPECT_EQ(form.calls.size(), 2u) << "the release does not click again";
}

TEST_F(ToolBarTest, ClicksRunTheHandlerOrElseTheAction) {
    form.Widget()->show();
    QTest::mouseClick(button("ToolButton13")->Widget(), Qt::LeftButton, {}, QPoint(10, 10));
    button("ToolButton7")->Click();
    button("ToolButton9")->Click(); // a separator
    // A press that leaves the button before the release is no click.
    QTest::mousePress(button("ToolButton1")->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button("ToolButton1")->Widget(), Qt::LeftButton, {}, QPoint(50, 5));
    auto* gunp = qobject_cast<TAction*>(form.FindComponent("gunp"));
    gunp->SetEnabled(false);
    button("ToolButton7")->Click();
    EXPECT_EQ(form.calls,
              (std::vector<std::string>{"N7Click(ToolButton13)", "ToolButton7Click(gunp)"}));

    // A checked action presses its button; the application may also press one itself.
    gunp->SetChecked(true);
    EXPECT_TRUE(button("ToolButton7")->Down());
    button("ToolButton4")->SetDown(true);
    EXPECT_TRUE(button("ToolButton4")->Down());
}

TEST_F(ToolBarTest, CheckButtonsToggleAndGroupsKeepOneDown) {
    auto* a = button("ToolButton5");
    auto* b = button("ToolButton6");
    for (auto* x : {a, b}) {
        x->SetStyle(TToolButton::tbsCheck);
        x->SetGrouped(true);
    }
    a->Click();
    EXPECT_TRUE(a->Down());
    b->Click();
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down()) << "one down in a group";
    b->Click();
    EXPECT_TRUE(b->Down()) << "a group stays with one down";
    b->SetAllowAllUp(true);
    b->Click();
    EXPECT_FALSE(b->Down());
    // A check button outside a group just toggles.
    auto* c = button("ToolButton1");
    c->SetStyle(TToolButton::tbsCheck);
    c->Click();
    c->Click();
    EXPECT_FALSE(c->Down());
    EXPECT_EQ(form.calls.size(), 6u) << "every click also ran the handler";
}
