#pragma once

#include "reports/ui/report_pages.h"

class QPrinter;

namespace tallyport {

class Operator;

// The pages of `doc` painted on `printer` on a worker, with a progress window titled with the
// document's title that can cancel; a cancelled run is aborted at the printer. A failure is shown.
// True when every page went to the printer.
bool printReport(const PagedDocument& doc, QPrinter& printer, Operator& op);

// The printer set up for the document's pages: its paper and margins, its title as the
// document name.
void prepareReportPrinter(QPrinter& printer, const PagedDocument& doc);

}  // namespace tallyport
