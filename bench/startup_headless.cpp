// Launch of `tallyport --headless` on a log of 2,000,000 rows: time to the ready line, the
// console's peak memory, and whether the log is left as it was.
#include "app/headless_operator.h"
#include "base/operator.h"
#include "bench_log.h"
#include "peak_memory.h"
#include "store/data_module.h"
#include "test_paths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace tallyport;

namespace {

constexpr int kRows = 2'000'000;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir, runtime;
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    if (!data.prepareDataFolder() || !data.OpenDatabases() || !FillBenchLog(data, kRows)) return 1;
    const qint64 rows = data.logCount();
    data.CloseDatabases();
    const QByteArray before = [&] {
        QFile f(data.filePath(QStringLiteral("attend.db")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    p.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral(TALLYPORT_BINARY_DIR "/tallyport"),
            {QStringLiteral("--headless"), QStringLiteral("--data-dir"), dir.path()});
    QByteArray out;
    while (!out.contains(" ready: ") && p.state() != QProcess::NotRunning &&
           timer.elapsed() < 60000)
        if (p.waitForReadyRead(50)) out += p.readAllStandardOutput();
    const qint64 readyMs = timer.elapsed();
    const long peak = peakKb(QString::number(p.processId()));
    p.terminate();
    p.waitForFinished(30000);

    data.OpenDatabases();
    const bool same = data.logCount() == rows;
    std::printf("log rows: %lld\n", static_cast<long long>(rows));
    std::printf("launch to ready: %lld ms (target < 1000)\n", static_cast<long long>(readyMs));
    std::printf("peak memory at ready: %.1f MB (target < 100)\n", peak / 1024.0);
    std::printf("log untouched: %s (rows %s, file bytes %s before the WAL)\n", same ? "yes" : "NO",
                same ? "same" : "differ", before.size() > 0 ? "read" : "unread");
    return out.contains(" ready: ") && same ? 0 : 1;
}
