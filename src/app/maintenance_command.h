#pragma once

#include <QString>

namespace tallyport {

inline const QString kImportCommand = QStringLiteral("import");
inline const QString kImportLog = QStringLiteral("log");
inline const QString kImportStaff = QStringLiteral("staff");

// The maintenance and import jobs of the Database menu as commands of their own, on the same
// code: `tallyport backup|restore|import|erase|format …` (see each one's --help).
int runBackupCommand(int argc, char** argv);
int runRestoreCommand(int argc, char** argv);
int runImportCommand(int argc, char** argv);
int runEraseCommand(int argc, char** argv);
int runFormatCommand(int argc, char** argv);

}  // namespace tallyport
