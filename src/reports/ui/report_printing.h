#pragma once

#include "reports/ui/report_pages.h"

class QPrinter;

namespace tallyport {

class Operator;

// The pages of `doc` painted on `printer` on a worker, with a progress window titled with the
// report's title that can cancel; a cancelled run is aborted at the printer. A failure is shown.
// True when every page went to the printer.
bool printReport(const ReportDocument& doc, QPrinter& printer, Operator& op);

// The printer set up for the report's pages: A4 portrait with the report's margins, the
// report's title as the document name.
void prepareReportPrinter(QPrinter& printer, const ReportDocument& doc);

}  // namespace tallyport
