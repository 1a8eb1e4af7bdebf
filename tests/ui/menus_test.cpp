// Pop-up menus: what they show and how a chosen item runs.

#include "commands_fixture.h"
#include "tests/support/FakeDialogs.h"

#include "framework/ui/Accessibility.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Menus.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <QAccessible>
#include <QMenu>
#include <gtest/gtest.h>

using namespace orlenth;
using commandstest::TCommandsForm;
using testsupport::TDialogLog;

namespace {

// Made up to show the rules: an item with only an action, one with only a handler, a
// separator, one with both and a caption of its own.
const char* kMenu = R"(
object Form: TCommandsForm
  object Menu: TPopupMenu
    AutoHotkeys = maManual
    object Plain: TMenuItem
      Action = Go
    end
    object Own: TMenuItem
      Caption = "B"
      OnClick = Second
    end
    object Gap: TMenuItem
      Caption = "-"
    end
    object Both: TMenuItem
      Caption = "A&B"
      Action = Go
      OnClick = Third
    end
  end
  object Actions: TActionList
    object Go: TAction
      Caption = "C"
      ShortCut = 13
      OnExecute = First
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
        menu = qobject_cast<TPopupMenu*>(form.FindComponent("Menu"));
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
    ASSERT_EQ(menu->Count(), 4);
    EXPECT_EQ(menu->Item(3)->Name(), "Both");
    EXPECT_EQ(menu->Item(3)->Owner(), &form) << "items belong to the window";
    EXPECT_EQ(menu->Item(3)->Menu(), menu);
    EXPECT_THROW(menu->Item(4), EListError);

    menu->Popup(QPoint(40, 50));
    ASSERT_EQ(log.menuTexts.size(), 1u);
    EXPECT_EQ(log.menuPositions[0], QPoint(40, 50));
    EXPECT_EQ(log.menuTexts[0], (QStringList{"C\tEnter", "B", "-", "A&&B\tEnter"}))
        << "manual hot keys show '&' as itself; an item's own caption beats its action's";

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
        {"action_only", 0, "First(Go)"},
        {"handler_only", 1, "Second(Own)"},
        {"handler_wins_over_action", 3, "Third(Both)"},
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
    auto* own = menu->Item(1);
    own->SetChecked(true);
    log.pick = 1;
    menu->Popup(QPoint(1, 1));
    // Qt would toggle a checkable action when chosen; the item's state is what counts.
    EXPECT_TRUE(own->Checked());
    EXPECT_TRUE(own->QtAction()->isChecked());
    own->SetChecked(false);
    EXPECT_FALSE(own->QtAction()->isCheckable()) << "no check column for unchecked items";
}

TEST_F(MenuTest, DisabledAndHiddenItems) {
    auto* own = menu->Item(1);
    own->SetEnabled(false);
    own->Click();
    log.pick = 1;
    menu->Popup(QPoint(1, 1));
    EXPECT_TRUE(form.calls.empty());
    own->SetEnabled(true);
    own->SetVisible(false);
    EXPECT_FALSE(own->QtAction()->isVisible());
}

TEST_F(MenuTest, ItemsLeaveTheMenuWhenDestroyedAndTheMenuLeavesItsItems) {
    delete menu->Item(1);
    ASSERT_EQ(menu->Count(), 3);
    EXPECT_EQ(menu->Item(1)->Name(), "Gap");
    log.pick = 2;
    menu->Popup(QPoint(1, 1));
    EXPECT_EQ(form.calls, (std::vector<std::string>{"Third(Both)"}));
    auto* both = qobject_cast<TMenuItem*>(form.FindComponent("Both"));
    delete menu;
    EXPECT_EQ(both->Menu(), nullptr);
    both->Click();
    EXPECT_EQ(form.calls.size(), 2u) << "the item still runs on its own";
}

