#include "reports/ui/report_preview.h"

#include "base/long_work.h"
#include "reports/report_pdf_file.h"
#include "reports/ui/report_page_view.h"
#include "reports/ui/report_printing.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace tallyport {

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kScreenShare = 0.9;  // of the screen's free area

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// The printer dialog offers all pages, a range of them or the page in view.
std::unique_ptr<QPrinter> systemPrinter(QWidget* owner, const QPageLayout& layout, int pages) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPageLayout(layout);
    QPrintDialog dialog(printer.get(), owner);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setMinMax(1, std::max(pages, 1));
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return printer;
}

}  // namespace

ReportPreview::ReportPreview(std::unique_ptr<PagedDocument> doc, Operator& op, QWidget* owner)
    : QDialog(owner), m_doc(std::move(doc)), m_op(op) {
    m_choosePrinter = [layout = m_doc->pageLayout(), pages = m_doc->pageCount()](QWidget* window) {
        return systemPrinter(window, layout, pages);
    };
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(m_doc->title());
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_view = new ReportPageView(*m_doc, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeToolBar());
    layout->addWidget(m_view, 1);
    connect(m_view, &ReportPageView::currentPageChanged, this, &ReportPreview::showPageNumber);
    connect(m_view, &ReportPageView::zoomChanged, this, &ReportPreview::showZoom);
    placeOnScreen(owner);
    m_view->setFocus();
}

ReportPreview::ReportPreview(ReportDocument doc, Operator& op, QWidget* owner)
    : ReportPreview(std::make_unique<ReportDocument>(std::move(doc)), op, owner) {}

ReportPreview::~ReportPreview() = default;

QWidget* ReportPreview::makeToolBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    auto* print = button(bar, "bPrint", QStringLiteral("&Print..."));
    auto* pdf = button(bar, "bSavePdf", QStringLiteral("Save as P&DF..."));
    auto* first = button(bar, "bFirst", QStringLiteral("|<"));
    auto* previous = button(bar, "bPrevious", QStringLiteral("<"));
    m_page = new QSpinBox(bar);
    m_page->setObjectName(QStringLiteral("sePage"));
    m_page->setRange(1, qMax(1, m_doc->pageCount()));
    m_page->setSuffix(QStringLiteral(" of %1").arg(m_doc->pageCount()));
    m_page->setKeyboardTracking(false);
    auto* next = button(bar, "bNext", QStringLiteral(">"));
    auto* last = button(bar, "bLast", QStringLiteral(">|"));
    auto* zoomOut = button(bar, "bZoomOut", QStringLiteral("-"));
    m_zoom = new QLabel(bar);
    m_zoom->setObjectName(QStringLiteral("lZoom"));
    m_zoom->setMinimumWidth(m_zoom->fontMetrics().horizontalAdvance(QStringLiteral("0000 %")));
    m_zoom->setAlignment(Qt::AlignCenter);
    auto* zoomIn = button(bar, "bZoomIn", QStringLiteral("+"));
    auto* fit = button(bar, "bFitWidth", QStringLiteral("Page &Width"));
    auto* close = button(bar, "bClose", QStringLiteral("&Close"));
    for (QWidget* w : std::initializer_list<QWidget*>{print, pdf, first, previous, m_page, next,
                                                      last, zoomOut, m_zoom, zoomIn, fit})
        row->addWidget(w);
    row->addStretch(1);
    row->addWidget(close);
    connect(print, &QPushButton::clicked, this, &ReportPreview::print);
    connect(pdf, &QPushButton::clicked, this, &ReportPreview::savePdf);
    connect(first, &QPushButton::clicked, this, [this] { m_view->showPage(0); });
    connect(previous, &QPushButton::clicked, this,
            [this] { m_view->showPage(m_view->currentPage() - 1); });
    connect(next, &QPushButton::clicked, this,
            [this] { m_view->showPage(m_view->currentPage() + 1); });
    connect(last, &QPushButton::clicked, this,
            [this] { m_view->showPage(m_view->pageCount() - 1); });
    connect(m_page, &QSpinBox::valueChanged, this, [this](int n) { m_view->showPage(n - 1); });
    connect(zoomIn, &QPushButton::clicked, this,
            [this] { m_view->setZoom(m_view->zoom() * kZoomStep); });
    connect(zoomOut, &QPushButton::clicked, this,
            [this] { m_view->setZoom(m_view->zoom() / kZoomStep); });
    connect(fit, &QPushButton::clicked, m_view, &ReportPageView::fitWidth);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    return bar;
}

// Most of the screen the owner is on, centred: a window manager that ignores a maximise
// request leaves the preview at a size that reads, never a strip.
void ReportPreview::placeOnScreen(QWidget* owner) {
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect free = screen->availableGeometry();
    QRect r(0, 0, int(free.width() * kScreenShare), int(free.height() * kScreenShare));
    r.moveCenter(free.center());
    resize(r.size());
    move(r.topLeft());
    m_view->fitWidth();
}

void ReportPreview::showPageNumber(int index) {
    const QSignalBlocker quiet(m_page);
    m_page->setValue(index + 1);
}

// As a share of the paper's real size on a screen of 96 dots per inch.
void ReportPreview::showZoom(double pixelsPerMm) {
    m_zoom->setText(QStringLiteral("%1 %").arg(qRound(pixelsPerMm * 25.4 / 96 * 100)));
}

void ReportPreview::print() {
    const std::unique_ptr<QPrinter> printer = m_choosePrinter(this);
    if (!printer) return;
    prepareReportPrinter(*printer, *m_doc);
    printReport(*m_doc, *printer, m_op, m_view->currentPage());
}

void ReportPreview::savePdf() {
    const auto path = choosePdfFile(m_op, m_doc->title());
    if (!path) return;
    const PagedDocument& doc = *m_doc;
    const auto written = runLongWork<void>(
        m_op, m_doc->title(),
        [&doc, file = *path](WorkContext& work) { return writeReportPdf(doc, file, &work); });
    if (written) m_op.information(pdfWrittenText(*path));
}

}  // namespace tallyport
