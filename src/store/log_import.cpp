#include "store/log_import.h"

#include "store/data_module.h"
#include "store/maintenance.h"
#include "store/maintenance_texts.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QElapsedTimer>
#include <algorithm>
#include <limits>

namespace tallyport {
namespace {

// A chunk of the foreign log is read, checked and merged in one short transaction. While it
// is merged it holds the live log's write lock: a card event waits for it, so it takes about
// kChunkMs while the live recording is busy, kQuietChunkMs while it stored nothing during the
// last pause. Every commit writes a page of the card index for nearly every card, so chunks
// are as large as that allows; the next one's size follows what the last one took.
constexpr qint64 kChunkMs = 50;
constexpr qint64 kQuietChunkMs = 250;
constexpr int kFirstChunkRows = 4000;
constexpr int kMinChunkRows = 1000;
constexpr int kMaxChunkRows = 50000;

const QString kLineEnd = QStringLiteral("\n\r");

// Every stored time starts with a digit: the chunks cover [kFirstTime, kAfterEveryTime), and a
// row outside it (another type, a text such as "yesterday" or bytes that sort after every
// time) is no row of a log. Both bounds are texts of the log's own form, so a bound read back
// from the file is bound again byte for byte.
const QString kFirstTime = QStringLiteral("0");
const QString kAfterEveryTime = QStringLiteral(":");  // the character after '9'
const QString kTimeShape =
    QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]");
const QString kWholeSecond = QStringLiteral("substr(x.SYSTIME, 1, 19)");

// A mode byte as the reader sent it: codes other than clock, IN and OUT are kept (shown as
// "N/A").
constexpr int kLastModeCode = 255;

// The one test of a foreign row, for the bulk and the row-by-row merge alike, so that every
// row is added, a duplicate or an error. Its time is a real date and time in the log's form
// (a 30th of February, 24:00:00 and the year 0 are not: the round trip through the engine's
// calendar changes the first two, and no calendar has the third); its numbers are integers in
// their ranges: a 32-bit card, a mode byte, and for the reader and the lock 0 or a port (the
// texts they are shown with). Every term is 0 or 1 (IS, typeof), never NULL, so NOT of it
// counts the errors. The card's range is no search term ("+"): the engine would otherwise walk
// the whole card index for every chunk instead of the chunk's stretch of the time index.
QString validRowTest() {
    const QString sql = QStringLiteral(
        "typeof(x.SYSTIME) = 'text' AND "
        "(x.SYSTIME GLOB '%1' OR x.SYSTIME GLOB '%1.[0-9][0-9][0-9]') AND "
        "substr(x.SYSTIME, 1, 4) <> '0000' AND datetime(%2, '+0 seconds') IS %2 AND "
        "typeof(x.CARDNO) = 'integer' AND +x.CARDNO BETWEEN %3 AND %4 AND "
        "typeof(x.MODE) = 'integer' AND x.MODE BETWEEN 0 AND %5 AND "
        "typeof(x.READER) = 'integer' AND x.READER BETWEEN 0 AND %6 AND "
        "typeof(x.LOCK) = 'integer' AND x.LOCK BETWEEN 0 AND %6");
    return sql.arg(kTimeShape, kWholeSecond)
        .arg(std::numeric_limits<qint32>::min())
        .arg(std::numeric_limits<qint32>::max())
        .arg(kLastModeCode)
        .arg(kReaderCount);
}
const QString kValid = validRowTest();

// The foreign log is attached to the import's own connection as "other": a chunk is then
// merged by one statement inside the engine, four times faster than row by row. A chunk is
// the rows whose stored time is in [?1, ?2).
const QString kInChunk = QStringLiteral("x.SYSTIME >= ?1 AND x.SYSTIME < ?2");
// OR FAIL: a row changes nothing until its count trigger has run, so no statement journal is
// written (with one, encrypted, for every statement the import is ten times slower).
const QString kMergeChunk =
    QStringLiteral(
        "INSERT OR FAIL INTO main.recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
        "SELECT %1, x.CARDNO, x.MODE, x.READER, x.LOCK FROM other.recorder x WHERE %2 AND %3 "
        "AND NOT EXISTS (SELECT 1 FROM main.recorder r WHERE r.SYSTIME = %1 AND r.CARDNO = "
        "x.CARDNO)")
        .arg(kWholeSecond, kInChunk, kValid);
const QString kInsertRow = QStringLiteral(
    "INSERT OR FAIL INTO main.recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
    "SELECT ?1, ?2, ?3, ?4, ?5 "
    "WHERE NOT EXISTS (SELECT 1 FROM main.recorder WHERE SYSTIME = ?1 AND CARDNO = ?2)");

struct Chunk {
    QString from, to;
};

// What a chunk holds, read before it is merged.
struct Shape {
    qint64 rows = 0;
    qint64 invalid = 0;       // rows that fail kValid
    bool sameSecond = false;  // two of its rows are one row to the second
};

// A transaction that takes the write lock only with its first write: the chunk is read from
// the other file before the live log is locked.
class Deferred {
public:
    explicit Deferred(Database& db) : m_db(db), m_begin(db.exec(QStringLiteral("BEGIN"))) {}
    ~Deferred() {
        if (m_begin && !m_done) (void)m_db.exec(QStringLiteral("ROLLBACK"));
    }
    const Result<void>& begun() const { return m_begin; }
    Result<void> commit() {
        auto r = m_db.exec(QStringLiteral("COMMIT"));
        m_done = r.has_value();
        return r;
    }

private:
    Database& m_db;
    Result<void> m_begin;
    bool m_done = false;
};

class LogMerge {
public:
    LogMerge(Database& db, LogImport& out) : m_db(db), m_out(out) {}

