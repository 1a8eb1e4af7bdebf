#pragma once
// A button of a tool bar: a caption, optionally an action it shows and runs, optionally a
// pop-up menu it drops below itself. Separators and dividers are buttons too: gaps of
// their own width between the others.

#include "framework/ui/ActionLink.h"
#include "framework/ui/Control.h"
#include "framework/ui/Menus.h"

#include <QPointer>

namespace orlenth {

class TToolBar;

class TToolButton : public TControl, public TActionClient {
    Q_OBJECT
public:
    enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
    Q_ENUM(TToolButtonStyle)

    Q_PROPERTY(orlenth::TAction* Action READ Action WRITE SetAction)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_PROPERTY(QByteArray Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(orlenth::TPopupMenu* DropdownMenu READ DropdownMenu WRITE SetDropdownMenu)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Grouped READ Grouped WRITE SetGrouped)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(TToolButtonStyle Style READ Style WRITE SetStyle)
    Q_CLASSINFO("Default.AllowAllUp", "false")
    Q_CLASSINFO("Default.Down", "false")
    Q_CLASSINFO("Default.Enabled", "true")
    Q_CLASSINFO("Default.Grouped", "false")
    Q_CLASSINFO("Default.ImageIndex", "-1")
    Q_CLASSINFO("Default.Style", "tbsButton")
    Q_CLASSINFO("Event.OnClick", "")

public:
    Q_INVOKABLE explicit TToolButton(TComponent* owner = nullptr);

    using TActionClient::Action;
    // Binds the button to an action by the link rules of ActionLink.h; the button shows
    // the action's caption and hint, and is down while the action is checked.
    void SetAction(TAction* action) { TActionClient::SetAction(action); }
    // In a group of check buttons, whether all of them may be up at once.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool a) { allowAllUp_ = a; }
    // The caption as GBK bytes.
    QByteArray Caption() const { return caption_; }
    void SetCaption(const QByteArray& c);
    // Shown pressed. Setting a grouped check button down releases the rest of its group
    // (the neighbouring grouped check buttons of the same bar).
    bool Down() const { return down_; }
    void SetDown(bool d);
    TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(TPopupMenu* menu) { dropdownMenu_ = menu; }
    // A disabled button is drawn grey and does not click.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    bool Grouped() const { return grouped_; }
    void SetGrouped(bool g) { grouped_ = g; }
    // Kept for the description; the bars here show captions only.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int i) { imageIndex_ = i; }
    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle s);
    // Separators and dividers: gaps that never click.
    bool IsGap() const { return style_ == tbsSeparator || style_ == tbsDivider; }

    // What a click with the mouse does: a drop-down button with a menu drops the menu
    // below itself (its top-left at the button's bottom-left); any other runs OnClick if
    // bound, otherwise its action's Execute(), a check button toggling Down first. A
    // disabled button or a gap does nothing.
    void Click();
    // Whether a flat button shows its raised frame: the pointer is over it.
    bool Hot() const;
    // The bar the button is on, or null.
    TToolBar* ToolBar() const;
    // Rearranges the bar the button leaves and the one it joins.
    void SetParent(TWinControl* parent) override;

protected:
    QByteArray ClientCaption() const override { return caption_; }
    void SetClientCaption(const QByteArray& c) override { SetCaption(c); }
    // A tool button offers its hint as a tooltip whatever the window's ShowHint: the
    // buttons show captions only, and the hint says what each does.
    bool HintShown() const override { return !Hint().isEmpty(); }
    QByteArray ClientHint() const override { return Hint(); }
    void SetClientHint(const QByteArray& h) override { SetHint(h); }
    bool ClientChecked() const override { return down_; }
    void SetClientChecked(bool c) override { SetDown(c); }
    bool ClientEnabled() const override { return enabled_; }
    void SetClientEnabled(bool e) override { SetEnabled(e); }
    bool ClientVisible() const override { return Visible(); }
    void SetClientVisible(bool v) override { SetVisible(v); }

private:
    void Repaint();

    QByteArray caption_;
    QPointer<TPopupMenu> dropdownMenu_;
    TToolButtonStyle style_ = tbsButton;
    int imageIndex_ = -1;
    bool allowAllUp_ = false, down_ = false, enabled_ = true, grouped_ = false;
};

} // namespace orlenth
