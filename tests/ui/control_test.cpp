// Controls read from a description text and laid out by their alignment, on the
// offscreen platform.

#include "framework/ui/Control.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <gtest/gtest.h>

using namespace orlenth;

namespace controltest {

class TTestForm : public TWinControl {
    Q_OBJECT
public:
    explicit TTestForm(TComponent* owner = nullptr) : TWinControl(owner) { SetWidget(new QWidget); }
};

class TTestPanel : public TWinControl {
    Q_OBJECT
public:
    explicit TTestPanel(TComponent* owner = nullptr) : TWinControl(owner) {
        SetWidget(new QWidget);
    }
};

} // namespace controltest

using controltest::TTestForm;
using controltest::TTestPanel;

namespace {

// The main window's frame of panels at its design size (client 709 × 422).
const char* kLayout = R"(
object Form: TTestForm
  Width = 709
  Height = 422
  object Splitter1: TTestPanel
    Left = 204
    Top = 24
    Width = 3
    Height = 398
    Align = alLeft
  end
  object Panel1: TTestPanel
    Left = 0
    Top = 24
    Width = 204
    Height = 398
    Align = alLeft
    object TabSet1: TTestPanel
      Left = 1
      Top = 1
      Width = 202
      Height = 25
      Align = alTop
    end
  end
  object Panel2: TTestPanel
    Left = 207
    Top = 24
    Width = 502
    Height = 398
    Align = alClient
  end
  object Panel3: TTestPanel
    Left = 0
    Top = 0
    Width = 709
    Height = 24
    Align = alTop
  end
end
)";

QRect geometryOf(TComponent& form, const char* name) {
    auto* c = qobject_cast<TControl*>(form.FindComponent(name));
    return c && c->Widget() ? c->Widget()->geometry() : QRect();
}

} // namespace

TEST(Controls, ReadFromADescriptionAndAligned) {
    RegisterClass<TTestForm>();
    RegisterClass<TTestPanel>();
    TTestForm form;
    ReadComponent(ParseDescriptionText(kLayout, ".", "layout.txt"), form);
    form.Widget()->resize(709, 422);
    form.Widget()->show();
    EXPECT_EQ(geometryOf(form, "Panel3"), QRect(0, 0, 709, 24));
    EXPECT_EQ(geometryOf(form, "Panel1"), QRect(0, 24, 204, 398));
    EXPECT_EQ(geometryOf(form, "Splitter1"), QRect(204, 24, 3, 398));
    EXPECT_EQ(geometryOf(form, "Panel2"), QRect(207, 24, 502, 398));
    // Children sit on their parent's widget.
    auto* tabs = qobject_cast<TControl*>(form.FindComponent("TabSet1"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->Parent(), form.FindComponent("Panel1"));
    EXPECT_EQ(tabs->Widget()->parentWidget(),
              qobject_cast<TControl*>(form.FindComponent("Panel1"))->Widget());
    EXPECT_EQ(tabs->Widget()->geometry(), QRect(0, 0, 204, 25)) << "top strip spans its parent";

    // A resize of the window's widget realigns by itself.
    form.Widget()->resize(1000, 600);
    EXPECT_EQ(geometryOf(form, "Panel2"), QRect(207, 24, 793, 576));
    // Hiding the list and the splitter, in the order the list toggle does it, gives the
    // reading area the whole width; showing them again (splitter first) puts the panel
    // back at the left edge with the splitter to its right.
    auto* panel1 = qobject_cast<TControl*>(form.FindComponent("Panel1"));
    auto* splitter = qobject_cast<TControl*>(form.FindComponent("Splitter1"));
    splitter->SetVisible(false);
    panel1->SetVisible(false);
    EXPECT_EQ(geometryOf(form, "Panel2"), QRect(0, 24, 1000, 576));
    splitter->SetVisible(true);
    panel1->SetVisible(true);
    EXPECT_EQ(geometryOf(form, "Panel1"), QRect(0, 24, 204, 576));
    EXPECT_EQ(geometryOf(form, "Splitter1"), QRect(204, 24, 3, 576));
    EXPECT_EQ(geometryOf(form, "Panel2"), QRect(207, 24, 793, 576));
}

TEST(Controls, UnknownAlignmentIsALoadError) {
    RegisterClass<TTestForm>();
    RegisterClass<TTestPanel>();
    TTestForm form;
    const char* bad =
        "object Form: TTestForm\n  object P: TTestPanel\n    Align = alMiddle\n  end\nend\n";
    try {
        ReadComponent(ParseDescriptionText(bad, ".", "bad.txt"), form);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error reading P.Align: Invalid property value");
    }
}

#include "control_test.moc"

TEST(WinControl, FocusFollowsTheTabOrderOfTheDescription) {
    // Stored in the order B, A, C with tab orders 0, 2, 1: Tab goes B, C, A, where the
    // stored order alone would give B, A, C.
    TTestForm form;
    auto add = [&](const char* name, int order) {
        auto* c = new TTestPanel(&form);
        c->SetName(name);
        c->setProperty("TabOrder", order);
        c->Widget()->setFocusPolicy(Qt::StrongFocus);
        c->SetParent(&form);
        return c;
    };
    TTestPanel* b = add("B", 0);
    TTestPanel* a = add("A", 2);
    TTestPanel* c = add("C", 1);
    form.ApplyTabOrder();
    // What Tab moves to: the next widget in the chain that takes focus by Tab.
    auto next = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(next(b->Widget()), c->Widget());
    EXPECT_EQ(next(c->Widget()), a->Widget());
    EXPECT_EQ(next(a->Widget()), b->Widget());
}
