#include "framework/ui/Control.h"

#include "framework/Filer.h"
#include "framework/IntegerIdents.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Font.h"

#include <QEvent>

#include <algorithm>
#include <limits>

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

namespace {
constexpr char kControlProperty[] = "orlenthControl";
} // namespace

TControl* TControl::OfWidget(const QWidget* widget) {
    return widget ? qobject_cast<TControl*>(widget->property(kControlProperty).value<QObject*>())
                  : nullptr;
}

void TControl::SetWidget(QWidget* widget) {
    widget_ = widget;
    if (widget) widget->setProperty(kControlProperty, QVariant::fromValue<QObject*>(this));
    // A windowed control lays out its children when its client area changes size.
    if (auto* win = qobject_cast<TWinControl*>(this); win && widget)
        widget->installEventFilter(win);
    PlaceWidget();
}

void TControl::SetPopupMenu(TPopupMenuBase* menu) {
    popupMenu_ = menu;
    QWidget* w = Widget();
    if (!w) return;
    // A child whose widget leaves the context-menu event unhandled passes it up here.
    w->setContextMenuPolicy(menu ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    QObject::disconnect(w, &QWidget::customContextMenuRequested, this, nullptr);
    if (menu)
        QObject::connect(w, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
            if (popupMenu_ && Widget()) popupMenu_->Popup(Widget()->mapToGlobal(p));
        });
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
        if (widget_) widget_->setParent(parent_->ClientWidget());
        PlaceWidget();
        parent_->Realign();
    }
}

void TControl::PlaceWidget() {
    if (!widget_) return;
    if (placementHolds_ > 0) {
        placementPending_ = true;
        return;
    }
    placementPending_ = false;
    if (parent_)
        parent_->PlaceChild(*this);
    else
        widget_->setGeometry(bounds_);
    WidgetPlaced();
}

void TControl::ReleasePlacement(bool later) {
    if (placementHolds_ > 0) --placementHolds_;
    if (placementHolds_ > 0 || !placementPending_) return;
    auto apply = [this] {
        if (placementHolds_ > 0 || !placementPending_) return;
        PlaceWidget();
        if (parent_ && align_ != alNone) parent_->Realign(this);
    };
    if (later)
        QMetaObject::invokeMethod(this, apply, Qt::QueuedConnection);
    else
        apply();
}

const TFont* TControl::ParentFontSource() const {
    for (const TWinControl* p = parent_; p; p = p->Parent()) {
        const QVariant takesParents = p->property("ParentFont");
        if (takesParents.isValid() && takesParents.toBool()) continue;
        if (auto* font = qobject_cast<const TFont*>(p->property("Font").value<QObject*>()))
            return font;
    }
    return nullptr;
}

std::optional<int> TControl::ParentColorSource() const {
    if (!parent_) return std::nullopt;
    const QVariant c = parent_->property("Color");
    if (!c.isValid() || c.typeId() != QMetaType::Int) return std::nullopt;
    return c.toInt();
}

void TControl::SetBounds(const QRect& r) {
    const QRect before = request_;
    bounds_ = request_ = QRect(r.topLeft(), QSize(std::max(0, r.width()), std::max(0, r.height())));
    if (request_.height() != before.height()) height64_ = 0;
    PlaceWidget();
    if (parent_ && align_ != alNone) parent_->Realign(this);
}

void TControl::SetHeight64(std::int64_t h) {
    // QRect keeps its bottom row as an int: the bounds hold what fits below the top.
    const std::int64_t room =
        std::int64_t{std::numeric_limits<int>::max()} - std::max(0, request_.top());
    const int shown = static_cast<int>(std::clamp<std::int64_t>(h, 0, room));
    height64_ = std::max<std::int64_t>(h, 0);
    bounds_ = request_ = QRect(request_.topLeft(), QSize(request_.width(), shown));
    PlaceWidget();
    if (parent_ && align_ != alNone) parent_->Realign(this);
}

QPoint TControl::WidgetOrigin() const {
    return QPoint(widgetOriginLeft_, static_cast<int>(std::clamp<std::int64_t>(
                                         widgetOriginTop_, std::numeric_limits<int>::min(),
                                         std::numeric_limits<int>::max())));
}

void TControl::SetAlign(TAlign a) {
    align_ = a;
    if (parent_) parent_->Realign(this);
}

void TControl::SetVisible(bool v) {
    visible_ = v;
    if (parent_) {
        PlaceWidget();
        parent_->Realign(this);
    }
}

void TControl::SetCursor(int c) {
    cursor_ = c;
    if (widget_) widget_->setCursor(ToQtCursor(c));
}

void TControl::SetHint(const QByteArray& h) {
    hint_ = h;
    ApplyHint();
}

void TControl::SetShowHint(bool s) {
    showHint_ = s;
    ApplyHint();
}

bool TControl::HintShown() const {
    if (showHint_) return true;
    return parentShowHint_ && parent_ && parent_->HintShown();
}

void TControl::ApplyHint() {
    if (!widget_) return;
    widget_->setToolTip(HintShown()
                            ? DisplayTextToUnicode(std::string_view(
                                  hint_.constData(), static_cast<std::size_t>(hint_.size())))
                            : QString());
}

