#include "framework/ui/Actions.h"

#include "framework/Errors.h"
#include "framework/Filer.h"

#include <algorithm>

namespace orlenth {

TAction::TAction(TComponent* owner) : TComponent(owner), windowShortCut_([this] { Execute(); }) {}

TAction::~TAction() {
    SetActionList(nullptr);
}

void TAction::Notify() {
    emit Changed();
}

void TAction::SetCaption(const QByteArray& c) {
    if (c == caption_) return;
    caption_ = c;
    Notify();
}

void TAction::SetChecked(bool c) {
    if (c == checked_) return;
    checked_ = c;
    Notify();
}

void TAction::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    windowShortCut_.SetEnabled(enabled_ && visible_);
    Notify();
}

void TAction::SetHint(const QByteArray& h) {
    if (h == hint_) return;
    hint_ = h;
    Notify();
}

void TAction::SetShortCut(int s) {
    if (s == shortCut_) return;
    shortCut_ = s;
    UpdateShortCut();
    Notify();
}

void TAction::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    windowShortCut_.SetEnabled(enabled_ && visible_);
    Notify();
}

void TAction::UpdateShortCut() {
    windowShortCut_.Bind(*this, shortCut_);
    windowShortCut_.SetEnabled(enabled_ && visible_);
}

bool TAction::Execute() {
    if (!enabled_) return false;
    return Fire("OnExecute", Q_ARG(orlenth::TComponent*, this));
}

void TAction::SetActionList(TActionList* list) {
    if (list == list_) return;
    if (list_) {
        auto& v = list_->actions_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    list_ = list;
    if (list_) list_->actions_.push_back(this);
}

void TAction::ReadState(TReader& reader) {
    if (auto* list = qobject_cast<TActionList*>(reader.Parent())) SetActionList(list);
    TComponent::ReadState(reader);
}

void TAction::Loaded() {
    TComponent::Loaded();
    // The window may not have been reachable while the shortcut was read.
    UpdateShortCut();
}

TActionList::TActionList(TComponent* owner) : TComponent(owner) {}

TActionList::~TActionList() {
    while (!actions_.empty()) actions_.back()->SetActionList(nullptr);
}

TAction* TActionList::Action(int index) const {
    if (index < 0 || index >= ActionCount()) throw EListError::indexOutOfBounds(index);
    return actions_[static_cast<std::size_t>(index)];
}

void TActionList::GetChildren(const ChildProc& proc, TComponent*) {
    for (TAction* a : actions_) proc(a);
}

} // namespace orlenth
