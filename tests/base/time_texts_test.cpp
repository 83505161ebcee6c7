#include "base/time_texts.h"

#include <gtest/gtest.h>

namespace tallyport {
namespace {

// Every form the console shows, at the hours where a 12-hour clock goes wrong.
TEST(AmPmTimeText, EachFormAtTheTurnsOfTheDay) {
    struct Case {
        QTime t;
        const char* joinedMinutes;
        const char* spacedSeconds;
    };
    const Case cases[] = {
        {QTime(0, 0, 0), "AM12:00", "AM 12:00:00"},   {QTime(0, 59, 59), "AM12:59", "AM 12:59:59"},
        {QTime(1, 5, 9), "AM01:05", "AM 01:05:09"},   {QTime(11, 59, 59), "AM11:59", "AM 11:59:59"},
        {QTime(12, 0, 0), "PM12:00", "PM 12:00:00"},  {QTime(13, 0, 1), "PM01:00", "PM 01:00:01"},
        {QTime(23, 59, 59), "PM11:59", "PM 11:59:59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t.toString().toStdString());
        EXPECT_EQ(amPmTimeText(c.t, AmPmGap::Joined, AmPmPrecision::Minutes),
                  QLatin1String(c.joinedMinutes));
        EXPECT_EQ(amPmTimeText(c.t, AmPmGap::Spaced, AmPmPrecision::Seconds),
                  QLatin1String(c.spacedSeconds));
    }
    EXPECT_EQ(amPmTimeText(QTime(14, 7, 9), AmPmGap::Joined, AmPmPrecision::Seconds), "PM02:07:09");
    EXPECT_EQ(amPmTimeText(QTime(14, 7, 9), AmPmGap::Spaced, AmPmPrecision::Minutes), "PM 02:07");
    EXPECT_EQ(amPmTimeText(QTime(), AmPmGap::Spaced, AmPmPrecision::Seconds), QString());
}

}  // namespace
}  // namespace tallyport
