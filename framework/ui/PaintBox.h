#pragma once
// A control that its owner draws: on every paint it hands its canvas, set up in the box's
// own coordinates, to the OnPaint handler. Inside a scrolling area it may be millions of
// pixels high; its widget shows only the visible part and the canvas is translated so that
// the handler always draws in the box's coordinates.

#include "framework/ui/Canvas.h"
#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

namespace orlenth {

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

    void Loaded() override;

private:
    friend class PaintBoxWidget;
    // Sets up the canvas for the part `widgetRect` of the widget and fires OnPaint. Bounds
    // changed by the handler are applied once the paint is over.
    void Paint(QPainter& painter, const QRect& widgetRect);

    TCanvas canvas_;
    TFont font_;
    int color_ = kSystemColor | 15;
    bool parentColor_ = true, parentFont_ = true;
};

} // namespace orlenth
