#pragma once

#include "reports/ui/report_pages.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPrinter;
class QSpinBox;

namespace tallyport {

class Operator;
class ReportPageView;

// The modal preview of a laid-out document (a report, a card sheet, a list): its pages at the page
// width, page by page or scrolled, zoomed, printed from here (the system's print dialog, then
// the pages painted on a worker with a progress window that can cancel) or saved as a PDF file.
// Opens over most of the screen.
class ReportPreview final : public QDialog {
    Q_OBJECT
public:
    ReportPreview(std::unique_ptr<PagedDocument> doc, Operator& op, QWidget* owner = nullptr);
    ReportPreview(ReportDocument doc, Operator& op, QWidget* owner = nullptr);
    ~ReportPreview() override;

    ReportPageView* pages() const { return m_view; }

    // Asks for the printer the pages go to: the system's print dialog unless a test puts its
    // own in place. Null (the dialog cancelled) prints nothing.
    using PrinterChooser = std::function<std::unique_ptr<QPrinter>(QWidget* owner)>;
    void setPrinterChooser(PrinterChooser chooser) { m_choosePrinter = std::move(chooser); }

    void print();
    // Asks for a file (the operator's save-file question), writes the pages there as PDF on a
    // worker, as the printer would get them, and says the path once written.
    void savePdf();

private:
    QWidget* makeToolBar();
    void placeOnScreen(QWidget* owner);
    void showPageNumber(int index);
    void showZoom(double pixelsPerMm);

    std::unique_ptr<PagedDocument> m_doc;
    Operator& m_op;
    ReportPageView* m_view = nullptr;
    QSpinBox* m_page = nullptr;
    QLabel* m_zoom = nullptr;
    PrinterChooser m_choosePrinter;
};

}  // namespace tallyport
