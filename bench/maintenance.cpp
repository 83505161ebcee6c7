// Database maintenance on a large log:
//   1. the online backup of a 2,000,000-row log, beside a plain copy of the same file's bytes
//      (read, written, synced and renamed into place) in the same run;
//   2. the same backup taken by `tallyport backup log FILE` while `tallyport --headless`
//      records eight simulated readers at 20 card frames per second each: frames sent, rows
//      stored, the copy's integrity, and the send-to-stored delay of the frames sent while the
//      copy was taken beside those sent before and after it;
//   3. the import of 1,000,000 foreign log rows (one in ten already there) into that log.
// Usage: bench_maintenance [live rows, default 2000000] [foreign rows, default 1000000]
//                          [parts: any of copy,backup,beside,import joined by commas; all]
#include "app/headless_operator.h"
#include "bench_log.h"
#include "bench_support.h"
#include "store/db_copy.h"
#include "store/log_import.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

constexpr int kReaders = 8;
constexpr int kPerSecond = 20;

// A data folder with `rows` log rows; readers 1..8 pointed at `ports` when given.
bool makeFolder(const QString& folder, int rows, const QList<quint16>& ports) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    if (!data.prepareDataFolder() || !data.OpenDatabases()) return false;
    (void)data.att().exec(QStringLiteral("PRAGMA cache_size = -131072"));  // a faster fill
    if (!FillBenchLog(data, rows)) return false;
    for (int p = 1; p <= ports.size(); ++p)
        if (!data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                           "ipport = ?, \"desc\" = ?, mode = 1 WHERE PortNo = ?"),
                            int(ports.value(p - 1)), QStringLiteral("Door %1").arg(p), p))
            return false;
    data.CloseDatabases();
    return true;
}

// The rows of another installation over the same months: between the live ones, and one in
// ten equal to a live row.
bool makeForeign(const QString& folder, int rows, int offsetSeconds) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    if (!data.prepareDataFolder() || !data.OpenDatabases()) return false;
    (void)data.att().exec(QStringLiteral("PRAGMA cache_size = -131072"));
    Transaction tx(data.att());
    const auto r = data.att().run(
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
            "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
            "SELECT CASE WHEN i % 10 = 0 "
            "  THEN datetime('2020-01-01 07:00:00', '+' || (2 * i * 37) || ' seconds') "
            "  ELSE datetime('2020-01-01 07:00:00', '+' || (i * 74 + ?) || ' seconds') END, "
            "CASE WHEN i % 10 = 0 THEN 1000 + (2 * i) % 500 ELSE 1000 + i % 500 END, "
            "1 + i % 2, 1 + i % 8, 0 FROM n"),
        rows, offsetSeconds);
    return r && tx.commit();
}

struct CopyCheck {
    qint64 rows = -1;
    qint64 kept = -1;
    QString integrity;
};

CopyCheck check(const QString& path) {
    CopyCheck c;
    auto db = Database::open(path, kLogKey, Database::Mode::ReadOnly);
    if (!db) return c;
    c.rows = db->scalarInt(QStringLiteral("SELECT count(*) FROM recorder"))->value_or(-1);
    c.kept = db->scalarInt(QStringLiteral("SELECT n FROM recorder_count"))->value_or(-1);
    c.integrity = db->queryOne(QStringLiteral("PRAGMA integrity_check"), [](const Statement& st) {
                        return st.text(0);
                    })->value_or(QString());
    return c;
}

qint64 storedRows(const QString& folder) {
    return check(QDir(folder).filePath(kLogFile)).rows;
}

void backupBesideCopy(const QString& folder, const QString& out) {
    const QString live = QDir(folder).filePath(kLogFile);
    QElapsedTimer t;
    t.start();
    const bool plain =
        copyFileReplacing(live, QDir(out).filePath(QStringLiteral("plain.db"))).has_value();
    const double plainS = secondsOf(t);
    t.restart();
    const auto backup =
        backupDatabaseFile(live, kLogKey, QDir(out).filePath(QStringLiteral("backup.db")));
    const double backupS = secondsOf(t);
    const qint64 mb = QFileInfo(live).size() >> 20;
    std::printf("backup of the log (%lld MB):\n", (long long)mb);
    std::printf("  plain file copy (read, write, sync, rename): %.2f s%s\n", plainS,
                plain ? "" : " FAILED");
    std::printf("  online backup, checked, in place:            %.2f s%s\n", backupS,
                backup ? "" : qPrintable(QStringLiteral(" FAILED: ") + backup.error().text));
}

