#include "framework/ui/PaintBox.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace orlenth {

class PaintBoxWidget : public QWidget {
public:
    explicit PaintBoxWidget(TPaintBox& box) : box_(box) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        box_.Paint(painter, event->rect());
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        box_.Fire("OnDblClick", Q_ARG(orlenth::TComponent*, &box_));
        event->accept();
    }

private:
    TPaintBox& box_;
};

TPaintBox::TPaintBox(TComponent* owner) : TControl(owner) {
    SetWidget(new PaintBoxWidget(*this));
    canvas_.SetDrawnOutsidePaint([this] { Invalidate(); });
    QObject::connect(&font_, &TFont::Changed, this, [this] { Invalidate(); });
    shownSteps_.setSingleShot(true);
    shownSteps_.setInterval(0);
    QObject::connect(&shownSteps_, &QTimer::timeout, this, [this] { StepShownText(); });
}

TPaintBox::~TPaintBox() = default;

void TPaintBox::SetColor(int c) {
    color_ = c;
    parentColor_ = false;
    Invalidate();
}

void TPaintBox::SetParentColor(bool p) {
    parentColor_ = p;
    if (!p || IsLoading()) return;
    if (const auto c = ParentColorSource()) {
        color_ = *c;
        Invalidate();
    }
}

void TPaintBox::Loaded() {
    TControl::Loaded();
    if (parentColor_) SetParentColor(true);
    if (parentFont_)
        if (const TFont* f = ParentFontSource()) font_.Assign(f);
}

void TPaintBox::Invalidate() {
    if (QWidget* w = Widget()) w->update();
}

QRect TPaintBox::ShownLineRect(int line) const {
    if (!lineRect_) return {};
    return lineRect_(line, WidgetOriginTop()).translated(-WidgetOrigin().x(), 0);
}

void TPaintBox::SetTextSource(text::LineSource& lines, std::function<bool()> columns,
                              std::function<QRect(int, std::int64_t)> lineRect) {
    shown_ = std::make_unique<text::CharacterIndex>(lines);
    columns_ = std::move(columns);
    lineRect_ = std::move(lineRect);
    removing_ = 0;
}

text::CharacterIndex* TPaintBox::ShownText() {
    // A short text is counted whole at the first question; a long one is answered as far
    // as it is counted, which the steps carry on.
    if (shown_ && !shown_->caughtUp()) CountShownStep();
    return shown_.get();
}

void TPaintBox::CountShownStep() {
    const int before = shown_->count();
    const QString added = shown_->extend(kShownStepBytes);
    if (!added.isEmpty() && QAccessible::isActive() && Widget()) {
        QAccessibleTextInsertEvent inserted(Widget(), before, added);
        QAccessible::updateAccessibility(&inserted);
    }
}

void TPaintBox::StepShownText() {
    if (!shown_ || !QAccessible::isActive() || !Widget()) return;
    if (removing_ > 0) {
        // The old text goes in pieces, after what is counted of the new one: a screen
        // reader that keeps count sees both add up, and no piece costs more than a step.
        // Its characters are gone; spaces stand for them, as many as there were.
        const int piece = std::min(removing_, static_cast<int>(kShownStepBytes / 2));
        removing_ -= piece;
        QAccessibleTextRemoveEvent removed(Widget(), shown_->count(), QString(piece, u' '));
        QAccessible::updateAccessibility(&removed);
    }
    CountShownStep();
    // Without a screen reader the questions themselves count on, as far as they need.
    if (removing_ > 0 || !shown_->caughtUp()) shownSteps_.start();
}

void TPaintBox::ShownTextChanged() {
    if (!shown_) return;
    removing_ += shown_->count();
    shown_->reset();
    // Converting a long novel costs; without a screen reader nobody would read it.
    if (!QAccessible::isActive() || !Widget()) {
        removing_ = 0;
        return;
    }
    QAccessibleTextCursorEvent caret(Widget(), 0);
    QAccessible::updateAccessibility(&caret);
    shownSteps_.start();
}

void TPaintBox::ShownLinesChanged() {
    if (!shown_ || !QAccessible::isActive() || !Widget()) return;
    QAccessibleTextCursorEvent caret(Widget(), 0);
    QAccessible::updateAccessibility(&caret);
}

void TPaintBox::ShownLinesAdded() {
    if (shown_ && QAccessible::isActive() && !shownSteps_.isActive()) shownSteps_.start();
}

void TPaintBox::Paint(QPainter& painter, const QRect& widgetRect) {
    // Rows past what an int holds are painted through a canvas whose row 0 is far down the
    // box; the widget, never taller than a screen, then lies well inside the canvas's rows.
    const std::int64_t top = WidgetOriginTop();
    const std::int64_t offset = top / TCanvas::kRowTile * TCanvas::kRowTile;
    const QPoint origin(WidgetOrigin().x(), static_cast<int>(top - offset));
    painter.setClipRect(widgetRect);
    painter.translate(-origin);
    canvas_.Font()->Assign(&font_);
    canvas_.Brush()->SetColor(color_);
    canvas_.Brush()->SetStyle(TBrush::bsSolid);
    canvas_.Begin(&painter, widgetRect.translated(origin), Widget()->palette(), offset);
    // A handler that sets the page's height at its end must not move or resize this widget
    // while it paints; the new bounds are applied from the event loop right after.
    HoldPlacement();
    struct EndPaint {
        TPaintBox& box;
        ~EndPaint() {
            box.canvas_.End();
            box.ReleasePlacement(true);
        }
    } end{*this};
    Fire("OnPaint", Q_ARG(orlenth::TComponent*, this));
}

} // namespace orlenth
