#pragma once
// Controls: components with a place on screen, each standing for one Qt widget. A control
// keeps its stored bounds and alignment; a windowed control (one that holds others) lays
// its children out by the alignment rule whenever its client area changes size.

#include "framework/Component.h"
#include "framework/ui/Align.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

namespace orlenth {

class TFont;
class TWinControl;

// What a control's PopupMenu property holds: a menu that can show itself at a point on
// the screen. The pop-up menu component is the one kind.
class TPopupMenuBase : public TComponent {
    Q_OBJECT
public:
    using TComponent::TComponent;
    // Shows the menu with its top-left corner at `globalPos` (screen coordinates) and
    // returns once it has closed or its chosen item has run.
    virtual void Popup(const QPoint& globalPos) = 0;
};

class TControl : public TComponent {
    Q_OBJECT
public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
    Q_ENUM(TAlign)
    // Horizontal alignment of a caption, shared by the controls that have one.
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)
    Q_PROPERTY(QByteArray Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(orlenth::TPopupMenuBase* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_CLASSINFO("Default.Align", "alNone")
    Q_CLASSINFO("Default.Visible", "true")
    Q_CLASSINFO("Default.Cursor", "0")
    Q_CLASSINFO("Default.ShowHint", "false")
    Q_CLASSINFO("Default.ParentShowHint", "true")
    Q_CLASSINFO("Idents.Cursor", "TCursor")

public:
    explicit TControl(TComponent* owner = nullptr);
    ~TControl() override;

    // The widget that shows this control; null only while a control is being built.
    QWidget* Widget() const { return widget_; }
    // The control a widget shows, or null: accessibility tools meet widgets, not controls.
    static TControl* OfWidget(const QWidget* widget);
    TWinControl* Parent() const { return parent_; }
    // Moves the control into a windowed control (or out of any, with null).
    virtual void SetParent(TWinControl* parent);

    int Left() const { return bounds_.left(); }
    int Top() const { return bounds_.top(); }
    int Width() const { return bounds_.width(); }
    int Height() const { return bounds_.height(); }
    // Each changes one value of the requested bounds, so that a control squeezed by
    // alignment asks for the size it had before.
    void SetLeft(int v) {
        SetBounds(QRect(v, request_.top(), request_.width(), request_.height()));
    }
    void SetTop(int v) {
        SetBounds(QRect(request_.left(), v, request_.width(), request_.height()));
    }
    void SetWidth(int v) {
        SetBounds(QRect(request_.left(), request_.top(), v, request_.height()));
    }
    void SetHeight(int v) {
        SetBounds(QRect(request_.left(), request_.top(), request_.width(), v));
    }
    // The height in 64 bits: a control in a scrolling area may be taller than an int holds
    // (the page of a very long text). Height() is then the most the bounds can hold below
    // Top(). SetHeight64 sets it; a change of the bounds that changes Height() replaces it
    // with that height, one that keeps Height() (a new width, say) keeps it.
    std::int64_t Height64() const { return height64_ > Height() ? height64_ : Height(); }
    void SetHeight64(std::int64_t h);
    // Where the control is, after its parent's alignment.
    QRect Bounds() const { return bounds_; }
    // What the control asks its parent for: the bounds last set, or for an aligned control
    // its place when the parent has room for every control at the size it asks for. Equal
    // to Bounds() unless the parent's area is too small.
    QRect RequestedBounds() const { return request_; }
    // Sets the bounds in the parent's client coordinates and lets the parent realign.
    void SetBounds(const QRect& r);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    int Cursor() const { return cursor_; }
    void SetCursor(int c);
    // The hint as GBK bytes; shown as a tooltip when ShowHint is on.
    QByteArray Hint() const { return hint_; }
    void SetHint(const QByteArray& h);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool s);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool p) {
        parentShowHint_ = p;
        ApplyHint();
    }
    // Whether the hint shows as a tooltip: ShowHint, or with ParentShowHint the parent's
    // answer. A window's ShowHint is off unless its description says otherwise.
    virtual bool HintShown() const;
    // The menu a right click on the control (or on a child without a menu of its own)
    // opens, or null.
    TPopupMenuBase* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenuBase* menu);

    // Where the widget's top-left corner lies in the control's own coordinates: (0, 0)
    // unless the parent shows only a part of the control (a scrolling area cuts its
    // children to what is visible), so that a control that paints itself can paint in its
    // own coordinates whatever part its widget shows.
    // The row is clamped to an int; WidgetOriginTop() has it whole.
    QPoint WidgetOrigin() const;
    std::int64_t WidgetOriginTop() const { return widgetOriginTop_; }

    // The font a control with ParentFont set takes: that of the nearest ancestor that has a
    // Font property and does not itself take its parent's (one without a ParentFont
    // property, like a form, counts as having its own). Null when no ancestor has a font.
    const TFont* ParentFontSource() const;
    // The Color property of the parent, for controls with ParentColor set; nothing when
    // there is no parent or it has no such property.
    std::optional<int> ParentColorSource() const;

    // A control is placed by its parent; it has no designer position of its own.
    bool HasDesignPosition() const override { return false; }
    // Joins the windowed control whose children are being read.
    void ReadState(TReader& reader) override;
    void Loaded() override;