namespace {

struct CursorName {
    std::string_view name;
    int value;
    Qt::CursorShape shape;
};

constexpr CursorName kCursors[] = {
    {"crDefault", 0, Qt::ArrowCursor},
    {"crNone", -1, Qt::BlankCursor},
    {"crArrow", -2, Qt::ArrowCursor},
    {"crCross", -3, Qt::CrossCursor},
    {"crIBeam", -4, Qt::IBeamCursor},
    {"crSizeNESW", -6, Qt::SizeBDiagCursor},
    {"crSizeNS", -7, Qt::SizeVerCursor},
    {"crSizeNWSE", -8, Qt::SizeFDiagCursor},
    {"crSizeWE", -9, Qt::SizeHorCursor},
    {"crUpArrow", -10, Qt::UpArrowCursor},
    {"crHourGlass", -11, Qt::WaitCursor},
    {"crNo", -18, Qt::ForbiddenCursor},
    {"crHSplit", -14, Qt::SplitHCursor},
    {"crVSplit", -15, Qt::SplitVCursor},
    {"crAppStart", -19, Qt::BusyCursor},
    {"crHelp", -20, Qt::WhatsThisCursor},
    {"crHandPoint", -21, Qt::PointingHandCursor},
    {"crSizeAll", -22, Qt::SizeAllCursor},
};

} // namespace

void RegisterCursorIdents() {
    RegisterIntegerIdents(
        "TCursor",
        [](std::string_view n) -> std::optional<int> {
            for (const auto& c : kCursors)
                if (c.name == n) return c.value;
            return std::nullopt;
        },
        [](int v) -> std::optional<std::string> {
            for (const auto& c : kCursors)
                if (c.value == v) return std::string(c.name);
            return std::nullopt;
        });
}

Qt::CursorShape ToQtCursor(int cursor) {
    for (const auto& c : kCursors)
        if (c.value == cursor) return c.shape;
    return Qt::ArrowCursor;
}

void TControl::ReadState(TReader& reader) {
    if (auto* p = qobject_cast<TWinControl*>(reader.Parent())) SetParent(p);
    TComponent::ReadState(reader);
}

void TControl::Loaded() {
    TComponent::Loaded();
    // The parent's ShowHint is known now.
    ApplyHint();
    if (parent_) parent_->Realign();
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Children leave first, so that none refers to a widget that is gone; no realigning
    // while they do.
    aligning_ = true;
    while (!controls_.empty()) controls_.back()->SetParent(nullptr);
}

void TWinControl::PlaceChild(TControl& child) {
    SetChildWidget(child, child.bounds_, QPoint(0, 0), child.visible_);
}

void TWinControl::SetChildWidget(TControl& child, const QRect& geometry, QPoint origin,
                                 bool shown) {
    SetChildWidget(child, geometry, origin.x(), origin.y(), shown);
}

void TWinControl::SetChildWidget(TControl& child, const QRect& geometry, int originLeft,
                                 std::int64_t originTop, bool shown) {
    QWidget* w = child.widget_;
    if (!w) return;
    w->setGeometry(geometry);
    w->setVisible(shown);
    if (originLeft != child.widgetOriginLeft_ || originTop != child.widgetOriginTop_) {
        child.widgetOriginLeft_ = originLeft;
        child.widgetOriginTop_ = originTop;
        w->update();
    }
}

QRect TWinControl::AlignArea() const {
    const QWidget* w = ClientWidget();
    return w ? QRect(QPoint(0, 0), w->size()) : QRect();
}

void TWinControl::Realign(TControl* changed) {
    if (IsLoading() || !ClientWidget()) return;
    // Positions set while aligning must not start a nested round; a child that asks for
    // other bounds meanwhile gets a round of its own afterwards.
    if (aligning_) {
        if (!realignPending_) pendingChanged_ = changed;
        realignPending_ = true;
        return;
    }
    aligning_ = true;
    // Bounded, in case children keep asking while they are placed.
    for (int round = 0; round < 4; ++round) {
        std::vector<TAlignedControl> items;
        std::vector<QRect> asked;
        items.reserve(controls_.size());
        for (TControl* c : controls_) {
            items.push_back({kindOf(c->align_), c->visible_, c->request_, c == changed, {}});
            asked.push_back(c->request_);
        }
        std::vector<TAlignedControl*> ptrs;
        for (auto& i : items) ptrs.push_back(&i);
        AlignControls(AlignArea(), ptrs);
        realignPending_ = false;
        for (std::size_t i = 0; i < controls_.size() && i < items.size(); ++i) {
            TControl* c = controls_[i];
            // One that has asked for other bounds since this round began keeps them for
            // the next.
            if (c->align_ == alNone || !c->visible_ || c->request_ != asked[i]) continue;
            c->bounds_ = items[i].bounds;
            c->request_ = items[i].natural;
            c->PlaceWidget();
        }
        if (!realignPending_) break;
        changed = pendingChanged_;
    }
    realignPending_ = false;
    aligning_ = false;
}

void TWinControl::ApplyTabOrder() {
    std::vector<std::pair<int, QWidget*>> chain;
    for (TControl* c : controls_) {
        const QVariant order = c->property("TabOrder");
        if (order.isValid() && order.toInt() >= 0 && c->Widget())
            chain.emplace_back(order.toInt(), c->Widget());
    }
    std::stable_sort(chain.begin(), chain.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1].second, chain[i].second);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    ApplyTabOrder();
}

void TWinControl::GetChildren(const ChildProc& proc, TComponent*) {
    for (TControl* c : controls_) proc(c);
}

bool TWinControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ClientWidget() && event->type() == QEvent::Resize) Realign();
    return TControl::eventFilter(watched, event);
}

} // namespace orlenth
