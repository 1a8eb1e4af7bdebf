// Actions: shortcut values, the link rules with menu items and tool buttons, Execute, and
// shortcuts that work anywhere in the window.

#include "commands_fixture.h"

#include "framework/ui/Actions.h"
#include "framework/ui/Menus.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ShortCut.h"
#include "framework/ui/ToolBar.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace orlenth;
using commandstest::TCommandsForm;

namespace {

QByteArray gbk(const char* utf8) {
    const std::string s = UnicodeToGbk(QString::fromUtf8(utf8));
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

void registerCommandClasses() {
    RegisterClass<TAction>();
    RegisterClass<TActionList>();
    RegisterClass<TMenuItem>();
    RegisterClass<TPopupMenu>();
    RegisterClass<TToolBar>();
    RegisterClass<TToolButton>();
}

// Items and a button bound to actions, some with values of their own.
const char* kLinked = R"(
object Form: TCommandsForm
  object ToolBar1: TToolBar
    object ToolButton7: TToolButton
      Action = gunp
    end
    object ToolButton4: TToolButton
      Caption = "隐藏"
      Hint = "隐藏或显示列表框"
      Action = ycList1
    end
  end
  object PopupMenu1: TPopupMenu
    object N4: TMenuItem
      Action = ycList1
      Caption = "隐藏列表框"
    end
    object N11: TMenuItem
      Action = BieJie
    end
    object N5: TMenuItem
      Action = gunp
    end
  end
  object ActionList1: TActionList
    object ycList1: TAction
      Caption = "列表框"
      OnExecute = ycList1Execute
    end
    object gunp: TAction
      Caption = "滚屏"
      Hint = "开始或结束滚屏"
      ShortCut = 13
      OnExecute = ToolButton7Click
    end
    object BieJie: TAction
      Caption = "边界"
      Checked = true
      OnExecute = BieJieExecute
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
    auto* n4 = find<TMenuItem>(form, "N4");
    auto* n5 = find<TMenuItem>(form, "N5");
    auto* n11 = find<TMenuItem>(form, "N11");
    auto* button7 = find<TToolButton>(form, "ToolButton7");
    auto* button4 = find<TToolButton>(form, "ToolButton4");
    ASSERT_TRUE(n4 && n5 && n11 && button7 && button4);

    EXPECT_EQ(n4->Caption(), gbk("隐藏列表框")) << "its own caption, not the action's";
    EXPECT_EQ(n5->Caption(), gbk("滚屏"));
    EXPECT_EQ(n5->Hint(), gbk("开始或结束滚屏"));
    EXPECT_EQ(n5->ShortCut(), 13);
    EXPECT_EQ(n5->QtAction()->text(), QString::fromUtf8("滚屏\tEnter"));
    EXPECT_EQ(button7->Caption(), gbk("滚屏"));
    EXPECT_EQ(button7->Hint(), gbk("开始或结束滚屏"));
    EXPECT_EQ(button4->Caption(), gbk("隐藏"));
    EXPECT_EQ(button4->Hint(), gbk("隐藏或显示列表框"));

    // A checked action checks its menu item and presses its tool button.
    EXPECT_TRUE(n11->Checked());
    EXPECT_TRUE(n11->QtAction()->isChecked());
    auto* ycList1 = find<TAction>(form, "ycList1");
    ycList1->SetChecked(true);
    EXPECT_TRUE(n4->Checked());
    EXPECT_TRUE(n4->QtAction()->isCheckable() && n4->QtAction()->isChecked());
    EXPECT_TRUE(button4->Down());
    ycList1->SetChecked(false);
    EXPECT_FALSE(n4->QtAction()->isChecked());
    EXPECT_FALSE(button4->Down());

    // Later: the caption follows only where the client showed the action's caption.
    ycList1->SetCaption(gbk("列表"));
    EXPECT_EQ(n4->Caption(), gbk("隐藏列表框"));
    auto* gunp = find<TAction>(form, "gunp");
    gunp->SetCaption(gbk("停止"));
    EXPECT_EQ(n5->Caption(), gbk("停止"));
    EXPECT_EQ(button7->Caption(), gbk("停止"));
    // Hints, enabled and visible states always follow.
    ycList1->SetHint(gbk("列表"));
    EXPECT_EQ(button4->Hint(), gbk("列表"));
    gunp->SetEnabled(false);
    EXPECT_FALSE(n5->Enabled());
    EXPECT_FALSE(n5->QtAction()->isEnabled());
    EXPECT_FALSE(button7->Enabled());
    gunp->SetVisible(false);
    EXPECT_FALSE(n5->QtAction()->isVisible());
    EXPECT_FALSE(button7->Visible());
}

TEST(ActionLinks, BindingOutsideLoadingTakesEverything) {
    TCommandsForm form;
    auto* action = new TAction(&form);
    action->SetCaption(gbk("关于"));
    action->SetHint(gbk("关于我们"));
    action->SetChecked(true);
    auto* item = new TMenuItem(&form);
    item->SetCaption(gbk("旧的"));
    item->SetHint(gbk("旧提示"));
    item->SetAction(action);
    EXPECT_EQ(item->Caption(), gbk("关于"));
    EXPECT_EQ(item->Hint(), gbk("关于我们"));
    EXPECT_TRUE(item->Checked());

    // Unbound, the item keeps what it shows and no longer follows.
    item->SetAction(nullptr);
    action->SetCaption(gbk("新的"));
    EXPECT_EQ(item->Caption(), gbk("关于"));
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
    auto* gunp = find<TAction>(form, "gunp");
    EXPECT_TRUE(gunp->Execute());
    EXPECT_FALSE(gunp->Checked()) << "no action checks itself";
    gunp->SetEnabled(false);
    EXPECT_FALSE(gunp->Execute()) << "disabled";
    TAction unbound(&form);
    EXPECT_FALSE(unbound.Execute()) << "no handler";
    EXPECT_EQ(form.calls, (std::vector<std::string>{"ToolButton7Click(gunp)"}));

    // Clients without a handler of their own run the action.
    find<TMenuItem>(form, "N4")->Click();
    find<TToolButton>(form, "ToolButton4")->Click();
    EXPECT_EQ(form.calls,
              (std::vector<std::string>{"ToolButton7Click(gunp)", "ycList1Execute(ycList1)",
                                        "ycList1Execute(ycList1)"}));
}

TEST(ActionLists, HoldTheirActionsWhileTheWindowOwnsThem) {
    registerCommandClasses();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kLinked, ".", "linked.txt"), form);
    auto* list = find<TActionList>(form, "ActionList1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ActionCount(), 3);
    EXPECT_EQ(list->Action(0)->Name(), "ycList1");
    EXPECT_EQ(list->Action(2)->Name(), "BieJie");
    EXPECT_EQ(list->Action(1)->Owner(), &form);
    EXPECT_EQ(list->Action(1)->ActionList(), list);
    EXPECT_THROW(list->Action(3), EListError);
    EXPECT_THROW(list->Action(-1), EListError);
    std::vector<std::string> children;
    list->GetChildren([&](TComponent* c) { children.push_back(c->Name()); }, &form);
    EXPECT_EQ(children, (std::vector<std::string>{"ycList1", "gunp", "BieJie"}));

    auto* gunp = find<TAction>(form, "gunp");
    delete list;
    EXPECT_EQ(gunp->ActionList(), nullptr) << "the action outlives its list";
    EXPECT_EQ(form.FindComponent("gunp"), gunp);
}

TEST(ActionShortCuts, WorkWhereverTheFocusIsInTheWindow) {
    registerCommandClasses();
    RegisterClass<TPanel>();
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
    EXPECT_EQ(form.calls,
              (std::vector<std::string>{"ToolButton7Click(gunp)", "ToolButton7Click(gunp)"}));

    auto* gunp = find<TAction>(form, "gunp");
    gunp->SetEnabled(false);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(form.calls.size(), 2u) << "a disabled action's key does nothing";
    gunp->SetEnabled(true);
    gunp->SetShortCut(0x4000 | 'G');
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(form.calls.size(), 3u) << "the new key replaces the old";
}
