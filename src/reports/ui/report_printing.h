#pragma once

#include "reports/ui/report_pages.h"

class QPrinter;

namespace tallyport {

class Operator;

// The pages of `doc` that the printer's settings choose (a range, numbered from 1; the page in
// view, `currentPage` counted from 0; otherwise all) painted on `printer` on a worker, with a
// progress window titled with the document's title that can cancel; a cancelled run is aborted
// at the printer. A failure is shown. True when every chosen page went to the printer.
bool printReport(const PagedDocument& doc, QPrinter& printer, Operator& op, int currentPage = 0);

// The pages the printer's settings choose, as above.
PageSpan chosenPages(const QPrinter& printer, int currentPage);

// The printer set up for the document's pages: its paper and margins, its title as the
// document name.
void prepareReportPrinter(QPrinter& printer, const PagedDocument& doc);

}  // namespace tallyport
