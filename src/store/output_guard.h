#pragma once

#include "base/error.h"

#include <QString>
#include <QStringList>

namespace tallyport {

// Files the console keeps in a data folder beside the databases: the empty sheet for other
// programs to fill and the pictures of the identity cards.
inline const QString kBlankWorkbook = QStringLiteral("blank.xls");
inline const QString kCardBackFile = QStringLiteral("cardback.jpg");
inline const QString kCardLogoFile = QStringLiteral("cardlogo.jpg");

// The files the console keeps in a data folder: both databases with the files the engine keeps
// beside them, the templates, the folder's lock and the files above.
QStringList dataFolderFileNames();

// Remembers `folder` for the rest of the process as a data folder whose files no output file
// may replace. The data module does it when it is given its folder.
void protectDataFolder(const QString& folder);

// Refuses an output file (an export, a workbook, a PDF, a backup) that would land on a file of
// a protected data folder or on the settings file, under its own name or another (a link, a
// path through "..", a hard link: the device and inode are compared). The error names the file.
Result<void> checkOutputTarget(const QString& path);

}  // namespace tallyport
