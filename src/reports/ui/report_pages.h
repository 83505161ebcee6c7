#pragma once

#include "base/error.h"
#include "reports/report_contents.h"

#include <QDateTime>
#include <QFont>
#include <QPageLayout>
#include <QRawFont>
#include <QString>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace tallyport {

class WorkContext;

// A4 portrait; margins 10 mm top and bottom, 20 mm left, 15 mm right.
QPageLayout reportPageLayout();

// The measures every page of a report is painted with, in layout units: kLayoutDpi per inch,
// whatever the device. Fonts are sized in those units, so a page breaks and paints the same on
// the screen, a printer and a PDF.
struct ReportMeasures {
    static constexpr double kLayoutDpi = 1200;  // as a high-resolution printer
    struct Band {
        double height = 0;    // with a little leading, so coloured bands read as separate lines
        double baseline = 0;  // from the band's top
    };
    double width = 0;  // the text area
    double height = 0;
    double labelHeight = 0;  // the header's labels and working-hours lines
    double titleHeight = 0;
    double footerHeight = 0;
    double bodyTop = 0;  // below the page header
    double bodyEnd = 0;  // above the page footer
    Band person, detail;
};

class ReportDocument;

// Lays a report's bands on A4 portrait pages: the page header and footer on every page, a new
// page where a line asks for one or where the next band does not fit. `work`, when given, hears
// the progress and may cancel (the answer is then an error).
Result<ReportDocument> layoutReportPages(ReportContents rc, const QDateTime& printedOn,
                                         WorkContext* work = nullptr);

// A report laid out on pages: which lines each page holds. Laid out once (on a worker: it
// reads no widget and no device), then each page paints alone, in any order.
class ReportDocument {
public:
    int pageCount() const { return int(m_starts.size()); }
    const ReportContents& contents() const { return *m_contents; }
    const QDateTime& printedOn() const { return m_printedOn; }
    // The footer's time: when the pages go out, after the (long) build.
    void setPrintedOn(const QDateTime& when) { m_printedOn = when; }
    const ReportMeasures& measures() const { return m_measures; }
    // The lines of page `index` (from 0): [first, end).
    size_t firstLine(int index) const { return m_starts[size_t(index)]; }
    size_t endLine(int index) const;

private:
    friend Result<ReportDocument> layoutReportPages(ReportContents, const QDateTime&, WorkContext*);
    std::shared_ptr<const ReportContents> m_contents;
    QDateTime m_printedOn;
    ReportMeasures m_measures;
    std::vector<size_t> m_starts;
};

// Paints the pages of one document on one thread; keeps the fonts from page to page.
class ReportPagePainter {
public:
    explicit ReportPagePainter(const ReportDocument& doc);
    // Page `index` (from 0) on white paper filling `paper` (the painter's units).
    void paintOnPaper(QPainter& p, int index, const QRectF& paper);
    // Page `index` on a paged device whose painter's origin is the text area's top left.
    void paintOnDevice(QPainter& p, int index);

    struct Style {
        QFont font;
        ReportMeasures::Band band;
        double widest = 0;  // the widest character: a cheap bound before measuring a line
        QRawFont raw;       // fixed pitch only: plain lines are laid glyph by glyph, unshaped
        double pitch = 0;
    };

private:
    void paintPage(QPainter& p, int index);
    const ReportDocument& m_doc;
    Style m_person, m_detail;
};

// Paints every page on a paged device (a printer, a PDF writer), from its first page. The
// thread that owns the device may call it. Answers the number of pages; fails when the device
// cannot be painted on or when `work` is cancelled.
Result<int> printReportPages(const ReportDocument& doc, QPagedPaintDevice& device,
                             WorkContext* work = nullptr);

// The pages as a PDF file. The file is written aside and renamed into place, so a failure or a
// cancel leaves any earlier file as it was and never a cut-short one. Needs a QGuiApplication.
Result<void> writeReportPdf(const ReportDocument& doc, const QString& path,
                            WorkContext* work = nullptr);
// Laid out and written in one call.
Result<void> writeReportPdf(const ReportContents& rc, const QString& path,
                            const QDateTime& printedOn);

}  // namespace tallyport
