#pragma once
// A track bar: a slider with tick marks between Min and Max whose position the user drags
// or the program sets; every change of the position is reported through OnChange. Once
// focused, the arrow keys move it by LineSize and Page Up/Down by PageSize, Right, Up and
// Page Up toward Max as on any Qt slider; Home and End go to Min and Max.

#include "framework/ui/Control.h"

#include <QSlider>

namespace orlenth {

class TTrackBar : public TControl {
    Q_OBJECT
public:
    enum TTrackBarOrientation { trHorizontal, trVertical };
    Q_ENUM(TTrackBarOrientation)
    enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
    Q_ENUM(TTickMark)

    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(int PageSize READ PageSize WRITE SetPageSize)
    Q_PROPERTY(int LineSize READ LineSize WRITE SetLineSize)
    Q_PROPERTY(int Frequency READ Frequency WRITE SetFrequency)
    Q_PROPERTY(TTrackBarOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(TTickMark TickMarks READ TickMarks WRITE SetTickMarks)
    Q_PROPERTY(int ThumbLength READ ThumbLength WRITE SetThumbLength)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_CLASSINFO("Default.Min", "0")
    Q_CLASSINFO("Default.Max", "10")
    Q_CLASSINFO("Default.Position", "0")
    Q_CLASSINFO("Default.PageSize", "2")
    Q_CLASSINFO("Default.LineSize", "1")
    Q_CLASSINFO("Default.Frequency", "1")
    Q_CLASSINFO("Default.Orientation", "trHorizontal")
    Q_CLASSINFO("Default.TickMarks", "tmBottomRight")
    Q_CLASSINFO("Default.ThumbLength", "20")
    Q_CLASSINFO("Event.OnChange", "")

public:
    Q_INVOKABLE explicit TTrackBar(TComponent* owner = nullptr);

    int Min() const { return min_; }
    // Raises Max to the new minimum when it lies below it, and pulls the position in.
    void SetMin(int v);
    int Max() const { return max_; }
    // Lowers Min to the new maximum when it lies above it, and pulls the position in.
    void SetMax(int v);
    int Position() const { return position_; }
    // Clamped to Min … Max. While the description is read the value is kept as given and
    // clamped once loading ends, as Min and Max may come after it.
    void SetPosition(int v);
    // The step of Page Up/Down and of a click beside the thumb; at least 1.
    int PageSize() const { return pageSize_; }
    void SetPageSize(int v);
    // The step of the arrow keys; at least 1.
    int LineSize() const { return lineSize_; }
    void SetLineSize(int v);
    // The distance between tick marks; 0 or less draws none.
    int Frequency() const { return frequency_; }
    void SetFrequency(int v);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackBarOrientation o);
    TTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TTickMark t);
    // Kept for the description; the platform's slider draws its own thumb.
    int ThumbLength() const { return thumbLength_; }
    void SetThumbLength(int v) { thumbLength_ = v; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }

    QSlider* Slider() const { return slider_; }
    void Loaded() override;

private:
    // Moves to v (already clamped) and reports the change unless loading.
    void MoveTo(int v);
    void ApplyRange();

    QSlider* slider_;
    int min_ = 0, max_ = 10, position_ = 0;
    int pageSize_ = 2, lineSize_ = 1, frequency_ = 1, thumbLength_ = 20, tabOrder_ = -1;
    TTrackBarOrientation orientation_ = trHorizontal;
    TTickMark tickMarks_ = tmBottomRight;
    // Set while the slider is brought in line with the stored values, so that its own
    // change signal is not taken for the user's.
    bool syncing_ = false;
};

} // namespace orlenth
