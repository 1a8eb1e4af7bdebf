#include "framework/ui/ToolBar.h"

#include "framework/ui/Form.h"
#include "framework/ui/Panel.h"

#include <QEvent>
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
    bool any = false;
    for (TControl* c : Ordered()) {
        if (!c->Visible()) continue;
        const auto* button = qobject_cast<TToolButton*>(c);
        const int w = button && !button->IsGap() ? buttonWidth_
                      : c->Width() > 0           ? c->Width()
                                                 : kSeparatorWidth;
        c->SetBounds(QRect(x, top, w, buttonHeight_));
        x += w;
        any = true;
    }
    // A bar being filled in code keeps its width until it holds something.
    if (autoSize_ && any) SetWidth(x + (edgeBorders_.testFlag(ebRight) ? kEdgeWidth : 0));
    arranging_ = false;
}

void TToolBar::Loaded() {
    TWinControl::Loaded();
    if (parentColor_) SetParentColor(true);
    ArrangeButtons();
}

bool TToolBar::eventFilter(QObject* watched, QEvent* event) {
    // A button shown or hidden opens or closes its place in the row.
    if (watched != ClientWidget() &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        ArrangeButtons();
    return TWinControl::eventFilter(watched, event);
}

} // namespace orlenth
