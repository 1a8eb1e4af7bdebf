#include "framework/ui/ScrollBox.h"

#include "framework/ui/Accessibility.h"
#include "framework/ui/ScrollSteps.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdint>

namespace orlenth {

namespace {

// Wheel notches come in eighths of a degree, 120 to a notch.
constexpr int kWheelNotch = 120;
// Sub-steps of an arrow click (and of a wheel notch's line) and of a click in the track.
constexpr int kLineParts = 4;
constexpr int kPageParts = 12;

// The frame: background, the sunken border of bsSingle, and room for the client area and
// the scroll bar, which the box places itself.
class ScrollBoxFrame : public QWidget {
public:
    explicit ScrollBoxFrame(const TScrollBox& box) : box_(box) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (box_.BorderStyle() != TScrollBox::bsSingle) return;
        QPainter p(this);
        const QRect r = rect();
        const QColor shadow = palette().color(QPalette::Mid),
                     light = palette().color(QPalette::Light),
                     dark = palette().color(QPalette::Dark),
                     face = palette().color(QPalette::Button);
        auto edge = [&](const QRect& e, const QColor& topLeft, const QColor& bottomRight) {
            p.setPen(topLeft);
            p.drawLine(e.topLeft(), e.topRight());
            p.drawLine(e.topLeft(), e.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(e.bottomLeft(), e.bottomRight());
            p.drawLine(e.topRight(), e.bottomRight());
        };
        edge(r, shadow, light);
        edge(r.adjusted(1, 1, -1, -1), dark, face);
    }

private:
    const TScrollBox& box_;
};

// Lies over the page while the area has the keyboard focus and shows it with a dotted
// frame; the page's own drawing knows nothing of focus, and without the focus the area
// looks exactly as before.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QWidget* area) : QWidget(area) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        DrawFocusFrame(p, rect(), palette().color(QPalette::WindowText));
    }
};

} // namespace

void TControlScrollBar::SetSmooth(bool s) {
    smooth_ = s;
    emit Changed();
}

void TControlScrollBar::SetTracking(bool t) {
    tracking_ = t;
    emit Changed();
}

void TControlScrollBar::SetIncrement(int i) {
    increment_ = std::max(1, i);
    emit Changed();
}

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
    auto* frame = new ScrollBoxFrame(*this);
    viewport_ = new QWidget(frame);
    viewport_->setAutoFillBackground(true);
    bar_ = new QScrollBar(Qt::Vertical, frame);
    bar_->hide();
    bar_->setTracking(vertScrollBar_.Tracking());
    QObject::connect(bar_, &QScrollBar::valueChanged, this,
                     [this](int value) { SetVertPosition(PositionOfBar(value)); });
    QObject::connect(bar_, &QScrollBar::actionTriggered, this,
                     [this](int action) { BarAction(action); });
    QObject::connect(&vertScrollBar_, &TControlScrollBar::Changed, this, [this] {
        bar_->setTracking(vertScrollBar_.Tracking());
        UpdateLayout();
    });
    frame_ = new QTimer(this);
    frame_->setSingleShot(true);
    QObject::connect(frame_, &QTimer::timeout, this, [this] { ShowPosition(); });
    viewport_->installEventFilter(this);
    // Keys reach the area once it has the focus; a click on the page gives it.
    viewport_->setFocusPolicy(Qt::StrongFocus);
    focusMark_ = new FocusMark(viewport_);
    SetWidget(frame);
    ApplyColor();
}

TScrollBox::~TScrollBox() {
    // The widgets outlive this part of the object; their events must not reach it.
    viewport_->removeEventFilter(this);
    if (QWidget* w = Widget()) w->removeEventFilter(this);
}

void TScrollBox::SetAutoScroll(bool a) {
    autoScroll_ = a;
    UpdateLayout();
}

void TScrollBox::SetBorderStyle(TBorderStyle b) {
    borderStyle_ = b;
    UpdateLayout();
    if (QWidget* w = Widget()) w->update();
}

void TScrollBox::SetColor(int c) {
    color_ = c;
    parentColor_ = false;
    ApplyColor();
}

