#pragma once
// Actions: named commands a window's menu items and tool buttons share. An action holds
// the caption, hint, shortcut and the checked, enabled and visible states its clients
// show, and runs its OnExecute handler when any of them is used. Action lists group the
// actions of a window in its description.

#include "framework/Component.h"
#include "framework/ui/ShortCut.h"

#include <QByteArray>

#include <vector>

namespace orlenth {

class TActionList;

class TAction : public TComponent {
    Q_OBJECT
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
    Q_CLASSINFO("Event.OnExecute", "")

public:
    Q_INVOKABLE explicit TAction(TComponent* owner = nullptr);
    ~TAction() override;

    // The caption and hint as GBK bytes.
    QByteArray Caption() const { return caption_; }
    void SetCaption(const QByteArray& c);
    bool Checked() const { return checked_; }
    void SetChecked(bool c);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    QByteArray Hint() const { return hint_; }
    void SetHint(const QByteArray& h);
    // The stored shortcut value (see ShortCut.h); 0 for none. It works anywhere in the
    // action's window once the action is in one.
    int ShortCut() const { return shortCut_; }
    void SetShortCut(int s);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);

    // Fires OnExecute with the action as sender and returns whether a handler ran. A
    // disabled action runs nothing. Checked is left to the handler.
    bool Execute();

    // The list the action belongs to, or null.
    TActionList* ActionList() const { return list_; }
    // Moves the action into a list (or out of any, with null); the owner is unchanged.
    void SetActionList(TActionList* list);

    // Actions have no designer position of their own.
    bool HasDesignPosition() const override { return false; }
    // Joins the action list whose children are being read.
    void ReadState(TReader& reader) override;
    void Loaded() override;

signals:
    // Emitted after any of the published values has changed.
    void Changed();

private:
    void Notify();
    void UpdateShortCut();

    QByteArray caption_, hint_;
    bool checked_ = false, enabled_ = true, visible_ = true;
    int shortCut_ = 0;
    TActionList* list_ = nullptr;
    TWindowShortCut windowShortCut_;
};

class TActionList : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TActionList(TComponent* owner = nullptr);
    // The actions leave the list and stay alive with their owner.
    ~TActionList() override;

    int ActionCount() const { return static_cast<int>(actions_.size()); }
    // EListError "List index out of bounds (%d)" for a bad index.
    TAction* Action(int index) const;

    // The actions read from the list's record belong to the window, not to the list, so
    // that they bind to the window's fields and resolve as its references.
    TComponent* GetChildOwner() override { return nullptr; }
    // The actions are written as the list's children, in list order.
    void GetChildren(const ChildProc& proc, TComponent* root) override;

private:
    friend class TAction;
    std::vector<TAction*> actions_;
};

} // namespace orlenth
