#pragma once

#include "base/operator.h"

#include <QString>
#include <optional>

namespace tallyport {

enum class ExportFileKind { Text, Spreadsheet };

// The file filters of the export dialogs; spreadsheets offer .xls first, then .xlsx.
QString exportFileFilter(ExportFileKind kind);
// "txt" or "xls": given to a chosen name that has no extension.
QString exportDefaultExtension(ExportFileKind kind);

inline QString fileExistsQuestion(const QString& path) {
    return path + QStringLiteral(" already exists.\nDo you want to replace it?");
}

// The save-file dialog of the log exports and the spreadsheet reports: it starts in the folder
// stored in "LastDataPath" (the user's documents folder while none is stored) and proposes
// `proposedName` there with the kind's extension. After the dialog, chosen or not, the folder
// of the file it named is stored in "LastDataPath". A name without an extension gets the
// kind's; a file of that name that exists is replaced only when the operator says so (the
// dialog has asked about the name as typed). The path, or nothing when cancelled.
std::optional<QString> ChooseExportFile(Operator& op, const QString& caption, ExportFileKind kind,
                                        const QString& proposedName);

}  // namespace tallyport
