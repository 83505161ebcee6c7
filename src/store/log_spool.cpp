#include "store/log_spool.h"

#include "store/schema.h"

#include <atomic>
#include <vector>

namespace tallyport {
namespace {

std::atomic<int> g_spoolsWithRows{0};

const char* const kSpoolTable =
    "CREATE TABLE IF NOT EXISTS recorder (SYSTIME TEXT NOT NULL, CARDNO INTEGER NOT NULL, "
    "MODE INTEGER NOT NULL, READER INTEGER NOT NULL, LOCK INTEGER NOT NULL)";

struct SpooledRow {
    qint64 id;
    QString sysTime;
    qint64 card, mode, reader, lock;
};

// The row is added unless, with `checked`, the log holds it already (all five columns).
const QString kMoveRow = QStringLiteral(
    "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) SELECT ?1, ?2, ?3, ?4, ?5 "
    "WHERE NOT ?6 OR NOT EXISTS (SELECT 1 FROM recorder WHERE SYSTIME = ?1 AND CARDNO = ?2 "
    "AND MODE = ?3 AND READER = ?4 AND LOCK = ?5)");

}  // namespace

bool logSpoolPending() {
    return g_spoolsWithRows.load() > 0;
}

LogSpool::~LogSpool() {
    close();
}

void LogSpool::setPending(qint64 n) {
    if ((m_pending > 0) != (n > 0)) g_spoolsWithRows += n > 0 ? 1 : -1;
    m_pending = n;
}

Result<void> LogSpool::open(const QString& path) {
    close();
    auto db = Database::open(path, kLogKey, Database::Mode::Create);
    if (!db) return std::unexpected(db.error());
    if (auto r = db->exec(QString::fromLatin1(kSpoolTable)); !r) return r;
    auto rows = db->scalarInt(QStringLiteral("SELECT count(*) FROM recorder"));
    if (!rows) return std::unexpected(rows.error());
    m_db = std::move(*db);
    m_mayBeMoved = true;
    setPending(rows->value_or(0));
    return {};
}

void LogSpool::close() {
    setPending(0);
    m_db.close();
}

Result<void> LogSpool::add(const QString& sysTime, int card, int mode, int reader, int lock) {
    if (auto r = m_db.run(QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, "
                                         "LOCK) VALUES (?, ?, ?, ?, ?)"),
                          sysTime, card, mode, reader, lock);
        !r)
        return r;
    setPending(m_pending + 1);
    return {};
}

Result<qint64> LogSpool::moveInto(Database& log, int waitMs) {
    if (m_pending == 0) return 0;
    auto rows =
        m_db.query(QStringLiteral("SELECT rowid, SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder "
                                  "ORDER BY rowid"),
                   [](const Statement& st) {
                       return SpooledRow{st.int64(0), st.text(1),  st.int64(2),
                                         st.int64(3), st.int64(4), st.int64(5)};
                   });
    if (!rows) return std::unexpected(rows.error());
    if (rows->empty()) return setPending(0), 0;
    log.setBusyTimeout(waitMs);
    Transaction tx(log);
    const bool held = !tx.begun() && log.lastFailureWasBusy();
    log.setBusyTimeout(Database::kBusyTimeoutMs);
    if (held) return 0;
    if (!tx.begun()) return std::unexpected(tx.beginResult().error());
    auto insert = log.prepare(kMoveRow);
    if (!insert) return std::unexpected(insert.error());
    for (const SpooledRow& r : *rows) {
        insert->bindAll(r.sysTime, r.card, r.mode, r.reader, r.lock, m_mayBeMoved);
        if (auto step = insert->step(); !step) return std::unexpected(step.error());
        if (auto reset = insert->reset(); !reset) return std::unexpected(reset.error());
    }
    if (auto c = tx.commit(); !c) return std::unexpected(c.error());
    // The rows are in the log: until the spool has forgotten them, a move checks each one.
    m_mayBeMoved = true;
    if (auto gone =
            m_db.run(QStringLiteral("DELETE FROM recorder WHERE rowid <= ?"), rows->back().id);
        !gone)
        return std::unexpected(gone.error());
    m_mayBeMoved = false;
    setPending(m_pending - qint64(rows->size()));
    return qint64(rows->size());
}

}  // namespace tallyport
