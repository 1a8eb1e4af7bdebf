// Pop-up menus: what they show, how a chosen item runs, and item shortcuts.

#include "commands_fixture.h"
#include "tests/support/FakeDialogs.h"

#include "framework/ui/Actions.h"
#include "framework/ui/Menus.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace orlenth;
using commandstest::TCommandsForm;
using testsupport::TDialogLog;

namespace {

const char* kMenu = R"(
object Form: TCommandsForm
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
    object N6: TMenuItem
      Caption = "-"
    end
    object N16: TMenuItem
      Caption = "A&B"
      Action = gunp
      OnClick = N7Click
    end
    object N15: TMenuItem
      Caption = "退出"
      ShortCut = 32883
      OnClick = N15Click
    end
  end
  object ActionList1: TActionList
    object gunp: TAction
      Caption = "滚屏"
      ShortCut = 13
      OnExecute = ToolButton7Click
    end
  end
end
)";

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterClass<TAction>();
        RegisterClass<TActionList>();
        RegisterClass<TMenuItem>();
        RegisterClass<TPopupMenu>();
        ReadComponent(ParseDescriptionText(kMenu, ".", "menu.txt"), form);
        menu = qobject_cast<TPopupMenu*>(form.FindComponent("PopupMenu1"));
        ASSERT_NE(menu, nullptr);
    }
    void TearDown() override { SetDialogs(nullptr); }

    TDialogLog& log = testsupport::InstallFakeDialogs();
    TCommandsForm form;
    TPopupMenu* menu = nullptr;
};

} // namespace

TEST_F(MenuTest, ShowsItsItemsAsStored) {
    EXPECT_EQ(menu->AutoHotkeys(), TPopupMenu::maManual);
    EXPECT_EQ(menu->DesignLeft(), 456);
    ASSERT_EQ(menu->Count(), 5);
    EXPECT_EQ(menu->Item(4)->Name(), "N15");
    EXPECT_EQ(menu->Item(4)->Owner(), &form) << "items belong to the window";
    EXPECT_EQ(menu->Item(4)->Menu(), menu);
    EXPECT_THROW(menu->Item(5), EListError);

    menu->Popup(QPoint(40, 50));
    ASSERT_EQ(log.menuTexts.size(), 1u);
    EXPECT_EQ(log.menuPositions[0], QPoint(40, 50));
    EXPECT_EQ(log.menuTexts[0],
              (QStringList{QString::fromUtf8("滚屏\tEnter"), QString::fromUtf8("下翻页"), "-",
                           QString::fromUtf8("A&&B\tEnter"), QString::fromUtf8("退出\tAlt+F4")}))
        << "manual hot keys show '&' as itself";

    menu->SetAutoHotkeys(TPopupMenu::maAutomatic);
    menu->Popup(QPoint(0, 0));
    EXPECT_EQ(log.menuTexts[1][3], "A&B\tEnter") << "automatic: '&' marks the key";
    EXPECT_TRUE(form.calls.empty()) << "nothing chosen, nothing run";
}

TEST_F(MenuTest, TheChosenItemRunsItsHandlerOrElseItsAction) {
    struct Row {
        const char* name;
        int pick;
        const char* call;
    } rows[] = {
        {"action_only", 0, "ToolButton7Click(gunp)"},
        {"handler_only", 1, "N8Click(N8)"},
        {"handler_wins_over_action", 3, "N7Click(N16)"},
        {"own_shortcut_item", 4, "N15Click(N15)"},
    };
    for (const auto& r : rows) {
        form.calls.clear();
        log.pick = r.pick;
        menu->Popup(QPoint(1, 1));
        EXPECT_EQ(form.calls, (std::vector<std::string>{r.call})) << r.name;
    }
    form.calls.clear();
    log.pick = 2;
    menu->Popup(QPoint(1, 1));
    EXPECT_TRUE(form.calls.empty()) << "a separator runs nothing";
}

TEST_F(MenuTest, CheckedItemsStayAsTheItemSays) {
    auto* n8 = menu->Item(1);
    n8->SetChecked(true);
    log.pick = 1;
    menu->Popup(QPoint(1, 1));
    // Qt would toggle a checkable action when chosen; the item's state is what counts.
    EXPECT_TRUE(n8->Checked());
    EXPECT_TRUE(n8->QtAction()->isChecked());
    n8->SetChecked(false);
    EXPECT_FALSE(n8->QtAction()->isCheckable()) << "no check column for unchecked items";
}

TEST_F(MenuTest, DisabledAndHiddenItems) {
    auto* n8 = menu->Item(1);
    n8->SetEnabled(false);
    n8->Click();
    log.pick = 1;
    menu->Popup(QPoint(1, 1));
    EXPECT_TRUE(form.calls.empty());
    n8->SetEnabled(true);
    n8->SetVisible(false);
    EXPECT_FALSE(n8->QtAction()->isVisible());
}

TEST_F(MenuTest, ItemShortCutWorksAnywhereInTheWindow) {
    auto* edit = new QLineEdit(form.Widget());
    form.Widget()->resize(200, 100);
    form.Widget()->show();
    form.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"N15Click(N15)"}));
    // Two items bound to one action: the action serves the key once.
    form.calls.clear();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"ToolButton7Click(gunp)"}));
}

TEST_F(MenuTest, ItemsLeaveTheMenuWhenDestroyedAndTheMenuLeavesItsItems) {
    delete menu->Item(1);
    ASSERT_EQ(menu->Count(), 4);
    EXPECT_EQ(menu->Item(1)->Name(), "N6");
    log.pick = 3;
    menu->Popup(QPoint(1, 1));
    EXPECT_EQ(form.calls, (std::vector<std::string>{"N15Click(N15)"}));
    auto* n15 = qobject_cast<TMenuItem*>(form.FindComponent("N15"));
    delete menu;
    EXPECT_EQ(n15->Menu(), nullptr);
    n15->Click();
    EXPECT_EQ(form.calls.size(), 2u) << "the item still runs on its own";
}
