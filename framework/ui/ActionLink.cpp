#include "framework/ui/ActionLink.h"

namespace orlenth {

TActionClient::~TActionClient() {
    QObject::disconnect(changed_);
}

TActionClient::Seen TActionClient::ValuesOf(const TAction& a) {
    return {a.Caption(), a.Hint(), a.Checked(), a.Enabled(), a.Visible(), a.ShortCut()};
}

void TActionClient::SetAction(TAction* action) {
    if (action == action_) return;
    QObject::disconnect(changed_);
    action_ = action;
    if (!action) return;
    const Seen v = ValuesOf(*action);
    const bool all = !self_.IsLoading();
    if (all || ClientCaption().isEmpty()) SetClientCaption(v.caption);
    if (all || ClientHint().isEmpty()) SetClientHint(v.hint);
    if (all || !ClientChecked()) SetClientChecked(v.checked);
    if (all || ClientEnabled()) SetClientEnabled(v.enabled);
    if (all || ClientVisible()) SetClientVisible(v.visible);
    if (all || ClientShortCut() == 0) SetClientShortCut(v.shortCut);
    seen_ = v;
    // The client is the context: the connection ends with whichever goes first.
    changed_ = QObject::connect(action, &TAction::Changed, &self_, [this] { Follow(); });
}

void TActionClient::Follow() {
    if (!action_) return;
    const Seen v = ValuesOf(*action_);
    if (v.caption != seen_.caption && ClientCaption() == seen_.caption) SetClientCaption(v.caption);
    if (v.hint != seen_.hint) SetClientHint(v.hint);
    if (v.checked != seen_.checked) SetClientChecked(v.checked);
    if (v.enabled != seen_.enabled) SetClientEnabled(v.enabled);
    if (v.visible != seen_.visible) SetClientVisible(v.visible);
    if (v.shortCut != seen_.shortCut) SetClientShortCut(v.shortCut);
    seen_ = v;
}

} // namespace orlenth
