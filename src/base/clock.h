#pragma once

#include <QDateTime>

namespace tallyport {

// The one source of "now" for the core. The console runs on the system clock; tests hold a
// ManualClock and move it where a rule needs it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start) : m_now(std::move(start)) {}
    QDateTime now() const override { return m_now; }
    void set(QDateTime t) { m_now = std::move(t); }
    void advanceSecs(qint64 s) { m_now = m_now.addSecs(s); }
    void advanceMSecs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};

// The process-wide clock; the console installs the system clock, tests their own.
Clock& appClock();
void setAppClock(Clock* c);  // nullptr restores the system clock

}  // namespace tallyport
