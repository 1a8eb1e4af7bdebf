#pragma once
// A splitter: a thin bar aligned to one side of its parent that the user drags to resize
// the control aligned the same way just before it, the rest of the parent taking what
// is left.

#include "framework/ui/Control.h"

#include <QPoint>
#include <QPointer>

namespace orlenth {

class TSplitter : public TControl {
    Q_OBJECT
public:
    enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
    Q_ENUM(TResizeStyle)

    Q_PROPERTY(bool AutoSnap READ AutoSnap WRITE SetAutoSnap)
    Q_PROPERTY(int MinSize READ MinSize WRITE SetMinSize)
    Q_PROPERTY(TResizeStyle ResizeStyle READ ResizeStyle WRITE SetResizeStyle)
    Q_PROPERTY(bool Beveled READ Beveled WRITE SetBeveled)
    Q_CLASSINFO("Default.AutoSnap", "true")
    Q_CLASSINFO("Default.MinSize", "30")
    Q_CLASSINFO("Default.ResizeStyle", "rsPattern")
    Q_CLASSINFO("Default.Beveled", "false")
    Q_CLASSINFO("Event.OnMoved", "")

public:
    Q_INVOKABLE explicit TSplitter(TComponent* owner = nullptr);
    ~TSplitter() override;

    // On: dragging the resized control below half of MinSize closes it (size 0).
    // Off: it never goes below MinSize.
    bool AutoSnap() const { return autoSnap_; }
    void SetAutoSnap(bool a) { autoSnap_ = a; }
    // The least size of both the resized control and the rest of the parent; negative
    // values count as 0.
    int MinSize() const { return minSize_; }
    void SetMinSize(int m);
    // How a drag shows itself: rsUpdate resizes as the mouse moves; rsLine and rsPattern
    // move a solid or hatched line and resize on release; rsNone resizes on release.
    TResizeStyle ResizeStyle() const { return resizeStyle_; }
    void SetResizeStyle(TResizeStyle s) { resizeStyle_ = s; }
    bool Beveled() const { return beveled_; }
    void SetBeveled(bool b);

    // The control this splitter resizes: the visible sibling aligned the same way whose
    // edge touches the splitter's near edge (for alLeft, the one whose right edge is the
    // splitter's left). Null when the splitter is not aligned to a side or has none.
    TControl* ResizedControl() const;
    // The line that follows the mouse during an rsLine or rsPattern drag; null at rest.
    QWidget* DragLine() const;

    // The drag, in screen coordinates; the splitter's widget feeds these from the mouse.
    void BeginDrag(const QPoint& globalPos);
    void DragTo(const QPoint& globalPos);
    void EndDrag(const QPoint& globalPos);

private:
    bool Horizontal() const; // resizes widths
    // The size the drag asks for, within the limits.
    int SizeFor(const QPoint& globalPos) const;
    void Apply(int size);
    void ShowLine(int size);
    void HideLine();

    bool autoSnap_ = true, beveled_ = false;
    int minSize_ = 30;
    TResizeStyle resizeStyle_ = rsPattern;

    struct Drag {
        TControl* control = nullptr;
        QPoint start;
        int startSize = 0;
        int maxSize = 0;
        int lastSize = 0;
    };
    Drag drag_;
    bool dragging_ = false;
    // Lives on the parent's client widget, which may go first.
    QPointer<QWidget> line_;
};

} // namespace orlenth
