#pragma once
// A site for the benchmarks that run `tallyport --headless`: a large log, eight readers pointed
// at a simulator, holders for the cards the bench punches.

#include "app/headless_operator.h"
#include "bench_log.h"
#include "bench_support.h"
#include "store/data_module.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

namespace tallyport::bench {

// The site the web benchmarks measure against: a year's log of a large company, eight readers
// each punching 20 times a second.
constexpr int kRows = 2'000'000;
constexpr int kReaders = 8;
constexpr int kPerSecond = 20;  // per reader

// A folder that holds a log already keeps it: only the readers are pointed at the simulator.
inline bool prepareSite(const QString& folder, const QList<quint16>& ports, int rows) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    const auto fresh = data.prepareDataFolder();
    if (!fresh || !data.OpenDatabases()) return false;
    if (*fresh && !FillBenchLog(data, rows)) return false;
    // Every run starts with no record today, as a fresh fill does.
    if (!*fresh && !data.att().run(QStringLiteral("DELETE FROM recorder WHERE SYSTIME >= ?"),
                                   QDate::currentDate().toString(Qt::ISODate)))
        return false;
    for (int p = 1; p <= ports.size(); ++p)
        if (!data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                           "ipport = ?, \"desc\" = ?, mode = 1 WHERE PortNo = ?"),
                            int(ports.value(p - 1)), QStringLiteral("Door %1").arg(p), p))
            return false;
    for (int c = 1000; c < 1500 && *fresh; ++c)
        if (!data.src().run(
                QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (?, ?, 1)"), c,
                QStringLiteral("Holder %1").arg(c)))
            return false;
    data.CloseDatabases();
    return true;
}

inline qint64 storedRows(const QString& folder) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    return data.OpenDatabases() ? data.logCount() : -1;
}

inline quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

// A site that records: the simulator's readers, the log in a folder and `tallyport --headless`
// with its web reporter on a free port.
struct RecordingSite {
    // Settings and runtime folders of the bench's own, for the console too.
    RecordingSite() {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    }

    QTemporaryDir runtime, config;
    QProcess sim, console;
    QList<quint16> ports;
    quint16 webPort = 0;
    qint64 rowsBefore = 0;
    double fillSeconds = 0;

    // Up to the console with every reader connected; empty, or what did not start (with the
    // console's log).
    QString start(const QString& folder, int rows, int readers, const QString& token = {}) {
        sim.start(binDir() + QStringLiteral("/tallyport-readersim"),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--ports"),
                   QString::number(readers)});
        if (!waitForLine(sim, QStringLiteral("readersim ready"), &ports, 60000) ||
            ports.size() != readers)
            return QStringLiteral("the simulator did not start");
        QElapsedTimer fill;
        fill.start();
        if (!prepareSite(folder, ports, rows)) return QStringLiteral("fill failed");
        fillSeconds = secondsOf(fill);
        rowsBefore = storedRows(folder);
        webPort = freePort();
        WriteSettingBool(setting::WebEnabled, true);
        WriteSettingInt(setting::WebPortNo, webPort);
        WriteSettingText(setting::WebToken, token);
        console.start(binDir() + QStringLiteral("/tallyport"),
                      {QStringLiteral("--headless"), QStringLiteral("--data-dir"), folder});
        if (!waitForLine(console, QStringLiteral("Tallyport"), nullptr, 60000))
            return failure(QStringLiteral("the console did not start"));
        for (int i = 0; i < readers; ++i)
            if (!waitForLine(sim, QStringLiteral("readersim connected"), nullptr, 60000))
                return failure(QStringLiteral("the readers did not connect"));
        return {};
    }
    QString failure(const QString& what) {
        return what + QLatin1Char('\n') + QString::fromLocal8Bit(console.readAllStandardError());
    }
    void stop() {
        console.terminate();
        console.waitForFinished(30000);
        sim.kill();
        sim.waitForFinished(5000);
    }
};

}  // namespace tallyport::bench