void TScrollBox::SetParentColor(bool p) {
    parentColor_ = p;
    if (!p || IsLoading()) return;
    if (const auto c = ParentColorSource()) {
        color_ = *c;
        ApplyColor();
    }
}

void TScrollBox::ApplyColor() {
    for (QWidget* w : {Widget(), viewport_}) {
        if (!w) continue;
        SetWidgetColor(w, color_);
        w->update();
    }
}

void TScrollBox::Loaded() {
    TWinControl::Loaded();
    if (parentColor_) SetParentColor(true);
    if (parentFont_)
        if (const TFont* f = ParentFontSource()) font_.Assign(f);
    UpdateLayout();
    Realign();
}

QWidget* TScrollBox::ClientWidget() const {
    return viewport_;
}

int TScrollBox::ClientWidth() const {
    return viewport_->width();
}
int TScrollBox::ClientHeight() const {
    return viewport_->height();
}
bool TScrollBox::VertScrollBarShown() const {
    return !bar_->isHidden();
}

std::int64_t TScrollBox::MaxVertPosition() const {
    return std::max<std::int64_t>(range_ - ViewLength(), 0);
}

// In columns position 0 is the right edge: the thumb starts at the bar's right end and goes
// left. The value is turned here rather than by the bar's inverted appearance, so that the
// value, the thumb and the steps of BarAction all agree on one direction.
int TScrollBox::BarValueOfPosition() const {
    const std::int64_t end = MaxVertPosition();
    const int value = BarValue(position_, end);
    return columns_ ? BarMaximum(end) - value : value;
}

std::int64_t TScrollBox::PositionOfBar(int value) const {
    const std::int64_t end = MaxVertPosition();
    return BarPosition(columns_ ? BarMaximum(end) - value : value, end);
}

void TScrollBox::SetColumns(bool columns) {
    if (columns == columns_) return;
    columns_ = columns;
    columnsShown_ = -1;
    bar_->setOrientation(columns ? Qt::Horizontal : Qt::Vertical);
    UpdateLayout();
    Realign();
}

void TScrollBox::FollowEnd() {
    SetVertPosition(MaxVertPosition());
    following_ = true;
}

void TScrollBox::SetVertPosition(std::int64_t pos, TRedraw redraw) {
    following_ = false;
    pos = std::clamp<std::int64_t>(pos, 0, MaxVertPosition());
    if (pos == position_) {
        if (redraw == kNow && frame_->isActive()) ShowPosition();
        return;
    }
    position_ = pos;
    if (redraw == kNow) return ShowPosition();
    if (!frame_->isActive()) {
        const QScreen* screen = viewport_->screen();
        const qreal hertz = screen && screen->refreshRate() > 1 ? screen->refreshRate() : 60;
        frame_->start(std::max(1, static_cast<int>(1000 / hertz)));
    }
}

void TScrollBox::ShowPosition() {
    frame_->stop();
    {
        const QSignalBlocker block(bar_);
        bar_->setValue(BarValueOfPosition());
    }
    // Scrolling only moves what is shown: children keep their bounds and their layout.
    for (TControl* c : Controls()) PlaceChildInView(*c);
}

int TScrollBox::LineStep() const {
    return vertScrollBar_.Smooth() ? SmoothScrollSteps(ViewLength()).line
                                   : vertScrollBar_.Increment();
}

int TScrollBox::PageStep() const {
    return vertScrollBar_.Smooth() ? SmoothScrollSteps(ViewLength()).page
                                   : std::max(1, ViewLength());
}

void TScrollBox::SmoothScrollBy(int delta, int parts) {
    QElapsedTimer since;
    bool first = true;
    for (const int step : SubSteps(delta, parts)) {
        const std::int64_t before = position_;
        if (!first) {
            const qint64 wait = kSubStepMs - since.elapsed();
            if (wait > 0) QThread::msleep(static_cast<unsigned long>(wait));
        }
        first = false;
        since.start();
        ScrollBy(step);
        if (position_ == before) break;
        viewport_->repaint();
    }
}

