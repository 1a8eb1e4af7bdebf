// Tool bars: check buttons and groups. The main window's own bars, as their description
// builds them, are tested on the window itself (tests/app/commands_test.cpp).

#include "commands_fixture.h"

#include "framework/ui/Accessibility.h"
#include "framework/ui/ToolBar.h"

#include "framework/ClassRegistry.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <QAccessible>

#include <gtest/gtest.h>

using namespace orlenth;
using commandstest::TCommandsForm;

namespace {

const char* kBar = R"(
object Form: TCommandsForm
  object ToolBar1: TToolBar
    object A: TToolButton
      Caption = "A"
      OnClick = First
    end
    object B: TToolButton
      Caption = "B"
      OnClick = First
    end
    object C: TToolButton
      Caption = "C"
      OnClick = Second
    end
  end
end
)";

TToolButton* button(TComponent& form, const char* name) {
    return qobject_cast<TToolButton*>(form.FindComponent(name));
}

} // namespace

TEST(ToolBar, CheckButtonsToggleAndGroupsKeepOneDown) {
    RegisterClass<TToolBar>();
    RegisterClass<TToolButton>();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kBar, ".", "bar.txt"), form);
    auto* a = button(form, "A");
    auto* b = button(form, "B");
    auto* c = button(form, "C");
    ASSERT_TRUE(a && b && c);
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
    c->SetStyle(TToolButton::tbsCheck);
    c->Click();
    EXPECT_TRUE(c->Down());
    c->Click();
    EXPECT_FALSE(c->Down());
    EXPECT_EQ(form.calls.size(), 6u) << "every click also ran the handler";
}

TEST(ToolBar, ScreenReadersToggleCheckButtonsAndSkipGaps) {
    RegisterClass<TToolBar>();
    RegisterClass<TToolButton>();
    InstallAccessibility();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kBar, ".", "bar.txt"), form);
    auto* a = button(form, "A");
    auto* b = button(form, "B");
    ASSERT_TRUE(a && b);
    a->SetStyle(TToolButton::tbsCheck);
    b->SetStyle(TToolButton::tbsSeparator);
    QAccessibleInterface* check = QAccessible::queryAccessibleInterface(a->Widget());
    EXPECT_EQ(check->role(), QAccessible::Button);
    EXPECT_TRUE(check->state().checkable);
    EXPECT_FALSE(check->state().checked);
    check->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(a->Down());
    EXPECT_TRUE(check->state().checked);
    EXPECT_EQ(form.calls.size(), 1u);
    a->SetEnabled(false);
    EXPECT_TRUE(check->actionInterface()->actionNames().isEmpty()) << "a disabled button";
    QAccessibleInterface* gap = QAccessible::queryAccessibleInterface(b->Widget());
    EXPECT_EQ(gap->role(), QAccessible::Separator);
    EXPECT_TRUE(gap->actionInterface()->actionNames().isEmpty());
}

TEST(ToolBar, TabFollowsTheButtonsAfterCustomizing) {
    RegisterClass<TToolBar>();
    RegisterClass<TToolButton>();
    TCommandsForm form;
    ReadComponent(ParseDescriptionText(kBar, ".", "bar.txt"), form);
    auto* bar = qobject_cast<TToolBar*>(form.FindComponent("ToolBar1"));
    auto* a = button(form, "A");
    auto* b = button(form, "B");
    auto* c = button(form, "C");
    ASSERT_TRUE(bar && a && b && c);
    // A stop of the Tab key before the bar and one after it, as a window has.
    QWidget* before = new QWidget(form.Widget());
    QWidget* after = new QWidget(form.Widget());
    for (QWidget* w : {before, after}) w->setFocusPolicy(Qt::StrongFocus);
    const std::vector<QWidget*> start{before, a->Widget(), b->Widget(), c->Widget(), after};
    for (std::size_t i = 1; i < start.size(); ++i) QWidget::setTabOrder(start[i - 1], start[i]);
    const auto chainFrom = [&](QWidget* from) {
        std::vector<QWidget*> chain;
        for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
        return chain;
    };
    struct Row {
        const char* name;
        std::vector<TControl*> order;
    } rows[] = {{"reversed", {c, b, a}}, {"one_off", {c, a}}, {"back_in_the_middle", {c, b, a}}};
    for (const auto& r : rows) {
        bar->SetButtons(r.order);
        std::vector<QWidget*> expected;
        for (TControl* x : r.order) expected.push_back(x->Widget());
        expected.push_back(after);
        std::vector<QWidget*> chain = chainFrom(before);
        chain.resize(std::min(chain.size(), expected.size()));
        EXPECT_EQ(chain, expected) << r.name;
    }
}
