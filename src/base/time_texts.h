#pragma once

#include <QString>
#include <QTime>

namespace tallyport {

// A time of day on the 12-hour clock preceded by AM or PM: "PM05:30", or "PM 05:30" when
// spaced. Midnight and noon show as 12.
QString amPmTimeText(const QTime& t, bool spaced = false);

}  // namespace tallyport
