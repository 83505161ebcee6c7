#pragma once

#include "reports/attendance.h"

#include <QString>

// The small texts the report layouts are made of. Month and day names are English, as printed.
namespace tallyport {

// "hh:mm:ss " with the hours running past 24 (1 day 2 h 5 min gives "26:05:00 ").
QString DurationText(qint64 ms);
// "(HH:mm:ss)" of the time of day of `later` minus that of `earlier`.
QString ElapsedText(Stamp later, Stamp earlier);
// "(HH:mm:ss)" of an amount.
QString amountText(qint64 ms);
QString PadRight(const QString& s, int length);
// A worksheet name for a person: every blank becomes "_".
QString SheetName(const QString& name);

// The four printed record formats, by index: " AM/PMhh:mm:ss", " HH:mm:ss", " AM/PMhh:mm",
// " HH:mm" (the 12-hour ones with the AM/PM marker in front).
inline constexpr int kRecordFormatCount = 4;
QString recordTimeText(Stamp t, int format);
// The width of a formatted time, used to pad "No IN" and "No OUT".
int recordFormatWidth(int format);

// "Jan 05, 2026 Mon -": the date column of a day's first line, 18 characters.
QString dayColumnText(Stamp day);
inline constexpr int kDayColumnWidth = 18;
// "5/Jan/2026", the range labels of the page header.
QString rangeDateText(Stamp day);
// "HH:mm", the working hours of the page header.
QString hourMinuteText(qint64 timeOfDay);

}  // namespace tallyport
