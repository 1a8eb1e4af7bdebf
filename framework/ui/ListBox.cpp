#include "framework/ui/ListBox.h"

#include "framework/text/TextEncoding.h"
#include "framework/ui/Accessibility.h"
#include "framework/ui/Form.h"
#include "framework/ui/Panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace orlenth {

namespace {

// The text starts this far into its row.
constexpr int kTextIndent = 2;

} // namespace

// The list's widget: a scroll area whose viewport shows the rows in sight, scrolled a
// whole row at a time.
class ListBoxWidget : public QAbstractScrollArea {
public:
    explicit ListBoxWidget(TListBox& list) : list_(list) {
        setFocusPolicy(Qt::StrongFocus);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        viewport()->setAutoFillBackground(false);
    }

    // Whole rows that fit the viewport; at least one. Taken from the frame's inside, which
    // is right before the widget is first shown, unlike the viewport's own size.
    int FullRows() const { return std::max(1, contentsRect().height() / list_.RowHeight()); }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override { list_.UpdateScrollRange(); }
    void scrollContentsBy(int, int) override { viewport()->update(); }
    void focusInEvent(QFocusEvent* e) override {
        QAbstractScrollArea::focusInEvent(e);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QAbstractScrollArea::focusOutEvent(e);
        viewport()->update();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        const int i = list_.ItemAtPos(e->position().toPoint());
        if (i >= 0) list_.UserSelect(i);
    }
    void keyPressEvent(QKeyEvent* e) override;

private:
    TListBox& list_;
};

void ListBoxWidget::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QPalette& pal = palette();
    const QColor back = ToQColor(list_.Color(), pal);
    p.fillRect(viewport()->rect(), back);
    p.setFont(list_.EffectiveFont());
    const int rh = list_.RowHeight(), top = list_.TopIndex(), w = viewport()->width();
    const int count = list_.Count(), selected = list_.ItemIndex();
    for (int i = top, y = 0; i < count && y < viewport()->height(); ++i, y += rh) {
        const QRect row(0, y, w, rh);
        const bool isSelected = i == selected;
        p.fillRect(row, isSelected ? pal.color(QPalette::Highlight) : back);
        p.setPen(isSelected ? pal.color(QPalette::HighlightedText) : list_.TextColor());
        // Drawn as plain text: "&" stays itself.
        const QByteArray& gbk = list_.Items()->Get(i);
        p.setClipRect(row);
        p.drawText(row.adjusted(kTextIndent, 0, 0, 0),
                   static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine),
                   DisplayTextToUnicode(gbk));
        p.setClipping(false);
    }
    if (!hasFocus()) return;
    // The focus marks the selected row, or the first row's place when none is.
    const int caret = selected >= 0 ? selected : 0;
    if (caret < top || (caret - top) * rh >= viewport()->height()) return;
    DrawFocusFrame(p, QRect(0, (caret - top) * rh, w, rh),
                   caret == selected ? pal.color(QPalette::HighlightedText) : list_.TextColor());
}

