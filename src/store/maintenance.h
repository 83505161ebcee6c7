#pragma once

#include "base/operator.h"
#include "store/log_erase.h"
#include "store/log_record.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tallyport {

class DataModule;

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
bool BackupDatabase(DataModule& data, Operator& op, DbKind kind);
// The copy itself, shared with the command line; a failure, and a target that is a file of
// the data folder under any name, says "Operation failed. Please retry!" with the reason.
bool backupDatabaseTo(DataModule& data, Operator& op, DbKind kind, const QString& target);

// Restore Log / System Database: the open chooser; the file read through the engine into a
// copy beside the live file and judged there on a worker ("Invalid Database" unless it is a
// whole database of its kind, brought up to this program's schema in the copy); asked, saying
// what the live file holds and where its copy goes; the databases closed, the live file kept
// in the replaced folder, the copy put in its place, the databases opened again and
// "Completed.". A restore that did not open again says so instead. True when restored.
bool RestoreDatabase(DataModule& data, Operator& op, DbKind kind);
// The same for the command line, without the chooser and the question; the databases are not
// open. The path of the copy kept of the replaced file (empty when there was no live file), or
// nothing when refused or failed (said).
std::optional<QString> restoreDatabaseFrom(DataModule& data, Operator& op, DbKind kind,
                                           const QString& source);

// Format Database: asked, the databases closed, both replaced by their templates (each judged
// as a restore judges its file, each live file kept in the replaced folder first), the photo
// folder emptied of pictures once both were replaced, the databases opened again and
// "Database formatted." said. False when not asked to go on or not both were replaced.
bool FormatDatabase(DataModule& data, Operator& op);
// The replacement itself, shared with the command line; the databases must be closed. A file
// that cannot be replaced says that it is locked, with the reason; the other still is.
struct FormatOutcome {
    bool formatted = false;  // both files were replaced
    QStringList kept;        // the copies kept of what was replaced
};
FormatOutcome formatDataFolder(DataModule& data, Operator& op);

// Erase Log Database once EraseRecordsDialog has given the scope: asked, saying how many records go
// and where the log's copy is kept, then erased on a worker. The first remaining row (what the view
// shows afterwards), or nothing when the log is empty; nothing either when not asked to go on
// (`asked` false).
struct EraseLogOutcome {
    bool asked = false;  // the question was answered Yes
    bool done = false;   // ran to its end
    std::optional<LogRecord> firstRemaining;
};
EraseLogOutcome EraseLogDatabase(DataModule& data, Operator& op, const EraseScope& scope);
// The erase itself, shared with the command line: a copy of the log is kept first (unless no
// row is in the scope), and if it cannot be, nothing is erased. Nothing when it failed (said)
// or was cancelled.
struct Erased {
    qint64 rows = 0;
    QString kept;  // the copy of the log; empty when nothing was to be erased
};
std::optional<Erased> eraseLog(DataModule& data, Operator& op, const EraseScope& scope);

// Erase Staff Records: asked, saying how many holders go and where the copy of the system
// database is kept, then the copy taken and every card holder deleted on a worker. True when
// done.
bool EraseStaffRecords(DataModule& data, Operator& op);

}  // namespace tallyport
