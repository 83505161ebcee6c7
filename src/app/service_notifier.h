#pragma once

#include <QObject>
#include <QTimer>

namespace tallyport {

// What a console run as a systemd service tells its manager: READY=1 once it records,
// STOPPING=1 when it shuts down in order, and, when the unit has a watchdog, WATCHDOG=1 from
// the event loop at half the watchdog's period, so a loop that hangs gets the console
// restarted. Without NOTIFY_SOCKET (not started by systemd) it does nothing.
class ServiceNotifier : public QObject {
    Q_OBJECT
public:
    explicit ServiceNotifier(QObject* parent = nullptr);

    void ready();
    void stopping();
    // A reload begins (RELOADING=1); ready() tells its end.
    void reloading();
    bool watching() const { return m_watchdog.isActive(); }

private:
    QTimer m_watchdog;
};

}  // namespace tallyport