// The bar has already moved its slider by its own steps; they are taken back and the
// area's own steps run instead, sub-step by sub-step. The ends and dragging stay the bar's.
void TScrollBox::BarAction(int action) {
    int delta = 0, parts = 1;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        delta = LineStep(), parts = kLineParts;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        delta = -LineStep(), parts = kLineParts;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        delta = PageStep(), parts = kPageParts;
        break;
    case QAbstractSlider::SliderPageStepSub:
        delta = -PageStep(), parts = kPageParts;
        break;
    default:
        return;
    }
    bar_->setSliderPosition(BarValueOfPosition());
    // In columns the bar's end is the page's start: its steps rightwards go back.
    if (columns_) delta = -delta;
    if (vertScrollBar_.Smooth())
        SmoothScrollBy(delta, parts);
    else
        ScrollBy(delta);
}

bool TScrollBox::KeyPressed(int key) {
    int left = key;
    Fire("OnKeyDown", Q_ARG(orlenth::TComponent*, this), Q_ARG(int&, left));
    if (left == 0) return true;
    const bool smooth = vertScrollBar_.Smooth();
    const auto step = [&](int delta, int parts) {
        if (smooth)
            SmoothScrollBy(delta, parts);
        else
            ScrollBy(delta);
    };
    if (columns_ && left == Qt::Key_Left) left = Qt::Key_Down;
    if (columns_ && left == Qt::Key_Right) left = Qt::Key_Up;
    switch (left) {
    case Qt::Key_Down:
        step(LineStep(), kLineParts);
        return true;
    case Qt::Key_Up:
        step(-LineStep(), kLineParts);
        return true;
    case Qt::Key_PageDown:
        step(PageStep(), kPageParts);
        return true;
    case Qt::Key_PageUp:
        step(-PageStep(), kPageParts);
        return true;
    case Qt::Key_Home:
        SetVertPosition(0);
        return true;
    case Qt::Key_End:
        FollowEnd();
        return true;
    default:
        return false;
    }
}

void TScrollBox::ScrollBy(int delta) {
    SetVertPosition(position_ + delta);
}

void TScrollBox::PlaceChild(TControl& child) {
    if (laying_)
        PlaceChildInView(child);
    else
        UpdateLayout();
}

void TScrollBox::PlaceChildInView(TControl& child) {
    QWidget* w = child.Widget();
    if (!w) return;
    if (columns_) {
        // The child draws the part the position shows in the area's own coordinates.
        const std::int64_t start = std::int64_t{child.Top()} - position_;
        const bool shown = child.Visible() && start < viewport_->width() &&
                           start + child.Height64() > 0 && viewport_->height() > 0;
        SetChildWidget(child, shown ? viewport_->rect() : w->geometry(), 0, 0, shown);
        // Repainted when the position moved since it last showed, not on every placing: a
        // paint that sets the child's bounds places it again.
        if (shown && position_ != columnsShown_) {
            columnsShown_ = position_;
            w->update();
        }
        return;
    }
    const QRect b = child.Bounds();
    // Content rows run past what an int holds.
    const std::int64_t top = std::int64_t{b.top()} - position_;
    const std::int64_t bottom = top + child.Height64();
    const std::int64_t left = b.left(), right = left + b.width();
    const std::int64_t visTop = std::max<std::int64_t>(top, 0),
                       visBottom = std::min<std::int64_t>(bottom, viewport_->height()),
                       visLeft = std::max<std::int64_t>(left, 0),
                       visRight = std::min<std::int64_t>(right, viewport_->width());
    if (!child.Visible() || visTop >= visBottom || visLeft >= visRight) {
        SetChildWidget(child, w->geometry(), child.WidgetOrigin().x(), child.WidgetOriginTop(),
                       false);
        return;
    }
    const QRect geometry(static_cast<int>(visLeft), static_cast<int>(visTop),
                         static_cast<int>(visRight - visLeft),
                         static_cast<int>(visBottom - visTop));
    SetChildWidget(child, geometry, static_cast<int>(visLeft - left), visTop - top, true);
}

