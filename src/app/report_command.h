#pragma once

#include "reports/report_contents.h"

#include <QString>
#include <QStringList>

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
    QString error;  // not empty when the arguments are wrong
};

// Parses the arguments after "report"; options not given take the values the report's scope
// dialog remembers. Group names are resolved later, against the data.
ReportRequest ParseReportArguments(const QStringList& args, const QDate& today);
QString ReportUsageText();

// Runs the command; returns the exit code (2 for bad arguments).
int RunReportCommand(int argc, char** argv);

}  // namespace tallyport
