#pragma once
// A timer component: ticks every Interval milliseconds while enabled, firing OnTimer.
// Intervals down to 1 ms are honoured (a precise timer).

#include "framework/Component.h"

#include <functional>

namespace orlenth {

class TTimer : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_CLASSINFO("Default.Enabled", "true")
    Q_CLASSINFO("Default.Interval", "1000")
    Q_CLASSINFO("Event.OnTimer", "")

public:
    explicit TTimer(TComponent* owner = nullptr);

    ~TTimer() override;

    // Enabling, or a new interval while enabled, (re)starts the period. When the system
    // has no timer left, both throw EOutOfResources "Not enough timers available" with
    // the new value kept: the timer counts as enabled but does not tick.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    void Loaded() override;

    // How a timer is started: QObject::startTimer unless a test puts in a starter that
    // fails (returns 0) to stand for a system without timers left; null restores it.
    using Starter = std::function<int(QObject& owner, int ms)>;
    static void SetStarter(Starter starter);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void Update();
    void Stop();

    int timerId_ = 0;
    bool enabled_ = true;
    int interval_ = 1000;
};

} // namespace orlenth
