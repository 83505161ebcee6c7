// Eight simulated readers at 20 card frames per second each against `tallyport --headless`:
// frames sent, rows stored, and the delay from a frame's send to its stored row.
//
// Method: one tallyport-readersim with eight readers; the bench tells it, reader by reader in
// turn, to send a card frame with a unique card number and notes the time. The console prints
// its line for an event only after the row is committed, so the time from sending to reading
// that line is an upper bound of frame-to-commit (it also holds the simulator's pipe, TCP and
// the stdout pipe). Beside it: one bare single-row commit into a keyed log file of the same kind,
// timed here in the same run.
// Usage: bench_live_recording [seconds, default 60] [frames per second per reader, default 20]
#include "app/headless_operator.h"
#include "bench_support.h"
#include "store/data_module.h"
#include "store/date_time.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

constexpr int kReaders = 8;

bool prepare(const QString& folder, const QList<quint16>& ports) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    if (!data.prepareDataFolder() || !data.OpenDatabases()) return false;
    for (int p = 1; p <= kReaders; ++p)
        if (!data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                           "ipport = ?, \"desc\" = ?, mode = 1 WHERE PortNo = ?"),
                            int(ports.value(p - 1)), QStringLiteral("Door %1").arg(p), p))
            return false;
    data.CloseDatabases();
    return true;
}

// The median time of one autocommitted single-row insert into a keyed log.
double bareCommitMs(const QString& folder) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    if (!data.prepareDataFolder() || !data.OpenDatabases()) return -1;
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        (void)data.att().run(QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, "
                                            "LOCK) VALUES (?, ?, 1, 1, 0)"),
                             dateTimeText(QDateTime::currentDateTime()), i);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return percentile(ms, 0.5);
}

qint64 storedRows(const QString& folder) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    return data.OpenDatabases() ? data.logCount() : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    const int kPerSecond = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 20;
    QTemporaryDir dir, runtime, config, bare;
    QProcess sim;
    sim.start(binDir() + QStringLiteral("/tallyport-readersim"),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--ports"),
               QString::number(kReaders)});
    QList<quint16> ports;
    if (!waitForLine(sim, QStringLiteral("readersim ready"), &ports) || ports.size() != kReaders)
        return 1;
    if (!prepare(dir.path(), ports)) return 1;
    const double commitMs = bareCommitMs(bare.path());

    QProcess console;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    console.setProcessEnvironment(env);
    console.start(binDir() + QStringLiteral("/tallyport"),
                  {QStringLiteral("--headless"), QStringLiteral("--data-dir"), dir.path()});
    if (!waitForLine(console, QStringLiteral("Tallyport"))) return 1;
    for (int i = 0; i < kReaders; ++i)
        if (!waitForLine(sim, QStringLiteral("readersim connected"))) return 1;

    QElapsedTimer clock;
    clock.start();
    QHash<int, qint64> sentAt;  // card -> ns
    std::vector<double> delays;
    int sent = 0;
    const int total = seconds * kPerSecond * kReaders;
    QObject::connect(&console, &QProcess::readyReadStandardOutput, [&] {
        while (console.canReadLine()) {
            const QList<QByteArray> f = console.readLine().split('\t');
            if (f.size() < 5) continue;
            const auto it = sentAt.find(f[1].toInt());
            if (it != sentAt.end()) delays.push_back(double(clock.nsecsElapsed() - *it) / 1e6);
        }
    });
    QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                     [&] { sim.readAllStandardOutput(); });
    QTimer send;
    send.setTimerType(Qt::PreciseTimer);
    const qint64 stepNs = 1'000'000'000LL / (kPerSecond * kReaders);
    QObject::connect(&send, &QTimer::timeout, [&] {
        // Catch up to the schedule, so a late tick does not lower the rate.
        while (sent < total && qint64(sent) * stepNs <= clock.nsecsElapsed()) {
            const int card = 100000 + sent;
            sentAt.insert(card, clock.nsecsElapsed());
            sim.write(
                QStringLiteral("@%1 card 6 %2\n").arg(ports[sent % kReaders]).arg(card).toUtf8());
            ++sent;
        }
        if (sent >= total) send.stop();
    });
    send.start(2);
    // Waits for events rather than polling, so the bench takes no core from the console; the
    // tick wakes the loop once the sender has stopped.
    QTimer tick;
    tick.start(10);
    while (sent < total ||
           (delays.size() < size_t(sent) && clock.elapsed() < qint64(seconds) * 1000 + 5000))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    console.terminate();
    console.waitForFinished(15000);
    sim.kill();
    sim.waitForFinished(5000);
    const qint64 rows = storedRows(dir.path());
    std::printf("live_recording: %d readers x %d frames/s for %d s\n", kReaders, kPerSecond,
                seconds);
    std::printf("  frames sent %d, rows stored %lld, lost %lld, lines seen %zu\n", sent,
                (long long)rows, (long long)(sent - rows), delays.size());
    std::printf("  send -> committed row (printed line): p50 %.2f ms  p99 %.2f ms  max %.2f ms\n",
                percentile(delays, 0.5), percentile(delays, 0.99), percentile(delays, 1.0));
    std::printf("  bare single-row commit (median of 200): %.3f ms\n", commitMs);
    return rows == sent ? 0 : 1;
}
