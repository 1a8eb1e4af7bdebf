#pragma once
// A timer component: ticks every Interval milliseconds while enabled, firing OnTimer.
// Intervals down to 1 ms are honoured (a precise timer).

#include "framework/Component.h"

#include <QTimer>

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

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    void Loaded() override;

private:
    void Update();

    QTimer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};

} // namespace orlenth
