#include "framework/ui/TrackBar.h"

#include <algorithm>

namespace orlenth {

TTrackBar::TTrackBar(TComponent* owner) : TControl(owner), slider_(new QSlider) {
    slider_->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        if (!syncing_) MoveTo(std::clamp(v, min_, max_));
    });
    SetWidget(slider_);
    SetOrientation(orientation_);
    SetTickMarks(tickMarks_);
    SetPageSize(pageSize_);
    SetLineSize(lineSize_);
    SetFrequency(frequency_);
    ApplyRange();
}

void TTrackBar::ApplyRange() {
    syncing_ = true;
    slider_->setRange(min_, max_);
    slider_->setValue(position_);
    syncing_ = false;
}

void TTrackBar::MoveTo(int v) {
    const bool changed = v != position_;
    position_ = v;
    if (slider_->value() != v) {
        syncing_ = true;
        slider_->setValue(v);
        syncing_ = false;
    }
    if (changed && !IsLoading()) Fire("OnChange", Q_ARG(orlenth::TComponent*, this));
}

void TTrackBar::SetMin(int v) {
    min_ = v;
    if (max_ < min_) max_ = min_;
    if (IsLoading()) return;
    ApplyRange();
    MoveTo(std::clamp(position_, min_, max_));
}

void TTrackBar::SetMax(int v) {
    max_ = v;
    if (min_ > max_) min_ = max_;
    if (IsLoading()) return;
    ApplyRange();
    MoveTo(std::clamp(position_, min_, max_));
}

void TTrackBar::SetPosition(int v) {
    if (IsLoading()) {
        position_ = v;
        return;
    }
    MoveTo(std::clamp(v, min_, max_));
}

void TTrackBar::SetPageSize(int v) {
    pageSize_ = std::max(1, v);
    slider_->setPageStep(pageSize_);
}

void TTrackBar::SetLineSize(int v) {
    lineSize_ = std::max(1, v);
    slider_->setSingleStep(lineSize_);
}

void TTrackBar::SetFrequency(int v) {
    frequency_ = v;
    slider_->setTickInterval(std::max(0, v));
    SetTickMarks(tickMarks_);
}

void TTrackBar::SetOrientation(TTrackBarOrientation o) {
    orientation_ = o;
    slider_->setOrientation(o == trVertical ? Qt::Vertical : Qt::Horizontal);
}

void TTrackBar::SetTickMarks(TTickMark t) {
    tickMarks_ = t;
    if (frequency_ <= 0) {
        slider_->setTickPosition(QSlider::NoTicks);
        return;
    }
    // Below and right are one side for the slider; so are above and left.
    slider_->setTickPosition(t == tmBoth      ? QSlider::TicksBothSides
                             : t == tmTopLeft ? QSlider::TicksAbove
                                              : QSlider::TicksBelow);
}

void TTrackBar::Loaded() {
    TControl::Loaded();
    // Min, Max and Position arrive in any order; they are reconciled once, silently.
    position_ = std::clamp(position_, min_, max_);
    ApplyRange();
}

} // namespace orlenth