void TScrollBox::UpdateLayout() {
    QWidget* frame = Widget();
    if (laying_ || !frame) return;
    laying_ = true;
    std::int64_t range = 0;
    for (const TControl* c : Controls())
        if (c->Visible()) range = std::max(range, std::int64_t{c->Top()} + c->Height64());
    range_ = range;

    const int border = BorderWidth();
    const int outerWidth = std::max(0, frame->width() - 2 * border),
              outerHeight = std::max(0, frame->height() - 2 * border);
    const bool showBar = autoScroll_ && range_ > (columns_ ? outerWidth : outerHeight);
    const int extent = bar_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize oldClient = viewport_->size();
    if (columns_) {
        const int barHeight = showBar ? std::min(outerHeight, extent) : 0;
        viewport_->setGeometry(border, border, outerWidth, outerHeight - barHeight);
        bar_->setGeometry(border, border + outerHeight - barHeight, outerWidth, barHeight);
    } else {
        const int barWidth = showBar ? std::min(outerWidth, extent) : 0;
        viewport_->setGeometry(border, border, outerWidth - barWidth, outerHeight);
        bar_->setGeometry(border + outerWidth - barWidth, border, barWidth, outerHeight);
    }
    bar_->setVisible(showBar);

    // Following the end, the position goes where the end now is.
    const std::int64_t end = MaxVertPosition();
    position_ = following_ ? end : std::clamp<std::int64_t>(position_, 0, end);
    {
        const QSignalBlocker block(bar_);
        bar_->setRange(0, BarMaximum(end));
        // The thumb shows the visible part; what a click moves is the area's own step
        // (BarAction), not the bar's.
        bar_->setPageStep(BarPageStep(ViewLength(), end));
        bar_->setSingleStep(LineStep());
        bar_->setValue(BarValueOfPosition());
    }
    for (TControl* c : Controls()) PlaceChildInView(*c);
    laying_ = false;
    // Aligned children follow the client area, which the scroll bar narrows.
    if (viewport_->size() != oldClient) Realign();
}

void TScrollBox::WidgetPlaced() {
    SizeChanged();
}

void TScrollBox::SizeChanged() {
    UpdateLayout();
    QWidget* frame = Widget();
    // The size is reported as the user sees it: not while loading or hidden; the first
    // showing reports it too.
    if (!frame || IsLoading() || !frame->isVisible() || frame->size() == reportedSize_) return;
    reportedSize_ = frame->size();
    Fire("OnResize", Q_ARG(orlenth::TComponent*, this));
}

bool TScrollBox::eventFilter(QObject* watched, QEvent* event) {
    const bool inArea = watched == viewport_ || watched == Widget();
    if (inArea) {
        switch (event->type()) {
        case QEvent::Wheel: {
            auto* wheel = static_cast<QWheelEvent*>(event);
            wheelRemainder_ += wheel->angleDelta().y();
            const int notches = wheelRemainder_ / kWheelNotch;
            wheelRemainder_ %= kWheelNotch;
            // As many lines a notch as the desktop asks (three unless set otherwise).
            const int delta = -notches * QApplication::wheelScrollLines() * LineStep();
            if (vertScrollBar_.Smooth())
                SmoothScrollBy(delta, kLineParts * std::max(1, std::abs(notches)));
            else
                ScrollBy(delta);
            return true;
        }
        case QEvent::MouseButtonDblClick:
            Fire("OnDblClick", Q_ARG(orlenth::TComponent*, this));
            return true;
        case QEvent::KeyPress:
            if (watched == viewport_ && KeyPressed(static_cast<QKeyEvent*>(event)->key()))
                return true;
            break;
        case QEvent::Resize:
        case QEvent::Show:
            if (watched == Widget()) SizeChanged();
            if (watched == viewport_) focusMark_->setGeometry(viewport_->rect());
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            if (watched == viewport_) {
                focusMark_->setGeometry(viewport_->rect());
                focusMark_->raise();
                focusMark_->setVisible(event->type() == QEvent::FocusIn);
                // A reader hears of what the area shows, not of the bare area.
                if (event->type() == QEvent::FocusIn && QAccessible::isActive() &&
                    Controls().size() == 1 && Controls().front()->Widget()) {
                    QAccessibleEvent focus(Controls().front()->Widget(), QAccessible::Focus);
                    QAccessible::updateAccessibility(&focus);
                }
            }
            break;
        default:
            break;
        }
    }
    return TWinControl::eventFilter(watched, event);
}

} // namespace orlenth
