#pragma once
// The link between an action and a client that shows it (a menu item, a tool button):
// what the client takes from the action when it is bound, and what it follows later.

#include "framework/ui/Actions.h"

#include <QMetaObject>
#include <QPointer>

namespace orlenth {

class TActionClient {
public:
    TActionClient(const TActionClient&) = delete;
    TActionClient& operator=(const TActionClient&) = delete;

    TAction* Action() const { return action_; }
    // Binds the client to an action (null unbinds; the client keeps what it shows). While
    // the client is loading, the action's values are taken only for what the client still
    // has at its default (empty caption and hint, no shortcut, unchecked, enabled,
    // visible), so that a stored value of the client's own wins; bound at any other time,
    // the client takes all of them. Afterwards the client follows every change of the
    // action's checked, enabled and visible states, shortcut and hint, and of its caption
    // as long as the client's caption was the action's.
    void SetAction(TAction* action);

protected:
    explicit TActionClient(TComponent& self) : self_(self) {}
    virtual ~TActionClient();

    // What the client shows. A client without a shortcut keeps the defaults.
    virtual QByteArray ClientCaption() const = 0;
    virtual void SetClientCaption(const QByteArray& caption) = 0;
    virtual QByteArray ClientHint() const = 0;
    virtual void SetClientHint(const QByteArray& hint) = 0;
    virtual bool ClientChecked() const = 0;
    virtual void SetClientChecked(bool checked) = 0;
    virtual bool ClientEnabled() const = 0;
    virtual void SetClientEnabled(bool enabled) = 0;
    virtual bool ClientVisible() const = 0;
    virtual void SetClientVisible(bool visible) = 0;
    virtual int ClientShortCut() const { return 0; }
    virtual void SetClientShortCut(int) {}

private:
    // The action's values when the client last saw them.
    struct Seen {
        QByteArray caption, hint;
        bool checked = false, enabled = true, visible = true;
        int shortCut = 0;
    };
    static Seen ValuesOf(const TAction& action);
    void Follow();

    TComponent& self_;
    QPointer<TAction> action_;
    QMetaObject::Connection changed_;
    Seen seen_;
};

} // namespace orlenth
