#include "framework/ui/Timer.h"

#include "framework/Errors.h"

#include <QTimerEvent>

namespace orlenth {

namespace {
TTimer::Starter& InstalledStarter() {
    static TTimer::Starter starter;
    return starter;
}
} // namespace

void TTimer::SetStarter(Starter starter) {
    InstalledStarter() = std::move(starter);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    Stop();
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

void TTimer::Stop() {
    if (timerId_ != 0) killTimer(timerId_);
    timerId_ = 0;
}

void TTimer::Update() {
    Stop();
    // A stored timer starts counting when its description has been read, not before.
    if (!enabled_ || interval_ <= 0 || IsLoading()) return;
    const Starter& start = InstalledStarter();
    timerId_ = start ? start(*this, interval_) : startTimer(interval_, Qt::PreciseTimer);
    if (timerId_ == 0) throw EOutOfResources(formatMessage(Msg::NoTimers));
}

void TTimer::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timerId_) return TComponent::timerEvent(event);
    Fire("OnTimer", Q_ARG(orlenth::TComponent*, this));
}

} // namespace orlenth
