#include "store/log_erase.h"

#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/schema.h"
#include "store/sqlcipher_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
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

Result<std::vector<Doomed>> nextBatch(Database& db, const EraseScope& scope, qint64 lastRow) {
    auto st = db.prepare(QStringLiteral("SELECT rowid, SYSTIME, CARDNO FROM recorder WHERE ") +
                         scopeCondition(scope) +
                         QStringLiteral(" ORDER BY SYSTIME, rowid LIMIT %1").arg(kBatchRows));
    if (!st) return std::unexpected(st.error());
    st->bind(1, lastRow);
    if (!scope.all) st->bind(2, scopeBound(scope));
    return st->collect([](const Statement& r) {
        return Doomed{r.int64(0), r.text(1), r.integer(2)};
    });
}

Result<void> deleteBatch(Database& db, const std::vector<Doomed>& rows) {
    Transaction tx(db);
    if (!tx.begun()) return tx.beginResult();
    auto del = db.prepare(QStringLiteral("DELETE FROM recorder WHERE rowid = ?"));
    if (!del) return std::unexpected(del.error());
    for (const Doomed& d : rows) {
        del->bind(1, d.rowId);
        if (auto r = del->step(); !r) return std::unexpected(r.error());
        if (auto r = del->reset(); !r) return r;
    }
    return tx.commit();
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
    auto st =
        db.prepare(QStringLiteral("SELECT count(*) FROM recorder WHERE ") + scopeCondition(scope));
    if (!st) return std::unexpected(st.error());
    st->bind(1, lastRow);
    if (!scope.all) st->bind(2, scopeBound(scope));
    auto n = st->first([](const Statement& r) { return r.int64(0); });
    if (!n) return std::unexpected(n.error());
    return n->value_or(0);
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
                            const EraseScope& scope, const WorkSteps& step) {
    auto db = Database::open(logPath, kLogKey, Database::Mode::ReadWrite);
    if (!db) return std::unexpected(db.error());
    auto last = db->scalarInt(QStringLiteral("SELECT max(rowid) FROM recorder"));
    if (!last) return std::unexpected(last.error());
    const qint64 lastRow = last->value_or(0);
    auto total = countInScope(*db, scope, lastRow);
    if (!total) return std::unexpected(total.error());
    QSet<QString> snapshots = snapshotFiles(photoFolder);
    qint64 done = 0;
    for (;;) {
        auto batch = nextBatch(*db, scope, lastRow);
        if (!batch) return std::unexpected(batch.error());
        if (batch->empty()) return done;
        if (auto r = deleteBatch(*db, *batch); !r) return std::unexpected(r.error());
        removeSnapshots(photoFolder, snapshots, *batch);
        done += qint64(batch->size());
        if (step && !step(done, *total)) return done;
    }
}

Result<qint64> eraseStaffRows(const QString& systemPath, const WorkSteps& step) {
    auto db = Database::open(systemPath, kSystemKey, Database::Mode::ReadWrite);
    if (!db) return std::unexpected(db.error());
    auto total = db->scalarInt(QStringLiteral("SELECT count(*) FROM staffs"));
    if (!total) return std::unexpected(total.error());
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
        if (gone == 0) return done;
        done += gone;
        if (step && !step(done, total->value_or(done))) return done;
    }
}

}  // namespace tallyport
