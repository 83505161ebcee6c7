#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>
#include <utility>

namespace tallyport {

// How date-times and times of day are stored: local wall-clock text that sorts as time sorts.
// "YYYY-MM-DD HH:MM:SS", with ".zzz" only when the milliseconds are not zero; "HH:MM:SS".
QString dateTimeText(const QDateTime& t);
QDateTime parseDateTimeText(const QString& text);  // invalid when the text is no date-time
// The calendar date and the time of day of such a text, read as they stand (no time zone is
// consulted, so this is cheap); nothing when the text is no date-time.
std::optional<std::pair<QDate, QTime>> splitDateTimeText(const QString& text);
QString timeOfDayText(const QTime& t);
QTime parseTimeOfDayText(const QString& text);

// The same moment with its milliseconds set to zero.
QDateTime WholeSeconds(const QDateTime& t);

// "YYYY-MM-DD" of the value's calendar date.
QString SqlDate(const QDate& d);

// The bounds of whole days from `first` to `last` as stored texts: from `first` at
// startHour:00:00 up to (not including) the day after `last` at the same hour. Days that start
// at noon are the nights of the overnight report.
std::pair<QString, QString> wholeDayRange(const QDate& first, const QDate& last, int startHour = 0);

}  // namespace tallyport
