#pragma once
// What the benchmarks share: clocks, percentiles, the programs beside them, the simulator.

#include "store/sqlcipher_db.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace tallyport::bench {

inline double secondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

inline double secondsOf(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// Processor time of this process: the machine is shared, so wall time alone says little.
inline double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// Processor time (user and system) of one thread of another process, read from /proc; -1 when
// the thread is gone.
inline double threadCpuSeconds(qint64 pid, qint64 tid) {
    QFile f(QStringLiteral("/proc/%1/task/%2/stat").arg(pid).arg(tid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = f.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (rest.size() < 13) return -1;
    return double(rest[11].toLongLong() + rest[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

// The thread of process `pid` whose name is `name`; 0 when there is none.
inline qint64 threadNamed(qint64 pid, const QString& name) {
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + QLatin1Char('/') + tid + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name.toUtf8())
            return tid.toLongLong();
    }
    return 0;
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// The build folder: the benchmarks live in its bench/ folder, the programs beside it.
inline QString binDir() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/..");
}

// Reads lines until one starts with `prefix`; collects "listening" ports on the way.
inline bool waitForLine(QProcess& p, const QString& prefix, QList<quint16>* ports = nullptr,
                        int timeoutMs = 15000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (!p.canReadLine() && !p.waitForReadyRead(1000)) continue;
        const QString line = QString::fromUtf8(p.readLine()).trimmed();
        if (ports && line.startsWith(QStringLiteral("readersim listening 127.0.0.1:")))
            ports->append(line.section(QLatin1Char(':'), 1).toUShort());
        if (line.startsWith(prefix)) return true;
    }
    return false;
}

// The reader simulator with one reader: its port once it says it is ready, 0 when it does not.
inline quint16 startSimulator(QProcess& sim) {
    sim.start(binDir() + QStringLiteral("/tallyport-readersim"),
              {QStringLiteral("--port"), QStringLiteral("0")});
    QList<quint16> ports;
    return waitForLine(sim, QStringLiteral("readersim ready"), &ports, 10000) && ports.size() == 1
               ? ports.front()
               : 0;
}

// The floor of a report over the site's year: every person's rows through the (CARDNO,
// SYSTIME) index, each value read.
inline qint64 bareScan(Database& att) {
    auto st = att.prepare(QStringLiteral(
        "SELECT SYSTIME, MODE FROM recorder WHERE CARDNO = ? ORDER BY SYSTIME, rowid"));
    qint64 rows = 0, sum = 0;
    for (int card = 1; card <= 500; ++card) {
        st->reset();
        st->bind(1, card);
        while (st->step().value_or(false)) {
            sum += st->text(0).size() + st->integer(1);
            ++rows;
        }
    }
    return rows + (sum == 0 ? 1 : 0);
}

}  // namespace tallyport::bench
