#pragma once

#include "base/error.h"
#include "base/operator.h"
#include "store/data_module.h"

#include <QDateTime>
#include <QObject>
#include <QTime>
#include <QTimer>
#include <optional>
#include <vector>

namespace tallyport {

// One IN period of the `iotime` table: from <= t < to, times of day of one day.
struct InPeriod {
    qint64 rowId = 0;
    QTime from;
    QTime to;
};

// The IN periods in start order.
Result<std::vector<InPeriod>> loadInPeriods(Database& src);
// True when a period contains the time of day (times closer than 1 ms are equal).
bool insideAnyPeriod(const std::vector<InPeriod>& periods, const QTime& t);
// Adds a period after the checks; the error carries "Wrong time entry.", "Time overlapped." or
// the failed-update text. Periods that merely touch count as overlapping.
Result<void> addInPeriod(Database& src, const QTime& from, const QTime& to);
// Deletes a period after the operator confirms: "No data record." without one. True when deleted.
bool deleteInPeriod(Operator& op, Database& src, std::optional<qint64> rowId);

// The direction that live reads of clock-only readers take from the time of day, with the
// operator's short override. Runs its own one-second tick, so it works without any window.
class AutoInOut : public QObject {
    Q_OBJECT
public:
    static constexpr int kOverrideTicks = 5;

    explicit AutoInOut(DataModule& data, QObject* parent = nullptr);

    bool isIn() const { return m_in; }
    int overrideCountdown() const { return m_countdown; }

    // Nothing while the system database is closed or "AutoInOut" is off.
    void Evaluate(const QTime& t);
    void setState(bool in);
    // Once a second: the override count-down, else a new evaluation when the minute changes.
    void minuteTick(const QDateTime& now);
    // The panel was clicked: with "AutoOverride" the state flips for five ticks. True if flipped.
    bool panelClick();

    // The one-second tick on the application clock.
    void start();
    void stop() { m_tick.stop(); }

Q_SIGNALS:
    void stateChanged(bool in);

private:
    DataModule& m_data;
    QTimer m_tick;
    bool m_in = false;
    int m_countdown = 0;
    int m_lastMinute = -1;
};

}  // namespace tallyport
