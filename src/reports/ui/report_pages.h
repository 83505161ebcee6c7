#pragma once

#include "base/error.h"
#include "reports/report_contents.h"

#include <QDateTime>
#include <QFont>
#include <QPageLayout>
#include <QRawFont>
#include <QString>
#include <limits>
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

class PagePainter;

// What the preview, the printers and the PDF writer need of a document laid out on pages: its
// paper and margins, its pages, and painters for them. Laid out once (on a worker: no widget
// and no device is read), then each page paints alone, in any order, on any thread that has a
// painter of its own.
class PagedDocument {
public:
    virtual ~PagedDocument() = default;
    virtual int pageCount() const = 0;
    virtual QPageLayout pageLayout() const = 0;
    virtual QString title() const = 0;
    // The footer's time, where the pages have one: when they go out, after the (long) build.
    virtual void setPrintedOn(const QDateTime&) {}
    // A painter for one thread: it keeps its fonts and pictures from page to page.
    virtual std::unique_ptr<PagePainter> makePainter() const = 0;
};

// Paints the pages of one document on one thread.
class PagePainter {
public:
    explicit PagePainter(const QPageLayout& layout) : m_layout(layout) {}
    virtual ~PagePainter() = default;
    // Page `index` (from 0) on white paper filling `paper` (the painter's units).
    void paintOnPaper(QPainter& p, int index, const QRectF& paper);
    // Page `index` on a paged device whose painter's origin is the text area's top left.
    void paintOnDevice(QPainter& p, int index);

protected:
    // Page `index` in layout units, from the text area's top left.
    virtual void paintPage(QPainter& p, int index) = 0;

private:
    QPageLayout m_layout;
};

class ReportDocument;

// Lays a report's bands on A4 portrait pages: the page header and footer on every page, a new
// page where a line asks for one or where the next band does not fit. `work`, when given, hears
// the progress and may cancel (the answer is then an error).
Result<ReportDocument> layoutReportPages(ReportContents rc, const QDateTime& printedOn,
                                         WorkContext* work = nullptr);

// A report laid out on pages: which lines each page holds.
class ReportDocument : public PagedDocument {
public:
    int pageCount() const override { return int(m_starts.size()); }
    QPageLayout pageLayout() const override { return reportPageLayout(); }
    QString title() const override { return m_contents->title; }
    std::unique_ptr<PagePainter> makePainter() const override;
    const ReportContents& contents() const { return *m_contents; }
    const QDateTime& printedOn() const { return m_printedOn; }
    void setPrintedOn(const QDateTime& when) override { m_printedOn = when; }
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

// Paints the pages of one report on one thread; keeps the fonts from page to page.
class ReportPagePainter final : public PagePainter {
public:
    explicit ReportPagePainter(const ReportDocument& doc);

    struct Style {
        QFont font;
        ReportMeasures::Band band;
        double widest = 0;  // the widest character: a cheap bound before measuring a line
        QRawFont raw;       // fixed pitch only: plain lines are laid glyph by glyph, unshaped
        double pitch = 0;
    };

protected:
    void paintPage(QPainter& p, int index) override;

private:
    const ReportDocument& m_doc;
    Style m_person, m_detail;
};

// Which pages go out: `first` to `last`, counted from 0, both included; the document's own
// pages bound it.
struct PageSpan {
    int first = 0;
    int last = std::numeric_limits<int>::max();
};

// Paints the pages of `span` (every page by default) on a paged device (a printer, a PDF
// writer), from the device's first page. The thread that owns the device may call it. Answers
// the number of pages painted; fails when the device cannot be painted on, when `work` is
// cancelled, or with the refusal of checkOutputTarget when a printer's output file is one of
// the console's own files.
Result<int> printReportPages(const PagedDocument& doc, QPagedPaintDevice& device,
                             WorkContext* work = nullptr, PageSpan span = {});

// The pages as a PDF file. The file is written aside and renamed into place, so a failure or a
// cancel leaves any earlier file as it was and never a cut-short one; one of the console's own
// files is refused (checkOutputTarget) before anything is written. Needs a QGuiApplication.
Result<void> writeReportPdf(const PagedDocument& doc, const QString& path,
                            WorkContext* work = nullptr);
// Laid out and written in one call.
Result<void> writeReportPdf(const ReportContents& rc, const QString& path,
                            const QDateTime& printedOn);

}  // namespace tallyport
