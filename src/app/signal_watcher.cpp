#include "app/signal_watcher.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace tallyport {
namespace {
int g_fds[2] = {-1, -1};

extern "C" void onSignal(int sig) {
    const char c = char(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &c, 1);  // async-signal-safe
}
}  // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent) {
    if (g_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0) return;
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::onReadable);
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
}

SignalWatcher::~SignalWatcher() {
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
}

void SignalWatcher::onReadable() {
    char c = 0;
    if (::read(g_fds[1], &c, 1) != 1) return;
    if (int(c) == SIGHUP)
        Q_EMIT reloadRequested();
    else
        Q_EMIT stopRequested(int(c));
}

}  // namespace tallyport
