#include "reports/ui/report_page_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace tallyport {

namespace {
constexpr double kMinZoom = 0.5;
constexpr double kMaxZoom = 20;
}  // namespace

ReportPageView::ReportPageView(const PagedDocument& doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_painter(doc.makePainter()) {
    setObjectName(QStringLiteral("pages"));
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setSingleStep(24);
    setFocusPolicy(Qt::StrongFocus);
}

ReportPageView::~ReportPageView() = default;

double ReportPageView::paperWidth() const {
    return m_doc.pageLayout().fullRect(QPageLayout::Millimeter).width() * m_zoom;
}

double ReportPageView::paperHeight() const {
    return m_doc.pageLayout().fullRect(QPageLayout::Millimeter).height() * m_zoom;
}

QRectF ReportPageView::pageRect(int index) const {
    const double contentWidth = paperWidth() + 2 * kGap;
    const double left = contentWidth <= viewport()->width()
                            ? (viewport()->width() - paperWidth()) / 2
                            : kGap - horizontalScrollBar()->value();
    const double top = kGap + index * pageStride() - verticalScrollBar()->value();
    return QRectF(left, top, paperWidth(), paperHeight());
}

// Scroll positions are whole pixels; a scroll bar holds 2^31 of them: at the largest zoom
// still some 300,000 pages.
void ReportPageView::updateScrollBars() {
    const double height = kGap + pageCount() * pageStride();
    const double width = paperWidth() + 2 * kGap;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, int(qMin(2e9, qMax(0.0, std::ceil(height) - viewport()->height()))));
    v->setPageStep(viewport()->height());
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, int(qMax(0.0, std::ceil(width) - viewport()->width())));
    h->setPageStep(viewport()->width());
}

// Where in the view the current page is read: the middle, or the middle of the first page's
// height when pages are smaller than the view.
double ReportPageView::anchor() const {
    return qMin(double(viewport()->height()), pageStride()) / 2;
}

int ReportPageView::currentPage() const {
    if (pageCount() == 0) return -1;
    const double at = verticalScrollBar()->value() + anchor();
    return qBound(0, int(at / pageStride()), pageCount() - 1);
}

void ReportPageView::showPage(int index) {
    if (pageCount() == 0) return;
    index = qBound(0, index, pageCount() - 1);
    verticalScrollBar()->setValue(int(index * pageStride()));
    noteCurrentPage();
}

void ReportPageView::noteCurrentPage() {
    const int page = currentPage();
    if (page == m_current) return;
    m_current = page;
    Q_EMIT currentPageChanged(page);
}

// The spot of the page at the view's top stays there as the zoom changes.
void ReportPageView::applyZoom(double pixelsPerMm) {
    pixelsPerMm = qBound(kMinZoom, pixelsPerMm, kMaxZoom);
    const double pages = verticalScrollBar()->value() / pageStride();
    m_zoom = pixelsPerMm;
    updateScrollBars();
    verticalScrollBar()->setValue(int(std::lround(pages * pageStride())));
    viewport()->update();
    Q_EMIT zoomChanged(m_zoom);
    noteCurrentPage();
}

void ReportPageView::setZoom(double pixelsPerMm) {
    m_fitWidth = false;
    applyZoom(pixelsPerMm);
}

void ReportPageView::fitWidth() {
    m_fitWidth = true;
    const double paperMm = m_doc.pageLayout().fullRect(QPageLayout::Millimeter).width();
    applyZoom(qMax(1, viewport()->width() - 2 * kGap) / paperMm);
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_fitWidth)
        fitWidth();
    else
        updateScrollBars();
}

void ReportPageView::scrollContentsBy(int, int) {
    viewport()->update();
    noteCurrentPage();
}

void ReportPageView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    p.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (pageCount() == 0) return;
    const int top = verticalScrollBar()->value();
    const int first = qMax(0, int((top - kGap) / pageStride()));
    const int last = qMin(pageCount() - 1, int((top + viewport()->height()) / pageStride()));
    int painted = 0;
    for (int i = first; i <= last; ++i) {
        const QRectF paper = pageRect(i);
        if (!paper.intersects(QRectF(event->rect()))) continue;
        m_painter->paintOnPaper(p, i, paper);
        ++painted;
    }
    const bool firstTime = m_painted == 0 && painted > 0;
    m_painted = painted;
    if (firstTime) Q_EMIT pagesShown();
}

}  // namespace tallyport
