#include "store/data_module.h"

#include "store/date_time.h"
#include "store/messages.h"
#include "store/output_guard.h"
#include "store/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <tuple>
#include <utility>

namespace tallyport {

DataModule::DataModule(Operator& op) : m_op(op) {
    m_spoolTimer.setSingleShot(true);
    QObject::connect(&m_spoolTimer, &QTimer::timeout, &m_failureTimerOwner,
                     [this] { moveSpooledRows(0); });
}

DataModule::~DataModule() {
    m_spoolTimer.stop();
    if (m_spool.pending() > 0 && m_att.isOpen())
        (void)m_spool.moveInto(m_att, Database::kBusyTimeoutMs);
}

void DataModule::setDataFolder(const QString& folder) {
    m_folder = QDir(folder).absolutePath();
    protectDataFolder(m_folder);
}

QString DataModule::filePath(const QString& name) const {
    return QDir(m_folder).filePath(name);
}

QString DataModule::photoFolder() const {
    return filePath(kPhotoFolder);
}

namespace {

// The tables of each kind must answer: a file that opens with the key but lacks one is not a
// database of this program.
Result<void> tablesAnswer(Database& db, std::initializer_list<const char*> tables) {
    for (const char* table : tables)
        if (auto st = db.prepare(QStringLiteral("SELECT * FROM ") + QLatin1String(table)); !st)
            return std::unexpected(st.error());
    return {};
}

Result<Database> openKind(const QString& path, const QByteArray& key,
                          Result<void> (*upgrade)(Database&),
                          std::initializer_list<const char*> tables) {
    if (!QFileInfo(path).isFile()) return fail(QString());  // the message says it all
    auto db = Database::open(path, key, Database::Mode::ReadWrite);
    // A file of another kind is what the message says; any other reason is told with it.
    if (!db) return fail(db.error().text.startsWith(kNotOfThisKind) ? QString() : db.error().text);
    if (auto r = upgrade(*db); !r) return std::unexpected(r.error());
    if (auto r = tablesAnswer(*db, tables); !r) return std::unexpected(r.error());
    return db;
}

}  // namespace

// The live connection leaves the checkpoints to a thread of their own.
Result<Database> DataModule::openLog() {
    auto db =
        openKind(filePath(kLogFile), kLogKey, &upgradeLogSchema, {"recorder", "recorder_count"});
    if (!db) return db;
    if (auto r = db->exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")); !r)
        return std::unexpected(r.error());
    return db;
}

Result<Database> DataModule::openSystem() {
    return openKind(filePath(kSystemFile), kSystemKey, &upgradeSystemSchema,
                    {"apb", "emails", "staffs", "gid", "iotime", "reader", "passwd"});
}

namespace {

// A live row waits this long for a lock held by a long job before it goes to the spool.
constexpr int kLiveLockWaitMs = 2;
// Spooled rows are offered to the log this often while they wait.
constexpr int kSpoolRetryMs = 2;
// ... and this often while the log refuses them for another reason than its lock.
constexpr int kSpoolFailedRetryMs = 1000;

const QString kInsertLogRow = QStringLiteral(
    "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) VALUES (?, ?, ?, ?, ?)");

}  // namespace

// Rows a crash left in the spool are moved into the log before anything else is stored. A
// spool that cannot be opened is said; the live rows then wait for the log's lock as they would
// without one.
void DataModule::openSpool() {
    if (auto r = m_spool.open(filePath(kLogSpoolFile)); !r) {
        m_op.errorDetail(msg::CannotOpen(kLogSpoolFile), r.error().text);
        return;
    }
    moveSpooledRows(Database::kBusyTimeoutMs);
}

void DataModule::moveSpooledRows(int waitMs) {
    auto moved = m_spool.moveInto(m_att, waitMs);
    if (!moved) reportFailure(moved.error());
    if (moved && *moved > 0 && m_onRowsMoved) m_onRowsMoved();
    if (m_spool.pending() > 0) m_spoolTimer.start(moved ? kSpoolRetryMs : kSpoolFailedRetryMs);
}

Result<qint64> DataModule::storeLogRow(const LogRecord& row) {
    const QString time = dateTimeText(row.sysTime);
    // Rows that wait in the spool go first: the log takes them in the order they came.
    if (m_spool.pending() == 0) {
        if (m_spool.isOpen()) m_att.setBusyTimeout(kLiveLockWaitMs);
        auto stored = m_att.run(kInsertLogRow, time, row.cardNo, row.mode, row.reader, row.lock);
        const bool held = !stored && m_att.lastFailureWasBusy();
        m_att.setBusyTimeout(Database::kBusyTimeoutMs);
        if (stored) return m_att.lastInsertRowId();
        if (!held || !m_spool.isOpen()) return std::unexpected(stored.error());
    }
    if (auto r = m_spool.add(time, row.cardNo, row.mode, row.reader, row.lock); !r)
        return std::unexpected(r.error());
    if (!m_spoolTimer.isActive()) m_spoolTimer.start(kSpoolRetryMs);
    return 0;
}

// Both files are tried, so a missing log and a missing system file give both messages; the
// engine's reason (a wrong key, a newer schema) goes with the message.
bool DataModule::OpenDatabases() {
    auto cursor = m_op.waitCursor();
    auto log = openLog();
    if (log)
        m_att = std::move(*log);
    else
        m_op.errorDetail(msg::CannotOpen(kLogFile), log.error().text);
    auto sys = openSystem();
    if (sys) {
        m_src = std::move(*sys);
    } else {
        m_att.close();
        m_op.errorDetail(msg::CannotOpen(kSystemFile), sys.error().text);
    }
    if (!log || !sys) m_src.close();
    if (!log || !sys) return false;
    if (m_attached) return true;
    m_logCheckpoints.start(filePath(kLogFile), kLogKey);
    openSpool();
    return true;
}

// What waits in the spool goes into the log first: the files may be replaced next.
void DataModule::CloseDatabases() {
    if (m_onClose) m_onClose();
    if (m_att.isOpen() || m_src.isOpen()) holdLogView();
    m_spoolTimer.stop();
    if (m_spool.pending() > 0)
        if (auto moved = m_spool.moveInto(m_att, Database::kBusyTimeoutMs); !moved)
            m_op.errorDetail(msg::DatabaseError, moved.error().text);
    m_spool.close();
    m_logCheckpoints.stop();
    m_att.close();
    m_src.close();
}

bool DataModule::ReopenDatabases() {
    const bool ok = OpenDatabases();
    releaseLogView();
    if (m_onReopen) m_onReopen();
    return ok;
}

void DataModule::holdLogView() {
    if (m_logViewHolds++ == 0 && m_onLogView) m_onLogView(true);
}

void DataModule::releaseLogView() {
    if (m_logViewHolds > 0 && --m_logViewHolds == 0 && m_onLogView) m_onLogView(false);
}

bool DataModule::CheckDatabaseFile(const QString& path, const QByteArray& key) {
    const QString table = key == kLogKey ? QStringLiteral("recorder") : QStringLiteral("staffs");
    auto db = QFileInfo(path).isFile() ? Database::open(path, key, Database::Mode::ReadOnly)
                                       : fail(QStringLiteral("missing"));
    if (db && db->prepare(QStringLiteral("SELECT * FROM ") + table)) return true;
    m_op.error(msg::InvalidDatabase);
    return false;
}

std::pair<bool, QString> DataModule::GetKeyValue(const QString& key) {
    auto value = m_src.queryOne(
        QStringLiteral("SELECT \"VALUE\" FROM passwd WHERE \"KEY\" = ?"),
        [](const Statement& st) { return st.text(0); }, key);
    if (!value) reportFailure(value.error());
    if (!value || !*value) return {false, {}};
    return {true, **value};
}

int DataModule::GetKeyInt(const QString& key) {
    const auto [found, value] = GetKeyValue(key);
    bool ok = false;
    const int v = value.trimmed().toInt(&ok, 10);
    return found && ok ? v : 0;
}

Result<void> DataModule::storeKeyValue(const QString& key, const QString& value) {
    Transaction tx(m_src);
    if (!tx.begun()) return tx.beginResult();
    auto r =
        m_src.run(QStringLiteral("UPDATE passwd SET \"VALUE\" = ? WHERE \"KEY\" = ?"), value, key);
    if (r && m_src.changes() == 0)
        r = m_src.run(QStringLiteral("INSERT INTO passwd(\"KEY\", \"VALUE\") VALUES (?, ?)"), key,
                      value);
    return r ? tx.commit() : r;
}

bool DataModule::SetKeyValue(const QString& key, const QString& value) {
    const auto r = storeKeyValue(key, value);
    if (!r) m_op.errorDetail(msg::DatabaseError, r.error().text);
    return r.has_value();
}

bool DataModule::SetKeyInt(const QString& key, int value) {
    return SetKeyValue(key, QString::number(value));
}

bool DataModule::lookupWith(const QString& sql, int cardNo, StaffRecord& rec) {
    rec.cardNo = cardNo;
    rec.name = QStringLiteral("[%1]").arg(cardNo);
    rec.group.clear();
    auto found = m_src.queryOne(
        sql,
        [](const Statement& st) {
            return std::pair{st.text(0), st.text(1)};
        },
        cardNo);
    if (!found) reportFailure(found.error());
    if (!found || !*found) return false;
    std::tie(rec.name, rec.group) = **found;
    return true;
}

bool DataModule::LookupStaff(int cardNo, StaffRecord& rec) {
    return lookupWith(QStringLiteral("SELECT staffs.NAME, gid.descx FROM staffs, gid "
                                     "WHERE staffs.CARDNO = ? AND staffs.WORKGRP = gid.id"),
                      cardNo, rec);
}

bool DataModule::lookupHolder(int cardNo, StaffRecord& rec) {
    return lookupWith(
        QStringLiteral("SELECT staffs.NAME, gid.descx FROM staffs "
                       "LEFT JOIN gid ON gid.id = staffs.WORKGRP WHERE staffs.CARDNO = ?"),
        cardNo, rec);
}

int DataModule::CardByName(const QString& text) {
    auto card = m_src.scalarInt(
        QStringLiteral("SELECT CARDNO FROM staffs WHERE substr(NAME, 1, length(?1)) = ?1 "
                       "ORDER BY NAME, SEQ LIMIT 1"),
        text);
    if (!card) reportFailure(card.error());
    return card && *card ? int(**card) : 0;
}

qint64 DataModule::logCount() {
    auto n = m_att.scalarInt(QStringLiteral("SELECT n FROM recorder_count"));
    if (!n) reportFailure(n.error());
    return n && *n ? **n : 0;
}

std::optional<LogRecord> DataModule::newestLog() {
    auto row = m_att.queryOne(
        QStringLiteral("SELECT ") + kLogColumns +
            QStringLiteral(" FROM recorder ORDER BY SYSTIME DESC, rowid DESC LIMIT 1"),
        &logRecordFromRow);
    if (!row) reportFailure(row.error());
    return row ? *row : std::nullopt;
}

// Shown once the current event is handled (a box opened in the middle of a card event or a
// grid's painting would run a nested loop there), and one at a time: the same failure
// repeated while its box is open is not shown again.
void DataModule::reportFailure(const Error& e) {
    if (m_failureShowing == e.text || m_failuresPending.contains(e.text)) return;
    m_failuresPending << e.text;
    // A report on its way, or a box open, takes this one up when it is done.
    if (m_failuresPending.size() > 1 || !m_failureShowing.isEmpty()) return;
    QTimer::singleShot(0, &m_failureTimerOwner, [this] {
        while (!m_failuresPending.isEmpty()) {
            m_failureShowing = m_failuresPending.takeFirst();
            m_op.errorDetail(msg::DatabaseError, m_failureShowing);
            m_failureShowing.clear();
        }
    });
}

LogRecord logRecordFromRow(const Statement& st) {
    LogRecord r;
    r.rowId = st.int64(0);
    r.sysTime = parseDateTimeText(st.text(1));
    r.cardNo = st.integer(2);
    r.mode = st.integer(3);
    r.reader = st.integer(4);
    r.lock = st.integer(5);
    return r;
}

}  // namespace tallyport
