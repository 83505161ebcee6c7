#pragma once

#include "reports/ui/report_pages.h"

#include <QAbstractScrollArea>
#include <memory>

namespace tallyport {

// The pages of a laid-out document one below the other, as paper on a grey ground. Only the
// pages in view are painted, so a report of thousands of pages scrolls as lightly as one of a
// single page.
class ReportPageView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    ReportPageView(const PagedDocument& doc, QWidget* parent = nullptr);
    ~ReportPageView() override;

    int pageCount() const { return m_doc.pageCount(); }
    // The page being read, from 0: the one at the middle of the view.
    int currentPage() const;
    void showPage(int index);

    // Pixels per millimetre of paper.
    double zoom() const { return m_zoom; }
    void setZoom(double pixelsPerMm);
    // The page's width fills the view, now and as the view is resized.
    void fitWidth();
    bool fitsWidth() const { return m_fitWidth; }
    // The paper of page `index` in viewport coordinates.
    QRectF pageRect(int index) const;
    // How many pages the last paint showed: none before the view was first painted.
    int pagesPainted() const { return m_painted; }

Q_SIGNALS:
    void currentPageChanged(int index);
    void zoomChanged(double pixelsPerMm);
    // The first paint with a page on it.
    void pagesShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double paperWidth() const;
    double paperHeight() const;
    double pageStride() const { return paperHeight() + kGap; }
    double anchor() const;
    void updateScrollBars();
    void applyZoom(double pixelsPerMm);
    void noteCurrentPage();

    static constexpr int kGap = 12;
    const PagedDocument& m_doc;
    std::unique_ptr<PagePainter> m_painter;
    double m_zoom = 3;
    bool m_fitWidth = true;
    int m_current = -1;
    int m_painted = 0;
};

}  // namespace tallyport
