#pragma once
// The reading area: a windowed control whose children live in a vertically scrolling,
// virtual content space. A child's bounds are content coordinates and may be far taller
// than any widget can be (a long novel's page is tens of millions of pixels high), so no
// child widget is ever given its full size: each is cut to the visible part and told which
// part of itself it shows (TControl::WidgetOrigin).

#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

class QScrollBar;
class QTimer;

namespace orlenth {

// The stored settings of the area's vertical scroll bar.
class TControlScrollBar : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(bool Smooth READ Smooth WRITE SetSmooth)
    Q_PROPERTY(bool Tracking READ Tracking WRITE SetTracking)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_CLASSINFO("Default.Smooth", "false")
    Q_CLASSINFO("Default.Tracking", "false")
    Q_CLASSINFO("Default.Increment", "8")

public:
    explicit TControlScrollBar(QObject* parent = nullptr) : TPersistent(parent) {}

    // Smooth: a click in the track moves 9/10 of the visible height and an arrow a tenth
    // of that, each in timed sub-steps drawn one by one; the wheel moves by lines likewise.
    // Without it, an arrow moves Increment pixels and the track the visible height, at once.
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool s);
    // With tracking, dragging the thumb scrolls as it moves; without, on release.
    bool Tracking() const { return tracking_; }
    void SetTracking(bool t);
    // Pixels per arrow click; values below 1 are taken as 1.
    int Increment() const { return increment_; }
    void SetIncrement(int i);

signals:
    void Changed();

private:
    bool smooth_ = false, tracking_ = false;
    int increment_ = 8;
};

// Events: OnResize(sender) when the size of the whole area, as seen, changes: on its first
// showing and on every later change of its bounds while shown (after its own layout; the
// scroll bar coming or going is no resize). OnDblClick(sender) for a double click on the
// area itself, not on a child.
class TScrollBox : public TWinControl {
    Q_OBJECT
public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(orlenth::TControlScrollBar* VertScrollBar READ VertScrollBar)
    Q_CLASSINFO("Default.AutoScroll", "true")
    Q_CLASSINFO("Default.BorderStyle", "bsSingle")
    Q_CLASSINFO("Default.ParentColor", "false")
    Q_CLASSINFO("Default.ParentFont", "true")
    Q_CLASSINFO("Idents.Color", "TColor")
    Q_CLASSINFO("Event.OnResize", "")
    Q_CLASSINFO("Event.OnDblClick", "")
    Q_CLASSINFO("Event.OnKeyDown", "orlenth::TComponent*,int&")

public:
    Q_INVOKABLE explicit TScrollBox(TComponent* owner = nullptr);
    ~TScrollBox() override;

    // Without AutoScroll the scroll bar is never shown; the position can still be set.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool a);
    // bsSingle draws a 2-pixel sunken frame inside the bounds; the client area shrinks.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle b);
    // The background seen around the children.
    int Color() const { return color_; }
    void SetColor(int c);
    bool ParentColor() const { return parentColor_; }
    // Takes the parent's colour now (after loading) or when loading ends.
    void SetParentColor(bool p);
    TFont* Font() { return &font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p) { parentFont_ = p; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }
    TControlScrollBar* VertScrollBar() { return &vertScrollBar_; }

    // Columns: the area scrolls across, its bar below it, and its positions (the
    // VertPosition family, which keeps its name) run from the content's right edge
    // leftwards: 0 shows the right edge, and onward is leftward. So what a page of rows
    // does with "down" a page of columns does with "left" through the same positions.
    // The children's Top and Height64 then measure that distance from the right edge:
    // each child is shown across the whole client area, its origin at the area's top left,
    // and draws what the position shows itself (it is repainted on every move). Keys:
    // Left and Down onward, Right and Up back.
    bool Columns() const { return columns_; }
    void SetColumns(bool columns);
    // The visible length along the scroll axis: ClientHeight, or ClientWidth in columns.
    int ViewLength() const { return columns_ ? ClientWidth() : ClientHeight(); }

    // The content row shown at the top of the client area, in 64 bits: the content may be
    // taller than an int holds. Set: clamped to 0 … MaxVertPosition(); the current value
    // changes nothing. With kNextFrame the position is taken at once but shown (children
    // moved, bar and area redrawn) at the screen's next refresh: many small steps a frame,
    // as auto-scroll's at 1 ms, then cost one redraw, and whatever sets them is not held up
    // by painting. An immediate set, a layout or the frame shows it, whichever comes first.
    // Every set ends following the end. The scroll bar shows the position on its int range,
    // scaled when the positions do not fit one (BarValue, ScrollSteps.h), its ends exact.
    enum TRedraw { kNow, kNextFrame };
    std::int64_t VertPosition() const { return position_; }
    void SetVertPosition(std::int64_t pos, TRedraw redraw = kNow);
    std::int64_t MaxVertPosition() const;
    // The content's length along the scroll axis: the largest Top + Height64 of the visible
    // children (at least 0).
    std::int64_t VertRange() const { return range_; }
    // Goes to the end and stays there while the range changes (content still arriving),
    // until the position is set in any other way: a key that moves it, the bar, the
    // wheel, SetVertPosition. The End key does this.
    void FollowEnd();
    bool FollowingEnd() const { return following_; }
    // The visible area: the bounds less the border and a shown scroll bar.
    int ClientWidth() const;
    int ClientHeight() const;
    bool VertScrollBarShown() const;
    // What an arrow and a click in the track move, for the present visible length and the
    // stored settings.
    int LineStep() const;
    int PageStep() const;
    // Moves by `delta` pixels in `parts` sub-steps at least kSubStepMs apart, drawing the
    // area after each; returns when done, so nothing else (a timer's tick) runs between.
    // Stops early at either end.
    void SmoothScrollBy(int delta, int parts);
    static constexpr int kSubStepMs = 10;

    QWidget* ClientWidget() const override;
    // Places a child at its bounds moved up by VertPosition() and cut to the client area;
    // a child with nothing in view, or invisible, is hidden. Any change of a child's
    // bounds or visibility lands here, so the range is recomputed too.
    void PlaceChild(TControl& child) override;
    void Loaded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void WidgetPlaced() override;

private:
    // Range, scroll bar, client area and every child's place, from the current state.
    void UpdateLayout();
    void PlaceChildInView(TControl& child);
    void ScrollBy(int delta);
    // Brings the bar and the children to the position.
    void ShowPosition();
    void BarAction(int action);
    // The bar's value for the position, and back.
    int BarValueOfPosition() const;
    std::int64_t PositionOfBar(int value) const;
    // True when the key was the area's to handle.
    bool KeyPressed(int key);
    // Lays out for a new size of the whole area and reports it once loading is over.
    void SizeChanged();
    void ApplyColor();
    int BorderWidth() const { return borderStyle_ == bsSingle ? 2 : 0; }

    QWidget* viewport_;
    QWidget* focusMark_;
    QScrollBar* bar_;
    QTimer* frame_;
    TFont font_;
    TControlScrollBar vertScrollBar_;
    int color_ = kSystemColor | 15;
    std::int64_t position_ = 0, range_ = 0;
    int tabOrder_ = -1;
    int wheelRemainder_ = 0;
    QSize reportedSize_{-1, -1};
    TBorderStyle borderStyle_ = bsSingle;
    bool autoScroll_ = true, parentColor_ = false, parentFont_ = true;
    bool laying_ = false;
    bool following_ = false;
    bool columns_ = false;
    // In columns: the position the children last showed (the area holds one, the page).
    std::int64_t columnsShown_ = -1;
};

} // namespace orlenth
