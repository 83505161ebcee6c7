#include "reports/ui/report_printing.h"

#include "base/long_work.h"

#include <QPrinter>

namespace tallyport {

void prepareReportPrinter(QPrinter& printer, const PagedDocument& doc) {
    printer.setPageLayout(doc.pageLayout());
    printer.setDocName(doc.title());
}

// Painting on a printer from a thread other than the interface's is supported; the printer is
// the worker's alone until the work ends.
bool printReport(const PagedDocument& doc, QPrinter& printer, Operator& op) {
    const auto printed = runLongWork<int>(op, doc.title(), [&doc, &printer](WorkContext& work) {
        return printReportPages(doc, printer, &work);
    });
    return printed.has_value();
}

}  // namespace tallyport
