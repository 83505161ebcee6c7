// EvaluateSessionLine: one line of the First In / Last Out and 2-session reports judged against
// the working hours, with the per-person counters it moves.
#include "reports/attendance.h"

namespace tallyport {
namespace {

struct LineContext {
    const PairRecord& pair;
    SessionKind kind;
    const WorkingHours& h;
    bool saturday;  // the in time falls on a Saturday (an in time of 0 counts as one)
    // Saturday hours apply: one-session Saturday on, two-session Saturday session 1 on. On a
    // Saturday without them the day is judged as any other day.
    bool satDay;
};

// The in time is checked before anything else; a first pair that lies in the second session
// becomes pair 1 with session 1 missing.
void checkInTime(const LineContext& x, PersonCounters& c, LineVerdict& v) {
    const Stamp in = x.pair.inTime;
    const WorkingHours& h = x.h;
    if (x.kind == SessionKind::One) {
        if (c.pairIndex == 0) v.error = timeAfter(in, x.satDay ? h.saturday.end : h.standard.end);
        return;
    }
    const bool satRules = (h.sat1On || h.sat2On) && x.saturday;
    if (c.pairIndex == 0) {
        if (satRules && !h.sat2On) {
            // Only one Saturday session: arriving after it ended is an error, as it is after
            // the last session of any other day.
            v.error = timeAfter(in, h.sat1.end);
            return;
        }
        const Session& s1 = satRules ? h.sat1 : h.session1;
        const Session& s2 = satRules ? h.sat2 : h.session2;
        if (!timeAfter(in, s1.end)) return;
        if (timeAfter(in, s2.end)) {
            v.error = true;
        } else {
            c.pairIndex = 1;
            v.missing = true;
        }
    } else if (c.pairIndex == 1) {
        // A second pair must lie in the second session: Saturday's when it has one.
        const bool sat = satRules && h.sat2On;
        const qint64 end1 = sat ? h.sat1.end : h.session1.end;
        const qint64 end2 = sat ? h.sat2.end : h.session2.end;
        v.error = !(timeAfter(in, end1) && !timeAfter(in, end2));
    }
}

// Late against the start, early against the end, otherwise the raw overtime past the end.
qint64 measure(const PairRecord& p, const Session& s, bool overtime, PersonCounters& c,
               LineVerdict& v) {
    if (timeAfter(p.inTime, s.start)) {
        v.late = timeDiff(p.inTime, s.start);
        ++c.lateCount;
    }
    if (timeAfter(s.end, p.outTime)) {
        v.early = timeDiff(s.end, p.outTime);
        ++c.earlyCount;
        return 0;
    }
    return overtime ? timeDiff(p.outTime, s.end) : 0;
}

qint64 amounts(const LineContext& x, PersonCounters& c, LineVerdict& v) {
    const WorkingHours& h = x.h;
    const int i = c.pairIndex;
    if (x.kind == SessionKind::One)
        return measure(x.pair, x.satDay ? h.saturday : h.standard, true, c, v);
    if (!x.satDay) {
        if (i == 0) return measure(x.pair, h.session1, false, c, v);
        if (i == 1) return measure(x.pair, h.session2, true, c, v);
        return 0;
    }
    if (i == 0) return measure(x.pair, h.sat1, true, c, v);
    if (i == 1 && h.sat2On) return measure(x.pair, h.sat2, true, c, v);
    return 0;
}

// The line on which the day's overtime is counted: the end of its last session.
bool overtimeLine(const LineContext& x, int i) {
    if (x.kind == SessionKind::One) return true;
    if (!x.satDay || x.h.sat2On) return i == 1;
    return i == 0;
}

bool excessiveLine(const LineContext& x, int i) {
    if (!x.satDay) return i >= 2;
    return !(i == 0 || (i == 1 && x.h.sat2On));
}

}  // namespace

LineVerdict EvaluateSessionLine(const PairRecord& pair, SessionKind kind, Stamp positionAfter,
                                bool exhausted, const WorkingHours& hours, PersonCounters& c) {
    const bool saturday = pair.inTime == 0 || isSaturday(pair.inTime);
    const bool satDay = saturday && (kind == SessionKind::One ? hours.satOn : hours.sat1On);
    const LineContext x{pair, kind, hours, saturday, satDay};
    LineVerdict v;
    checkInTime(x, c, v);
    if (pair.inTime == 0 || pair.outTime == 0 || timeAfter(pair.inTime, pair.outTime)) {
        v.error = v.missing = false;  // an incorrect line says nothing more
        return v;
    }
    v.judged = true;
    const int i = c.pairIndex;
    if (!v.error && ((!saturday && i < 2) || (saturday && i == 0))) ++c.goodDays;
    const qint64 raw = v.error ? 0 : amounts(x, c, v);
    const bool dayOver = exhausted || !sameDay(positionAfter, pair.outTime);
    if (kind == SessionKind::Two && (!satDay || hours.sat2On) && i == 0 && dayOver)
        v.missing = true;
    if (i < 2) {
        c.lateTotal += v.late;
        c.earlyTotal += v.early;
    }
    if (overtimeLine(x, i)) {
        v.overtime =
            RoundOvertime(raw, hours.otMinimum, hours.otMultiple, hours.otFree, c.overtimeCount);
        c.overtimeTotal += v.overtime;
    }
    v.excessive = kind == SessionKind::Two && excessiveLine(x, i);
    if (kind == SessionKind::Two && !v.error && !v.missing && dayOver) {
        const bool satOneSession = satDay && !hours.sat2On;
        if (i == (satOneSession ? 0 : 1)) ++c.completeDays;
    }
    return v;
}

}  // namespace tallyport
