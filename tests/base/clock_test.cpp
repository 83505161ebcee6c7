#include "base/clock.h"

#include <gtest/gtest.h>

using namespace tallyport;

TEST(Clock, ManualClockIsTheCoresNowUntilRemoved) {
    ManualClock manual(QDateTime(QDate(2026, 3, 1), QTime(8, 59, 59)));
    setAppClock(&manual);
    manual.advanceSecs(1);
    EXPECT_EQ(appClock().now(), QDateTime(QDate(2026, 3, 1), QTime(9, 0, 0)));
    setAppClock(nullptr);
    EXPECT_GT(appClock().now().date().year(), 2000);
}
