#include "reports/ui/card_pages.h"

#include "reports/ui/report_frame.h"
#include "store/photo_files.h"

#include <QFontMetricsF>
#include <QPainter>
#include <deque>
#include <unordered_map>

namespace tallyport {

namespace {

using report_frame::mm;

constexpr double kLineWidthMm = 0.2;
// What a text keeps clear of the card's edge.
constexpr double kEdgeMm = 1.0;
// Decoded photos a painter keeps: a few pages' worth, so scrolling back and forth in the
// preview does not decode them again.
constexpr size_t kPhotoCache = 40;

const QString kCardNoLabel = QStringLiteral("Card No.:");
const QString kNameLabel = QStringLiteral("Name:");
const QString kGroupLabel = QStringLiteral("Group:");

QImage imageOf(const Picture& picture) {
    if (picture.isEmpty()) return {};
    const QImage wrapped(picture.data(), picture.width(), picture.height(),
                         qsizetype(picture.stride()), QImage::Format_BGR888);
    return wrapped.convertToFormat(QImage::Format_RGB32);  // a copy of its own
}

QRectF mmRect(const MmRect& r) {
    return QRectF(mm(r.left), mm(r.top), mm(r.width), mm(r.height));
}

class CardPagePainter final : public PagePainter {
public:
    explicit CardPagePainter(const CardSheetDocument& doc)
        : PagePainter(doc.pageLayout()),
          m_doc(doc),
          m_job(doc.job()),
          m_card(cardLayout(m_job.settings.style)) {}

protected:
    void paintPage(QPainter& p, int index) override;

private:
    void paintCard(QPainter& p, int holder);
    void paintText(QPainter& p, const CardText& place, const QString& text, bool onWhite);
    const QImage& photo(int holder);

    const CardSheetDocument& m_doc;
    const CardPrintJob& m_job;
    const CardLayout& m_card;
    std::unordered_map<int, QImage> m_photos;
    std::deque<int> m_photoOrder;
};

void CardPagePainter::paintPage(QPainter& p, int index) {
    const CardSheetLayout sheet = cardSheetLayout(m_job.settings.style);
    const int first = index * sheet.perPage();
    const int end = std::min(int(m_job.holders.size()), first + sheet.perPage());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = first; i < end; ++i) {
        const CardPlace place = cardPlace(m_job.settings.style, i);
        p.save();
        p.translate(mm(place.left), mm(place.top));
        paintCard(p, i);
        p.restore();
    }
}

// The photo is looked up afresh for every card: a holder without a readable photo gets a blank
// area, never the picture of the card painted before.
void CardPagePainter::paintCard(QPainter& p, int holder) {
    const CardSettings& s = m_job.settings;
    const CardHolder& h = m_job.holders[size_t(holder)];
    const QRectF card(0, 0, mm(m_card.width), mm(m_card.height));
    p.drawImage(card, m_doc.background());
    const QPen line(Qt::black, mm(kLineWidthMm));
    if (s.frame) {
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        const double half = mm(kLineWidthMm) / 2;
        p.drawRect(card.adjusted(half, half, -half, -half));
    }
    if (s.titleOn) paintText(p, m_card.title, s.title, false);
    if (s.logoOn) p.drawImage(mmRect(m_card.logo), m_doc.logo());
    const QImage& picture = photo(holder);
    if (picture.isNull())
        p.fillRect(mmRect(m_card.photo), Qt::white);
    else
        p.drawImage(mmRect(m_card.photo), picture);
    const QString labels[] = {kCardNoLabel, kNameLabel, kGroupLabel};
    const QString values[] = {QString::number(h.cardNo), h.name, h.group};
    for (size_t i = 0; i < 3; ++i) {
        paintText(p, m_card.fieldLabels[i], labels[i], false);
        paintText(p, m_card.fieldValues[i], values[i], !s.transparent);
    }
    for (size_t i = 0; i < kCardRemarkLines; ++i) {
        if (s.remarkOn[i])
            paintText(p, m_card.remarkLabels[i], s.remarkLabels[i] + QLatin1Char(':'), false);
        paintText(p, m_card.remarkValues[i], h.remarks[i], !s.transparent);
    }
    p.setPen(line);
    for (double top : m_card.ruleTops)
        p.drawLine(QPointF(mm(m_card.ruleLeft), mm(top)),
                   QPointF(mm(m_card.ruleLeft + m_card.ruleLength), mm(top)));
}

// A text that would run past the card's edge, into the next card, is printed smaller.
void CardPagePainter::paintText(QPainter& p, const CardText& place, const QString& text,
                                bool onWhite) {
    if (text.isEmpty()) return;
    QFont font = report_frame::sansFont(place.points);
    const double room = place.rightAligned ? place.x - kEdgeMm : m_card.width - kEdgeMm - place.x;
    double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width > mm(room)) {
        font.setPixelSize(qMax(1, int(font.pixelSize() * mm(room) / width)));
        width = QFontMetricsF(font).horizontalAdvance(text);
    }
    const QFontMetricsF metrics(font);
    const double left = place.rightAligned ? mm(place.x) - width : mm(place.x);
    const QRectF box(left, mm(place.top), width, metrics.height());
    if (onWhite) p.fillRect(box, Qt::white);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(left, box.top() + metrics.ascent()), text);
}

const QImage& CardPagePainter::photo(int holder) {
    const auto known = m_photos.find(holder);
    if (known != m_photos.end()) return known->second;
    if (m_photoOrder.size() >= kPhotoCache) {
        m_photos.erase(m_photoOrder.front());
        m_photoOrder.pop_front();
    }
    m_photoOrder.push_back(holder);
    return m_photos[holder] = cardPhotoImage(m_job.holders[size_t(holder)].photo);
}

}  // namespace

QImage cardPhotoImage(const QByteArray& stored) {
    Picture picture;
    if (!LoadPhotoFromField(stored, picture)) return {};
    return imageOf(picture);
}

CardSheetDocument::CardSheetDocument(CardPrintJob job)
    : m_job(std::make_shared<const CardPrintJob>(std::move(job))),
      m_background(imageOf(m_job->pictures.background)),
      m_logo(imageOf(m_job->pictures.logo)) {}

int CardSheetDocument::pageCount() const {
    return cardSheetPages(m_job->settings.style, int(m_job->holders.size()));
}

QPageLayout CardSheetDocument::pageLayout() const {
    return QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(kSheetMarginSide, kSheetMarginTop, kSheetMarginSide, kSheetMarginTop),
        QPageLayout::Millimeter);
}

std::unique_ptr<PagePainter> CardSheetDocument::makePainter() const {
    return std::make_unique<CardPagePainter>(*this);
}

Result<void> writeCardSheetPdf(const CardPrintJob& job, const QString& path) {
    return writeReportPdf(CardSheetDocument(job), path);
}

}  // namespace tallyport
