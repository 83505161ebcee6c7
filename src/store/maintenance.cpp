#include "store/maintenance.h"

#include "store/datasrc.h"
#include "store/db_copy.h"
#include "store/maintenance_texts.h"
#include "store/messages.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "store/work_steps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallyport {

const DbKindInfo& kindInfo(DbKind kind) {
    static const DbKindInfo log{kLogFile,
                                kLogTemplate,
                                kLogKey,
                                setting::LogDbLast,
                                kLogBackupName,
                                msg::BackupLogTitle,
                                msg::RestoreLogTitle};
    static const DbKindInfo system{kSystemFile,
                                   kSystemTemplate,
                                   kSystemKey,
                                   setting::SysDbLast,
                                   kSystemBackupName,
                                   msg::BackupSystemTitle,
                                   msg::RestoreSystemTitle};
    return kind == DbKind::Log ? log : system;
}

namespace {

QString lastPathOf(Tdsrc& data, const DbKindInfo& k) {
    return ReadSettingText(k.lastPath, data.filePath(k.backupName));
}

int schemaVersionOf(DbKind kind) {
    return kind == DbKind::Log ? kLogSchemaVersion : kSystemSchemaVersion;
}

// Opens with the key of its kind, holds the kind's main table and is no newer than this
// program: a file the console can open again once it is in place.
bool opensAsKind(const QString& path, DbKind kind) {
    if (!QFileInfo(path).isFile()) return false;
    auto db = Database::open(path, kindInfo(kind).key, Database::Mode::ReadOnly);
    if (!db) return false;
    const QString table =
        kind == DbKind::Log ? QStringLiteral("recorder") : QStringLiteral("staffs");
    if (!db->prepare(QStringLiteral("SELECT * FROM ") + table)) return false;
    const auto version = db->scalarInt(QStringLiteral("PRAGMA user_version"));
    return version && version->value_or(0) >= 1 && version->value_or(0) <= schemaVersionOf(kind);
}

bool samePath(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

// A backup never replaces a file the console keeps in its data folder.
QString refusedBackupTarget(Tdsrc& data, const QString& target) {
    for (const QString& f : {kLogFile, kSystemFile, kLogTemplate, kSystemTemplate})
        if (samePath(target, data.filePath(f)))
            return QStringLiteral("A backup cannot replace the console's own file ") +
                   data.filePath(f);
    return {};
}

bool replaceByTemplate(Tdsrc& data, DbKind kind) {
    const DbKindInfo& k = kindInfo(kind);
    const QString blank = data.filePath(k.blank);
    return opensAsKind(blank, kind) && copyFileReplacing(blank, data.filePath(k.file));
}

void removePictures(const QString& folder) {
    QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.jpg")}, QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

std::optional<LogRecord> oldestRow(Tdsrc& data) {
    auto row = data.att().queryOne(QStringLiteral("SELECT ") + kLogColumns +
                                       QStringLiteral(" FROM recorder ORDER BY SYSTIME, rowid "
                                                      "LIMIT 1"),
                                   &logRecordFromRow);
    if (!row) data.reportFailure(row.error());
    return row ? *row : std::nullopt;
}

}  // namespace

bool backupDatabaseTo(Tdsrc& data, Operator& op, DbKind kind, const QString& target) {
    const DbKindInfo& k = kindInfo(kind);
    if (const QString why = refusedBackupTarget(data, target); !why.isEmpty()) {
        op.errorDetail(msg::OperationFailed, why);
        return false;
    }
    const QString source = data.filePath(k.file);
    const QByteArray key = k.key;
    return runStoreJob<bool>(op, k.backupTitle, msg::OperationFailed,
                             [source, key, target](WorkContext& work) -> Result<bool> {
                                 auto done = backupDatabaseFile(source, key, target, stepsOf(work));
                                 if (!done) return std::unexpected(done.error());
                                 return true;
                             })
        .has_value();
}

bool BackupDatabase(Tdsrc& data, Operator& op, DbKind kind) {
    const DbKindInfo& k = kindInfo(kind);
    const auto path =
        op.chooseSaveFile(k.backupTitle, lastPathOf(data, k), msg::DatabaseChooserFilter);
    if (!path || !backupDatabaseTo(data, op, kind, *path)) return false;
    WriteSettingText(k.lastPath, *path);
    op.information(msg::Completed);
    return true;
}

bool restoreDatabaseFrom(Tdsrc& data, Operator& op, DbKind kind, const QString& source) {
    const DbKindInfo& k = kindInfo(kind);
    if (!data.CheckDatabaseFile(source, k.key)) return false;
    // A file this program cannot open again would end the console once it is in place.
    if (!opensAsKind(source, kind)) {
        op.error(msg::InvalidDatabase);
        return false;
    }
    return CopyFileChecked(op, source, data.filePath(k.file));
}

bool RestoreDatabase(Tdsrc& data, Operator& op, DbKind kind) {
    const DbKindInfo& k = kindInfo(kind);
    const auto path =
        op.chooseOpenFile(k.restoreTitle, lastPathOf(data, k), msg::DatabaseChooserFilter);
    if (!path) return false;
    data.CloseDatabases();
    const bool restored = restoreDatabaseFrom(data, op, kind, *path);
    if (restored) WriteSettingText(k.lastPath, *path);
    data.ReopenDatabases();
    if (restored) op.information(msg::Completed);
    return restored;
}

// A template that does not open with its key is as good as missing: it never replaces a
// working database.
bool formatDataFolder(Tdsrc& data, Operator& op) {
    bool log = false, system = false;
    {
        const auto cursor = op.waitCursor();
        log = replaceByTemplate(data, DbKind::Log);
        system = replaceByTemplate(data, DbKind::System);
        removePictures(data.photoFolder());
    }
    if (!log) op.error(msg::LogLocked);
    if (!system) op.error(msg::SystemLocked);
    return log && system;
}

bool FormatDatabase(Tdsrc& data, Operator& op) {
    if (!op.askYesNo(msg::FormatQuestion)) return false;
    data.CloseDatabases();
    const bool formatted = formatDataFolder(data, op);
    data.ReopenDatabases();
    // A file that could not be replaced has been named; calling that "formatted" would not be true.
    if (formatted) op.information(msg::DatabaseFormatted);
    return formatted;
}

std::optional<qint64> eraseLog(Tdsrc& data, Operator& op, const EraseScope& scope) {
    const QString log = data.filePath(kLogFile);
    const QString photos = data.photoFolder();
    return runStoreJob<qint64>(op, msg::ErasingLog, msg::UpdateFailed,
                               [log, photos, scope](WorkContext& work) {
                                   return eraseLogRows(log, photos, scope, stepsOf(work));
                               });
}

EraseLogOutcome EraseLogDatabase(Tdsrc& data, Operator& op, const EraseScope& scope) {
    EraseLogOutcome out;
    if (!op.askYesNo(msg::EraseLogQuestion)) return out;
    out.asked = true;
    {
        const LogViewHold hidden(data);
        out.done = eraseLog(data, op, scope).has_value();
    }
    out.firstRemaining = oldestRow(data);
    return out;
}

bool EraseStaffRecords(Tdsrc& data, Operator& op) {
    if (!op.askYesNo(msg::EraseStaffQuestion)) return false;
    const LogViewHold hidden(data);
    const QString system = data.filePath(kSystemFile);
    return runStoreJob<qint64>(
               op, msg::ErasingStaff, msg::UpdateFailed,
               [system](WorkContext& work) { return eraseStaffRows(system, stepsOf(work)); })
        .has_value();
}

}  // namespace tallyport
