#include "store/sqlcipher_db.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <QFile>

#include <chrono>
#include <cstdint>
#include <thread>

namespace tallyport {
namespace {

// Pages of 4096 bytes, set on every open: a file written with another size does not open.
constexpr const char* kPageSize = "PRAGMA cipher_page_size = 4096";

QString errorText(sqlite3* db, const QString& what) {
    return what + QStringLiteral(": ") +
           (db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"));
}

// Waits for another connection's lock in steps of a millisecond, for up to `timeout` ms. The
// engine's own timeout sleeps longer and longer (up to 100 ms at a time), so a card event
// waiting behind an import's batches could sleep through every gap between them.
int busyWait(void* timeout, int count) {
    if (count >= int(reinterpret_cast<intptr_t>(timeout))) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

void setBusyWait(sqlite3* db, int ms) {
    sqlite3_busy_handler(db, &busyWait, reinterpret_cast<void*>(intptr_t(ms)));
}

}  // namespace

// ---- Statement

Statement::Statement(Statement&& o) noexcept : m_db(o.m_db), m_stmt(o.m_stmt) {
    o.m_stmt = nullptr;
}

Statement& Statement::operator=(Statement&& o) noexcept {
    if (this != &o) {
        sqlite3_finalize(m_stmt);
        m_db = o.m_db;
        m_stmt = o.m_stmt;
        o.m_stmt = nullptr;
    }
    return *this;
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::noteBind(int rc, int index) {
    if (rc == SQLITE_OK || m_bindError) return;
    m_bindError = Error{QStringLiteral("Value %1 cannot be bound: %2")
                            .arg(index)
                            .arg(QString::fromUtf8(sqlite3_errstr(rc)))};
}

Statement& Statement::bind(int index, std::nullptr_t) {
    noteBind(sqlite3_bind_null(m_stmt, index), index);
    return *this;
}

Statement& Statement::bind(int index, qint64 value) {
    noteBind(sqlite3_bind_int64(m_stmt, index, value), index);
    return *this;
}

Statement& Statement::bind(int index, double value) {
    noteBind(sqlite3_bind_double(m_stmt, index, value), index);
    return *this;
}

Statement& Statement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    noteBind(sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT),
             index);
    return *this;
}

Statement& Statement::bind(int index, const QByteArray& blob) {
    const int rc = blob.isNull() ? sqlite3_bind_null(m_stmt, index)
                                 : sqlite3_bind_blob(m_stmt, index, blob.constData(),
                                                     int(blob.size()), SQLITE_TRANSIENT);
    noteBind(rc, index);
    return *this;
}

Result<bool> Statement::step() {
    if (!m_stmt) return fail(QStringLiteral("Query failed: no statement"));
    if (m_bindError) return std::unexpected(*m_bindError);
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    return fail(errorText(m_db, QStringLiteral("Query failed")));
}

// sqlite3_reset repeats the error of the last step, which step() has reported already.
Result<void> Statement::reset() {
    if (!m_stmt) return fail(QStringLiteral("Query failed: no statement"));
    sqlite3_reset(m_stmt);
    m_bindError.reset();
    if (const int rc = sqlite3_clear_bindings(m_stmt); rc != SQLITE_OK)
        return fail(QStringLiteral("Query failed: ") + QString::fromUtf8(sqlite3_errstr(rc)));
    return {};
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

int Statement::columnIndex(const QString& name) const {
    for (int i = 0; i < columnCount(); ++i)
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString Statement::columnName(int i) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, i));
}

bool Statement::isNull(int i) const {
    return sqlite3_column_type(m_stmt, i) == SQLITE_NULL;
}
qint64 Statement::int64(int i) const {
    return sqlite3_column_int64(m_stmt, i);
}
double Statement::real(int i) const {
    return sqlite3_column_double(m_stmt, i);
}

QString Statement::text(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, i)) : QString();
}

QByteArray Statement::blob(int i) const {
    const void* p = sqlite3_column_blob(m_stmt, i);
    return p ? QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(m_stmt, i))
             : QByteArray();
}

// ---- Database

Database::Database(Database&& o) noexcept : m_db(o.m_db), m_path(std::move(o.m_path)) {
    o.m_db = nullptr;
}

Database& Database::operator=(Database&& o) noexcept {
    if (this != &o) {
        close();
        m_db = o.m_db;
        m_path = std::move(o.m_path);
        o.m_db = nullptr;
    }
    return *this;
}

Database::~Database() {
    close();
}

