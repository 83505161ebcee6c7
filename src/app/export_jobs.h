#pragma once

#include "base/error.h"
#include "reports/sheet_reports.h"
#include "store/log_export.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The exports as the menus and `tallyport export` / `tallyport report ... --xls` run them: the
// same code on a worker, with read-only connections of its own to the data folder's files.
namespace tallyport {

enum class LogExportKind { Text, Xls, Xlsx };

// The workbook kind a file name asks for: ".xlsx" or else .xls.
LogExportKind workbookKindOf(const QString& path);

// "Export to text file (n records)", "Export to EXCEL file (n records)".
QString logExportCaption(LogExportKind kind, qint64 records);

struct LogExportDone {
    qint64 rows = 0;
    QStringList sheets;  // a workbook's
};

// "Completed.", and, when the log did not fit on one sheet, how many sheets hold it.
QString exportCompletedText(qint64 rows, const QStringList& sheets);

// The log (or `days` of it) to `path`, as lines of text or as a workbook; after a workbook
// "blank.xls" is made in the data folder when missing.
// `total` is what the progress counts to.
Result<LogExportDone> exportLog(const QString& dataFolder, LogExportKind kind, const QString& path,
                                const std::optional<LogDays>& days, qint64 total,
                                WorkContext* work);

struct SheetReportJob {
    SheetReport report = SheetReport::FirstLast;
    ReportScope scope;
    std::vector<PersonRow> persons;  // chosen beforehand: the progress window counts them
    QDate today;
    QString path;
    WorkbookFormat format = WorkbookFormat::Xls;
};

inline const QString kNobodyWritten = QStringLiteral("Nobody in the scope: nothing written.");

// A spreadsheet report to `path`; with a sheet per person and nobody in the scope no file is
// written and the answer has no sheets. Fails with "File is in use by other application: " and the
// path when the file cannot be written.
Result<SheetReportDone> exportSheetReport(const QString& dataFolder, const SheetReportJob& job,
                                          WorkContext* work);

// Opens one of the data folder's files read-only; "System Error: Cannot open …" otherwise.
Result<Database> openDataFileReadOnly(const QString& dataFolder, const QString& name,
                                      const QByteArray& key);

}  // namespace tallyport
