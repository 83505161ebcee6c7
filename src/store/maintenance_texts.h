#pragma once

#include "store/messages.h"

#include <QString>

// The fixed texts of database maintenance and import, each written once; the kind of box
// each is shown in beside it.
namespace tallyport::msg {

inline const QString OperationFailed = QStringLiteral("Operation failed. Please retry!");  // error
inline const QString EraseLogQuestion =
    QStringLiteral("This action will erase the attendance records. Are you sure?");  // warning
inline const QString EraseStaffQuestion =
    QStringLiteral("This action will erase all card associated information. Are you sure?");
inline const QString FormatQuestion = QStringLiteral(
    "This action will erase all attendance records. The associated card information and all "
    "readers' settings will also be lost. Are you sure?");  // warning
inline const QString LogLocked =
    QStringLiteral("Attendance database locked. It cannot be formatted.");  // error
inline const QString SystemLocked =
    QStringLiteral("System database locked. It cannot be formatted.");           // error
inline const QString DatabaseFormatted = QStringLiteral("Database formatted.");  // information
inline const QString LogUnreadable =
    QStringLiteral("Error in opening the log database: ");  // error, + the file's path
inline const QString SystemUnreadable =
    QStringLiteral("Error in opening the system database: ");  // error, + the file's path

// Progress window captions.
inline const QString ErasingLog = QStringLiteral("Erasing Attendance Record");
inline const QString ErasingStaff = QStringLiteral("Erasing Database");
inline const QString ImportingLog = QStringLiteral("Importing Log Records");
inline const QString ImportingStaff = QStringLiteral("Importing Staff Records");

// File chooser titles.
inline const QString BackupLogTitle = QStringLiteral("Backup Log Database");
inline const QString BackupSystemTitle = QStringLiteral("Backup System Database");
inline const QString RestoreLogTitle = QStringLiteral("Restore Log Database");
inline const QString RestoreSystemTitle = QStringLiteral("Restore System Database");
inline const QString ImportLogTitle = QStringLiteral("Import Transaction Logs");
inline const QString ImportStaffTitle = QStringLiteral("Import Staff Records");
inline const QString DatabaseChooserFilter = DatabaseFileFilter + QStringLiteral(";;All File (*)");

// Not shown by the desktop: the reason a copy that was asked to stop gives.
inline const QString CopyStopped = QStringLiteral("Stopped.");

}  // namespace tallyport::msg
