#pragma once

#include <QString>

// The fixed texts of the data store, each written once. The kind of box each is shown in is
// given beside it.
namespace tallyport::msg {

inline const QString ConfirmDelete = QStringLiteral("Are you sure to delete this record?");        // confirm
inline const QString ConfirmOverwrite = QStringLiteral("Are you sure to overwrite this record?");  // confirm
inline const QString InvalidInput = QStringLiteral("Invalid input.");                                // error
inline const QString DatabaseError = QStringLiteral("Database Error.");                              // error
inline const QString SettingsSaved = QStringLiteral("Settings are saved.");                          // information
inline const QString Completed = QStringLiteral("Completed.");                                       // information
inline const QString WrongTimeEntry = QStringLiteral("Wrong time entry.");                           // error
inline const QString SettingsNotSaved = QStringLiteral("Settings cannot be saved.");                 // error
inline const QString UpdateFailed =
    QStringLiteral("Fail to update the database record. Please retry.");                             // error
inline const QString NoRecord = QStringLiteral("No record.");                                        // error
inline const QString NoDataRecord = QStringLiteral("No data record.");                               // error
inline const QString TimeOverlapped = QStringLiteral("Time overlapped.");                            // error

inline const QString InvalidDatabase = QStringLiteral("Invalid Database");                           // error
inline const QString ReformatDatabase =
    QStringLiteral("Database error. Please re-format the database.");                                // error
inline QString CannotOpen(const QString& file) {
    return QStringLiteral("System Error: Cannot open ") + file;                                      // error
}
inline const QString DatabaseFileFilter = QStringLiteral("Database File (*.db)");

}  // namespace tallyport::msg