// A job beside live recording: started once, it calls `done` with its outcome when it ends.
using Job = std::function<void(std::function<void(bool ok)> done)>;

// Frames at kPerSecond per reader into `tallyport --headless`; the job starts after `lead`
// seconds and the frames go on for `lead` seconds after it ended.
struct LiveRun {
    int sent = 0;
    std::vector<double> before, during, after;  // send -> stored, ms
    double jobS = 0;
    bool jobOk = false;
};

LiveRun recordWhile(const QString& folder, QProcess& sim, const QList<quint16>& ports, int lead,
                    const Job& job) {
    LiveRun run;
    QTemporaryDir runtime, config;
    QProcess console;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    console.setProcessEnvironment(env);
    console.start(binDir() + QStringLiteral("/tallyport"),
                  {QStringLiteral("--headless"), QStringLiteral("--data-dir"), folder});
    if (!waitForLine(console, QStringLiteral("Tallyport"))) return run;
    for (int i = 0; i < kReaders; ++i)
        if (!waitForLine(sim, QStringLiteral("readersim connected"))) return run;
    QElapsedTimer clock;
    clock.start();
    std::optional<qint64> jobStart, jobEnd;
    QHash<int, qint64> sentAt;
    int seen = 0;
    QObject::connect(&console, &QProcess::readyReadStandardOutput, [&] {
        while (console.canReadLine()) {
            const QList<QByteArray> f = console.readLine().split('\t');
            if (f.size() < 5) continue;
            const auto it = sentAt.find(f[1].toInt());
            if (it == sentAt.end()) continue;
            ++seen;
            const double ms = double(clock.nsecsElapsed() - *it) / 1e6;
            (!jobStart ? run.before : !jobEnd ? run.during : run.after).push_back(ms);
        }
    });
    const auto drain = QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                                        [&] { sim.readAllStandardOutput(); });
    const qint64 stepNs = 1'000'000'000LL / (kPerSecond * kReaders);
    QTimer send;
    send.setTimerType(Qt::PreciseTimer);
    QObject::connect(&send, &QTimer::timeout, [&] {
        while (qint64(run.sent) * stepNs <= clock.nsecsElapsed()) {
            const int card = 100000 + run.sent;
            sentAt.insert(card, clock.nsecsElapsed());
            sim.write(QStringLiteral("@%1 card 6 %2\n")
                          .arg(ports[run.sent % kReaders])
                          .arg(card)
                          .toUtf8());
            ++run.sent;
        }
        if (!jobStart && clock.elapsed() >= lead * 1000) {
            jobStart = clock.nsecsElapsed();
            job([&](bool ok) {
                jobEnd = clock.nsecsElapsed();
                run.jobOk = ok;
            });
        }
        if (jobEnd && clock.nsecsElapsed() - *jobEnd >= lead * 1'000'000'000LL) send.stop();
    });
    send.start(2);
    while (send.isActive() || (seen < run.sent && clock.nsecsElapsed() - jobEnd.value_or(0) <
                                                      (lead + 5) * 1'000'000'000LL))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(drain);
    run.jobS = double(jobEnd.value_or(0) - jobStart.value_or(0)) / 1e9;
    console.terminate();
    console.waitForFinished(15000);
    return run;
}

void printDelays(const char* what, const std::vector<double>& ms) {
    std::printf("  %-28s %5zu frames  p50 %6.2f ms  p99 %7.2f ms  max %7.2f ms\n", what, ms.size(),
                percentile(ms, 0.5), percentile(ms, 0.99), percentile(ms, 1.0));
}

}  // namespace

void printRun(const LiveRun& run, qint64 stored) {
    std::printf("  frames sent %d, rows stored %lld, lost %lld\n", run.sent, (long long)stored,
                (long long)(run.sent - stored));
    printDelays("before it:", run.before);
    printDelays("while it runs:", run.during);
    printDelays("after it:", run.after);
}

// The import on a worker of the bench, as the desktop runs it.
Job importJob(const QString& from, const QString& into, LogImport& result,
              std::unique_ptr<QThread>& worker) {
    return [&result, &worker, from, into](auto done) {
        worker.reset(QThread::create([&result, from, into] { importLogRows(from, into, result); }));
        QObject::connect(worker.get(), &QThread::finished,
                         [done, &result] { done(result.failure.isEmpty()); });
        worker->start();
    };
}

void printImport(const LogImport& r) {
    std::printf("  added %lld, duplicated %lld, errors %lld%s\n", (long long)r.counts.added,
                (long long)r.counts.duplicated, (long long)r.counts.errors,
                r.failure.isEmpty() ? "" : qPrintable(QStringLiteral(", failed: ") + r.failure));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int liveRows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2'000'000;
    const int foreignRows = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1'000'000;
    const int beside = std::max(1000, foreignRows / 10);  // imported while the console records
    const QStringList parts =
        QString::fromLocal8Bit(argc > 3 ? argv[3] : "copy,backup,beside,import")
            .split(QLatin1Char(','));
    QTemporaryDir dir, foreign, other, out;
    QProcess sim;
    sim.start(binDir() + QStringLiteral("/tallyport-readersim"),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--ports"),
               QString::number(kReaders)});
    QList<quint16> ports;
    if (!waitForLine(sim, QStringLiteral("readersim ready"), &ports) || ports.size() != kReaders)
        return 1;
    QElapsedTimer t;
    t.start();
    if (!makeFolder(dir.path(), liveRows, ports) || !makeForeign(foreign.path(), foreignRows, 11) ||
        !makeForeign(other.path(), beside, 23))
        return 1;
    std::printf("maintenance: a %d-row log, %d + %d foreign rows (made in %.0f s)\n", liveRows,
                foreignRows, beside, secondsOf(t));
    std::fflush(stdout);

    if (parts.contains(QStringLiteral("copy"))) backupBesideCopy(dir.path(), out.path());

    bool ok = true;
    if (parts.contains(QStringLiteral("backup"))) {
        const qint64 before = storedRows(dir.path());
        const QString target = QDir(out.path()).filePath(QStringLiteral("timer-backup.db"));
        QProcess backup;
        const LiveRun live = recordWhile(dir.path(), sim, ports, 3, [&](auto done) {
            QObject::connect(&backup, &QProcess::finished,
                             [done](int code, QProcess::ExitStatus status) {
                                 done(status == QProcess::NormalExit && code == 0);
                             });
            backup.start(binDir() + QStringLiteral("/tallyport"),
                         {QStringLiteral("backup"), QStringLiteral("log"), target,
                          QStringLiteral("--data-dir"), dir.path()});
        });
        const qint64 backupStored = storedRows(dir.path()) - before;
        const CopyCheck copy = check(target);
        std::printf("tallyport backup log FILE while %d readers x %d frames/s are recorded:\n",
                    kReaders, kPerSecond);
        std::printf("  backup %.2f s, %s; the copy: %lld rows (kept count %lld), integrity %s\n",
                    live.jobS, live.jobOk ? "done" : "FAILED", (long long)copy.rows,
                    (long long)copy.kept, qPrintable(copy.integrity));
        printRun(live, backupStored);
        std::fflush(stdout);
        ok = ok && live.sent == backupStored && live.jobOk &&
             copy.integrity == QLatin1String("ok") && copy.rows == copy.kept;
    }

    if (parts.contains(QStringLiteral("beside"))) {
        const qint64 before = storedRows(dir.path());
        LogImport besideResult;
        std::unique_ptr<QThread> worker;
        const LiveRun merged =
            recordWhile(dir.path(), sim, ports, 3,
                        importJob(QDir(other.path()).filePath(kLogFile),
                                  QDir(dir.path()).filePath(kLogFile), besideResult, worker));
        if (!worker) return 1;
        worker->wait();
        const qint64 mergedStored = storedRows(dir.path()) - before - besideResult.counts.added;
        std::printf(
            "import of %d foreign rows while %d readers x %d frames/s are recorded: %.1f s\n",
            beside, kReaders, kPerSecond, merged.jobS);
        printImport(besideResult);
        printRun(merged, mergedStored);
        std::fflush(stdout);
        ok = ok && merged.sent == mergedStored && merged.jobOk;
    }
    sim.kill();
    sim.waitForFinished(5000);

    if (parts.contains(QStringLiteral("import"))) {
        LogImport result;
        t.restart();
        importLogRows(QDir(foreign.path()).filePath(kLogFile), QDir(dir.path()).filePath(kLogFile),
                      result);
        std::printf("import of %d foreign rows into the %lld-row log: %.1f s (target under 20 s)\n",
                    foreignRows, (long long)storedRows(dir.path()) - result.counts.added,
                    secondsOf(t));
        printImport(result);
        ok = ok && result.failure.isEmpty();
    }
    return ok ? 0 : 1;
}
