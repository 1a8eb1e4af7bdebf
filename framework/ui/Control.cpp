#include "framework/ui/Control.h"

#include "framework/Filer.h"

#include <QEvent>

#include <algorithm>

namespace orlenth {

namespace {

TAlignKind kindOf(TControl::TAlign a) {
    switch (a) {
    case TControl::alTop:
        return TAlignKind::Top;
    case TControl::alBottom:
        return TAlignKind::Bottom;
    case TControl::alLeft:
        return TAlignKind::Left;
    case TControl::alRight:
        return TAlignKind::Right;
    case TControl::alClient:
        return TAlignKind::Client;
    default:
        return TAlignKind::None;
    }
}

} // namespace

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
    SetParent(nullptr);
    // The widget belongs to this control, not to Qt's parent chain.
    delete widget_.data();
}

void TControl::SetWidget(QWidget* widget) {
    widget_ = widget;
    // A windowed control lays out its children when its client area changes size.
    if (auto* win = qobject_cast<TWinControl*>(this); win && widget)
        widget->installEventFilter(win);
    PlaceWidget();
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (widget_) widget_->setParent(nullptr);
        parent_->Realign();
    }
    parent_ = parent;
    if (parent_) {
        parent_->controls_.push_back(this);
        if (widget_) {
            widget_->setParent(parent_->ClientWidget());
            widget_->setVisible(visible_);
        }
        parent_->Realign();
    }
}

void TControl::PlaceWidget() {
    if (!widget_) return;
    widget_->setGeometry(bounds_);
    if (parent_) widget_->setVisible(visible_);
}

void TControl::SetBounds(const QRect& r) {
    bounds_ = QRect(r.topLeft(), QSize(std::max(0, r.width()), std::max(0, r.height())));
    PlaceWidget();
    if (parent_ && align_ != alNone) parent_->Realign(this);
}

void TControl::SetAlign(TAlign a) {
    align_ = a;
    if (parent_) parent_->Realign(this);
}

void TControl::SetVisible(bool v) {
    visible_ = v;
    if (widget_ && parent_) widget_->setVisible(v);
    if (parent_) parent_->Realign(this);
}

void TControl::ReadState(TReader& reader) {
    if (auto* p = qobject_cast<TWinControl*>(reader.Parent())) SetParent(p);
    TComponent::ReadState(reader);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_) parent_->Realign();
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Children leave first, so that none refers to a widget that is gone; no realigning
    // while they do.
    aligning_ = true;
    while (!controls_.empty()) controls_.back()->SetParent(nullptr);
}

QRect TWinControl::AlignArea() const {
    const QWidget* w = ClientWidget();
    return w ? QRect(QPoint(0, 0), w->size()) : QRect();
}

void TWinControl::Realign(TControl* changed) {
    // Positions set while aligning must not start another round.
    if (aligning_ || IsLoading() || !ClientWidget()) return;
    aligning_ = true;
    std::vector<TAlignedControl> items;
    items.reserve(controls_.size());
    for (TControl* c : controls_)
        items.push_back({kindOf(c->align_), c->visible_, c->bounds_, c == changed});
    std::vector<TAlignedControl*> ptrs;
    for (auto& i : items) ptrs.push_back(&i);
    AlignControls(AlignArea(), ptrs);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        TControl* c = controls_[i];
        if (c->align_ == alNone || !c->visible_) continue;
        c->bounds_ = items[i].bounds;
        c->PlaceWidget();
    }
    aligning_ = false;
}

void TWinControl::GetChildren(const ChildProc& proc, TComponent*) {
    for (TControl* c : controls_) proc(c);
}

bool TWinControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ClientWidget() && event->type() == QEvent::Resize) Realign();
    return TControl::eventFilter(watched, event);
}

} // namespace orlenth
