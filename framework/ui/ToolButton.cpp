#include "framework/ui/ToolButton.h"

#include "framework/text/TextEncoding.h"
#include "framework/ui/Accessibility.h"
#include "framework/ui/ToolBar.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace orlenth {

namespace {

// The button's widget: draws the button in its state and turns mouse clicks into Click().
class ToolButtonWidget : public QWidget {
public:
    // Reached by the Tab key, not by clicks: a click leaves the focus where the reader had
    // it. Gaps are never reached (see TToolButton::SetStyle).
    explicit ToolButtonWidget(TToolButton& button) : button_(button) {
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
    }

    bool Hovered() const { return hovered_; }
    // Enter and leave only come with pointer motion: a menu or a modal window that held
    // the pointer, or a layout that moved the button away from under it, leaves the
    // hover frame where it was. Asks where the pointer is now instead.
    void SyncHover() { setHovered(isVisible() && QApplication::widgetAt(QCursor::pos()) == this); }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override { setHovered(true); }
    void leaveEvent(QEvent*) override { setHovered(false); }
    void hideEvent(QHideEvent*) override { hovered_ = false; }
    bool event(QEvent* e) override {
        const bool result = QWidget::event(e);
        if (hovered_ && (e->type() == QEvent::Move || e->type() == QEvent::Resize)) SyncHover();
        return result;
    }
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }
    // Space presses, as on any button; Enter is left to the window, whose shortcut it may be.
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() != Qt::Key_Space) {
            QWidget::keyPressEvent(e);
            return;
        }
        e->accept();
        button_.Click();
    }
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void setHovered(bool h) {
        if (h == hovered_) return;
        hovered_ = h;
        update();
    }
    void drawFrame(QPainter& p, bool sunk) const;
    void drawGap(QPainter& p) const;

    TToolButton& button_;
    bool hovered_ = false, pressed_ = false, inside_ = false;
};

bool flatBar(const TToolButton& b) {
    const TToolBar* bar = b.ToolBar();
    return bar && bar->Flat();
}

void ToolButtonWidget::drawFrame(QPainter& p, bool sunk) const {
    const QRect r = rect().adjusted(0, 0, -1, -1);
    const QColor light = palette().color(QPalette::Light), dark = palette().color(QPalette::Mid);
    p.setPen(sunk ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(sunk ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void ToolButtonWidget::drawGap(QPainter& p) const {
    // Flat bars and dividers show the gap as an etched upright line in its middle.
    if (button_.Style() != TToolButton::tbsDivider && !flatBar(button_)) return;
    const int x = width() / 2 - 1;
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(x, 2, x, height() - 3);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(x + 1, 2, x + 1, height() - 3);
}

void ToolButtonWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (button_.IsGap()) {
        drawGap(p);
        return;
    }
    const bool enabled = button_.Enabled();
    const bool sunk = (pressed_ && inside_) || button_.Down();
    if (button_.Down() && !(pressed_ && inside_))
        p.fillRect(rect().adjusted(1, 1, -1, -1), palette().color(QPalette::Midlight));
    if (sunk)
        drawFrame(p, true);
    else if (enabled && (hovered_ || !flatBar(button_)))
        drawFrame(p, false);

    QRect text = rect();
    if (sunk) text.translate(1, 1);
    const QByteArray c = button_.Caption();
    const QString caption = DisplayTextToUnicode(c);
    // The drop-down mark takes the right end when the caption leaves room for it.
    constexpr int kArrow = 7;
    if (button_.Style() == TToolButton::tbsDropDown &&
        fontMetrics().horizontalAdvance(caption) + 2 * kArrow <= width()) {
        text.setRight(text.right() - kArrow);
        const int ax = text.right() + 1, ay = text.center().y();
        QPainterPath arrow;
        arrow.moveTo(ax, ay - 1);
        arrow.lineTo(ax + 5, ay - 1);
        arrow.lineTo(ax + 2.5, ay + 2);
        arrow.closeSubpath();
        p.fillPath(arrow, palette().color(enabled ? QPalette::Active : QPalette::Disabled,
                                          QPalette::WindowText));
    }
    p.setPen(
        palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(text, Qt::AlignCenter, caption);
    if (hasFocus())
        DrawFocusFrame(
            p, rect().adjusted(2, 2, -2, -2),
            palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
}

void ToolButtonWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !button_.Enabled() || button_.IsGap()) {
        QWidget::mousePressEvent(e);
        return;
    }
    pressed_ = inside_ = true;
    update();
    // A drop-down button opens its menu at once and is up again when the menu has closed.
    if (button_.Style() == TToolButton::tbsDropDown && button_.DropdownMenu()) {
        QPointer<QWidget> guard(this);
        button_.Click();
        if (!guard) return;
        pressed_ = false;
        update();
    }
}

void ToolButtonWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!pressed_) return;
    const bool inside = rect().contains(e->position().toPoint());
    if (inside != inside_) {
        inside_ = inside;
        update();
    }
}

void ToolButtonWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    update();
    if (rect().contains(e->position().toPoint())) button_.Click();
}

} // namespace

TToolButton::TToolButton(TComponent* owner)
    : TControl(owner), TActionClient(static_cast<TComponent&>(*this)) {
    SetWidget(new ToolButtonWidget(*this));
}

TToolBar* TToolButton::ToolBar() const {
    return qobject_cast<TToolBar*>(Parent());
}

void TToolButton::SetParent(TWinControl* parent) {
    TToolBar* old = ToolBar();
    if (old && Widget()) Widget()->removeEventFilter(old);
    TControl::SetParent(parent);
    if (old && old != parent) old->ArrangeButtons();
    if (TToolBar* bar = ToolBar()) {
        if (Widget()) Widget()->installEventFilter(bar);
        bar->ArrangeButtons();
    }
}

void TToolButton::SetCaption(const QByteArray& c) {
    caption_ = c;
    Repaint();
}

void TToolButton::SetDown(bool d) {
    down_ = d;
    Repaint();
    if (!d || !grouped_ || style_ != tbsCheck || !ToolBar()) return;
    // The group: the unbroken run of grouped check buttons around this one.
    const std::vector<TControl*> row = ToolBar()->Ordered();
    const auto self = std::find(row.begin(), row.end(), this);
    if (self == row.end()) return;
    auto inGroup = [](TControl* c) {
        const auto* b = qobject_cast<TToolButton*>(c);
        return b && b->grouped_ && b->style_ == tbsCheck;
    };
    for (auto it = self; it != row.begin() && inGroup(*(it - 1)); --it)
        static_cast<TToolButton*>(*(it - 1))->SetDown(false);
    for (auto it = self + 1; it != row.end() && inGroup(*it); ++it)
        static_cast<TToolButton*>(*it)->SetDown(false);
}

void TToolButton::SetEnabled(bool e) {
    enabled_ = e;
    Repaint();
}

void TToolButton::SetStyle(TToolButtonStyle s) {
    style_ = s;
    if (QWidget* w = Widget()) w->setFocusPolicy(IsGap() ? Qt::NoFocus : Qt::TabFocus);
    Repaint();
    if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::Repaint() {
    if (QWidget* w = Widget()) w->update();
}

bool TToolButton::Hot() const {
    const auto* w = static_cast<const ToolButtonWidget*>(Widget());
    return w && w->Hovered();
}

void TToolButton::Click() {
    if (!enabled_ || IsGap()) return;
    // What the click runs may take the pointer away without a leave, or delete the button.
    const QPointer<ToolButtonWidget> widget = static_cast<ToolButtonWidget*>(Widget());
    const auto run = [this, &widget] {
        if (style_ == tbsDropDown && dropdownMenu_) {
            dropdownMenu_->Popup(widget ? widget->mapToGlobal(QPoint(0, widget->height()))
                                        : QPoint());
            return;
        }
        if (style_ == tbsCheck) {
            // A grouped button that is down stays down unless the group may be all up.
            if (!down_ || !grouped_ || allowAllUp_) SetDown(!down_);
        }
        if (Fire("OnClick", Q_ARG(orlenth::TComponent*, this))) return;
        if (TAction* a = Action()) a->Execute();
    };
    run();
    if (widget) widget->SyncHover();
}

} // namespace orlenth
