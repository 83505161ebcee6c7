// A full reader (2,048 blocks, 67,584 records) downloaded from the reader simulator into a log
// that already holds 2,000,000 rows, with the Access Manager's download (two capacity reads,
// blocks until the sequence bits break, the duplicate test per record, batches of short
// transactions). Beside it, in the same run and on the same link and file, its floor: 2,048 bare
// request/reply exchanges of the same blocks, then one bulk insert of the same records without
// a duplicate test. Last, the upload of an access table of 10,000 holders.
// Usage: bench_reader_download [log rows, default 2000000]
#include "admin/access_manager.h"
#include "admin/device_commands.h"
#include "app/terminal_operator.h"
#include "bench_log.h"
#include "bench_support.h"
#include "readers/reader_client.h"
#include "store/date_time.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

constexpr int kFullReader = kLogBlocks * kLogRecordsPerBlock;  // 67,584
constexpr int kHolders = 10000;

bool simSays(QProcess& sim, const QByteArray& line) {
    sim.write(line + '\n');
    while (sim.waitForReadyRead(30000) || sim.canReadLine())
        while (sim.canReadLine()) {
            const QByteArray answer = sim.readLine().trimmed();
            if (answer == "ok") return true;
            if (answer.startsWith("error")) return false;
        }
    return false;
}

// 2,048 exchanges with nothing around them; the records they carried.
std::vector<readers::LogRecord> bareExchanges(ReaderClient& reader, double& seconds) {
    std::vector<readers::LogRecord> records;
    records.reserve(kFullReader);
    QElapsedTimer t;
    t.start();
    for (int block = 0; block < kLogBlocks; ++block) {
        reader.SendCommand(device::readLogBlock(block));
        if (!reader.awaitReply()) break;
        for (int i = 0; i < kLogRecordsPerBlock && reader.CheckLogIndex(i); ++i)
            records.push_back(reader.DecodeLogRecord(i));
    }
    seconds = secondsOf(t);
    return records;
}

// The quickest insert this schema allows, without a duplicate test: one transaction, the rows
// into a temporary table, then one statement (the log's count trigger makes every statement pay
// for its journal).
bool bulkInsert(Database& att, const std::vector<readers::LogRecord>& records, double& seconds) {
    QElapsedTimer t;
    t.start();
    (void)att.exec(QStringLiteral("PRAGMA cache_size = -65536"));  // as the download's writer
    Transaction tx(att);
    if (!tx.begun() || !att.exec(QStringLiteral("CREATE TEMP TABLE bulk "
                                                "(SYSTIME TEXT, CARDNO INTEGER, MODE INTEGER)")))
        return false;
    auto st = att.prepare(QStringLiteral("INSERT INTO temp.bulk VALUES (?, ?, ?)"));
    if (!st) return false;
    for (const readers::LogRecord& r : records) {
        st->bindAll(dateTimeText(r.time), r.card, r.mode);
        if (!st->step() || !st->reset()) return false;
    }
    const bool ok = att.exec(QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, "
                                            "LOCK) SELECT SYSTIME, CARDNO, MODE, 1, 0 FROM bulk;"
                                            "DROP TABLE temp.bulk"))
                        .has_value() &&
                    tx.commit().has_value();
    seconds = secondsOf(t);
    return ok;
}

bool fillHolders(Database& src) {
    return src
        .exec(QStringLiteral(
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                  "INSERT INTO staffs(CARDNO, NAME, WORKGRP, COM1) "
                  "SELECT 100000 + i, printf('Holder %05d', i), 1, i % 2 FROM n")
                  .arg(kHolders))
        .has_value();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int logRows = argc > 1 ? std::atoi(argv[1]) : 2000000;
    QTemporaryDir dir;
    TerminalOperator op(true);  // errors on standard error, nothing else
    op.quietInformation = true;
    DataModule data(op);
    data.setDataFolder(dir.path());
    if (!data.prepareDataFolder() || !data.OpenDatabases()) return std::puts("no data folder"), 1;
    if (!FillBenchLog(data, logRows)) return std::puts("the log could not be filled"), 1;
    QProcess sim;
    const quint16 port = startSimulator(sim);
    if (port == 0 || !simSays(sim, QByteArray("log fill ") + QByteArray::number(kFullReader) +
                                       " from=2025-06-01T00:00:00 step=7 cards=500"))
        return std::puts("no simulator"), 1;
    ReaderClient reader;
    reader.setPortNo(1);
    reader.setRemoteHost(QStringLiteral("127.0.0.1"));
    reader.setRemotePort(QString::number(port));
    QObject::connect(&reader, &ReaderClient::inputArrived, &reader, &ReaderClient::Poll,
                     Qt::QueuedConnection);
    if (!reader.Reconnect(false)) return std::puts("no connection"), 1;

    double exchanges = 0, insert = 0;
    const auto records = bareExchanges(reader, exchanges);
    if (records.size() != size_t(kFullReader) || !bulkInsert(data.att(), records, insert))
        return std::puts("floor run failed"), 1;
    (void)data.att().run(QStringLiteral("DELETE FROM recorder WHERE SYSTIME >= '2025-06-01'"));

    NoStepView view;
    AccessManager manager(reader, data, op, view);
    QElapsedTimer t;
    t.start();
    // The longest time the event loop was held while the download ran: how long a card frame
    // of another reader could wait.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestHoldMs = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestHoldMs = std::max(longestHoldMs, sinceTick.restart()); });
    tick.start(1);
    const auto result = runToEnd(manager.Download(false));
    tick.stop();
    const double download = secondsOf(t);
    if (!result || result->counts.added != kFullReader) return std::puts("download failed"), 1;
    const double floor = exchanges + insert;
    std::printf(
        "reader_download: %d records (%d blocks) into a log of %d rows: %.2f s (%s); "
        "event loop held at most %lld ms\n",
        kFullReader, kLogBlocks, logRows, download, qPrintable(summaryText(result->counts)),
        longestHoldMs);
    std::printf(
        "reader_download_floor: %d bare exchanges %.2f s + bulk insert %.2f s = %.2f s; "
        "download / floor = %.1fx\n",
        kLogBlocks, exchanges, insert, floor, download / floor);

    if (!fillHolders(data.src())) return std::puts("no holders"), 1;
    t.restart();
    const auto uploaded = runToEnd(manager.Upload());
    std::printf("reader_upload: %d holders (%d blocks): %.2f s\n", kHolders,
                uploadBlockCount(kHolders), secondsOf(t));
    sim.kill();
    sim.waitForFinished();
    return uploaded && *uploaded ? 0 : 1;
}
