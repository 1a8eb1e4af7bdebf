#include "framework/ui/ToolBar.h"

#include "framework/ui/Dialogs.h"
#include "framework/ui/Form.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ToolBarCustomizer.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace orlenth {

namespace {

// The bar's widget paints its background (unless transparent) and its edge borders.
class ToolBarWidget : public QWidget {
public:
    explicit ToolBarWidget(TToolBar& bar) : bar_(bar) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!bar_.Transparent()) p.fillRect(rect(), palette().color(QPalette::Window));
        const QColor dark = palette().color(QPalette::Mid),
                     light = palette().color(QPalette::Light);
        const QRect r = rect();
        // Each edge is an etched line: a dark line with a light one inside it.
        const auto edges = bar_.EdgeBorders();
        if (edges.testFlag(TToolBar::ebTop)) {
            p.setPen(dark);
            p.drawLine(r.left(), r.top(), r.right(), r.top());
            p.setPen(light);
            p.drawLine(r.left(), r.top() + 1, r.right(), r.top() + 1);
        }
        if (edges.testFlag(TToolBar::ebBottom)) {
            p.setPen(dark);
            p.drawLine(r.left(), r.bottom() - 1, r.right(), r.bottom() - 1);
            p.setPen(light);
            p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        }
        if (edges.testFlag(TToolBar::ebLeft)) {
            p.setPen(dark);
            p.drawLine(r.left(), r.top(), r.left(), r.bottom());
            p.setPen(light);
            p.drawLine(r.left() + 1, r.top(), r.left() + 1, r.bottom());
        }
        if (edges.testFlag(TToolBar::ebRight)) {
            p.setPen(dark);
            p.drawLine(r.right() - 1, r.top(), r.right() - 1, r.bottom());
            p.setPen(light);
            p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        }
    }

private:
    TToolBar& bar_;
};

} // namespace

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
    auto* w = new ToolBarWidget(*this);
    w->setAutoFillBackground(false);
    SetWidget(w);
    SetColor(color_);
}

void TToolBar::SetAutoSize(bool a) {
    autoSize_ = a;
    ArrangeButtons();
}

void TToolBar::SetButtonHeight(int h) {
    buttonHeight_ = std::max(1, h);
    ArrangeButtons();
}

void TToolBar::SetButtonWidth(int w) {
    buttonWidth_ = std::max(1, w);
    ArrangeButtons();
}

void TToolBar::SetColor(int c) {
    color_ = c;
    parentColor_ = false;
    SetWidgetColor(Widget(), c);
    Repaint();
}

void TToolBar::SetParentColor(bool p) {
    parentColor_ = p;
    if (!p || IsLoading()) return;
    if (const auto c = ParentColorSource()) SetColor(*c);
    parentColor_ = true;
}

void TToolBar::SetEdgeBorders(TEdgeBorders e) {
    edgeBorders_ = e;
    ArrangeButtons();
    Repaint();
}

void TToolBar::SetFlat(bool f) {
    flat_ = f;
    Repaint();
    for (TControl* c : Controls())
        if (c->Widget()) c->Widget()->update();
}

void TToolBar::SetTransparent(bool t) {
    transparent_ = t;
    Repaint();
}

void TToolBar::Repaint() {
    if (QWidget* w = Widget()) w->update();
}

QRect TToolBar::AlignArea() const {
    const int left = edgeBorders_.testFlag(ebLeft) ? kEdgeWidth : 0;
    const int top = edgeBorders_.testFlag(ebTop) ? kEdgeWidth : 0;
    const int right = edgeBorders_.testFlag(ebRight) ? kEdgeWidth : 0;
    const int bottom = edgeBorders_.testFlag(ebBottom) ? kEdgeWidth : 0;
    return TWinControl::AlignArea().adjusted(left, top, -right, -bottom);
}

std::vector<TControl*> TToolBar::Ordered() const {
    std::vector<TControl*> order = Controls();
    std::stable_sort(order.begin(), order.end(),
                     [](const TControl* a, const TControl* b) { return a->Left() < b->Left(); });
    return order;
}

void TToolBar::ArrangeButtons() {
    if (arranging_ || IsLoading()) return;
    arranging_ = true;
    const int left = edgeBorders_.testFlag(ebLeft) ? kEdgeWidth : 0;
    const int top = edgeBorders_.testFlag(ebTop) ? kEdgeWidth : 0;
    int x = left;
    laidOut_.clear();
    for (TControl* c : Ordered()) {
        if (!c->Visible()) continue;
        const auto* button = qobject_cast<TToolButton*>(c);
        const int w = button && !button->IsGap() ? buttonWidth_
                      : c->Width() > 0           ? c->Width()
                                                 : kSeparatorWidth;
        c->SetBounds(QRect(x, top, w, buttonHeight_));
        x += w;
        laidOut_.push_back(c);
    }
    // A bar being filled in code keeps its width until it holds something. The width
    // asked for, not the one alignment left it, says whether it changes.
    const int width = x + (edgeBorders_.testFlag(ebRight) ? kEdgeWidth : 0);
    if (autoSize_ && !laidOut_.empty() && RequestedBounds().width() != width) SetWidth(width);
    arranging_ = false;
    // Controls placed before the bar took its width see it now.
    for (TControl* c : Controls()) PlaceChild(*c);
}

