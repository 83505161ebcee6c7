#include "reports/ui/report_printing.h"

#include "base/long_work.h"

#include <QPrinter>
#include <algorithm>

namespace tallyport {

void prepareReportPrinter(QPrinter& printer, const PagedDocument& doc) {
    printer.setPageLayout(doc.pageLayout());
    printer.setDocName(doc.title());
}

// Painting on a printer from a thread other than the interface's is supported; the printer is
// the worker's alone until the work ends.
bool printReport(const PagedDocument& doc, QPrinter& printer, Operator& op, int currentPage) {
    const PageSpan span = chosenPages(printer, currentPage);
    const auto printed =
        runLongWork<int>(op, doc.title(), [&doc, &printer, span](WorkContext& work) {
            return printReportPages(doc, printer, &work, span);
        });
    return printed.has_value();
}

PageSpan chosenPages(const QPrinter& printer, int currentPage) {
    switch (printer.printRange()) {
        case QPrinter::PageRange:  // 0 for an end left open
            return {std::max(printer.fromPage(), 1) - 1,
                    printer.toPage() > 0 ? printer.toPage() - 1 : PageSpan{}.last};
        case QPrinter::CurrentPage:
            return {currentPage, currentPage};
        default:
            return {};
    }
}

}  // namespace tallyport
