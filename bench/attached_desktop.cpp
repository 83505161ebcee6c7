// A console attached to a running recorder: the round trip of `status` over the control socket,
// and the delay from a card frame sent to a reader until the attached console has the stored row
// (what its log view then shows).
//
// Method: one tallyport-readersim with one reader and `tallyport --headless` recording from it.
// In this process a Console attached to that recorder (no widgets: the log view refreshes on the
// same signal). First `status` is asked 200 times in a row (each a new connection, as the
// desktop's status bar and the command line ask). Then the simulator sends a card frame every
// 100 ms with a unique card number; each is timed from its send to the attached console's
// eventStored for that card, and beside it to the recorder's own printed line (its commit).
// Usage: bench_attached_desktop [punches, default 200]
#include "app/console.h"
#include "app/headless_operator.h"
#include "app/recorder_link.h"
#include "bench_support.h"
#include "store/data_module.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

bool prepare(const QString& folder, quint16 port) {
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    if (!data.prepareDataFolder() || !data.OpenDatabases()) return false;
    return data.src()
        .run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', ipport = ?, "
                            "\"desc\" = 'Door', mode = 1 WHERE PortNo = 1"),
             int(port))
        .has_value();
}

void print(const char* what, const std::vector<double>& ms) {
    std::printf("%-44s n=%zu  p50 %.2f ms  p99 %.2f ms  max %.2f ms\n", what, ms.size(),
                percentile(ms, 0.5), percentile(ms, 0.99), percentile(ms, 1.0));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int punches = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    QTemporaryDir dir, runtime, config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QProcess sim;
    const quint16 port = startSimulator(sim);
    if (port == 0 || !prepare(dir.path(), port)) return 1;
    QProcess recorder;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    recorder.setProcessEnvironment(env);
    recorder.start(binDir() + QStringLiteral("/tallyport"),
                   {QStringLiteral("--headless"), QStringLiteral("--data-dir"), dir.path()});
    if (!waitForLine(recorder, QStringLiteral("Tallyport"))) return 1;
    if (!waitForLine(sim, QStringLiteral("readersim connected"))) return 1;

    std::vector<double> status;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        if (!askRecorderStatus(dir.path())) return std::puts("status: no answer"), 1;
        status.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    print("status round trip", status);

    const auto first = askRecorderStatus(dir.path());
    const auto who = first ? recorderOf(*first) : std::nullopt;
    if (!who) return 1;
    HeadlessOperator op;
    Console console(op, dir.path());
    console.attachTo(*who);
    if (!console.startUp()) return 1;

    QElapsedTimer clock;
    clock.start();
    QHash<int, qint64> sentAt;
    std::vector<double> toAttached, toRecorder;
    QObject::connect(&console, &Console::eventStored, [&](const LogRecord& row) {
        if (const auto it = sentAt.find(row.cardNo); it != sentAt.end())
            toAttached.push_back(double(clock.nsecsElapsed() - *it) / 1e6);
    });
    QObject::connect(&recorder, &QProcess::readyReadStandardOutput, [&] {
        while (recorder.canReadLine()) {
            const QList<QByteArray> f = recorder.readLine().split('\t');
            if (f.size() < 5) continue;
            if (const auto it = sentAt.find(f[1].toInt()); it != sentAt.end())
                toRecorder.push_back(double(clock.nsecsElapsed() - *it) / 1e6);
        }
    });
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, [&] { sim.readAllStandardOutput(); });
    int sent = 0;
    QTimer send;
    QObject::connect(&send, &QTimer::timeout, [&] {
        if (sent == punches) return send.stop();
        const int card = 200000 + sent++;
        sentAt.insert(card, clock.nsecsElapsed());
        sim.write(QStringLiteral("card 6 %1\n").arg(card).toUtf8());
    });
    send.start(100);
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &app, &QCoreApplication::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (sent == punches && int(toAttached.size()) == punches) end.start(0);
    });
    check.start(200);
    QTimer::singleShot(punches * 100 + 20000, &app, &QCoreApplication::quit);
    app.exec();
    console.Shutdown();
    print("frame -> row committed by the recorder", toRecorder);
    print("frame -> row seen by the attached console", toAttached);
    std::printf("punches sent %d, seen attached %zu\n", sent, toAttached.size());
    recorder.terminate();
    recorder.waitForFinished(15000);
    sim.kill();
    sim.waitForFinished(5000);
    return int(toAttached.size()) == punches ? 0 : 1;
}
