// The console run by systemd (Type=notify): it says READY=1 once it records, STOPPING=1 when it
// shuts down in order, and pings the watchdog from its loop. The test plays systemd's part: a
// datagram socket named in NOTIFY_SOCKET.
#include "support/console_process.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <cstring>

using namespace tallyport::test;

namespace {

class NotifySocket {
public:
    explicit NotifySocket(const QString& path) : m_path(path.toLocal8Bit()) {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, m_path.constData(), sizeof(addr.sun_path) - 1);
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~NotifySocket() {
        ::close(m_fd);
        ::unlink(m_path.constData());
    }
    bool bound() const { return m_bound; }
    // Every message waiting now, one line each.
    QStringList read() {
        QStringList out;
        char buf[512];
        for (ssize_t n; (n = ::recv(m_fd, buf, sizeof buf, 0)) > 0;)
            out << QString::fromUtf8(buf, int(n)).trimmed();
        return out;
    }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_bound = false;
};

// Waits for a message, reading the console's output meanwhile so that its order is known.
bool waitFor(NotifySocket& s, ConsoleProcess& console, const QString& message, QStringList& seen,
             QString& stdoutThen) {
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        const QStringList got = s.read();
        seen += got;
        if (got.contains(message)) {
            stdoutThen = console.standardOutput();
            return true;
        }
        console.process().waitForReadyRead(20);
    }
    return false;
}

TEST(ServiceNotify, ReadyAfterTheReadyLineWatchdogEverySecondStoppingOnSigterm) {
    TempDataDir dir;
    NotifySocket notify(dir.file(QStringLiteral("notify")));
    ASSERT_TRUE(notify.bound());
    ConsoleProcess console(dir.file(QStringLiteral("data")));
    console.setEnvironment(QStringLiteral("NOTIFY_SOCKET"), dir.file(QStringLiteral("notify")));
    console.setEnvironment(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("2000000"));
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    QStringList seen;
    QString out;
    ASSERT_TRUE(waitFor(notify, console, QStringLiteral("READY=1"), seen, out))
        << seen.join(u'|').toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral(" ready: "))) << "READY=1 came before the ready line";

    // About every second (half the watchdog's two): two to four pings in three seconds.
    seen.clear();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 3000) {
        seen += notify.read();
        QThread::msleep(50);
    }
    const qsizetype pings = seen.count(QStringLiteral("WATCHDOG=1"));
    EXPECT_GE(pings, 2) << seen.join(u'|').toStdString();
    EXPECT_LE(pings, 4) << seen.join(u'|').toStdString();

    console.process().terminate();
    ASSERT_TRUE(waitFor(notify, console, QStringLiteral("STOPPING=1"), seen, out))
        << seen.join(u'|').toStdString();
    QProcess& p = console.process();
    EXPECT_TRUE(p.state() == QProcess::NotRunning || p.waitForFinished(15000));
    EXPECT_EQ(console.process().exitCode(), 0);
}

// Not started by systemd: no socket to talk to, and the console runs as ever.
TEST(ServiceNotify, WithoutNotifySocketNothingChanges) {
    TempDataDir dir;
    ConsoleProcess console(dir.file(QStringLiteral("data")));
    console.setEnvironment(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("2000000"));
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    EXPECT_EQ(console.terminate(), 0);
}

}  // namespace
