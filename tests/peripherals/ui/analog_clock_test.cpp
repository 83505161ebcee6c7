#include "peripherals/ui/analog_clock.h"
#include "base/clock.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEvent>
#include <QThread>
#include <QWidget>

using namespace tallyport;

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The clock owns a paint box on a manual clock; a repaint is counted when it is drawn.
struct ClockFixture : ::testing::Test {
    ManualClock manual{QDateTime(QDate(2026, 3, 1), QTime(8, 59, 59, 100))};
    QWidget box;
    PaintCounter counter;
    std::unique_ptr<AnalogClock> clock;

    void SetUp() override {
        setAppClock(&manual);
        box.resize(200, 200);
        clock = std::make_unique<AnalogClock>(nullptr, &box);
        box.installEventFilter(&counter);  // after the clock's filter, so it sees every paint
        box.show();
        settle();
        counter.paints = 0;
    }
    void TearDown() override {
        clock.reset();
        setAppClock(nullptr);
    }
    static void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    int paintsAfterTick() {
        const int before = counter.paints;
        clock->tick();
        settle();
        return counter.paints - before;
    }
};

TEST_F(ClockFixture, BeforeTheFirstTickTheHandsShowMidnight) {
    AnalogClock fresh(nullptr, &box);
    EXPECT_EQ(fresh.shown().time(), QTime(0, 0, 0));
}

TEST_F(ClockFixture, RepaintsOnlyWhenTheSecondChanges) {
    EXPECT_EQ(paintsAfterTick(), 1);  // first tick: midnight becomes 08:59:59
    manual.advanceMSecs(100);
    EXPECT_EQ(paintsAfterTick(), 0);  // same second
    manual.advanceMSecs(800);         // 09:00:00.000
    EXPECT_EQ(paintsAfterTick(), 1);
    EXPECT_EQ(clock->shown().time(), QTime(9, 0, 0));
    EXPECT_EQ(paintsAfterTick(), 0);
    manual.advanceSecs(60);  // the same seconds figure a minute later still repaints
    EXPECT_EQ(paintsAfterTick(), 1);
}

TEST_F(ClockFixture, TheTimerTicksByItself) {
    manual.advanceSecs(1);
    for (int i = 0; i < 30 && counter.paints == 0; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    EXPECT_GE(counter.paints, 1);
    EXPECT_EQ(clock->shown(), manual.now());
}

}  // namespace
