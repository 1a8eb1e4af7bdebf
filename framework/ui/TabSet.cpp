#include "framework/ui/TabSet.h"

#include "framework/text/TextEncoding.h"
#include "framework/ui/Accessibility.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <algorithm>

namespace orlenth {

namespace {

// Room beside a caption inside its tab, and how far a tab's sides lean inward. Kept
// tight: the five category tabs must fit the left panel's design width.
constexpr int kTextPadding = 1;
constexpr int kSlant = 3;
constexpr int kArrowWidth = 16;

} // namespace

// The strip's widget draws the tabs the tab set lays out and turns clicks into selections.
class TabSetWidget : public QWidget {
public:
    // Reached by the Tab key, not by clicks: a click on a tab leaves the focus where the
    // reader had it.
    explicit TabSetWidget(TTabSet& tabs) : tabs_(tabs) { setFocusPolicy(Qt::TabFocus); }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        const int i = tabs_.TabAt(e->position().toPoint());
        if (i >= 0) tabs_.SetTabIndex(i);
    }
    void resizeEvent(QResizeEvent*) override { tabs_.UpdateScroller(); }
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }
    void keyPressEvent(QKeyEvent* e) override {
        const int count = tabs_.Tabs()->Count(), current = tabs_.TabIndex();
        int next;
        switch (e->key()) {
        case Qt::Key_Left:
            next = current - 1;
            break;
        case Qt::Key_Right:
            next = current + 1;
            break;
        case Qt::Key_Home:
            next = 0;
            break;
        case Qt::Key_End:
            next = count - 1;
            break;
        default:
            QWidget::keyPressEvent(e);
            return;
        }
        e->accept();
        if (next >= 0 && next < count) tabs_.SetTabIndex(next);
    }

private:
    void DrawTab(QPainter& p, int index, bool selected);
    TTabSet& tabs_;
};

void TabSetWidget::DrawTab(QPainter& p, int index, bool selected) {
    const QRect r = tabs_.TabRect(index);
    if (r.isEmpty()) return;
    const QPalette& pal = palette();
    const QColor fill = ToQColor(selected ? tabs_.SelectedColor() : tabs_.UnselectedColor(), pal);
    const QColor edge = pal.color(tabs_.SoftTop() ? QPalette::Mid : QPalette::Shadow);
    // The tab hangs from the strip's top line; its sides lean in towards the bottom.
    const qreal l = r.left(), t = r.top(), rt = r.left() + r.width() - 1,
                b = r.top() + r.height() - 1;
    QPolygonF shape;
    shape << QPointF(l, t) << QPointF(l + kSlant, b) << QPointF(rt - kSlant, b) << QPointF(rt, t);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPolygon(shape);
    p.setPen(edge);
    p.drawLine(QPointF(l, t), QPointF(l + kSlant, b));
    p.drawLine(QPointF(l + kSlant, b), QPointF(rt - kSlant, b));
    p.drawLine(QPointF(rt - kSlant, b), QPointF(rt, t));
    if (selected) {
        // The selected tab is open to the page above: no line across its top, and a
        // light inner edge on its left side.
        p.setPen(fill);
        p.drawLine(QPointF(l + 1, t), QPointF(rt - 1, t));
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(QPointF(l + 1, t), QPointF(l + kSlant + 1, b - 1));
    }
    const TFont* f = tabs_.ParentFont() ? tabs_.ParentFontSource() : tabs_.Font();
    p.setPen(f ? ToQColor(f->Color(), pal) : pal.color(QPalette::WindowText));
    p.drawText(r.adjusted(kSlant, 0, -kSlant, 0),
               static_cast<int>(Qt::AlignCenter | Qt::TextSingleLine),
               DisplayTextToUnicode(tabs_.Tabs()->Get(index)));
}

void TabSetWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), ToQColor(tabs_.BackgroundColor(), pal));
    if (tabs_.DitherBackground()) p.fillRect(rect(), QBrush(Qt::white, Qt::Dense4Pattern));
    p.setFont(tabs_.EffectiveFont());
    // Clip the tabs off the arrow buttons' corner.
    p.setClipRect(QRect(0, 0, tabs_.TabLimit(), height()));
    const int selected = tabs_.TabIndex();
    for (int i = tabs_.FirstIndex(); i < tabs_.Tabs()->Count(); ++i)
        if (i != selected) DrawTab(p, i, false);
    // The line the tabs hang from runs over the unselected ones and under the selected one.
    p.setClipping(false);
    p.setPen(pal.color(tabs_.SoftTop() ? QPalette::Mid : QPalette::Shadow));
    p.drawLine(0, 0, width() - 1, 0);
    if (tabs_.SoftTop()) {
        p.setPen(pal.color(QPalette::Midlight));
        p.drawLine(0, 1, width() - 1, 1);
    }
    p.setClipRect(QRect(0, 0, tabs_.TabLimit(), height()));
    if (selected >= 0) DrawTab(p, selected, true);
    if (hasFocus() && selected >= 0)
        DrawFocusFrame(p, tabs_.TabRect(selected).adjusted(kSlant + 1, 2, -kSlant - 1, -2),
                       palette().color(QPalette::WindowText));
}

TTabSet::TTabSet(TComponent* owner)
    : TControl(owner), backgroundColor_(kSystemColor | 15), selectedColor_(kSystemColor | 15),
      unselectedColor_(kSystemColor | 5) {
    auto* w = new TabSetWidget(*this);
    auto arrow = [w](Qt::ArrowType type) {
        auto* b = new QToolButton(w);
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
        return b;
    };
    back_ = arrow(Qt::LeftArrow);
    forward_ = arrow(Qt::RightArrow);
    QObject::connect(back_, &QAbstractButton::clicked, this,
                     [this] { SetFirstIndex(firstIndex_ - 1); });
    QObject::connect(forward_, &QAbstractButton::clicked, this,
                     [this] { SetFirstIndex(firstIndex_ + 1); });
    QObject::connect(&tabs_, &TStrings::Changed, this, [this] {
        if (!IsLoading() && tabIndex_ >= tabs_.Count()) tabIndex_ = -1;
        UpdateScroller();
    });
    SetWidget(w);
}

QAbstractButton* TTabSet::ScrollButton(bool forward) const {
    return forward ? forward_ : back_;
}

QFont TTabSet::EffectiveFont() const {
    if (!parentFont_) return font_.ToQFont();
    if (const TFont* f = ParentFontSource()) return f->ToQFont();
    return Widget() ? Widget()->font() : QFont();
}

int TTabSet::TabWidth(int index) const {
    const QFontMetrics fm(EffectiveFont());
    return fm.horizontalAdvance(DisplayTextToUnicode(tabs_.Get(index))) +
           2 * (kTextPadding + kSlant);
}

int TTabSet::TabLimit() const {
    const int w = Widget() ? Widget()->width() : Width();
    return std::max(0, w - endMargin_ - (scrollerVisible_ ? 2 * kArrowWidth : 0));
}

QRect TTabSet::TabRect(int index) const {
    if (index < firstIndex_ || index >= tabs_.Count()) return {};
    int x = startMargin_;
    for (int i = firstIndex_; i < index; ++i) x += TabWidth(i);
    // Only the first shown tab may be cut off; the others show whole or not at all.
    const int w = TabWidth(index);
    if (index > firstIndex_ && x + w > TabLimit()) return {};
    return QRect(x, 0, w, tabHeight_);
}

int TTabSet::TabAt(const QPoint& pos) const {
    if (pos.x() >= TabLimit()) return -1;
    for (int i = firstIndex_; i < tabs_.Count(); ++i) {
        const QRect r = TabRect(i);
        if (r.isEmpty()) break;
        if (r.contains(pos)) return i;
    }
    return -1;
}

