#pragma once

#include "reports/report_contents.h"
#include "reports/sheet_reports.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tallyport {

// `tallyport report KIND [options]`: a printed report as text on standard output, without a
// window and without the instance lock; the databases are opened read-only.
struct ReportRequest {
    ReportKind kind = ReportKind::TimeLogs;
    QString dataDir;
    QString pdfFile;
    ReportScope scope;
    bool help = false;
    bool hoursFromGroup = false;  // no hours given: a group scope brings its own
    // The spreadsheet reports (KIND ending in "-sheet"): written to a workbook; the scope's
    // new page asks for a sheet per person.
    std::optional<SheetReport> sheet;
    QString sheetFile;
    WorkbookFormat sheetFormat = WorkbookFormat::Xls;
    QString error;  // not empty when the arguments are wrong
};

// Parses the arguments after "report"; options not given take the values the report's scope
// dialog remembers. Group names are resolved later, against the data.
ReportRequest parseReportArguments(const QStringList& args, const QDate& today);
QString reportUsageText();

// Writes a report's pages to a PDF file; supplied by the program that can draw pages.
using ReportPdfWriter = std::function<Result<void>(const ReportContents&, const QString& path)>;

// True when the arguments ask for --pdf: the caller then provides a GUI application first.
bool reportWantsPdf(int argc, char** argv);

// Runs the command; returns the exit code (2 for bad arguments). Without `writePdf`, --pdf is
// refused. Uses the running application object if there is one.
int runReportCommand(int argc, char** argv, const ReportPdfWriter& writePdf = {});

}  // namespace tallyport