    void run(qint64 total, const WorkSteps& step) {
        // A row that falls in no chunk is an error.
        auto inside = m_db.scalarInt(
            QStringLiteral("SELECT count(*) FROM other.recorder x WHERE ") + kInChunk, kFirstTime,
            kAfterEveryTime);
        if (!inside) return unreadable(inside.error());
        const qint64 outside = total - inside->value_or(0);
        m_out.counts.errors += outside;
        qint64 done = outside;
        Chunk chunk{kFirstTime, QString()};
        while (chunk.to != kAfterEveryTime) {
            auto end = chunkEnd(chunk.from);
            if (!end) return unreadable(end.error());
            chunk.to = *end;
            Deferred tx(m_db);
            if (!tx.begun()) return stop(tx.begun().error());
            auto shape = read(chunk);
            if (!shape) return unreadable(shape.error());
            QElapsedTimer locked;
            locked.start();
            auto counts = shape->sameSecond ? oneByOne(chunk, *shape) : together(chunk, *shape);
            if (!counts) return stop(counts.error());
            if (auto c = tx.commit(); !c) return stop(c.error());
            add(*counts);
            const qint64 held = locked.elapsed();
            resize(shape->rows, held, yieldToLiveWriter(m_db));
            done += shape->rows;
            chunk.from = chunk.to;
            if (step && !step(done, total)) return;
        }
    }

private:
    void resize(qint64 rows, qint64 ms, bool recording) {
        if (rows < m_chunkRows / 2) return;  // the last chunk, or one of many equal times
        const qint64 target = recording ? kChunkMs : kQuietChunkMs;
        m_chunkRows = int(std::clamp<qint64>(rows * target / std::max<qint64>(ms, 1), kMinChunkRows,
                                             kMaxChunkRows));
    }
    // Where the chunk from `from` ends: at the time of the row of the log's form m_chunkRows
    // further on (such a text reads back as it is stored), or after every time. Many rows with
    // one time go in one chunk.
    Result<QString> chunkEnd(const QString& from) {
        auto end = m_db.queryOne(
            QStringLiteral(
                "SELECT CASE WHEN SYSTIME > ?1 THEN SYSTIME ELSE ?1 || char(1114111) "
                "END FROM other.recorder WHERE SYSTIME >= ?1 AND SYSTIME < ?2 AND "
                "(SYSTIME GLOB '%1' OR SYSTIME GLOB '%1.[0-9][0-9][0-9]') ORDER BY SYSTIME "
                "LIMIT 1 OFFSET ?3")
                .arg(kTimeShape),
            [](const Statement& st) { return st.text(0); }, from, kAfterEveryTime, m_chunkRows);
        if (!end) return std::unexpected(end.error());
        return end->value_or(kAfterEveryTime);
    }
    Result<Shape> read(const Chunk& c) {
        auto shape = m_db.queryOne(
            QStringLiteral("SELECT count(*), total(NOT (") + kValid +
                QStringLiteral(")) FROM other.recorder x WHERE ") + kInChunk,
            [](const Statement& st) {
                return Shape{st.int64(0), st.int64(1), false};
            },
            c.from, c.to);
        if (!shape) return std::unexpected(shape.error());
        auto same = m_db.scalarInt(QStringLiteral("SELECT 1 FROM other.recorder x WHERE ") +
                                       kInChunk + QStringLiteral(" AND ") + kValid +
                                       QStringLiteral(" GROUP BY ") + kWholeSecond +
                                       QStringLiteral(", x.CARDNO HAVING count(*) > 1 LIMIT 1"),
                                   c.from, c.to);
        if (!same) return std::unexpected(same.error());
        Shape out = shape->value_or(Shape{});
        out.sameSecond = same->has_value();
        return out;
    }
    // No two rows of the chunk are one: a row is added unless the log holds it.
    Result<LogImportCounts> together(const Chunk& c, const Shape& shape) {
        if (auto r = m_db.run(kMergeChunk, c.from, c.to); !r) return std::unexpected(r.error());
        const qint64 added = m_db.changes();
        return LogImportCounts{added, shape.rows - shape.invalid - added, shape.invalid};
    }
    // Rows that are one to the second: in time order, the first is added and the others are
    // duplicates of it.
    Result<LogImportCounts> oneByOne(const Chunk& c, const Shape& shape) {
        auto rows = m_db.prepare(
            QStringLiteral("SELECT ") + kWholeSecond +
            QStringLiteral(", x.CARDNO, x.MODE, x.READER, x.LOCK FROM other.recorder x WHERE ") +
            kInChunk + QStringLiteral(" AND ") + kValid +
            QStringLiteral(" ORDER BY x.SYSTIME, x.rowid"));
        auto insert = m_db.prepare(kInsertRow);
        if (!rows) return std::unexpected(rows.error());
        if (!insert) return std::unexpected(insert.error());
        rows->bindAll(c.from, c.to);
        LogImportCounts counts{0, 0, shape.invalid};
        for (;;) {
            auto more = rows->step();
            if (!more) return std::unexpected(more.error());
            if (!*more) return counts;
            insert->bind(1, rows->text(0));
            for (int i = 1; i < 5; ++i) insert->bind(i + 1, rows->int64(i));
            if (auto r = insert->step(); !r) return std::unexpected(r.error());
            ++(m_db.changes() == 1 ? counts.added : counts.duplicated);
            (void)insert->reset();
        }
    }
    void add(const LogImportCounts& c) {
        m_out.counts.added += c.added;
        m_out.counts.duplicated += c.duplicated;
        m_out.counts.errors += c.errors;
    }
    void unreadable(const Error& e) {
        m_out.foreignUnreadable = true;
        m_out.failure = e.text;
    }
    void stop(const Error& e) { m_out.failure = e.text; }

