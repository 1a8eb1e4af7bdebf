#pragma once
// Pop-up menus and their items. A menu shows its items in a Qt menu at a point on the
// screen; an item shows a caption with its shortcut on the right, a check mark while
// checked, and runs its click when chosen: its OnClick handler, or else its action.

#include "framework/ui/ActionLink.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Control.h"
#include "framework/ui/ShortCut.h"

#include <QAction>
#include <QByteArray>
#include <QPointer>

#include <memory>
#include <vector>

class QMenu;

namespace orlenth {

class TPopupMenu;

class TMenuItem : public TComponent, public TActionClient {
    Q_OBJECT
    Q_PROPERTY(orlenth::TAction* Action READ Action WRITE SetAction)
    Q_PROPERTY(QByteArray Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(QByteArray Hint READ Hint WRITE SetHint)
    Q_PROPERTY(int ShortCut READ ShortCut WRITE SetShortCut)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_CLASSINFO("Default.Checked", "false")
    Q_CLASSINFO("Default.Enabled", "true")
    Q_CLASSINFO("Default.ShortCut", "0")
    Q_CLASSINFO("Default.Visible", "true")
    Q_CLASSINFO("Event.OnClick", "")

public:
    Q_INVOKABLE explicit TMenuItem(TComponent* owner = nullptr);
    ~TMenuItem() override;

    using TActionClient::Action;
    // Binds the item to an action by the link rules of ActionLink.h.
    void SetAction(TAction* action);

    // The caption as GBK bytes; "-" makes the item a separator.
    QByteArray Caption() const { return caption_; }
    void SetCaption(const QByteArray& c);
    bool Checked() const { return checked_; }
    void SetChecked(bool c);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    QByteArray Hint() const { return hint_; }
    void SetHint(const QByteArray& h);
    // Shown on the right of the caption; it works anywhere in the item's window, unless
    // it is the shortcut of the item's action, which the action serves.
    int ShortCut() const { return shortCut_; }
    void SetShortCut(int s);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool IsSeparator() const { return caption_ == "-"; }

    // Runs the item as a choice of it does: OnClick if bound, otherwise the action's
    // Execute(). A disabled item or a separator runs nothing.
    void Click();
    // The Qt action that stands for the item in its menu.
    QAction* QtAction() { return &qtAction_; }
    // The menu the item belongs to, or null.
    TPopupMenu* Menu() const { return menu_; }
    // Moves the item to the end of a menu (or out of any, with null); the owner stays.
    void SetMenu(TPopupMenu* menu);
    // Recomputes what the Qt action shows (the menu's hot-key rule may have changed).
    void UpdateQtAction();

    bool HasDesignPosition() const override { return false; }
    // Joins the menu whose children are being read.
    void ReadState(TReader& reader) override;
    void Loaded() override;

protected:
    QByteArray ClientCaption() const override { return caption_; }
    void SetClientCaption(const QByteArray& c) override { SetCaption(c); }
    QByteArray ClientHint() const override { return hint_; }
    void SetClientHint(const QByteArray& h) override { SetHint(h); }
    bool ClientChecked() const override { return checked_; }
    void SetClientChecked(bool c) override { SetChecked(c); }
    bool ClientEnabled() const override { return enabled_; }
    void SetClientEnabled(bool e) override { SetEnabled(e); }
    bool ClientVisible() const override { return visible_; }
    void SetClientVisible(bool v) override { SetVisible(v); }
    int ClientShortCut() const override { return shortCut_; }
    void SetClientShortCut(int s) override { SetShortCut(s); }

private:
    void UpdateShortCut();

    QByteArray caption_, hint_;
    bool checked_ = false, enabled_ = true, visible_ = true;
    int shortCut_ = 0;
    TPopupMenu* menu_ = nullptr;
    QAction qtAction_;
    TWindowShortCut windowShortCut_;
};

class TPopupMenu : public TPopupMenuBase {
    Q_OBJECT
public:
    // How captions mark hot keys: automatically ("&" marks the key), as stored ("&" is
    // shown as itself), or as the parent menu does (here: automatically).
    enum TMenuAutoFlag { maAutomatic, maManual, maParent };
    Q_ENUM(TMenuAutoFlag)

    Q_PROPERTY(TMenuAutoFlag AutoHotkeys READ AutoHotkeys WRITE SetAutoHotkeys)
    Q_CLASSINFO("Default.AutoHotkeys", "maAutomatic")

public:
    Q_INVOKABLE explicit TPopupMenu(TComponent* owner = nullptr);
    // The items leave the menu and stay alive with their owner.
    ~TPopupMenu() override;

    TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
    void SetAutoHotkeys(TMenuAutoFlag f);

    int Count() const { return static_cast<int>(items_.size()); }
    // EListError "List index out of bounds (%d)" for a bad index.
    TMenuItem* Item(int index) const;

    // Shows the items through the dialog seam's ExecMenu with the menu's top-left at
    // `globalPos`; the chosen item's click has run when this returns.
    void Popup(const QPoint& globalPos) override;
    // Whether Popup is showing the menu now.
    bool IsOpen() const { return open_; }
    // The menu being shown now, of any window, or null; menus open one at a time.
    static TPopupMenu* OpenMenu();
    // Chooses one of the menu's items as a click on it does: the menu closes and the item
    // runs once it has (at once when the menu is not open). A disabled item, a separator
    // or an item of another menu is ignored. For screen readers, whose call must return
    // before the item's click can open a window of its own.
    void Choose(TMenuItem* item);
    // The same for an item of a menu opened from one of the menu's items (编码's, say): the
    // menus close and the action is triggered once they have (at once when the menu is not
    // open). A disabled action or a separator is ignored.
    void ChooseLater(QAction* action);
    // The Qt menu the items are shown in (null before the first Popup), and the pop-up
    // menu behind such a Qt menu (null for any other object).
    QMenu* QtMenu() const { return menu_.get(); }
    static TPopupMenu* OfQtMenu(const QObject* object);

    // The items read from the menu's record belong to the window, like actions do.
    TComponent* GetChildOwner() override { return nullptr; }
    void GetChildren(const ChildProc& proc, TComponent* root) override;

private:
    friend class TMenuItem;
    std::vector<TMenuItem*> items_;
    TMenuAutoFlag autoHotkeys_ = maAutomatic;
    std::unique_ptr<QMenu> menu_;
    bool open_ = false;
    // The item chosen by Choose while the menu is open, run when it has closed, and the
    // same for ChooseLater.
    QPointer<TMenuItem> chosen_;
    QPointer<QAction> chosenAction_;
};

} // namespace orlenth
