#include "framework/ui/PaintBox.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

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
    QObject::connect(&font_, &TFont::Changed, this, [this] {
        shownStale_ = true;
        Invalidate();
    });
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

void TPaintBox::SetTextSource(std::function<TShownText()> text,
                              std::function<QRect(int, std::int64_t)> lineRect) {
    textSource_ = std::move(text);
    lineRect_ = std::move(lineRect);
    shownStale_ = true;
}

const TShownText& TPaintBox::ShownText() {
    if (shownStale_) {
        shown_ = textSource_ ? textSource_() : TShownText{};
        if (shown_.lineStarts.empty()) shown_.lineStarts.push_back(0);
        shownStale_ = false;
    }
    return shown_;
}

void TPaintBox::ShownTextChanged() {
    shownStale_ = true;
    // Converting a long novel costs; without a screen reader nobody would read it.
    if (!QAccessible::isActive() || !Widget() || !textSource_) return;
    const QString before = shown_.text;
    QAccessibleTextUpdateEvent update(Widget(), 0, before, ShownText().text);
    QAccessible::updateAccessibility(&update);
    QAccessibleTextCursorEvent caret(Widget(), 0);
    QAccessible::updateAccessibility(&caret);
}

void TPaintBox::Paint(QPainter& painter, const QRect& widgetRect) {
    // Lines wrap again at another width; scrolling alone leaves them as they are.
    if (Width() != shownWidth_) shownStale_ = true;
    shownWidth_ = Width();
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
