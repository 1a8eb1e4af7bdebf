#include "framework/ui/Splitter.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace orlenth {

namespace {

class SplitterWidget : public QWidget {
public:
    explicit SplitterWidget(TSplitter& splitter) : splitter_(splitter) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (!splitter_.Beveled() || width() < 2 || height() < 2) return;
        QPainter p(this);
        const QRect r = rect();
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) splitter_.BeginDrag(e->globalPosition().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) splitter_.DragTo(e->globalPosition().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) splitter_.EndDrag(e->globalPosition().toPoint());
    }

private:
    TSplitter& splitter_;
};

// The line a drag moves before the size applies.
class DragLineWidget : public QWidget {
public:
    DragLineWidget(QWidget* parent, bool hatched) : QWidget(parent), hatched_(hatched) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QColor c = palette().color(QPalette::WindowText);
        p.fillRect(rect(), hatched_ ? QBrush(c, Qt::Dense4Pattern) : QBrush(c));
    }

private:
    bool hatched_;
};

int along(const QRect& r, bool horizontal) {
    return horizontal ? r.width() : r.height();
}

} // namespace

TSplitter::TSplitter(TComponent* owner) : TControl(owner) {
    SetWidget(new SplitterWidget(*this));
}

TSplitter::~TSplitter() {
    delete line_.data();
}

void TSplitter::SetMinSize(int m) {
    minSize_ = std::max(0, m);
}

void TSplitter::SetBeveled(bool b) {
    beveled_ = b;
    if (Widget()) Widget()->update();
}

bool TSplitter::Horizontal() const {
    return Align() == alLeft || Align() == alRight;
}

QWidget* TSplitter::DragLine() const {
    return line_.data();
}

TControl* TSplitter::ResizedControl() const {
    const TWinControl* parent = Parent();
    if (!parent) return nullptr;
    const QRect me = Bounds();
    for (TControl* c : parent->Controls()) {
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        const QRect b = c->Bounds();
        // QRect's right and bottom are inclusive: the touching edge is one past them.
        const bool touches = Align() == alLeft     ? b.right() + 1 == me.left()
                             : Align() == alRight  ? b.left() == me.right() + 1
                             : Align() == alTop    ? b.bottom() + 1 == me.top()
                             : Align() == alBottom ? b.top() == me.bottom() + 1
                                                   : false;
        if (touches) return c;
    }
    return nullptr;
}

void TSplitter::BeginDrag(const QPoint& globalPos) {
    TControl* control = ResizedControl();
    if (!control) return;
    const bool h = Horizontal();
    const QRect me = Bounds(), area = Parent()->AlignArea();
    // The rest: what lies beyond the splitter, less the controls aligned on that side.
    int rest = 0;
    switch (Align()) {
    case alLeft:
        rest = area.right() - me.right();
        break;
    case alRight:
        rest = me.left() - area.left();
        break;
    case alTop:
        rest = area.bottom() - me.bottom();
        break;
    default:
        rest = me.top() - area.top();
        break;
    }
    for (TControl* c : Parent()->Controls()) {
        if (c == this || c == control || !c->Visible()) continue;
        const QRect b = c->Bounds();
        const bool beyond =
            (Align() == alLeft &&
             ((c->Align() == alLeft && b.left() > me.left()) || c->Align() == alRight)) ||
            (Align() == alRight &&
             ((c->Align() == alRight && b.left() < me.left()) || c->Align() == alLeft)) ||
            (Align() == alTop &&
             ((c->Align() == alTop && b.top() > me.top()) || c->Align() == alBottom)) ||
            (Align() == alBottom &&
             ((c->Align() == alBottom && b.top() < me.top()) || c->Align() == alTop));
        if (beyond) rest -= along(b, h);
    }
    drag_.control = control;
    drag_.start = globalPos;
    drag_.startSize = along(control->Bounds(), h);
    drag_.maxSize = drag_.startSize + std::max(0, rest - minSize_);
    drag_.lastSize = drag_.startSize;
    dragging_ = true;
    if (resizeStyle_ == rsLine || resizeStyle_ == rsPattern) {
        line_ = new DragLineWidget(Parent()->ClientWidget(), resizeStyle_ == rsPattern);
        ShowLine(drag_.startSize);
    }
}

int TSplitter::SizeFor(const QPoint& globalPos) const {
    const QPoint d = globalPos - drag_.start;
    const int delta = Horizontal() ? d.x() : d.y();
    const int sign = Align() == alLeft || Align() == alTop ? 1 : -1;
    int size = drag_.startSize + sign * delta;
    if (size < minSize_) size = autoSnap_ && size < minSize_ / 2 ? 0 : minSize_;
    return std::min(size, drag_.maxSize);
}

void TSplitter::DragTo(const QPoint& globalPos) {
    if (!dragging_) return;
    drag_.lastSize = SizeFor(globalPos);
    if (resizeStyle_ == rsUpdate)
        Apply(drag_.lastSize);
    else if (line_)
        ShowLine(drag_.lastSize);
}

void TSplitter::EndDrag(const QPoint& globalPos) {
    if (!dragging_) return;
    dragging_ = false;
    HideLine();
    const int size = SizeFor(globalPos);
    const bool moved = size != drag_.startSize;
    Apply(size);
    drag_ = Drag{};
    if (moved) Fire("OnMoved", Q_ARG(orlenth::TComponent*, this));
}

void TSplitter::Apply(int size) {
    TControl* c = drag_.control;
    if (!c || along(c->Bounds(), Horizontal()) == size) return;
    const QRect b = c->Bounds();
    // A right or bottom control keeps its far edge; the parent's realignment places
    // everything else.
    switch (Align()) {
    case alLeft:
        c->SetWidth(size);
        break;
    case alTop:
        c->SetHeight(size);
        break;
    case alRight:
        c->SetBounds(QRect(b.left() + b.width() - size, b.top(), size, b.height()));
        break;
    default:
        c->SetBounds(QRect(b.left(), b.top() + b.height() - size, b.width(), size));
        break;
    }
    if (Parent()) Parent()->Realign(c);
}

void TSplitter::ShowLine(int size) {
    if (!line_ || !drag_.control) return;
    const QRect b = drag_.control->Bounds(), me = Bounds();
    QRect r;
    switch (Align()) {
    case alLeft:
        r = QRect(b.left() + size, me.top(), me.width(), me.height());
        break;
    case alRight:
        r = QRect(b.left() + b.width() - size - me.width(), me.top(), me.width(), me.height());
        break;
    case alTop:
        r = QRect(me.left(), b.top() + size, me.width(), me.height());
        break;
    default:
        r = QRect(me.left(), b.top() + b.height() - size - me.height(), me.width(), me.height());
        break;
    }
    line_->setGeometry(r);
    line_->raise();
    line_->show();
}

void TSplitter::HideLine() {
    delete line_.data();
    line_ = nullptr;
}

} // namespace orlenth
