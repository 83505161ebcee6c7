#include "reports/ui/report_pages.h"

#include "base/long_work.h"
#include "reports/ui/report_frame.h"
#include "store/output_guard.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMarginsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace tallyport {

namespace {

using Measures = ReportMeasures;
using Style = ReportPagePainter::Style;

const QColor kYellow(255, 255, 0);
constexpr double kRuleWidthMm = 0.2;
const QString kCannotDraw = QStringLiteral("The report pages cannot be drawn.");

using report_frame::footerFont;
using report_frame::labelFont;
using report_frame::lineHeight;
using report_frame::mm;
using report_frame::titleFont;

QFont personFont() {
    return report_frame::sansFont(11);
}
QFont detailFont() {
    return report_frame::monoFont(9);
}

Measures::Band bandOf(const QFont& font) {
    const QFontMetricsF m(font);
    const double height = m.height() * 1.15;
    return {height, (height - m.height()) / 2 + m.ascent()};
}

// Left label and right label on one line, the title centred and underlined below them, then
// the working-hours lines.
double headerHeight(const ReportContents& rc, const Measures& m) {
    double y = m.labelHeight + m.titleHeight;
    for (const QString& h : rc.headerLines)
        if (!h.isEmpty()) y += m.labelHeight;
    return y + mm(3);
}

// The text area as a printer of the layout's resolution has it: the page and its margins in
// whole points, then whole pixels.
QRect areaInUnits() {
    return reportPageLayout().paintRectPixels(int(Measures::kLayoutDpi));
}

Measures measure(const ReportContents& rc) {
    const QRect area = areaInUnits();
    Measures m;
    m.width = area.width();
    m.height = area.height();
    m.labelHeight = lineHeight(labelFont());
    m.titleHeight = lineHeight(titleFont());
    m.footerHeight = lineHeight(footerFont());
    m.bodyTop = headerHeight(rc, m);
    m.bodyEnd = m.height - m.footerHeight - mm(2);
    m.person = bandOf(personFont());
    m.detail = bandOf(detailFont());
    return m;
}

const Measures::Band& bandMeasures(const Measures& m, Band band) {
    return band == Band::Person ? m.person : m.detail;
}

// Lines between progress reports and cancel checks: a year's report has hundreds of thousands.
constexpr size_t kCheckEvery = 4096;

bool stopped(WorkContext* work, size_t done, size_t total) {
    if (!work) return false;
    work->setProgress(qint64(done), qint64(total));
    return work->cancelled();
}

}  // namespace

QPageLayout reportPageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(20.0, 10.0, 15.0, 10.0), QPageLayout::Millimeter);
}

size_t ReportDocument::endLine(int index) const {
    const size_t next = size_t(index) + 1;
    return next < m_starts.size() ? m_starts[next] : m_contents->lines.size();
}

Result<ReportDocument> layoutReportPages(ReportContents rc, const QDateTime& printedOn,
                                         WorkContext* work) {
    ReportDocument doc;
    doc.m_measures = measure(rc);
    doc.m_printedOn = printedOn;
    const Measures& m = doc.m_measures;
    doc.m_starts.push_back(0);
    double y = m.bodyTop;
    const size_t n = rc.lines.size();
    for (size_t i = 0; i < n; ++i) {
        if (i % kCheckEvery == 0 && stopped(work, i, n)) return fail(kWorkCancelled);
        const ReportLine& line = rc.lines[i];
        const double h = bandMeasures(m, line.band).height;
        const bool pageUsed = y > m.bodyTop;
        if (pageUsed && (line.newPage || y + h > m.bodyEnd)) {
            doc.m_starts.push_back(i);
            y = m.bodyTop;
        }
        y += h;
    }
    doc.m_contents = std::make_shared<const ReportContents>(std::move(rc));
    return doc;
}