void ListBoxWidget::keyPressEvent(QKeyEvent* e) {
    const int count = list_.Count(), current = list_.ItemIndex(), page = FullRows() - 1;
    int next = current;
    switch (e->key()) {
    case Qt::Key_Up:
        next = current < 0 ? 0 : current - 1;
        break;
    case Qt::Key_Down:
        next = current + 1;
        break;
    case Qt::Key_PageUp:
        next = current < 0 ? 0 : current - std::max(1, page);
        break;
    case Qt::Key_PageDown:
        next = std::max(0, current) + std::max(1, page);
        break;
    case Qt::Key_Home:
        next = 0;
        break;
    case Qt::Key_End:
        next = count - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    e->accept();
    if (count == 0) return;
    next = std::clamp(next, 0, count - 1);
    // A key that leaves the selection where it is reports nothing.
    if (next != current) list_.UserSelect(next);
}

TListBox::TListBox(TComponent* owner) : TControl(owner) {
    auto* w = new ListBoxWidget(*this);
    QObject::connect(&items_, &TStrings::Changed, this, [this] {
        itemIndex_ = -1;
        UpdateScrollRange();
        if (ScrollArea()) ScrollArea()->verticalScrollBar()->setValue(0);
        if (ScrollArea()) ScrollArea()->viewport()->update();
    });
    SetWidget(w);
    SetBorderStyle(borderStyle_);
    UpdateScrollRange();
}

QAbstractScrollArea* TListBox::ScrollArea() const {
    return static_cast<QAbstractScrollArea*>(Widget());
}

void TListBox::SetStyle(TListBoxStyle s) {
    style_ = s;
    UpdateScrollRange();
}

void TListBox::SetBorderStyle(TBorderStyle b) {
    borderStyle_ = b;
    if (auto* a = ScrollArea())
        a->setFrameStyle(b == bsSingle ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
}

void TListBox::SetItemHeight(int h) {
    itemHeight_ = std::max(1, h);
    UpdateScrollRange();
}

int TListBox::RowHeight() const {
    if (style_ != lbStandard) return itemHeight_;
    return std::max(1, QFontMetrics(EffectiveFont()).height());
}

void TListBox::SetColor(int c) {
    color_ = c;
    parentColor_ = false;
    ApplyColor();
}

void TListBox::SetParentColor(bool p) {
    parentColor_ = p;
    if (!p || IsLoading()) return;
    if (const auto c = ParentColorSource()) color_ = *c;
    ApplyColor();
}

void TListBox::ApplyColor() {
    if (auto* a = ScrollArea()) a->viewport()->update();
}

void TListBox::SetParentFont(bool p) {
    parentFont_ = p;
    UpdateScrollRange();
}

QFont TListBox::EffectiveFont() const {
    if (!parentFont_) return font_.ToQFont();
    if (const TFont* f = ParentFontSource()) return f->ToQFont();
    return Widget() ? Widget()->font() : QFont();
}

QColor TListBox::TextColor() const {
    const QPalette pal = Widget() ? Widget()->palette() : QPalette();
    const TFont* f = parentFont_ ? ParentFontSource() : &font_;
    return f ? ToQColor(f->Color(), pal) : pal.color(QPalette::WindowText);
}

int TListBox::TopIndex() const {
    return ScrollArea() ? ScrollArea()->verticalScrollBar()->value() : 0;
}

void TListBox::SetTopIndex(int index) {
    if (auto* a = ScrollArea()) a->verticalScrollBar()->setValue(index);
}

void TListBox::UpdateScrollRange() {
    auto* w = static_cast<ListBoxWidget*>(Widget());
    if (!w) return;
    const int rows = w->FullRows();
    QScrollBar* bar = w->verticalScrollBar();
    bar->setRange(0, std::max(0, Count() - rows));
    bar->setPageStep(rows);
    bar->setSingleStep(1);
    w->viewport()->update();
}

int TListBox::ItemAtPos(const QPoint& pos) const {
    if (pos.y() < 0) return -1;
    const int i = TopIndex() + pos.y() / RowHeight();
    return i < Count() ? i : -1;
}

QRect TListBox::ItemRect(int index) const {
    if (index < 0 || index >= Count() || !ScrollArea()) return {};
    const int rh = RowHeight();
    return QRect(0, (index - TopIndex()) * rh, ScrollArea()->viewport()->width(), rh);
}

void TListBox::ScrollTo(int index) {
    auto* w = static_cast<ListBoxWidget*>(Widget());
    if (!w || index < 0) return;
    const int top = TopIndex(), rows = w->FullRows();
    if (index < top)
        SetTopIndex(index);
    else if (index >= top + rows)
        SetTopIndex(index - rows + 1);
}

void TListBox::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < Count() ? index : -1;
    ScrollTo(itemIndex_);
    if (auto* a = ScrollArea()) a->viewport()->update();
    NotifyItemSelected(Widget(), itemIndex_);
}

void TListBox::UserSelect(int index) {
    SetItemIndex(index);
    Fire("OnClick", Q_ARG(orlenth::TComponent*, this));
}

void TListBox::Loaded() {
    TControl::Loaded();
    if (parentColor_) SetParentColor(true);
    UpdateScrollRange();
}

} // namespace orlenth
