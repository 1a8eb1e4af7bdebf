#pragma once
// A control that its owner draws: on every paint it hands its canvas, set up in the box's
// own coordinates, to the OnPaint handler. Inside a scrolling area it may be millions of
// pixels high; its widget shows only the visible part and the canvas is translated so that
// the handler always draws in the box's coordinates.

#include "framework/text/CharacterIndex.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

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

    // A box that draws text tells screen readers what it shows: `lines` gives its display
    // lines and their bytes as they come (it outlives the box), `columns()` whether the
    // lines are columns drawn right to left, their characters top to bottom, and
    // `lineRect(i, top)` where line i is drawn in the box's coordinates moved up by `top`
    // rows (a box may be taller than an int holds; rows near `top` fit one), its row
    // clamped to an int when far from `top`. Lines lie one below the other, or columns one
    // left of the other.
    void SetTextSource(text::LineSource& lines, std::function<bool()> columns,
                       std::function<QRect(int, std::int64_t)> lineRect);
    bool HasTextSource() const { return static_cast<bool>(shown_); }
    // The text as counted so far, for a screen reader's questions; null without a source.
    // Counts a step further first when the lines reach further than what is counted.
    text::CharacterIndex* ShownText();
    bool ShownInColumns() const { return columns_ && columns_(); }
    // Where line i is drawn in the widget's coordinates (the part of the box in view).
    QRect ShownLineRect(int line) const;
    // The box shows another text: screen readers hear the old one go and the new one come
    // as it is counted.
    void ShownTextChanged();
    // The same text lies in other lines (another width, columns): the reading place moved.
    void ShownLinesChanged();
    // More lines were wrapped: screen readers hear of the text they hold, a step at a time.
    void ShownLinesAdded();

    // Bytes counted per step of the window's thread: about a millisecond.
    static constexpr std::size_t kShownStepBytes = 512 * 1024;

    void Loaded() override;

private:
    friend class PaintBoxWidget;
    // Sets up the canvas for the part `widgetRect` of the widget and fires OnPaint. Bounds
    // changed by the handler are applied once the paint is over.
    void Paint(QPainter& painter, const QRect& widgetRect);

    // A step of counting the text, and of telling of the old text's end.
    void StepShownText();
    void CountShownStep();

    std::unique_ptr<text::CharacterIndex> shown_;
    std::function<bool()> columns_;
    std::function<QRect(int, std::int64_t)> lineRect_;
    // Units of the old text that screen readers have not yet heard removed.
    int removing_ = 0;
    QTimer shownSteps_;
    TCanvas canvas_;
    TFont font_;
    int color_ = kSystemColor | 15;
    bool parentColor_ = true, parentFont_ = true;
};

} // namespace orlenth