namespace {

Style styleOf(const QFont& font) {
    const QFontMetricsF metrics(font);
    Style style{font, bandOf(font), metrics.maxWidth(), {}, 0};
    if (font.fixedPitch()) {
        style.raw = QRawFont::fromFont(font);
        style.raw.setPixelSize(font.pixelSize());
        style.pitch = style.raw.averageCharWidth();
    }
    return style;
}

// One page being painted, in layout units from the text area's top left.
struct PageRun {
    QPainter& p;
    const ReportDocument& doc;
    const Measures& m;
    double y = 0;
    const QFont* current = nullptr;  // the band font last set on the painter
};

bool isPlainLatin(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0xff) return false;
    return true;
}

// The detail lines are most of a long report: laying their glyphs at the fixed pitch spares
// the text shaping that costs most of the time.
bool drawFixedPitch(PageRun& r, const Style& style, const QString& text) {
    if (!style.raw.isValid() || !isPlainLatin(text) || text.size() * style.pitch > r.m.width)
        return false;
    const QList<quint32> glyphs = style.raw.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0u)) return false;
    QList<QPointF> positions(glyphs.size());
    for (qsizetype i = 0; i < positions.size(); ++i) positions[i] = QPointF(i * style.pitch, 0);
    QGlyphRun run;
    run.setRawFont(style.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    r.p.drawGlyphRun(QPointF(0, r.y + style.band.baseline), run);
    return true;
}

void drawPageHeader(PageRun& r) {
    const ReportContents& rc = r.doc.contents();
    double y = report_frame::paintHeader(r.p, r.m.width, 0, rc.leftLabel, rc.rightLabel, rc.title);
    for (const QString& h : rc.headerLines) {
        if (h.isEmpty()) continue;
        report_frame::paintLine(r.p, labelFont(), r.m.width, y, h, Qt::AlignLeft);
        y += r.m.labelHeight;
    }
    r.current = nullptr;
}

void drawPageFooter(PageRun& r, int index) {
    report_frame::paintFooter(r.p, r.m.width, r.m.height, r.doc.printedOn(), index + 1);
    r.current = nullptr;
}

void drawRule(PageRun& r, double y) {
    r.p.setPen(QPen(Qt::black, mm(kRuleWidthMm)));
    r.p.drawLine(QPointF(0, y), QPointF(r.m.width, y));
}

// A line wider than the text area is printed smaller rather than cut off: a total line's
// last figures matter as much as its first.
void drawBandText(PageRun& r, const Style& style, const QString& text) {
    if (drawFixedPitch(r, style, text)) return;
    if (r.current != &style.font) r.p.setFont(style.font);
    r.current = &style.font;
    if (text.size() * style.widest > r.m.width) {
        const double width = QFontMetricsF(style.font).horizontalAdvance(text);
        if (width > r.m.width) {
            QFont smaller = style.font;
            smaller.setPixelSize(qMax(1, int(smaller.pixelSize() * r.m.width / width * 0.98)));
            r.p.setFont(smaller);
            r.current = nullptr;
        }
    }
    r.p.drawText(QPointF(0, r.y + style.band.baseline), text);
}

void drawBand(PageRun& r, const Style& style, const ReportLine& line) {
    const QRectF box(0, r.y, r.m.width, style.band.height);
    if (line.colour == BandColour::Yellow) r.p.fillRect(box, kYellow);
    r.p.setPen(Qt::black);
    if (!line.text.isEmpty()) drawBandText(r, style, line.text);
    if (line.band == Band::Person || line.band == Band::Total) {
        drawRule(r, box.top());
        drawRule(r, box.bottom());
    }
    r.y += style.band.height;
}

}  // namespace

ReportPagePainter::ReportPagePainter(const ReportDocument& doc)
    : PagePainter(doc.pageLayout()),
      m_doc(doc),
      m_person(styleOf(personFont())),
      m_detail(styleOf(detailFont())) {}

void ReportPagePainter::paintPage(QPainter& p, int index) {
    PageRun r{p, m_doc, m_doc.measures(), m_doc.measures().bodyTop};
    drawPageHeader(r);
    drawPageFooter(r, index);
    const auto& lines = m_doc.contents().lines;
    for (size_t i = m_doc.firstLine(index), end = m_doc.endLine(index); i < end; ++i)
        drawBand(r, lines[i].band == Band::Person ? m_person : m_detail, lines[i]);
}

