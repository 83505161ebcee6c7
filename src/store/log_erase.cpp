#include "store/log_erase.h"

#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/schema.h"
#include "store/sqlcipher_db.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <vector>

namespace tallyport {
namespace {

// A batch is a few milliseconds of writing: a card event waits for no longer than that.
constexpr int kBatchRows = 2000;
constexpr int kStaffBatchRows = 200;  // holders carry their photos

struct Doomed {
    qint64 rowId;
    QString sysTime;
    int cardNo;
};

bool isCanonicalTime(const QString& t) {
    return t.size() >= 19 && t[4] == u'-' && t[7] == u'-' && t[10] == u' ' && t[13] == u':' &&
           t[16] == u':';
}

// The condition of the scope on rows that were there when the erase began.
QString scopeCondition(const EraseScope& scope) {
    return scope.all ? QStringLiteral("rowid <= ?1")
                     : QStringLiteral("rowid <= ?1 AND SYSTIME < ?2");
}

// A day as stored text sorts before every time of that day.
QString scopeBound(const EraseScope& scope) {
    return scope.all ? QString() : SqlDate(scope.before);
}

// A statement over the rows of the scope with its values bound.
Result<Statement> overScope(Database& db, const QString& sql, const EraseScope& scope,
                            qint64 lastRow) {
    auto st = db.prepare(sql);
    if (!st) return st;
    st->bind(1, lastRow);
    if (!scope.all) st->bind(2, scopeBound(scope));
    return st;
}

// The oldest rows of the scope: what `columns` of them.
QString oldest(const EraseScope& scope, const QString& columns) {
    return QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM recorder WHERE ") +
           scopeCondition(scope) +
           QStringLiteral(" ORDER BY SYSTIME, rowid LIMIT %1").arg(kBatchRows);
}

// Reads the next batch and deletes it, in one transaction and one statement: deleted row by
// row, every row would write an encrypted statement journal for the count trigger. Empty at
// the end.
Result<std::vector<Doomed>> deleteBatch(Database& db, const EraseScope& scope, qint64 lastRow) {
    Transaction tx(db);
    if (!tx.begun()) return std::unexpected(tx.beginResult().error());
    auto read =
        overScope(db, oldest(scope, QStringLiteral("rowid, SYSTIME, CARDNO")), scope, lastRow);
    if (!read) return std::unexpected(read.error());
    auto rows = read->collect([](const Statement& r) {
        return Doomed{r.int64(0), r.text(1), r.integer(2)};
    });
    if (!rows || rows->empty()) return rows;
    auto del = overScope(db,
                         QStringLiteral("DELETE FROM recorder WHERE rowid IN (") +
                             oldest(scope, QStringLiteral("rowid")) + u')',
                         scope, lastRow);
    if (!del) return std::unexpected(del.error());
    if (auto r = del->step(); !r) return std::unexpected(r.error());
    if (auto r = tx.commit(); !r) return std::unexpected(r.error());
    return rows;
}

// The snapshot files there are, listed once: most rows have none.
QSet<QString> snapshotFiles(const QString& folder) {
    QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*.jpg")}, QDir::Files | QDir::Hidden | QDir::System);
    return QSet<QString>(names.begin(), names.end());
}

void removeSnapshots(const QString& folder, QSet<QString>& present,
                     const std::vector<Doomed>& rows) {
    if (present.isEmpty()) return;
    const QDir dir(folder);
    for (const Doomed& d : rows) {
        const QString name = snapshotNameOf(d.sysTime, d.cardNo);
        if (present.remove(name)) QFile::remove(dir.filePath(name));
    }
}

Result<qint64> countInScope(Database& db, const EraseScope& scope, qint64 lastRow) {
    auto st = overScope(
        db, QStringLiteral("SELECT count(*) FROM recorder WHERE ") + scopeCondition(scope), scope,
        lastRow);
    if (!st) return std::unexpected(st.error());
    auto n = st->first([](const Statement& r) { return r.int64(0); });
    if (!n) return std::unexpected(n.error());
    return n->value_or(0);
}

// The newest row a kept copy of the log holds.
Result<qint64> lastRowOf(const QString& copy) {
    auto db = Database::open(copy, kLogKey, Database::Mode::ReadOnly);
    if (!db) return std::unexpected(db.error());
    auto last = db->scalarInt(QStringLiteral("SELECT max(rowid) FROM recorder"));
    if (!last) return std::unexpected(last.error());
    return last->value_or(0);
}

}  // namespace

QString snapshotNameOf(const QString& sysTime, int cardNo) {
    if (!isCanonicalTime(sysTime))
        return QFileInfo(snapshotFileName(QString(), cardNo, parseDateTimeText(sysTime)))
            .fileName();
    QString name;
    name.reserve(32);
    for (const int at : {2, 5, 8}) name += QStringView(sysTime).mid(at, 2);
    name += u'-';
    for (const int at : {11, 14, 17}) name += QStringView(sysTime).mid(at, 2);
    return name + u'-' + QString::number(cardNo) + QStringLiteral(".jpg");
}

Result<qint64> eraseLogRows(const QString& logPath, const QString& photoFolder,
                            const EraseScope& scope, const WorkSteps& step, const KeepCopy& keep) {
    auto db = Database::open(logPath, kLogKey, Database::Mode::ReadWrite);
    if (!db) return std::unexpected(db.error());
    // A batch touches a page of the card index for every card: keep them in memory.
    (void)db->exec(QStringLiteral("PRAGMA cache_size = -65536"));
    auto last = db->scalarInt(QStringLiteral("SELECT max(rowid) FROM recorder"));
    if (!last) return std::unexpected(last.error());
    qint64 lastRow = last->value_or(0);
    auto total = countInScope(*db, scope, lastRow);
    if (!total) return std::unexpected(total.error());
    if (*total == 0) return 0;
    if (keep) {
        auto kept = keep();
        if (!kept) return std::unexpected(kept.error());
        // Only rows the copy holds go: a punch may take the rowid of a newest row deleted
        // before the copy.
        auto copied = lastRowOf(*kept);
        if (!copied) return std::unexpected(copied.error());
        lastRow = std::min(lastRow, *copied);
        total = countInScope(*db, scope, lastRow);
        if (!total) return std::unexpected(total.error());
    }
    QSet<QString> snapshots = snapshotFiles(photoFolder);
    qint64 done = 0;
    for (;;) {
        auto batch = deleteBatch(*db, scope, lastRow);
        yieldToLiveWriter(*db);
        if (!batch) return std::unexpected(batch.error());
        if (batch->empty()) return done;
        removeSnapshots(photoFolder, snapshots, *batch);
        done += qint64(batch->size());
        if (step && !step(done, *total)) return done;
    }
}

Result<qint64> eraseStaffRows(const QString& systemPath, const WorkSteps& step,
                              const KeepCopy& keep) {
    auto db = Database::open(systemPath, kSystemKey, Database::Mode::ReadWrite);
    if (!db) return std::unexpected(db.error());
    auto total = db->scalarInt(QStringLiteral("SELECT count(*) FROM staffs"));
    if (!total) return std::unexpected(total.error());
    if (total->value_or(0) == 0) return 0;
    if (keep)
        if (auto kept = keep(); !kept) return std::unexpected(kept.error());
    qint64 done = 0;
    for (;;) {
        Transaction tx(*db);
        if (!tx.begun()) return std::unexpected(tx.beginResult().error());
        auto r = db->run(QStringLiteral("DELETE FROM staffs WHERE SEQ IN "
                                        "(SELECT SEQ FROM staffs ORDER BY SEQ LIMIT %1)")
                             .arg(kStaffBatchRows));
        if (!r) return std::unexpected(r.error());
        const int gone = db->changes();
        if (auto c = tx.commit(); !c) return std::unexpected(c.error());
        yieldToLiveWriter(*db);
        if (gone == 0) return done;
        done += gone;
        if (step && !step(done, total->value_or(done))) return done;
    }
}

}  // namespace tallyport