void TToolBar::PlaceChild(TControl& child) {
    const bool counted = std::find(laidOut_.begin(), laidOut_.end(), &child) != laidOut_.end();
    if (!arranging_ && !IsLoading() && counted != child.Visible()) {
        ArrangeButtons();
        return;
    }
    const QRect area = AlignArea(), b = child.Bounds();
    const bool fits = b.left() + b.width() <= area.left() + area.width();
    SetChildWidget(child, b, QPoint(0, 0), child.Visible() && fits);
}

void TToolBar::Loaded() {
    TWinControl::Loaded();
    if (parentColor_) SetParentColor(true);
    ArrangeButtons();
    Stored();
}

std::vector<TControl*> TToolBar::Stored() {
    if (stored_.empty())
        for (TControl* c : Ordered()) stored_.emplace_back(c);
    std::vector<TControl*> out;
    for (const auto& c : stored_)
        if (c) out.push_back(c);
    return out;
}

std::vector<TControl*> TToolBar::Design() {
    if (!designSet_) return Stored();
    std::vector<TControl*> out;
    for (const auto& c : design_)
        if (c) out.push_back(c);
    return out;
}

void TToolBar::SetDesign(const std::vector<TControl*>& design) {
    const std::vector<TControl*> stored = Stored();
    design_.clear();
    for (TControl* c : design)
        if (std::find(stored.begin(), stored.end(), c) != stored.end()) design_.emplace_back(c);
    designSet_ = true;
}

namespace {

bool takesTab(const QWidget* w) {
    return w && (w->focusPolicy() & Qt::TabFocus);
}

} // namespace

QWidget* TToolBar::TabPredecessor() const {
    const QWidget* bar = Widget();
    if (!bar) return nullptr;
    const QWidget* window = bar->window();
    const auto onBar = [&](const QWidget* w) {
        return std::any_of(Controls().begin(), Controls().end(),
                           [w](const TControl* c) { return c->Widget() == w; });
    };
    // The first of the bar's widgets in the window's chain, then back from it to the last
    // one before it that takes the Tab key; the chain is a ring.
    QWidget* first = window->nextInFocusChain();
    while (first != window && !onBar(first)) first = first->nextInFocusChain();
    if (first == window) return nullptr;
    for (QWidget* w = first->previousInFocusChain(); w != first; w = w->previousInFocusChain())
        if (w != window && !onBar(w) && takesTab(w)) return w;
    return nullptr;
}

void TToolBar::SetButtons(const std::vector<TControl*>& order) {
    const std::vector<TControl*> stored = Stored();
    // The buttons keep their place in the window's Tab order: after the widget that came
    // before them, which a button that leaves the bar and comes back would lose.
    QWidget* before = TabPredecessor();
    arranging_ = true;
    for (TControl* c : stored)
        if (std::find(order.begin(), order.end(), c) == order.end() && c->Parent() == this)
            c->SetParent(nullptr);
    // Lefts by rank give the order; arranging then gives the real ones.
    int rank = 0;
    for (TControl* c : order) {
        if (std::find(stored.begin(), stored.end(), c) == stored.end()) continue;
        if (c->Parent() != this) c->SetParent(this);
        c->SetLeft(rank++);
    }
    arranging_ = false;
    ArrangeButtons();
    for (TControl* c : Ordered()) {
        QWidget* w = c->Widget();
        if (!takesTab(w)) continue;
        if (before) QWidget::setTabOrder(before, w);
        before = w;
    }
}

void TToolBar::Customize() {
    TToolBarCustomizer dialog(*this, Widget() ? Widget()->window() : nullptr);
    Dialogs().RunModal(dialog);
}

bool TToolBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ClientWidget()) {
        // A narrower bar shows fewer of its controls, a wider one brings them back.
        if (event->type() == QEvent::Resize)
            for (TControl* c : Controls()) PlaceChild(*c);
        // Double clicks on buttons stay with them; only the bar's own parts (its free
        // end, its separators) pass them here.
        if (event->type() == QEvent::MouseButtonDblClick && customizable_ &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Customize();
            return true;
        }
    }
    return TWinControl::eventFilter(watched, event);
}

} // namespace orlenth
