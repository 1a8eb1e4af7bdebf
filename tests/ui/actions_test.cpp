// Actions: shortcut values, the link rules with menu items and tool buttons, Execute, and
// shortcuts that work anywhere in the window.

#include "commands_fixture.h"

#include "framework/ui/Actions.h"
#include "framework/ui/Menus.h"
#include "framework/ui/ShortCut.h"
#include "framework/ui/ToolBar.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace orlenth;
using commandstest::TCommandsForm;

namespace {

void registerCommandClasses() {
    RegisterClass<TAction>();
    RegisterClass<TActionList>();
    RegisterClass<TMenuItem>();
    RegisterClass<TPopupMenu>();
    RegisterClass<TToolBar>();
    RegisterClass<TToolButton>();
}

// Made up to show the link rules: clients that show their action's values and clients
// with values of their own.
const char* kLinked = R"(
object Form: TCommandsForm
  object Bar: TToolBar
    object Pressed: TToolButton
      Action = Go
    end
    object Kept: TToolButton
      Caption = "K"
      Hint = "KH"
      Action = Hide
    end
  end
  object Menu: TPopupMenu
    object Renamed: TMenuItem
      Action = Hide
      Caption = "R"
    end
    object Follows: TMenuItem
      Action = Go
    end
  end
  object Actions: TActionList
    object Hide: TAction
      Caption = "H"
      OnExecute = Second
    end
    object Go: TAction
      Caption = "G"
      Hint = "GH"
      ShortCut = 13
      OnExecute = First
    end
    object Set: TAction
      Caption = "S"
      Checked = true
      OnExecute = Third
    end
  end
end
)";

template <class T> T* find(TComponent& form, const char* name) {
    return qobject_cast<T*>(form.FindComponent(name));
}

} // namespace

TEST(ShortCuts, ValuesKeySequencesAndTexts) {
    struct Row {
        const char* name;
        int value;
        QKeySequence keys;
        const char* text;
    } rows[] = {
        {"enter", 13, QKeySequence(Qt::Key_Return), "Enter"},
        {"alt_f4", 32883, QKeySequence(Qt::ALT | Qt::Key_F4), "Alt+F4"},
        {"ctrl_letter", 0x4041, QKeySequence(Qt::CTRL | Qt::Key_A), "Ctrl+A"},
        {"shift_ctrl_f12", 0x607B, QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F12),
         "Shift+Ctrl+F12"},
        {"shift_named_key", 0x202E, QKeySequence(Qt::SHIFT | Qt::Key_Delete), "Shift+Del"},
        {"ctrl_digit", 0x4031, QKeySequence(Qt::CTRL | Qt::Key_1), "Ctrl+1"},
        {"page_down", 0x22, QKeySequence(Qt::Key_PageDown), "PgDn"},
        {"f24_last_function_key", 0x87, QKeySequence(Qt::Key_F24), "F24"},
        {"none", 0, QKeySequence(), ""},
        {"key_code_without_key", 0x07, QKeySequence(), ""},
        {"lower_case_code_is_no_letter", 0x61, QKeySequence(), ""},
        {"stray_high_bit", 0x1041, QKeySequence(), ""},
        {"negative", -1, QKeySequence(), ""},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ShortCutToKeySequence(r.value), r.keys) << r.name;
        EXPECT_EQ(ShortCutToText(r.value), QString::fromLatin1(r.text)) << r.name;
        if (*r.text) {
            EXPECT_EQ(TextToShortCut(QString::fromLatin1(r.text)), r.value) << r.name;
        }
    }
    EXPECT_EQ(TextToShortCut("alt+f4"), 32883) << "case does not matter";
    EXPECT_EQ(TextToShortCut("Alt+"), 0);
    EXPECT_EQ(TextToShortCut("Hyper+A"), 0);
    EXPECT_EQ(TextToShortCut("Alt+Alt+F4"), 0) << "a modifier counts once";
}

