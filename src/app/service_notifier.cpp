#include "app/service_notifier.h"

#include <QDeadlineTimer>

#include <systemd/sd-daemon.h>

namespace tallyport {

ServiceNotifier::ServiceNotifier(QObject* parent) : QObject(parent) {
    uint64_t usec = 0;
    // The pings come from the loop itself: a loop that hangs stops them, and systemd restarts
    // the console.
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
        m_watchdog.setInterval(int(qMax<uint64_t>(usec / 2000, 1)));
        connect(&m_watchdog, &QTimer::timeout, this, [] { sd_notify(0, "WATCHDOG=1"); });
        m_watchdog.start();
    }
}

void ServiceNotifier::ready() {
    sd_notify(0, "READY=1");
}

void ServiceNotifier::reloading() {
    sd_notifyf(0, "RELOADING=1\nMONOTONIC_USEC=%llu",
               static_cast<unsigned long long>(QDeadlineTimer::current().deadlineNSecs() / 1000));
}

void ServiceNotifier::stopping() {
    m_watchdog.stop();
    sd_notify(0, "STOPPING=1");
}

}  // namespace tallyport
