#pragma once
// A list of text rows, one of which may be selected. Only the rows in sight are drawn, so
// a folder of tens of thousands of titles scrolls as lightly as a handful.
// The user's selections go to OnClick: a press on a row selects it and reports it, even
// when it was selected already (a title is opened again); the arrow keys, Page Up/Down,
// Home and End report only when they move the selection.

#include "framework/ui/Control.h"
#include "framework/ui/Font.h"
#include "framework/ui/Strings.h"

#include <QAbstractScrollArea>

namespace orlenth {

class TListBox : public TControl {
    Q_OBJECT
public:
    enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
    Q_ENUM(TListBoxStyle)
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    Q_PROPERTY(TListBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(orlenth::TStrings* Items READ Items)
    Q_CLASSINFO("Default.Style", "lbStandard")
    Q_CLASSINFO("Default.BorderStyle", "bsSingle")
    Q_CLASSINFO("Default.ItemHeight", "16")
    // The writer compares numbers: clWindow.
    Q_CLASSINFO("Default.Color", "-16777211")
    Q_CLASSINFO("Default.ParentColor", "false")
    Q_CLASSINFO("Default.ParentFont", "true")
    Q_CLASSINFO("Idents.Color", "TColor")
    Q_CLASSINFO("Event.OnClick", "")

public:
    Q_INVOKABLE explicit TListBox(TComponent* owner = nullptr);

    // lbStandard rows are as high as a line of the list's font; the owner-drawn styles
    // use ItemHeight.
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle s);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle b);
    // At least 1.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int h);
    // The row height in use (see Style).
    int RowHeight() const;
    int Color() const { return color_; }
    // Turns ParentColor off.
    void SetColor(int c);
    // On: the list takes its parent panel's or form's colour (once loaded, when read
    // from a description).
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool p);
    TFont* Font() { return &font_; }
    // On: rows are drawn in the parent's font (see TControl::ParentFontSource) instead of Font.
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }

    // The rows, GBK. Any change of them leaves no row selected and shows the first row.
    TStrings* Items() { return &items_; }
    int Count() const { return items_.Count(); }
    int ItemIndex() const { return itemIndex_; }
    // Selects the row and scrolls it into view, without OnClick; −1 or an index outside
    // 0 … Count() − 1 leaves no row selected.
    void SetItemIndex(int index);
    // The first row in sight.
    int TopIndex() const;
    void SetTopIndex(int index);
    // The row at `pos` (in the rows' area), or −1 below the last one.
    int ItemAtPos(const QPoint& pos) const;
    QRect ItemRect(int index) const;
    // The font and the text colour rows are drawn in.
    QFont EffectiveFont() const;
    QColor TextColor() const;

    QAbstractScrollArea* ScrollArea() const;
    void Loaded() override;
    // The user chose row `index` (by mouse, keys or a screen reader): select, scroll,
    // redraw and tell OnClick.
    void UserSelect(int index);

private:
    friend class ListBoxWidget;
    void ScrollTo(int index);
    void UpdateScrollRange();
    void ApplyColor();

    TFont font_;
    TStrings items_;
    TListBoxStyle style_ = lbStandard;
    TBorderStyle borderStyle_ = bsSingle;
    int itemHeight_ = 16, color_ = kSystemColor | 5, tabOrder_ = -1, itemIndex_ = -1;
    bool parentColor_ = false, parentFont_ = true;
};

} // namespace orlenth