std::unique_ptr<PagePainter> ReportDocument::makePainter() const {
    return std::make_unique<ReportPagePainter>(*this);
}

void PagePainter::paintOnPaper(QPainter& p, int index, const QRectF& paper) {
    const int dpi = int(Measures::kLayoutDpi);
    const QRect full = m_layout.fullRectPixels(dpi);
    const QPoint origin = m_layout.paintRectPixels(dpi).topLeft() - full.topLeft();
    const double scale = paper.width() / full.width();
    p.save();
    p.fillRect(paper, Qt::white);
    p.translate(paper.topLeft());
    p.scale(scale, scale);
    p.translate(origin);
    paintPage(p, index);
    p.restore();
}

void PagePainter::paintOnDevice(QPainter& p, int index) {
    const QPaintDevice* device = p.device();
    p.save();
    p.scale(device->logicalDpiX() / Measures::kLayoutDpi,
            device->logicalDpiY() / Measures::kLayoutDpi);
    paintPage(p, index);
    p.restore();
}

Result<int> printReportPages(const PagedDocument& doc, QPagedPaintDevice& device, WorkContext* work,
                             PageSpan span) {
    const int first = std::max(span.first, 0), last = std::min(span.last, doc.pageCount() - 1);
    if (first > last) return 0;  // no page of the document in the span: no job at all
    auto* printer = dynamic_cast<QPrinter*>(&device);
    // A printer that prints to a file (the print dialog offers it) writes an output file.
    const QString toFile = printer ? printer->outputFileName() : QString();
    if (!toFile.isEmpty()) {
        if (auto own = checkOutputTarget(toFile); !own) return std::unexpected(own.error());
    }
    // Cancelled before it began (the console closing): no job, and no file opened.
    if (work && work->cancelled()) return fail(kWorkCancelled);
    QPainter painter;
    if (!painter.begin(&device)) return fail(kCannotDraw);
    const std::unique_ptr<PagePainter> pages = doc.makePainter();
    const int n = last - first + 1;
    for (int i = 0; i < n; ++i) {
        if (stopped(work, size_t(i), size_t(n))) {
            // A printer drops the job rather than print what was laid so far; one that prints
            // to a file cannot drop what it wrote, so the cut-short file goes.
            if (printer) printer->abort();
            painter.end();
            if (!toFile.isEmpty()) QFile::remove(toFile);
            return fail(kWorkCancelled);
        }
        if (i > 0 && !device.newPage()) {
            painter.end();
            return fail(kCannotDraw);
        }
        pages->paintOnDevice(painter, first + i);
    }
    if (!painter.end()) return fail(kCannotDraw);
    return n;
}

Result<void> writeReportPdf(const PagedDocument& doc, const QString& path, WorkContext* work) {
    if (auto own = checkOutputTarget(path); !own) return std::unexpected(own.error());
    QSaveFile file(path);
    const auto cannot = [&](const QString& why) {
        return fail(QStringLiteral("The file \"%1\" cannot be written: %2.").arg(path, why));
    };
    if (!file.open(QIODevice::WriteOnly)) return cannot(file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(doc.pageLayout());
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Tallyport"));
        writer.setTitle(doc.title());
        if (auto pages = printReportPages(doc, writer, work); !pages) {
            if (work && work->cancelled()) return fail(kWorkCancelled);
            return cannot(QStringLiteral("the pages cannot be drawn"));
        }
    }
    if (work) {
        // Cancel after the last page: the file is still not written. Once it is, a late Cancel
        // must not drop the result, or the file would be there and nobody told.
        if (work->cancelled()) return fail(kWorkCancelled);
        work->runToEnd();
    }
    if (!file.commit()) return cannot(file.errorString());
    return {};
}

Result<void> writeReportPdf(const ReportContents& rc, const QString& path,
                            const QDateTime& printedOn) {
    auto doc = layoutReportPages(rc, printedOn);
    if (!doc) return std::unexpected(doc.error());
    return writeReportPdf(*doc, path);
}

}  // namespace tallyport