protected:
    // Concrete controls create their widget in their constructor and hand it over here.
    void SetWidget(QWidget* widget);
    // Applies the bounds to the widget without asking the parent to realign: through the
    // parent's PlaceChild, or as they are for a control without a parent. While placement
    // is held, only the wish is kept.
    void PlaceWidget();
    // Called after every placement of the widget (its size may have changed).
    virtual void WidgetPlaced() {}
    // Holding placement keeps bounds changes (they still change Bounds()) away from the
    // widget until released; a control that may be resized by its own paint handler holds
    // it while painting. Nested holds count. When the last hold ends and bounds changed
    // meanwhile, they are applied at once or, with `later`, from the event loop (where a
    // placement made in between has already done it).
    void HoldPlacement() { ++placementHolds_; }
    void ReleasePlacement(bool later = false);

private:
    friend class TWinControl;
    QPointer<QWidget> widget_;
    TWinControl* parent_ = nullptr;
    QRect bounds_, request_;
    TAlign align_ = alNone;
    bool visible_ = true;
    int cursor_ = 0;
    QByteArray hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    QPointer<TPopupMenuBase> popupMenu_;
    std::int64_t height64_ = 0;
    int widgetOriginLeft_ = 0;
    std::int64_t widgetOriginTop_ = 0;
    int placementHolds_ = 0;
    bool placementPending_ = false;

protected:
    void ApplyHint();

private:
};

// Registers the cursor names (crHelp, crHandPoint, crHSplit …) for integer properties
// whose class names the table "TCursor", and maps them to Qt's shapes.
void RegisterCursorIdents();
Qt::CursorShape ToQtCursor(int cursor);

class TWinControl : public TControl {
    Q_OBJECT
public:
    explicit TWinControl(TComponent* owner = nullptr);
    ~TWinControl() override;

    const std::vector<TControl*>& Controls() const { return controls_; }
    // Lays the children out by the alignment rule inside AlignArea(); `changed` is the
    // child whose change asks for it, if any.
    void Realign(TControl* changed = nullptr);
    // The part of the client area that aligned children share: all of it here; forms
    // take their border width off, panels their bevels.
    virtual QRect AlignArea() const;
    // The widget children are placed on.
    virtual QWidget* ClientWidget() const { return Widget(); }
    // Puts a child's widget where its bounds say, shown when the child is visible. A
    // control whose children live in other coordinates (a scrolling area) overrides it.
    virtual void PlaceChild(TControl& child);

    // Children are written after the control's properties, in the order they were placed.
    void GetChildren(const ChildProc& proc, TComponent* root) override;
    // Orders the keyboard focus chain of the children by their TabOrder property (those
    // without one, or with a negative one, keep Qt's order). Run when loading ends.
    void ApplyTabOrder();
    void Loaded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Sets a child's widget geometry (in ClientWidget() coordinates), the child-local point
    // that geometry's top-left shows, and whether the widget is shown. A changed origin
    // repaints the child, as its widget shows other content where it stands.
    static void SetChildWidget(TControl& child, const QRect& geometry, QPoint origin, bool shown);
    // The same with the origin's row in 64 bits, for a child taller than an int holds.
    static void SetChildWidget(TControl& child, const QRect& geometry, int originLeft,
                               std::int64_t originTop, bool shown);

private:
    friend class TControl;
    std::vector<TControl*> controls_;
    bool aligning_ = false;
    // A change asked for while aligning takes another round once this one is done.
    bool realignPending_ = false;
    TControl* pendingChanged_ = nullptr;
};

} // namespace orlenth