// What a screen reader meets while the menu is open: a pop-up menu, last among its window's
// children, with its items named as they read, checked as shown, pressed as chosen.
TEST_F(MenuTest, ScreenReadersMeetTheOpenMenuAndPressItsItems) {
    InstallAccessibility();
    menu->Item(1)->SetChecked(true);
    menu->Item(3)->SetEnabled(false);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form.Widget());
    const int closed = window->childCount();
    struct Seen {
        QAccessible::Role role;
        QString name;
        QStringList actions;
        QStringList keys;
        bool checked, disabled;
    };
    std::vector<Seen> seen;
    bool lastChild = false, parentIsWindow = false;
    log.whileOpen = [&](QMenu& qtMenu) {
        QAccessibleInterface* open = QAccessible::queryAccessibleInterface(&qtMenu);
        ASSERT_TRUE(open);
        EXPECT_EQ(open->role(), QAccessible::PopupMenu);
        lastChild = window->childCount() == closed + 1 && window->child(closed) == open &&
                    window->indexOfChild(open) == closed;
        parentIsWindow = open->parent() == window;
        for (int i = 0; i < open->childCount(); ++i) {
            QAccessibleInterface* item = open->child(i);
            QAccessibleActionInterface* act = item->actionInterface();
            const QStringList actions = act->actionNames();
            seen.push_back({item->role(), item->text(QAccessible::Name), actions,
                            act->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
                            bool(item->state().checked), bool(item->state().disabled)});
        }
        // Pressing 'B' chooses it: the menu closes, and the item runs once it has.
        open->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(form.calls.empty()) << "not while the menu is open";
    };
    menu->Popup(QPoint(1, 1));
    EXPECT_TRUE(lastChild);
    EXPECT_TRUE(parentIsWindow);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"Second(Own)"}));
    EXPECT_EQ(window->childCount(), closed) << "a closed menu is no child";
    const QStringList press{QAccessibleActionInterface::pressAction()};
    ASSERT_EQ(seen.size(), 4u);
    struct Row {
        const char* name;
        QAccessible::Role role;
        const char* spoken;
        QStringList actions;
        QStringList keys;
        bool checked, disabled;
    } rows[] = {
        {"action_only", QAccessible::MenuItem, "C", press, {"Enter"}, false, false},
        {"checked", QAccessible::MenuItem, "B", press, {}, true, false},
        {"separator", QAccessible::Separator, "", {}, {}, false, false},
        {"disabled_ampersand_as_itself", QAccessible::MenuItem, "A&B", {}, {}, false, true},
    };
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(seen[i].role, r.role) << r.name;
        EXPECT_EQ(seen[i].name, QString::fromUtf8(r.spoken)) << r.name;
        EXPECT_EQ(seen[i].actions, r.actions) << r.name;
        EXPECT_EQ(seen[i].keys, r.keys) << r.name;
        EXPECT_EQ(seen[i].checked, r.checked) << r.name;
        EXPECT_EQ(seen[i].disabled, r.disabled) << r.name;
    }
    // Automatic hot keys: '&' marks the key, and is not read.
    menu->SetAutoHotkeys(TPopupMenu::maAutomatic);
    menu->Item(3)->SetEnabled(true);
    QString automatic;
    log.whileOpen = [&](QMenu& qtMenu) {
        automatic =
            QAccessible::queryAccessibleInterface(&qtMenu)->child(3)->text(QAccessible::Name);
    };
    menu->Popup(QPoint(1, 1));
    EXPECT_EQ(automatic, "AB");
}

// A menu hung from an item (as 编码 and 简繁 are) is that item's child while the menu is
// open, its items named, checked and pressed as the menu's own are; a pressed item runs
// once the menus have closed.
TEST_F(MenuTest, ScreenReadersMeetASubmenuAndPressItsItems) {
    InstallAccessibility();
    QMenu sub;
    QAction* plain = sub.addAction(QStringLiteral("&Plain\tCtrl+P"));
    QAction* ticked = sub.addAction(QStringLiteral("Ticked"));
    ticked->setCheckable(true);
    ticked->setChecked(true);
    std::vector<QString> triggered;
    QObject::connect(plain, &QAction::triggered, [&] { triggered.push_back("Plain"); });
    menu->Item(0)->QtAction()->setMenu(&sub);
    struct Seen {
        QString name;
        QStringList actions;
        bool checked;
    };
    std::vector<Seen> seen;
    QStringList holderActions;
    bool parentIsHolder = false;
    log.whileOpen = [&](QMenu& qtMenu) {
        QAccessibleInterface* holder = QAccessible::queryAccessibleInterface(&qtMenu)->child(0);
        ASSERT_EQ(holder->childCount(), 1);
        holderActions = holder->actionInterface()->actionNames();
        QAccessibleInterface* open = holder->child(0);
        EXPECT_EQ(open->role(), QAccessible::PopupMenu);
        parentIsHolder = open->parent() == holder && holder->indexOfChild(open) == 0;
        for (int i = 0; i < open->childCount(); ++i)
            seen.push_back({open->child(i)->text(QAccessible::Name),
                            open->child(i)->actionInterface()->actionNames(),
                            bool(open->child(i)->state().checked)});
        open->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(triggered.empty()) << "not while the menu is open";
    };
    menu->Popup(QPoint(1, 1));
    EXPECT_EQ(holderActions, QStringList{QAccessibleActionInterface::showMenuAction()});
    EXPECT_TRUE(parentIsHolder);
    EXPECT_EQ(triggered, std::vector<QString>{"Plain"});
    const QStringList press{QAccessibleActionInterface::pressAction()};
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].name, "Plain");
    EXPECT_EQ(seen[0].actions, press);
    EXPECT_FALSE(seen[0].checked);
    EXPECT_EQ(seen[1].name, "Ticked");
    EXPECT_TRUE(seen[1].checked);
    EXPECT_TRUE(form.calls.empty()) << "the item that holds the menu does not run";
}