TEST(ActionLinks, LoadingKeepsTheClientsOwnValues) {
    registerCommandClasses();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kLinked, ".", "linked.txt"), form);
    auto* renamed = find<TMenuItem>(form, "Renamed");
    auto* follows = find<TMenuItem>(form, "Follows");
    auto* pressed = find<TToolButton>(form, "Pressed");
    auto* kept = find<TToolButton>(form, "Kept");
    ASSERT_TRUE(renamed && follows && pressed && kept);

    EXPECT_EQ(renamed->Caption(), "R") << "its own caption, not the action's";
    EXPECT_EQ(follows->Hint(), "GH");
    EXPECT_EQ(kept->Caption(), "K");
    EXPECT_EQ(kept->Hint(), "KH");

    // A checked action checks its menu item and presses its tool button.
    auto* hide = find<TAction>(form, "Hide");
    hide->SetChecked(true);
    EXPECT_TRUE(renamed->QtAction()->isCheckable() && renamed->QtAction()->isChecked());
    EXPECT_TRUE(kept->Down());
    hide->SetChecked(false);
    EXPECT_FALSE(renamed->QtAction()->isChecked());
    EXPECT_FALSE(kept->Down());

    // Later: the caption follows only where the client showed the action's caption.
    hide->SetCaption("H2");
    EXPECT_EQ(renamed->Caption(), "R");
    auto* go = find<TAction>(form, "Go");
    go->SetCaption("G2");
    EXPECT_EQ(follows->Caption(), "G2");
    EXPECT_EQ(pressed->Caption(), "G2");
    // Hints, enabled and visible states always follow.
    hide->SetHint("H3");
    EXPECT_EQ(kept->Hint(), "H3");
    go->SetEnabled(false);
    EXPECT_FALSE(follows->Enabled());
    EXPECT_FALSE(follows->QtAction()->isEnabled());
    EXPECT_FALSE(pressed->Enabled());
    go->SetVisible(false);
    EXPECT_FALSE(follows->QtAction()->isVisible());
    EXPECT_FALSE(pressed->Visible());
}

TEST(ActionLinks, BindingOutsideLoadingTakesEverything) {
    TCommandsForm form;
    auto* action = new TAction(&form);
    action->SetCaption("X");
    action->SetHint("XH");
    action->SetChecked(true);
    auto* item = new TMenuItem(&form);
    item->SetCaption("old");
    item->SetHint("old hint");
    item->SetAction(action);
    EXPECT_EQ(item->Caption(), "X");
    EXPECT_EQ(item->Hint(), "XH");
    EXPECT_TRUE(item->Checked());

    // Unbound, the item keeps what it shows and no longer follows.
    item->SetAction(nullptr);
    action->SetCaption("new");
    EXPECT_EQ(item->Caption(), "X");
    EXPECT_EQ(item->Action(), nullptr);

    // An action that goes away leaves its clients unbound.
    item->SetAction(action);
    delete action;
    EXPECT_EQ(item->Action(), nullptr);
    item->Click(); // nothing left to run, and nothing breaks
}

TEST(Actions, ExecuteRunsTheHandlerWithTheActionAsSender) {
    registerCommandClasses();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kLinked, ".", "linked.txt"), form);
    auto* go = find<TAction>(form, "Go");
    EXPECT_TRUE(go->Execute());
    EXPECT_FALSE(go->Checked()) << "no action checks itself";
    go->SetEnabled(false);
    EXPECT_FALSE(go->Execute()) << "disabled";
    TAction unbound(&form);
    EXPECT_FALSE(unbound.Execute()) << "no handler";
    EXPECT_EQ(form.calls, (std::vector<std::string>{"First(Go)"}));
}

TEST(ActionLists, HoldTheirActionsWhileTheWindowOwnsThem) {
    registerCommandClasses();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kLinked, ".", "linked.txt"), form);
    auto* list = find<TActionList>(form, "Actions");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ActionCount(), 3);
    EXPECT_EQ(list->Action(0)->Name(), "Hide");
    EXPECT_EQ(list->Action(2)->Name(), "Set");
    EXPECT_EQ(list->Action(1)->Owner(), &form);
    EXPECT_EQ(list->Action(1)->ActionList(), list);
    EXPECT_THROW(list->Action(3), EListError);
    EXPECT_THROW(list->Action(-1), EListError);
    std::vector<std::string> children;
    list->GetChildren([&](TComponent* c) { children.push_back(c->Name()); }, &form);
    EXPECT_EQ(children, (std::vector<std::string>{"Hide", "Go", "Set"}));

    auto* go = find<TAction>(form, "Go");
    delete list;
    EXPECT_EQ(go->ActionList(), nullptr) << "the action outlives its list";
    EXPECT_EQ(form.FindComponent("Go"), go);
}

TEST(ActionShortCuts, WorkWhereverTheFocusIsInTheWindow) {
    registerCommandClasses();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kLinked, ".", "linked.txt"), form);
    // Any focusable widget inside the window will do.
    auto* edit = new QLineEdit(form.Widget());
    form.Widget()->resize(300, 200);
    form.Widget()->show();
    form.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    edit->setFocus();

    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    // The item bound to the same action shows the key but does not bind it a second time,
    // which would make the key ambiguous.
    EXPECT_EQ(form.calls, (std::vector<std::string>{"First(Go)", "First(Go)"}));

    auto* go = find<TAction>(form, "Go");
    go->SetEnabled(false);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(form.calls.size(), 2u) << "a disabled action's key does nothing";
    go->SetEnabled(true);
    go->SetShortCut(0x4000 | 'G');
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(form.calls.size(), 3u) << "the new key replaces the old";
}