void Database::close() {
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Database::setBusyTimeout(int ms) {
    if (m_db) setBusyWait(m_db, ms);
}

bool Database::lastFailureWasBusy() const {
    return m_db && (sqlite3_errcode(m_db) & 0xFF) == SQLITE_BUSY;
}

Result<Database> Database::open(const QString& path, const QByteArray& key, Mode mode) {
    int flags = SQLITE_OPEN_FULLMUTEX;
    if (mode == Mode::ReadOnly)
        flags |= SQLITE_OPEN_READONLY;
    else
        flags |= SQLITE_OPEN_READWRITE | (mode == Mode::Create ? SQLITE_OPEN_CREATE : 0);
    Database db;
    db.m_path = path;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db.m_db, flags, nullptr);
    if (rc != SQLITE_OK) return fail(errorText(db.m_db, QStringLiteral("Cannot open ") + path));
    setBusyWait(db.m_db, Database::kBusyTimeoutMs);
    if (sqlite3_key(db.m_db, key.constData(), int(key.size())) != SQLITE_OK)
        return fail(QStringLiteral("Cannot key ") + path);
    if (auto r = db.exec(QString::fromLatin1(kPageSize)); !r) return std::unexpected(r.error());
    // Without the cipher the key would be ignored and the data written in clear.
    auto version = db.queryOne(QStringLiteral("PRAGMA cipher_version"),
                               [](const Statement& st) { return st.text(0); });
    if (!version || !*version || (*version)->isEmpty())
        return fail(QStringLiteral("The database engine has no encryption: ") + path);
    // The first read of a page tells whether the key opens the file.
    if (auto r = db.scalarInt(QStringLiteral("SELECT count(*) FROM sqlite_master")); !r)
        return fail(kNotOfThisKind + QStringLiteral(": ") + path);
    if (mode != Mode::ReadOnly)
        if (auto r = db.exec(QStringLiteral("PRAGMA journal_mode = WAL")); !r)
            return std::unexpected(r.error());
    return db;
}

Result<void> Database::exec(const QString& sql) {
    if (!m_db) return fail(QStringLiteral("Database is closed"));
    char* msg = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (rc == SQLITE_OK) return {};
    QString text = msg ? QString::fromUtf8(msg) : QStringLiteral("error %1").arg(rc);
    sqlite3_free(msg);
    return fail(text);
}

Result<Statement> Database::prepare(const QString& sql) {
    if (!m_db) return fail(QStringLiteral("Database is closed"));
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK)
        return fail(errorText(m_db, QStringLiteral("Query failed")));
    return Statement(m_db, st);
}

qint64 Database::lastInsertRowId() const {
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}
int Database::changes() const {
    return m_db ? sqlite3_changes(m_db) : 0;
}
QString Database::lastError() const {
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("Database is closed");
}

bool Database::inTransaction() const {
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

namespace {

// Pages a backup step copies: 4 MiB, a few milliseconds of work between looks at `step`.
constexpr int kBackupPagesPerStep = 1024;

// A copy's pages go to the disk as they are written. Left dirty until the copy's final sync,
// hundreds of megabytes would hold up every sync on the same disk meanwhile: a card event's
// commit to the live log waited up to 200 ms behind a backup.
class Writeback {
public:
    explicit Writeback(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}
    ~Writeback() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Writeback(const Writeback&) = delete;
    Writeback& operator=(const Writeback&) = delete;
    // Starts writing what is dirty; waits only while the disk's queue is full.
    void push() {
        if (m_fd >= 0) (void)::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }

private:
    int m_fd;
};

}  // namespace

Result<void> Database::copyInto(Database& target, const std::function<bool(qint64, qint64)>& step) {
    if (!m_db || !target.m_db) return fail(QStringLiteral("Database is closed"));
    if (inTransaction()) return fail(QStringLiteral("Cannot copy inside a transaction"));
    // The read transaction holds one snapshot for every step of the copy.
    if (auto r = exec(QStringLiteral("BEGIN")); !r) return r;
    auto pinned = scalarInt(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!pinned) {
        (void)exec(QStringLiteral("ROLLBACK"));
        return std::unexpected(pinned.error());
    }
    sqlite3_backup* backup = sqlite3_backup_init(target.m_db, "main", m_db, "main");
    if (!backup) {
        (void)exec(QStringLiteral("ROLLBACK"));
        return fail(errorText(target.m_db, QStringLiteral("Cannot copy ") + m_path));
    }
    int rc = SQLITE_OK;
    bool stopped = false;
    int waits = 0;  // a target locked by another connection is waited for as long as a busy timeout
    Writeback writeback(target.m_path);
    while (rc == SQLITE_OK || ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++waits < 500)) {
        rc = sqlite3_backup_step(backup, kBackupPagesPerStep);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(10);
        writeback.push();
        const int total = sqlite3_backup_pagecount(backup);
        if (step && !step(total - sqlite3_backup_remaining(backup), total)) {
            stopped = true;
            break;
        }
    }
    const int finished = sqlite3_backup_finish(backup);
    (void)exec(QStringLiteral("ROLLBACK"));
    if (stopped) return fail(QStringLiteral("Copy stopped"));
    if (rc != SQLITE_DONE || finished != SQLITE_OK)
        return fail(errorText(target.m_db, QStringLiteral("Cannot copy ") + m_path));
    return {};
}

// ---- Transaction

Transaction::Transaction(Database& db)
    : m_db(db), m_begin(db.exec(QStringLiteral("BEGIN IMMEDIATE"))) {}

// A rollback that fails leaves nothing to do: the engine has ended the transaction itself.
Transaction::~Transaction() {
    if (begun() && !m_done) (void)m_db.exec(QStringLiteral("ROLLBACK"));
}

Result<void> Transaction::commit() {
    if (!m_begin) return std::unexpected(m_begin.error());
    auto r = m_db.exec(QStringLiteral("COMMIT"));
    if (r) m_done = true;
    return r;
}

}  // namespace tallyport
