#pragma once

#include "base/error.h"
#include "reports/report_contents.h"

#include <QDateTime>
#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;

namespace tallyport {

class Progress;

// A4 portrait; margins 10 mm top and bottom, 20 mm left, 15 mm right.
QPageLayout reportPageLayout();

// Lays a report's bands on A4 portrait pages: the page header and footer on every page,
// enhanced colours as the lines carry them, a new page where a line asks for one.
// Answers the number of pages drawn; fails when the device cannot be painted on. `progress`,
// when given, runs from 0 to 100 as the pages are laid.
Result<int> paintReportPages(const ReportContents& rc, QPagedPaintDevice& device,
                             const QDateTime& printedOn, Progress* progress = nullptr);

// The same pages as a PDF file. The file is written aside and renamed into place, so a failure
// leaves any earlier file as it was and never a cut-short one. Needs a QGuiApplication.
Result<void> writeReportPdf(const ReportContents& rc, const QString& path,
                            const QDateTime& printedOn);

}  // namespace tallyport