    Database& m_db;
    LogImport& m_out;
    int m_chunkRows = kFirstChunkRows;
};

}  // namespace

void importLogRows(const QString& foreignPath, const QString& livePath, LogImport& out,
                   const WorkSteps& step) {
    auto live = Database::open(livePath, kLogKey, Database::Mode::ReadWrite);
    if (!live) return void(out.failure = live.error().text);
    // The two indexes take most of the pages an import touches: keep them in memory.
    (void)live->exec(QStringLiteral("PRAGMA cache_size = -65536"));
    // A chunk lost to a power cut is added again by the next import: no sync at every commit.
    (void)live->exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    // An attached file is opened with the default page size; every file here has 4096.
    (void)live->exec(QStringLiteral("PRAGMA cipher_default_page_size = 4096"));
    const auto unreadable = [&out](const Error& e) {
        out.foreignUnreadable = true;
        out.failure = e.text;
    };
    if (auto r = live->run(QStringLiteral("ATTACH DATABASE ? AS other KEY ?"), foreignPath,
                           QString::fromLatin1(kLogKey));
        !r)
        return unreadable(r.error());
    auto total = live->scalarInt(QStringLiteral("SELECT count(*) FROM other.recorder"));
    if (!total) return unreadable(total.error());
    LogMerge(*live, out).run(total->value_or(0), step);
}

QString logImportSummary(const LogImportCounts& c) {
    QString s = QStringLiteral("Added = %1 records").arg(c.added) + kLineEnd;
    if (c.duplicated > 0)
        s += QStringLiteral("Duplicated = %1 records").arg(c.duplicated) + kLineEnd;
    if (c.errors > 0) s += QStringLiteral("Error = %1 records").arg(c.errors) + kLineEnd;
    return s;
}

bool importLogFrom(DataModule& data, Operator& op, const QString& path, bool remember) {
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

bool ImportLogRecords(DataModule& data, Operator& op) {
    const auto path = op.chooseOpenFile(
        msg::ImportLogTitle, ReadSettingText(setting::LogDbLastIn, data.filePath(kLogBackupName)),
        msg::DatabaseChooserFilter);
    return path && importLogFrom(data, op, *path, true);
}

}  // namespace tallyport
