#include "reports/attendance.h"

namespace tallyport {

Stamp stampFromDate(const QDate& d) {
    return d.isValid() ? d.toJulianDay() * kDayMs : 0;
}

Stamp stampFromDateTime(const QDateTime& t) {
    if (!t.isValid()) return 0;
    return stampFromDate(t.date()) + t.time().msecsSinceStartOfDay();
}

QDate dateOfStamp(Stamp s) {
    return QDate::fromJulianDay(dayOf(s));
}

QDateTime dateTimeOfStamp(Stamp s) {
    return QDateTime(dateOfStamp(s), QTime::fromMSecsSinceStartOfDay(int(stampTimeOfDay(s))));
}

qint64 timeOfDayMs(const QTime& t) {
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

namespace {

// Digits at [from, from + n) as a number; -1 when any is not a digit.
int digits(QStringView s, qsizetype from, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = s[from + i].unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

}  // namespace

Stamp parseStampText(QStringView text) {
    // Parsed by hand: a year's report reads half a million of these.
    if (text.size() < 19 || text[4] != u'-' || text[7] != u'-' || text[13] != u':' ||
        text[16] != u':')
        return 0;
    const int y = digits(text, 0, 4), mo = digits(text, 5, 2), d = digits(text, 8, 2);
    const int h = digits(text, 11, 2), mi = digits(text, 14, 2), s = digits(text, 17, 2);
    if (y < 0 || mo < 0 || d < 0 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return 0;
    const QDate date(y, mo, d);
    if (!date.isValid()) return 0;
    return stampFromDate(date) + (h * 3600 + mi * 60 + s) * 1000LL;
}

qint64 shiftTimeOfDay(qint64 timeOfDay, int hours) {
    return ((timeOfDay - hours * kHourMs) % kDayMs + kDayMs) % kDayMs;
}

WorkingHours shiftWorkingHours(const WorkingHours& h, int hours) {
    WorkingHours out = h;
    for (Session* s :
         {&out.standard, &out.saturday, &out.session1, &out.session2, &out.sat1, &out.sat2}) {
        s->start = shiftTimeOfDay(s->start, hours);
        s->end = shiftTimeOfDay(s->end, hours);
    }
    return out;
}

namespace {

// On return every reader leaves the position on the current record when one is left.
void positionOnCurrent(const RecordCursor& c, Stamp& position) {
    if (!c.atEnd()) position = c.current().time;
}

PairRecord nextPairStrict(RecordCursor& c, Stamp& position) {
    PairRecord p;
    const Stamp day = position;
    Stamp lastRead = 0;
    while (!c.atEnd()) {
        const PunchRecord r = c.current();
        if (!sameDay(r.time, day)) break;
        if (r.mode == 1) {
            if (p.inTime == 0) {
                p.inTime = r.time;
                p.inMode = 1;
            } else if (p.outTime != 0) {
                break;  // this IN begins the next pair
            }
        } else if (r.mode == 2 && p.inTime != 0) {
            p.outTime = r.time;  // the last OUT before the next IN wins
            p.outMode = 2;
        }
        lastRead = r.time;
        c.next();
    }
    position = lastRead;
    positionOnCurrent(c, position);
    return p;
}

PairRecord nextPairByOrder(RecordCursor& c, Stamp& position) {
    PairRecord p;
    if (c.atEnd()) {
        position = 0;
        return p;
    }
    if (sameDay(c.current().time, position)) {
        p.inTime = c.current().time;
        p.inMode = c.current().mode;
        position = p.inTime;
        c.next();
        if (!c.atEnd() && sameDay(c.current().time, p.inTime)) {
            p.outTime = c.current().time;
            p.outMode = c.current().mode;
            position = p.outTime;
            c.next();
        }
    }
    positionOnCurrent(c, position);
    return p;
}

PairRecord firstLastStrict(RecordCursor& c, Stamp& position) {
    PairRecord p;
    while (!c.atEnd()) {
        const PunchRecord r = c.current();
        if (!sameDay(r.time, position)) {
            position = r.time;
            break;
        }
        if (r.mode == 1 && p.inTime == 0) {
            p.inTime = r.time;
            p.inMode = 1;
        } else if (r.mode == 2 && p.inTime != 0) {
            p.outTime = r.time;  // the last OUT after the first IN
            p.outMode = 2;
        }
        c.next();
    }
    return p;
}

PairRecord firstLastByOrder(RecordCursor& c, Stamp& position) {
    PairRecord p;
    if (c.atEnd()) return p;
    if (!sameDay(c.current().time, position)) {
        position = c.current().time;
        return p;
    }
    p.inTime = c.current().time;
    p.inMode = c.current().mode;
    c.next();
    PunchRecord last{};
    while (!c.atEnd() && sameDay(c.current().time, position)) {
        last = c.current();
        c.next();
    }
    if (last.time != 0) {
        p.outTime = last.time;
        p.outMode = last.mode;
    }
    positionOnCurrent(c, position);
    return p;
}

}  // namespace

PairRecord NextPair(RecordCursor& cursor, Stamp& position, bool strict) {
    return strict ? nextPairStrict(cursor, position) : nextPairByOrder(cursor, position);
}

PairRecord DayFirstLast(RecordCursor& cursor, Stamp& position, bool strict) {
    return strict ? firstLastStrict(cursor, position) : firstLastByOrder(cursor, position);
}

qint64 RoundOvertime(qint64 raw, int minimum, int multiple, int noPay, int& overtimeCount) {
    const qint64 m = stampTimeOfDay(raw < 0 ? 0 : raw) / kMinuteMs;
    qint64 result = 0;
    if (m >= minimum) {
        if (multiple > 0) {
            const qint64 e = minimum + multiple * ((m - minimum) / multiple);
            result = e < noPay ? 0 : (e - noPay) * kMinuteMs;
        } else {
            // The no-pay minutes are weighed against the whole overtime, as with a multiple;
            // weighing only the part above the minimum would pay nothing for overtime that
            // exceeds the no-pay minutes.
            result = m < noPay ? 0 : raw - noPay * kMinuteMs;
        }
    }
    if (result > 0) ++overtimeCount;
    return result > 0 ? result : 0;
}

std::optional<SlotMatch> MatchTimeSlot(const PairRecord& pair, const std::vector<TimeSlot>& slots) {
    for (size_t i = 0; i < slots.size(); ++i) {
        const TimeSlot& s = slots[i];
        if (!timeAfter(s.timeOut, pair.inTime)) continue;
        SlotMatch m{int(i) + 1, 0, 0};
        if (timeAfter(pair.inTime, s.timeIn)) m.late = timeDiff(pair.inTime, s.timeIn);
        // A pair without an OUT has left nothing early: it is judged incomplete elsewhere.
        if (pair.outTime > 0 && timeAfter(s.timeOut, pair.outTime))
            m.early = timeDiff(s.timeOut, pair.outTime);
        return m;
    }
    return std::nullopt;
}

}  // namespace tallyport
