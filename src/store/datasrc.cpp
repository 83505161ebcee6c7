#include "store/datasrc.h"

#include "store/date_time.h"
#include "store/messages.h"
#include "store/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallyport {

void Tdsrc::setDataFolder(const QString& folder) {
    m_folder = QDir(folder).absolutePath();
}

QString Tdsrc::filePath(const QString& name) const {
    return QDir(m_folder).filePath(name);
}

QString Tdsrc::photoFolder() const {
    return filePath(kPhotoFolder);
}

bool Tdsrc::openLog() {
    auto db = Database::open(filePath(kLogFile), kLogKey, Database::Mode::ReadWrite);
    if (db && upgradeLogSchema(*db) && db->prepare(QStringLiteral("SELECT * FROM recorder")) &&
        db->prepare(QStringLiteral("SELECT n FROM recorder_count"))) {
        m_att = std::move(*db);
        return true;
    }
    return false;
}

bool Tdsrc::openSystem() {
    auto db = Database::open(filePath(kSystemFile), kSystemKey, Database::Mode::ReadWrite);
    if (!db || !upgradeSystemSchema(*db)) return false;
    for (const char* table : {"apb", "emails", "staffs", "gid", "iotime", "reader", "passwd"})
        if (!db->prepare(QStringLiteral("SELECT * FROM ") + QLatin1String(table))) return false;
    m_src = std::move(*db);
    return true;
}

// Both files are tried, so a missing log and a missing system file give both messages.
bool Tdsrc::OpenDatabases() {
    auto cursor = m_op.waitCursor();
    const bool logOk = openLog();
    if (!logOk) m_op.error(msg::CannotOpen(kLogFile));
    const bool sysOk = openSystem();
    if (!sysOk) {
        m_att.close();
        m_op.error(msg::CannotOpen(kSystemFile));
    }
    return logOk && sysOk;
}

void Tdsrc::CloseDatabases() {
    if (m_onClose) m_onClose();
    m_att.close();
    m_src.close();
}

bool Tdsrc::ReopenDatabases() {
    const bool ok = OpenDatabases();
    if (m_onReopen) m_onReopen();
    return ok;
}

bool Tdsrc::CheckDatabaseFile(const QString& path, const QByteArray& key) {
    const QString table = key == kLogKey ? QStringLiteral("recorder") : QStringLiteral("staffs");
    auto db = QFileInfo(path).isFile() ? Database::open(path, key, Database::Mode::ReadOnly)
                                       : fail(QStringLiteral("missing"));
    if (db && db->prepare(QStringLiteral("SELECT * FROM ") + table)) return true;
    m_op.error(msg::InvalidDatabase);
    return false;
}

std::pair<bool, QString> Tdsrc::GetKeyValue(const QString& key) {
    auto st = m_src.prepare(QStringLiteral("SELECT \"VALUE\" FROM passwd WHERE \"KEY\" = ?"));
    if (!st) return {false, {}};
    st->bind(1, key);
    if (!st->step().value_or(false)) return {false, {}};
    return {true, st->text(0)};
}

int Tdsrc::GetKeyInt(const QString& key) {
    const auto [found, value] = GetKeyValue(key);
    bool ok = false;
    const int v = value.trimmed().toInt(&ok, 10);
    return found && ok ? v : 0;
}

bool Tdsrc::SetKeyValue(const QString& key, const QString& value) {
    Transaction tx(m_src);
    bool ok =
        tx.begun() &&
        m_src.run(QStringLiteral("UPDATE passwd SET \"VALUE\" = ? WHERE \"KEY\" = ?"), value, key);
    if (ok && m_src.changes() == 0)
        ok = bool(m_src.run(QStringLiteral("INSERT INTO passwd(\"KEY\", \"VALUE\") VALUES (?, ?)"),
                            key, value));
    ok = ok && tx.commit();
    if (!ok) m_op.error(msg::DatabaseError);
    return ok;
}

bool Tdsrc::SetKeyInt(const QString& key, int value) {
    return SetKeyValue(key, QString::number(value));
}

namespace {
bool lookupWith(Database& src, const QString& sql, int cardNo, TStaffRec& rec) {
    rec.cardNo = cardNo;
    rec.name = QStringLiteral("[%1]").arg(cardNo);
    rec.group.clear();
    auto st = src.prepare(sql);
    if (!st) return false;
    st->bind(1, cardNo);
    if (!st->step().value_or(false)) return false;
    rec.name = st->text(0);
    rec.group = st->text(1);
    return true;
}
}  // namespace

bool Tdsrc::LookupStaff(int cardNo, TStaffRec& rec) {
    return lookupWith(m_src,
                      QStringLiteral("SELECT staffs.NAME, gid.descx FROM staffs, gid "
                                     "WHERE staffs.CARDNO = ? AND staffs.WORKGRP = gid.id"),
                      cardNo, rec);
}

bool Tdsrc::lookupHolder(int cardNo, TStaffRec& rec) {
    return lookupWith(
        m_src,
        QStringLiteral("SELECT staffs.NAME, gid.descx FROM staffs "
                       "LEFT JOIN gid ON gid.id = staffs.WORKGRP WHERE staffs.CARDNO = ?"),
        cardNo, rec);
}

int Tdsrc::CardByName(const QString& text) {
    auto st = m_src.prepare(
        QStringLiteral("SELECT CARDNO FROM staffs WHERE substr(NAME, 1, length(?1)) = ?1 "
                       "ORDER BY NAME, SEQ LIMIT 1"));
    if (!st) return 0;
    st->bind(1, text);
    return st->step().value_or(false) ? st->integer(0) : 0;
}

qint64 Tdsrc::logCount() {
    auto n = m_att.scalarInt(QStringLiteral("SELECT n FROM recorder_count"));
    return n && *n ? **n : 0;
}

std::optional<LogRecord> Tdsrc::newestLog() {
    auto st =
        m_att.prepare(QStringLiteral("SELECT ") + kLogColumns +
                      QStringLiteral(" FROM recorder ORDER BY SYSTIME DESC, rowid DESC LIMIT 1"));
    if (!st || !st->step().value_or(false)) return std::nullopt;
    return logRecordFromRow(*st);
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
