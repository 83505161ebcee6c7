#pragma once

#include "app/export_jobs.h"

#include <QString>
#include <QStringList>

namespace tallyport {

// `tallyport export text|xls|xlsx FILE [--from DATE] [--to DATE] [--data-dir DIR]`: the log
// written as the Database menu's export commands write it.
struct ExportRequest {
    LogExportKind kind = LogExportKind::Text;
    QString file;
    QString dataDir;
    std::optional<LogDays> days;
    bool help = false;
    QString error;  // not empty when the arguments are wrong
};

ExportRequest parseExportArguments(const QStringList& args);  // the arguments after "export"
QString exportUsageText();

int runExportCommand(int argc, char** argv);

}  // namespace tallyport
