#include "framework/ui/Timer.h"

#include "framework/ClassRegistry.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace orlenth;

namespace timertest {

class TTicking : public TComponent {
    Q_OBJECT
public:
    explicit TTicking(TComponent* owner = nullptr) : TComponent(owner) {}
    int ticks = 0;
public slots:
    void Timer1Timer(orlenth::TComponent*) { ++ticks; }
};

} // namespace timertest

TEST(Timer, StartsAfterLoadingAndTicksIntoTheBoundHandler) {
    RegisterClass<TTimer>();
    timertest::TTicking form;
    const char* text =
        "object F: TTicking\n  object Timer1: TTimer\n    Interval = 5\n    OnTimer = Timer1Timer\n"
        "    Left = 95\n    Top = 373\n  end\nend\n";
    ReadComponent(ParseDescriptionText(text, ".", "t.txt"), form);
    auto* timer = qobject_cast<TTimer*>(form.FindComponent("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Interval(), 5);
    EXPECT_EQ(timer->DesignLeft(), 95);
    QElapsedTimer clock;
    clock.start();
    while (form.ticks < 3 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(form.ticks, 3);
    timer->SetEnabled(false);
    const int seen = form.ticks;
    clock.restart();
    while (clock.elapsed() < 30) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(form.ticks, seen);
}

#include "timer_test.moc"
