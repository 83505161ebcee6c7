#include "reports/time_table.h"

#include "store/date_time.h"
#include "store/messages.h"

namespace tallyport {

namespace {

int msecs(const QTime& t) {
    return t.msecsSinceStartOfDay();
}

// At or after the start of the period and before its end.
bool liesIn(const QTime& t, const TimePeriod& p) {
    return msecs(t) >= msecs(p.in) && msecs(t) < msecs(p.out);
}

// Only the time of day counts: a stored value carrying a date keeps its time part.
QTime storedTime(const QString& text) {
    const QTime t = parseTimeOfDayText(text);
    return t.isValid() ? t : parseDateTimeText(text).time();
}

}  // namespace

Result<std::vector<TimePeriod>> loadTimeTable(Database& src, int groupId) {
    auto st = src.prepare(QStringLiteral(
        "SELECT rowid, timein, timeout FROM timetbl WHERE gid = ? ORDER BY timein, rowid"));
    if (!st) return std::unexpected(st.error());
    st->bind(1, groupId);
    std::vector<TimePeriod> periods;
    for (;;) {
        auto row = st->step();
        if (!row) return std::unexpected(row.error());
        if (!*row) return periods;
        periods.push_back({st->int64(0), storedTime(st->text(1)), storedTime(st->text(2))});
    }
}

bool periodsClash(const TimePeriod& a, const TimePeriod& b) {
    return liesIn(a.in, b) || liesIn(a.out, b) || liesIn(b.in, a) || liesIn(b.out, a);
}

Result<void> addTimePeriod(Database& src, int groupId, QTime in, QTime out) {
    if (!in.isValid() || !out.isValid() || msecs(out) <= msecs(in))
        return fail(msg::WrongTimeEntry);
    // Rows of no group would never be shown or deleted again.
    if (groupId <= 0) return fail(msg::NoDataRecord);
    auto periods = loadTimeTable(src, groupId);
    if (!periods) return fail(msg::UpdateFailed);
    const TimePeriod added{0, in, out};
    for (const auto& p : *periods)
        if (periodsClash(added, p)) return fail(msg::TimeOverlapped);
    if (!src.run(QStringLiteral("INSERT INTO timetbl(gid, timein, timeout) VALUES (?, ?, ?)"),
                 groupId, timeOfDayText(in), timeOfDayText(out)))
        return fail(msg::UpdateFailed);
    return {};
}

Result<void> deleteTimePeriod(Database& src, qint64 rowId) {
    if (!src.run(QStringLiteral("DELETE FROM timetbl WHERE rowid = ?"), rowId) ||
        src.changes() != 1)
        return fail(msg::UpdateFailed);
    return {};
}

}  // namespace tallyport
