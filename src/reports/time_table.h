#pragma once

#include "base/error.h"
#include "store/sqlcipher_db.h"

#include <QTime>
#include <vector>

namespace tallyport {

// One period of a group's time attendance table: the members are expected from `in` to `out`.
struct TimePeriod {
    qint64 rowId = 0;
    QTime in;
    QTime out;
};

// The periods of a group, in order of their IN time (that order numbers them 1, 2, …).
Result<std::vector<TimePeriod>> loadTimeTable(Database& src, int groupId);

// True when two periods overlap or touch: a bound of one lies at or after the start of the
// other and before its end.
bool periodsClash(const TimePeriod& a, const TimePeriod& b);

// Adds a period to a group. Refused with "Wrong time entry." unless OUT is after IN (periods
// lie within one day), with "Time overlapped." when it clashes with a period of the group.
Result<void> addTimePeriod(Database& src, int groupId, QTime in, QTime out);

// Removes one period.
Result<void> deleteTimePeriod(Database& src, qint64 rowId);

}  // namespace tallyport
