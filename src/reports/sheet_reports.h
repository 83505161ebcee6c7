#pragma once

#include "base/error.h"
#include "reports/report_scope.h"
#include "workbook/workbook.h"

#include <QStringList>
#include <vector>

// The attendance reports written as worksheets: one row per person and day (more for long
// days), on one sheet for everybody ("all_records", with the person's name and group on the
// person's first row) or on a sheet per person (named after the person). The scope's "new page"
// asks for a sheet per person, "blank lines" for rows for days without records, and the records
// per line say how many times (or pairs of times) a row holds.
namespace tallyport {

class WorkContext;

enum class SheetReport {
    FirstLast,  // "First IN / Last OUT": the day's first and last time and a status
    Pairs,      // "IN/OUT Pairs": up to n IN/OUT pairs and a status
    TimeLogs,   // "Time Logs": every time of the day, 2n to a row
    LateEarly,  // "Late and Early Leave": pairs placed in the group's time table periods
};

inline const QString kEverybodySheet = QStringLiteral("all_records");
inline QString fileInUse(const QString& path) {
    return QStringLiteral("File is in use by other application: ") + path;
}
inline QString exportingCaption(qsizetype persons) {
    return QStringLiteral("Exporting (%1 members)").arg(persons);
}

// The column names of a sheet: NAME and GROUP on the sheet for everybody, DATE, then the
// report's own.
QStringList sheetColumns(SheetReport report, const ReportScope& scope, bool everybody);

struct SheetReportDone {
    qint64 rows = 0;
    QStringList sheets;
    // Persons whose time table could not be read: they have no rows.
    int timeTableFailures = 0;
};

// Writes the report of `persons` (in their order) into `wb`; `today` anchors the date choices.
// The workbook is not committed here. Fails with the reason when the log cannot be read or the
// workbook written, or with kWorkCancelled.
Result<SheetReportDone> writeSheetReport(SheetReport report, const ReportScope& scope,
                                         const std::vector<PersonRow>& persons, const QDate& today,
                                         Database& att, Database& src, Workbook& wb,
                                         WorkContext* work = nullptr);

}  // namespace tallyport
