#pragma once

#include "base/operator.h"

#include <QString>
#include <optional>

// Where "Save as PDF" of the preview writes, and what it says once written.
namespace tallyport {

inline const QString kSaveAsPdf = QStringLiteral("Save as PDF");
inline const QString kPdfFilter = QStringLiteral("PDF File (*.pdf);;All File (*)");

// "The PDF file /home/ann/Time Logs (All).pdf is written."
QString pdfWrittenText(const QString& path);

// A file name made of a document's title: characters a folder name cannot hold (or a file
// manager would take for a path) become "-", and ".pdf" follows.
QString pdfFileName(const QString& title);

// The save-file question: it starts in the folder last saved to ("PrintPdfFolder"; the
// documents folder while none is stored) and proposes the title as the name. A name without
// ".pdf" gets it, and a file of that name that exists is replaced only when the operator says
// so (the question has asked about the name as typed). The folder of the chosen file is
// remembered. The absolute path, or nothing when cancelled.
std::optional<QString> choosePdfFile(Operator& op, const QString& title);

}  // namespace tallyport