int TTabSet::LastFullyShown() const {
    int x = startMargin_, last = firstIndex_ - 1;
    for (int i = firstIndex_; i < tabs_.Count(); ++i) {
        x += TabWidth(i);
        if (x > TabLimit()) break;
        last = i;
    }
    return last;
}

void TTabSet::UpdateScroller() {
    if (IsLoading() || !Widget()) return;
    int total = startMargin_ + endMargin_;
    for (int i = 0; i < tabs_.Count(); ++i) total += TabWidth(i);
    scrollerVisible_ = autoScroll_ && total > Widget()->width();
    if (!scrollerVisible_) firstIndex_ = 0;
    firstIndex_ = std::clamp(firstIndex_, 0, std::max(0, tabs_.Count() - 1));
    const int h = std::max(1, std::min(tabHeight_, Widget()->height()));
    const int x = Widget()->width() - 2 * kArrowWidth;
    back_->setGeometry(x, 0, kArrowWidth, h);
    forward_->setGeometry(x + kArrowWidth, 0, kArrowWidth, h);
    back_->setVisible(scrollerVisible_);
    forward_->setVisible(scrollerVisible_);
    back_->setEnabled(firstIndex_ > 0);
    forward_->setEnabled(LastFullyShown() < tabs_.Count() - 1);
    Widget()->update();
}

void TTabSet::SetFirstIndex(int index) {
    const int clamped = std::clamp(index, 0, std::max(0, tabs_.Count() - 1));
    if (clamped == firstIndex_) return;
    firstIndex_ = clamped;
    UpdateScroller();
}

void TTabSet::MakeVisible(int index) {
    if (index < 0 || !scrollerVisible_) return;
    if (index < firstIndex_) {
        SetFirstIndex(index);
        return;
    }
    while (index > LastFullyShown() && firstIndex_ < index) ++firstIndex_;
    UpdateScroller();
}

void TTabSet::SetTabIndex(int index) {
    if (IsLoading()) {
        tabIndex_ = index;
        return;
    }
    if (index == tabIndex_ || index < -1 || index >= tabs_.Count()) return;
    if (index >= 0) {
        bool allowChange = true;
        Fire("OnChange", Q_ARG(orlenth::TComponent*, this), Q_ARG(int, index),
             Q_ARG(bool&, allowChange));
        if (!allowChange) return;
    }
    tabIndex_ = index;
    MakeVisible(index);
    if (Widget()) Widget()->update();
    NotifyItemSelected(Widget(), index);
}

void TTabSet::SetAutoScroll(bool a) {
    autoScroll_ = a;
    UpdateScroller();
}
void TTabSet::SetBackgroundColor(int c) {
    backgroundColor_ = c;
    if (Widget()) Widget()->update();
}
void TTabSet::SetSelectedColor(int c) {
    selectedColor_ = c;
    if (Widget()) Widget()->update();
}
void TTabSet::SetUnselectedColor(int c) {
    unselectedColor_ = c;
    if (Widget()) Widget()->update();
}
void TTabSet::SetDitherBackground(bool d) {
    dither_ = d;
    if (Widget()) Widget()->update();
}
void TTabSet::SetStartMargin(int m) {
    startMargin_ = std::max(0, m);
    UpdateScroller();
}
void TTabSet::SetEndMargin(int m) {
    endMargin_ = std::max(0, m);
    UpdateScroller();
}
void TTabSet::SetSoftTop(bool s) {
    softTop_ = s;
    if (Widget()) Widget()->update();
}
void TTabSet::SetTabHeight(int h) {
    tabHeight_ = std::max(1, h);
    UpdateScroller();
}
void TTabSet::SetParentFont(bool p) {
    parentFont_ = p;
    UpdateScroller();
}

void TTabSet::Loaded() {
    TControl::Loaded();
    if (tabIndex_ < -1 || tabIndex_ >= tabs_.Count()) tabIndex_ = -1;
    UpdateScroller();
}

} // namespace orlenth
