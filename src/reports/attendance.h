#pragma once

#include <QDate>
#include <QDateTime>
#include <QStringView>
#include <optional>
#include <vector>

// The building blocks every attendance report shares: day and time comparisons, the two record
// readers, the judgement of a line against working hours, overtime rounding, time-slot lookup.
// Pure code: nothing here touches a database or the clock.
namespace tallyport {

// A report date-time: milliseconds on the local wall-clock scale with the Julian day as the day
// count, so the day and the time of day fall out of one division. 0 means none.
using Stamp = qint64;
inline constexpr qint64 kDayMs = 86'400'000;
inline constexpr qint64 kHourMs = 3'600'000;
inline constexpr qint64 kMinuteMs = 60'000;

constexpr qint64 dayOf(Stamp s) {
    return s / kDayMs;
}
constexpr qint64 stampTimeOfDay(Stamp s) {
    return s % kDayMs;
}
constexpr Stamp dayStart(Stamp s) {
    return dayOf(s) * kDayMs;
}
// Same day: the whole-day parts are equal; times of day are ignored.
constexpr bool sameDay(Stamp a, Stamp b) {
    return dayOf(a) == dayOf(b);
}
constexpr bool dayBefore(Stamp a, Stamp b) {
    return dayOf(a) < dayOf(b);
}
// Time order: times of day only; "after" means later by at least one millisecond.
constexpr bool timeAfter(Stamp a, Stamp b) {
    return stampTimeOfDay(a) - stampTimeOfDay(b) >= 1;
}
// b − a taken on the times of day, so the dates never count.
constexpr qint64 timeDiff(Stamp b, Stamp a) {
    return stampTimeOfDay(b) - stampTimeOfDay(a);
}
// Julian day 0 is a Monday.
constexpr bool isSaturday(Stamp s) {
    return dayOf(s) % 7 == 5;
}

Stamp stampFromDate(const QDate& d);
Stamp stampFromDateTime(const QDateTime& t);  // milliseconds kept
QDate dateOfStamp(Stamp s);
QDateTime dateTimeOfStamp(Stamp s);
qint64 timeOfDayMs(const QTime& t);
// A stored "YYYY-MM-DD HH:MM:SS[.zzz]" as a stamp with the milliseconds dropped; 0 when the
// text is no date-time.
Stamp parseStampText(QStringView text);

// The overnight shift: records and hours are read h hours earlier so that a night falls into
// one day; shown values get the hours back. Hours of a day wrap around midnight, so a shift of
// 20:00–08:00 by 12 becomes 08:00–20:00.
qint64 shiftTimeOfDay(qint64 timeOfDay, int hours);

// One log record as the readers see it.
struct PunchRecord {
    Stamp time = 0;  // whole seconds
    int mode = 0;
};

// An open, time-ordered record set of one person; it only moves forward.
class RecordCursor {
public:
    RecordCursor() = default;
    explicit RecordCursor(std::vector<PunchRecord> records) : m_records(std::move(records)) {}
    bool atEnd() const { return m_pos >= m_records.size(); }
    const PunchRecord& current() const { return m_records[m_pos]; }
    void next() { ++m_pos; }
    size_t size() const { return m_records.size(); }

private:
    std::vector<PunchRecord> m_records;
    size_t m_pos = 0;
};

// What a reader found: the arrival and the departure, 0 for none.
struct PairRecord {
    Stamp inTime = 0;
    int inMode = 0;
    Stamp outTime = 0;
    int outMode = 0;
    bool complete() const { return inTime > 0 && outTime > 0; }
    bool empty() const { return inTime == 0 && outTime == 0; }
};

// The readers. `position` comes in as the time of the current record (the day being read) and
// goes out where the next line starts; see each reader for what it leaves there.
// Strict pairs by direction (records of interest IN/OUT), otherwise by order.
PairRecord NextPair(RecordCursor& cursor, Stamp& position, bool strict);
PairRecord DayFirstLast(RecordCursor& cursor, Stamp& position, bool strict);

struct Session {
    qint64 start = 0;  // times of day, ms
    qint64 end = 0;
};

// The hours a report judges against, and its overtime options (minutes).
struct WorkingHours {
    Session standard{9 * kHourMs, 17 * kHourMs};
    bool satOn = false;
    Session saturday{9 * kHourMs, 13 * kHourMs};
    Session session1{9 * kHourMs, 13 * kHourMs};
    Session session2{14 * kHourMs, 17 * kHourMs + 30 * kMinuteMs};
    bool sat1On = false;
    Session sat1{9 * kHourMs, 13 * kHourMs};
    bool sat2On = false;
    Session sat2{14 * kHourMs, 15 * kHourMs + 30 * kMinuteMs};
    int otMinimum = 15;
    int otMultiple = 5;
    int otFree = 0;
};

WorkingHours shiftWorkingHours(const WorkingHours& h, int hours);

// Kept per person by the detail printouts; reset when the report starts and after each total.
struct PersonCounters {
    int days = 0;
    int goodDays = 0;
    int completeDays = 0;
    int lateCount = 0;
    qint64 lateTotal = 0;
    int earlyCount = 0;
    qint64 earlyTotal = 0;
    int overtimeCount = 0;
    qint64 overtimeTotal = 0;
    qint64 totalTime = 0;
    int pairIndex = 0;  // 0 on the first line of a day
};

enum class SessionKind { One, Two };

struct LineVerdict {
    bool judged = false;  // false: the line is incorrect (no IN, no OUT, or IN after OUT)
    qint64 late = 0;
    qint64 early = 0;
    qint64 overtime = 0;  // rounded; only on the line where it is counted
    bool error = false;
    bool missing = false;
    bool excessive = false;
};

// Judges one line against the working hours and moves the counters (the pair index too: a
// first pair that lies in the second session becomes pair 1). `positionAfter` and `exhausted`
// are what the reader left, which tell whether the day is over.
LineVerdict EvaluateSessionLine(const PairRecord& pair, SessionKind kind, Stamp positionAfter,
                                bool exhausted, const WorkingHours& hours, PersonCounters& c);

// The overtime to count, in ms (0 for none); bumps overtimeCount when above zero.
qint64 RoundOvertime(qint64 raw, int minimum, int multiple, int noPay, int& overtimeCount);

struct TimeSlot {
    qint64 timeIn = 0;  // times of day, ms
    qint64 timeOut = 0;
};
struct SlotMatch {
    int slot = 0;  // from 1
    qint64 late = 0;
    qint64 early = 0;
};
// The first slot (rows in order of IN time) whose OUT is after the pair's IN.
std::optional<SlotMatch> MatchTimeSlot(const PairRecord& pair, const std::vector<TimeSlot>& slots);

}  // namespace tallyport
