#pragma once

#include <QString>
#include <QTime>

namespace tallyport {

// The one 12-hour clock text of the console: "AM" or "PM" in front, then the hours 1 to 12
// (noon and midnight show as 12) and the minutes, each two digits. Every view says which
// form it shows, so no call can get another one by accident:
//   Joined, Minutes  "PM05:30"       Spaced, Minutes  "PM 05:30"
//   Joined, Seconds  "PM05:30:45"    Spaced, Seconds  "PM 05:30:45"
enum class AmPmGap { Joined, Spaced };
enum class AmPmPrecision { Minutes, Seconds };
QString amPmTimeText(const QTime& t, AmPmGap gap, AmPmPrecision precision);

}  // namespace tallyport
