#pragma once

#include "base/error.h"
#include "store/log_export.h"
#include "store/output_guard.h"
#include "workbook/workbook.h"

#include <QStringList>

// The log as a workbook: the sheet "RECORDS" under the column names DATE, TIME, CARDNO, NAME,
// GROUP, MODE, READER and LOCK, one row per log row, oldest first. A log longer than a sheet
// goes on in "RECORDS (2)", "RECORDS (3)", ...
namespace tallyport {

inline const QString kLogSheet = QStringLiteral("RECORDS");
const QStringList& logSheetColumns();

inline QString cannotReplaceFile(const QString& path) {
    return QStringLiteral("Cannot replace file: ") + path;
}

// "blank.xls" in the data folder, the empty "RECORDS" sheet for other programs to fill, is
// made when it is missing.
Result<void> ensureBlankWorkbook(const QString& dataFolder);

struct LogWorkbookDone {
    qint64 rows = 0;
    QStringList sheets;
};

// Writes the log to `path` in `format`. Fails with "No record." when there is no row (nothing
// is written then), with "Cannot replace file: " and the path when the file cannot be written,
// with "Database Error." and the reason when the log cannot be read, or with kWorkCancelled.
Result<LogWorkbookDone> writeLogWorkbook(Database& att, Database& src, const QString& path,
                                         WorkbookFormat format, const std::optional<LogDays>& days,
                                         qint64 total, WorkContext* work);

// The row of a log row, on the workbook's current row.
void setLogRow(Workbook& wb, const LogExportRow& row, const LogNames& names);

}  // namespace tallyport
