#pragma once

#include "base/operator.h"
#include "store/log_erase.h"
#include "store/log_record.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tallyport {

class Tdsrc;

// Default names, in the data folder, of the files backups go to and imports come from.
inline const QString kLogBackupName = QStringLiteral("backup_attend.db");
inline const QString kSystemBackupName = QStringLiteral("backup_sysdat.db");
inline const QString kStaffImportName = QStringLiteral("sys.db");

// The two kinds of database file and what goes with each.
enum class DbKind { Log, System };
struct DbKindInfo {
    QString file;   // the live file in the data folder
    QString blank;  // its template
    QByteArray key;
    QString lastPath;    // the setting that remembers the last backup or restore file
    QString backupName;  // the default backup file in the data folder
    QString backupTitle;
    QString restoreTitle;
};
const DbKindInfo& kindInfo(DbKind kind);

// Backup Log / System Database: the save chooser on the remembered path, a consistent copy
// taken on a worker while the recording goes on, "Completed.". True when copied.
bool BackupDatabase(Tdsrc& data, Operator& op, DbKind kind);
// The copy itself, shared with the command line; a failure says "Operation failed. Please
// retry!" with the reason.
bool backupDatabaseTo(Tdsrc& data, Operator& op, DbKind kind, const QString& target);

// Restore Log / System Database: the open chooser, the databases closed, the file checked
// with the key of its kind ("Invalid Database") and copied over the live one, the databases
// opened again, "Completed.". True when restored.
bool RestoreDatabase(Tdsrc& data, Operator& op, DbKind kind);
// The check and the copy, shared with the command line; the databases must be closed.
bool restoreDatabaseFrom(Tdsrc& data, Operator& op, DbKind kind, const QString& source);

// Format Database: asked, the databases closed, both replaced by their templates, the photo
// folder emptied of pictures, the databases opened again and "Database formatted." said.
// False when not asked to go on.
bool FormatDatabase(Tdsrc& data, Operator& op);
// The replacement itself, shared with the command line; the databases must be closed. A file
// that cannot be replaced says that it is locked; the rest goes on. True when both were.
bool formatDataFolder(Tdsrc& data, Operator& op);

// Erase Log Database once TRecDel has given the scope: asked, then erased on a worker. The
// first remaining row (what the view shows afterwards), or nothing when the log is empty;
// nothing either when not asked to go on (`asked` false).
struct EraseLogOutcome {
    bool asked = false;  // the question was answered Yes
    bool done = false;   // ran to its end
    std::optional<LogRecord> firstRemaining;
};
EraseLogOutcome EraseLogDatabase(Tdsrc& data, Operator& op, const EraseScope& scope);
// The erase itself, shared with the command line. The rows deleted, or nothing when it
// failed (said) or was cancelled.
std::optional<qint64> eraseLog(Tdsrc& data, Operator& op, const EraseScope& scope);

// Erase Staff Records: asked, then every card holder deleted on a worker. True when done.
bool EraseStaffRecords(Tdsrc& data, Operator& op);

}  // namespace tallyport
