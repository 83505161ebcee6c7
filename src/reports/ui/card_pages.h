#pragma once

#include "reports/card_print.h"
#include "reports/ui/report_pages.h"

#include <QImage>
#include <memory>

namespace tallyport {

// The cards of a selection on A4 sheets, ready to cut out: no header, no footer. Laying out is
// arithmetic; each holder's photo is decoded when its page is painted, so a sheet of
// thousands of holders keeps only the stored JPEG bytes in memory.
class CardSheetDocument final : public PagedDocument {
public:
    explicit CardSheetDocument(CardPrintJob job);

    int pageCount() const override;
    // A4 portrait; margins 10 mm top and bottom, 15 mm left and right.
    QPageLayout pageLayout() const override;
    QString title() const override { return kCardSheetTitle; }
    std::unique_ptr<PagePainter> makePainter() const override;

    const CardPrintJob& job() const { return *m_job; }
    const QImage& background() const { return m_background; }
    const QImage& logo() const { return m_logo; }

private:
    std::shared_ptr<const CardPrintJob> m_job;
    QImage m_background;
    QImage m_logo;
};

// The sheet as a PDF file, written aside and renamed into place. Needs a QGuiApplication.
Result<void> writeCardSheetPdf(const CardPrintJob& job, const QString& path);

// A holder's photo as a card shows it: nothing when none is stored or the bytes are no JPEG
// picture (the photo area is then blank).
QImage cardPhotoImage(const QByteArray& stored);

}  // namespace tallyport
