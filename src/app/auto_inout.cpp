#include "app/auto_inout.h"

#include "base/clock.h"
#include "store/date_time.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "store/settings.h"

namespace tallyport {
namespace {

// Times of day are compared in whole milliseconds: closer than 1 ms is equal.
int ms(const QTime& t) {
    return t.msecsSinceStartOfDay();
}

bool within(const QTime& t, const QTime& from, const QTime& to) {
    return ms(t) >= ms(from) && ms(t) < ms(to);
}

bool overlaps(const InPeriod& a, const InPeriod& b) {
    return within(b.from, a.from, a.to) || within(b.to, a.from, a.to) ||
           within(a.from, b.from, b.to) || within(a.to, b.from, b.to);
}

}  // namespace

Result<std::vector<InPeriod>> loadInPeriods(Database& src) {
    return src.query(QStringLiteral("SELECT rowid, tfrom, tto FROM iotime ORDER BY tfrom"),
                     [](const Statement& st) {
                         return InPeriod{st.int64(0), parseTimeOfDayText(st.text(1)),
                                         parseTimeOfDayText(st.text(2))};
                     });
}

bool insideAnyPeriod(const std::vector<InPeriod>& periods, const QTime& t) {
    for (const InPeriod& p : periods) {
        if (ms(t) < ms(p.from)) return false;  // sorted by start: no later one holds t
        if (within(t, p.from, p.to)) return true;
    }
    return false;
}

Result<void> addInPeriod(Database& src, const QTime& from, const QTime& to) {
    if (!from.isValid() || !to.isValid() || ms(to) <= ms(from)) return fail(msg::WrongTimeEntry);
    const InPeriod fresh{0, from, to};
    const auto periods = loadInPeriods(src);
    if (!periods) return fail(msg::UpdateFailed);
    for (const InPeriod& p : *periods)
        if (overlaps(fresh, p)) return fail(msg::TimeOverlapped);
    if (!src.run(QStringLiteral("INSERT INTO iotime(tfrom, tto) VALUES (?, ?)"),
                 timeOfDayText(from), timeOfDayText(to)))
        return fail(msg::UpdateFailed);
    return {};
}

bool deleteInPeriod(Operator& op, Database& src, std::optional<qint64> rowId) {
    const auto periods = loadInPeriods(src);
    if (!periods) {
        op.errorDetail(msg::DatabaseError, periods.error().text);
        return false;
    }
    if (!rowId || periods->empty()) {
        op.error(msg::NoDataRecord);
        return false;
    }
    if (!op.confirm(msg::ConfirmDelete)) return false;
    auto r = src.run(QStringLiteral("DELETE FROM iotime WHERE rowid = ?"), *rowId);
    if (!r || src.changes() != 1) {
        op.error(msg::UpdateFailed);
        return false;
    }
    return true;
}

AutoInOut::AutoInOut(DataModule& data, QObject* parent) : QObject(parent), m_data(data) {
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, [this] { minuteTick(appClock().now()); });
}

void AutoInOut::start() {
    m_lastMinute = appClock().now().time().minute();
    m_tick.start();
}

// The periods are read afresh each time, so an edit counts from the next evaluation on.
void AutoInOut::Evaluate(const QTime& t) {
    if (!m_data.isOpen() || !ReadSettingBool(setting::AutoInOut, false)) return;
    const auto periods = loadInPeriods(m_data.src());
    if (!periods) return m_data.reportFailure(periods.error());  // the state stays as it was
    setState(insideAnyPeriod(*periods, t));
}

void AutoInOut::setState(bool in) {
    m_in = in;
    Q_EMIT stateChanged(in);
}

void AutoInOut::minuteTick(const QDateTime& now) {
    const int minute = now.time().minute();
    const int previous = m_lastMinute;
    m_lastMinute = minute;
    if (m_countdown != 0) {
        if (--m_countdown == 0) Evaluate(now.time());
    } else if (minute != previous) {
        Evaluate(now.time());
    }
}

bool AutoInOut::panelClick() {
    if (!ReadSettingBool(setting::AutoOverride, false)) return false;
    m_countdown = kOverrideTicks;
    setState(!m_in);
    return true;
}

}  // namespace tallyport
