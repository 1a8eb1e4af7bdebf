#pragma once
// A control that its owner draws: on every paint it hands its canvas, set up in the box's
// own coordinates, to the OnPaint handler. Inside a scrolling area it may be millions of
// pixels high; its widget shows only the visible part and the canvas is translated so that
// the handler always draws in the box's coordinates.

#include "framework/ui/Canvas.h"
#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace orlenth {

// What a box that shows text offers a screen reader: the text in Unicode and where each
// line it is drawn in starts (ascending offsets into the text, the first 0).
// With `columns` the lines are columns drawn right to left, their characters top to bottom.
struct TShownText {
    QString text;
    std::vector<int> lineStarts;
    bool columns = false;
};

class TPaintBox : public TControl {
    Q_OBJECT
public:
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_CLASSINFO("Default.ParentColor", "true")
    Q_CLASSINFO("Default.ParentFont", "true")
    Q_CLASSINFO("Idents.Color", "TColor")
    Q_CLASSINFO("Event.OnPaint", "")
    Q_CLASSINFO("Event.OnDblClick", "")

public:
    Q_INVOKABLE explicit TPaintBox(TComponent* owner = nullptr);
    ~TPaintBox() override;

    // The brush colour each paint starts with.
    int Color() const { return color_; }
    void SetColor(int c);
    bool ParentColor() const { return parentColor_; }
    // Takes the parent's colour now (after loading) or when loading ends.
    void SetParentColor(bool p);
    // The font each paint starts with; a change repaints.
    TFont* Font() { return &font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p) { parentFont_ = p; }

    // The canvas lives as long as the box. Outside a paint it has no painter: drawing on
    // it does nothing but schedule a repaint, so that a handler called directly is
    // followed by a real paint.
    TCanvas* Canvas() { return &canvas_; }
    // Schedules a repaint of the visible part.
    void Invalidate();

    // A box that draws text tells screen readers what it shows: `text` gives the text and
    // its lines, `lineRect(i, top)` where line i is drawn in the box's coordinates moved up
    // by `top` rows (a box may be taller than an int holds; rows near `top` fit one), its
    // row clamped to an int when far from `top`. Lines lie one below the other, or
    // columns one left of the other. Asked when
    // a screen reader asks, again after the text, the width or the font changed.
    void SetTextSource(std::function<TShownText()> text,
                       std::function<QRect(int, std::int64_t)> lineRect);
    bool HasTextSource() const { return static_cast<bool>(textSource_); }
    // The source's text, taken once per paint.
    const TShownText& ShownText();
    // Where line i is drawn in the widget's coordinates (the part of the box in view).
    QRect ShownLineRect(int line) const;
    // The box shows another text: screen readers hear of it.
    void ShownTextChanged();

    void Loaded() override;

private:
    friend class PaintBoxWidget;
    // Sets up the canvas for the part `widgetRect` of the widget and fires OnPaint. Bounds
    // changed by the handler are applied once the paint is over.
    void Paint(QPainter& painter, const QRect& widgetRect);

    std::function<TShownText()> textSource_;
    std::function<QRect(int, std::int64_t)> lineRect_;
    TShownText shown_;
    bool shownStale_ = true;
    int shownWidth_ = -1;
    TCanvas canvas_;
    TFont font_;
    int color_ = kSystemColor | 15;
    bool parentColor_ = true, parentFont_ = true;
};

} // namespace orlenth
