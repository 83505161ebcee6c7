#pragma once

#include "store/messages.h"

#include <QString>
#include <optional>

// The fixed texts of database maintenance and import, each written once; the kind of box
// each is shown in beside it.
namespace tallyport::msg {

inline const QString OperationFailed = QStringLiteral("Operation failed. Please retry!");  // error

// The questions of the commands that replace or remove data (warning, Yes and No): how much
// goes, and where the copy of it is kept. A count that could not be read is left out.
inline QString EraseLogQuestion(std::optional<qint64> records, const QString& keptIn) {
    const QString what = records ? QStringLiteral("%1 attendance records").arg(*records)
                                 : QStringLiteral("the attendance records");
    const QString kept =
        records != 0 ? QStringLiteral(" A copy of the log is kept in %1.").arg(keptIn) : QString();
    return QStringLiteral("This action will erase %1.%2 Are you sure?").arg(what, kept);
}
inline QString EraseStaffQuestion(std::optional<qint64> holders, const QString& keptIn) {
    const QString count = holders ? QStringLiteral(" (%1 card holders)").arg(*holders) : QString();
    const QString kept =
        holders != 0 ? QStringLiteral(" A copy of the system database is kept in %1.").arg(keptIn)
                     : QString();
    return QStringLiteral(
               "This action will erase all card associated information%1.%2 Are you "
               "sure?")
        .arg(count, kept);
}
inline QString RestoreLogQuestion(const QString& file, std::optional<qint64> records,
                                  const QString& keptIn) {
    const QString what =
        records ? QStringLiteral("The %1 records").arg(*records) : QStringLiteral("The records");
    return QStringLiteral(
               "Restore the log from %1? %2 of the live log are replaced; a copy is "
               "kept in %3.")
        .arg(file, what, keptIn);
}
inline QString RestoreSystemQuestion(const QString& file, std::optional<qint64> holders,
                                     const QString& keptIn) {
    const QString count = holders ? QStringLiteral(" (%1)").arg(*holders) : QString();
    return QStringLiteral(
               "Restore the system database from %1? The card holders%2, work groups, "
               "readers and passwords of the live system database are replaced; a "
               "copy is kept in %3.")
        .arg(file, count, keptIn);
}
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

// What was replaced is kept: where (information, on the command line), and why nothing was
// changed when it could not be (the detail of the failure).
inline const QString KeptCopy =
    QStringLiteral("A copy of what was replaced is kept as ");  // + path
inline const QString CopyNotKept =
    QStringLiteral("No copy of what is replaced could be kept, so nothing was changed: ");  // + why
// A restore put in place that did not open again (error).
inline QString RestoredNotOpened(const QString& kept) {
    const QString back = kept.isEmpty()
                             ? QString()
                             : QStringLiteral(" The file it replaced is kept as %1.").arg(kept);
    return QStringLiteral(
               "The restored database did not open: the console cannot go on with "
               "it.") +
           back;
}

// Progress window captions.
inline const QString ErasingLog = QStringLiteral("Erasing Attendance Record");
inline const QString FormattingDatabase = QStringLiteral("Formatting Database");
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
