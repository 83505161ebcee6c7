#include "store/log_import.h"

#include "store/datasrc.h"
#include "store/date_time.h"
#include "store/maintenance.h"
#include "store/maintenance_texts.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QElapsedTimer>
#include <optional>

namespace tallyport {
namespace {

// A batch is short enough that a card event waiting for the file hardly notices it.
constexpr int kBatchRows = 4000;
constexpr qint64 kBatchMs = 100;

const QString kLineEnd = QStringLiteral("\n\r");

// A stored time taken to whole seconds; empty when the text is no time.
QString wholeSecondsText(const QString& t) {
    if (t.size() >= 19 && t[4] == u'-' && t[7] == u'-' && t[10] == u' ' && t[13] == u':' &&
        t[16] == u':' && (t.size() == 19 || t[19] == u'.'))
        return t.left(19);
    const QDateTime parsed = parseDateTimeText(t);
    return parsed.isValid() ? dateTimeText(WholeSeconds(parsed)) : QString();
}

enum class Stored { Added, Duplicate, Refused };

class Importer {
public:
    Importer(Database& live, Statement& rows, Statement& insert, LogImport& out)
        : m_live(live), m_rows(rows), m_insert(insert), m_out(out) {}

    void run(qint64 total, const WorkSteps& step) {
        qint64 seen = 0;
        for (;;) {
            const auto more = m_rows.step();
            if (!more) return unreadable(more.error().text);
            if (!*more) return void(commit());
            if (!m_tx && !begin()) return;
            count(store());
            if (!m_live.inTransaction()) return stop(m_live.lastError());
            ++seen;
            if (batchFull() && (!commit() || (step && !step(seen, total)))) return;
        }
    }

private:
    Stored store() {
        const QString time = wholeSecondsText(m_rows.text(0));
        if (time.isEmpty() || m_rows.isNull(1)) return Stored::Refused;
        m_insert.bind(1, time).bind(2, m_rows.int64(1));
        for (int c = 2; c <= 4; ++c)
            m_rows.isNull(c) ? m_insert.bind(c + 1, nullptr)
                             : m_insert.bind(c + 1, m_rows.int64(c));
        const auto done = m_insert.step();
        const bool added = done && m_live.changes() == 1;
        (void)m_insert.reset();
        return !done ? Stored::Refused : added ? Stored::Added : Stored::Duplicate;
    }
    void count(Stored s) {
        ++(s == Stored::Added       ? m_batch.added
           : s == Stored::Duplicate ? m_batch.duplicated
                                    : m_batch.errors);
        ++m_inBatch;
    }
    bool begin() {
        m_tx.emplace(m_live);
        m_clock.start();
        if (m_tx->begun()) return true;
        stop(m_tx->beginResult().error().text);
        return false;
    }
    bool batchFull() const { return m_inBatch >= kBatchRows || m_clock.elapsed() >= kBatchMs; }
    bool commit() {
        if (!m_tx) return true;
        const auto done = m_tx->commit();
        m_tx.reset();
        if (!done) return stop(done.error().text), false;
        m_out.counts.added += m_batch.added;
        m_out.counts.duplicated += m_batch.duplicated;
        m_out.counts.errors += m_batch.errors;
        m_batch = {};
        m_inBatch = 0;
        return true;
    }
    // The rows read so far are stored; the rest of the file cannot be read.
    void unreadable(const QString& reason) {
        commit();
        m_out.foreignUnreadable = true;
        m_out.failure = reason;
    }
    void stop(const QString& reason) {
        m_tx.reset();
        m_out.failure = reason;
    }

    Database& m_live;
    Statement& m_rows;
    Statement& m_insert;
    LogImport& m_out;
    std::optional<Transaction> m_tx;
    LogImportCounts m_batch;
    int m_inBatch = 0;
    QElapsedTimer m_clock;
};

const QString kInsert = QStringLiteral(
    "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) SELECT ?1, ?2, ?3, ?4, ?5 "
    "WHERE NOT EXISTS (SELECT 1 FROM recorder WHERE SYSTIME = ?1 AND CARDNO = ?2)");

}  // namespace

void importLogRows(const QString& foreignPath, const QString& livePath, LogImport& out,
                   const WorkSteps& step) {
    const auto unreadable = [&out](const Error& e) {
        out.foreignUnreadable = true;
        out.failure = e.text;
    };
    auto foreign = Database::open(foreignPath, kLogKey, Database::Mode::ReadOnly);
    if (!foreign) return unreadable(foreign.error());
    auto total = foreign->scalarInt(QStringLiteral("SELECT count(*) FROM recorder"));
    if (!total) return unreadable(total.error());
    auto rows = foreign->prepare(QStringLiteral(
        "SELECT SYSTIME, CARDNO, MODE, READER, LOCK FROM recorder ORDER BY SYSTIME"));
    if (!rows) return unreadable(rows.error());
    auto live = Database::open(livePath, kLogKey, Database::Mode::ReadWrite);
    if (!live) return void(out.failure = live.error().text);
    // The two indexes take most of the pages an import touches: keep them in memory.
    (void)live->exec(QStringLiteral("PRAGMA cache_size = -65536"));
    auto insert = live->prepare(kInsert);
    if (!insert) return void(out.failure = insert.error().text);
    Importer(*live, *rows, *insert, out).run(total->value_or(0), step);
}

QString logImportSummary(const LogImportCounts& c) {
    QString s = QStringLiteral("Added = %1 records").arg(c.added) + kLineEnd;
    if (c.duplicated > 0)
        s += QStringLiteral("Duplicated = %1 records").arg(c.duplicated) + kLineEnd;
    if (c.errors > 0) s += QStringLiteral("Error = %1 records").arg(c.errors) + kLineEnd;
    return s;
}

bool importLogFrom(Tdsrc& data, Operator& op, const QString& path, bool remember) {
    if (!data.CheckDatabaseFile(path, kLogKey)) return false;
    if (remember) WriteSettingText(setting::LogDbLastIn, path);
    LogImport out;
    const QString live = data.filePath(kLogFile);
    {
        // A cancel keeps what was added; the counts say how much.
        const LogViewHold hidden(data);
        (void)runLongWork<bool>(op, msg::ImportingLog, [&out, path, live](WorkContext& work) {
            importLogRows(path, live, out, stepsOf(work));
            return Result<bool>(true);
        });
    }
    if (out.foreignUnreadable) {
        op.errorDetail(msg::LogUnreadable + path, out.failure);
        return false;
    }
    op.information(logImportSummary(out.counts));
    if (out.failure.isEmpty()) return true;
    op.errorDetail(msg::DatabaseError, out.failure);
    return false;
}

bool ImportLogRecords(Tdsrc& data, Operator& op) {
    const auto path = op.chooseOpenFile(
        msg::ImportLogTitle, ReadSettingText(setting::LogDbLastIn, data.filePath(kLogBackupName)),
        msg::DatabaseChooserFilter);
    return path && importLogFrom(data, op, *path, true);
}

}  // namespace tallyport
