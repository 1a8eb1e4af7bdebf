#include "framework/ui/Timer.h"

namespace orlenth {

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this,
                     [this] { Fire("OnTimer", Q_ARG(orlenth::TComponent*, this)); });
}

void TTimer::SetEnabled(bool e) {
    enabled_ = e;
    Update();
}

void TTimer::SetInterval(int ms) {
    interval_ = ms;
    Update();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    Update();
}

void TTimer::Update() {
    // A stored timer starts counting when its description has been read, not before.
    if (enabled_ && interval_ > 0 && !IsLoading()) {
        timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

} // namespace orlenth
