// The card sheet and the member list as pages: what pdftotext reads on them, what a painted
// page shows where the pictures go, and how rows are wrapped and spread over pages.
#include "reports/ui/card_pages.h"
#include "reports/ui/member_list_pages.h"
#include "store/photo_codec.h"
#include "store/photo_transform.h"
#include "support/dialog_fixture.h"
#include "support/pdf_text.h"

#include <QImage>
#include <QPainter>

namespace tallyport::test {
namespace {

const QString kSixLines = QStringLiteral(
    "first remark\nsecond remark\nthird remark\n"
    "fourth remark\nfifth remark\nsixth remark");

CardHolder holder(int card, const QString& name, const QString& memo = {},
                  const QByteArray& photo = {}) {
    return {card, name, QStringLiteral("Office"), cardRemarks(memo), photo};
}

QByteArray jpegOf(int red, int green, int blue, int width = 240, int height = 320) {
    return encodeJpeg(
               Picture(width, height, std::uint8_t(blue), std::uint8_t(green), std::uint8_t(red)))
        .value();
}

// Page `index` painted at `pxPerMm` pixels per millimetre of paper.
QImage paintedPage(const PagedDocument& doc, int index, double pxPerMm) {
    const QSizeF paper = doc.pageLayout().fullRect(QPageLayout::Millimeter).size();
    QImage image(int(paper.width() * pxPerMm), int(paper.height() * pxPerMm), QImage::Format_RGB32);
    QPainter p(&image);
    doc.makePainter()->paintOnPaper(p, index, QRectF(QPointF(0, 0), paper * pxPerMm));
    p.end();
    return image;
}

// The colour at a point of a card, in millimetres from the card's top left corner.
QColor onCard(const QImage& page, CardStyle style, int card, double x, double y, double pxPerMm) {
    const CardPlace place = cardPlace(style, card);
    return page.pixelColor(int((kSheetMarginSide + place.left + x) * pxPerMm),
                           int((kSheetMarginTop + place.top + y) * pxPerMm));
}

bool near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 &&
           qAbs(a.blue() - b.blue()) < 40;
}

class CardPages : public DialogFixture {
protected:
    QString pdf() const { return dir.file(QStringLiteral("out.pdf")); }
    CardPrintJob job(std::vector<CardHolder> holders, CardStyle style = CardStyle::Horizontal) {
        CardPrintJob j;
        j.settings.style = style;
        ClearPhoto(j.pictures.background);
        ClearPhoto(j.pictures.logo);
        j.holders = std::move(holders);
        return j;
    }
    void expectSheets(const std::vector<CardHolder>& holders, CardStyle style, int sheets,
                      const QString& last) {
        ASSERT_TRUE(writeCardSheetPdf(job(holders, style), pdf()));
        const QStringList pages = PdfPages(pdf());
        ASSERT_EQ(pages.size(), sheets);
        EXPECT_TRUE(pages.last().contains(last));
        EXPECT_FALSE(pages.first().contains(last));
    }
};

TEST_F(CardPages, ACardPrintsItsFieldsAndTheFirstFourRemarkLinesCut) {
    const QString fifty = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn");
    CardPrintJob j = job({holder(1001, QStringLiteral("Ann Miller"), kSixLines),
                          holder(1002, QStringLiteral("Bob Stone"), fifty)});
    j.settings.remarkOn = {true, false, true, false};
    j.settings.remarkLabels = {QStringLiteral("Dept"), QStringLiteral("Unused"),
                               QStringLiteral("Badge"), QString()};
    ASSERT_TRUE(writeCardSheetPdf(j, pdf()));
    const QStringList pages = PdfPages(pdf());
    ASSERT_EQ(pages.size(), 1);
    const QString& page = pages[0];
    for (const char* text : {"STAFF CARD", "Card No.:", "Name:", "Group:", "1001", "Ann Miller",
                             "Office", "1002", "Bob Stone", "Dept:", "Badge:", "first remark",
                             "second remark", "third remark", "fourth remark"})
        EXPECT_TRUE(page.contains(QLatin1String(text))) << text << "\n" << page.toStdString();
    // Two cards' titles, the labels of the enabled remark lines only, values on every line.
    EXPECT_EQ(page.count(QStringLiteral("STAFF CARD")), 2);
    EXPECT_EQ(page.count(QStringLiteral("Dept:")), 2);
    EXPECT_FALSE(page.contains(QStringLiteral("Unused")));
    EXPECT_FALSE(page.contains(QStringLiteral("fifth remark")));
    EXPECT_FALSE(page.contains(QStringLiteral("sixth remark")));
    EXPECT_TRUE(page.contains(fifty.left(38)));
    EXPECT_FALSE(page.contains(fifty.left(39)));
}

TEST_F(CardPages, ElevenHorizontalCardsTakeTwoSheetsTenVerticalTwo) {
    std::vector<CardHolder> many;
    for (int i = 0; i < 11; ++i)
        many.push_back(holder(500 + i, QStringLiteral("Holder %1").arg(i)));
    expectSheets(many, CardStyle::Horizontal, 2, QStringLiteral("Holder 10"));
    many.pop_back();
    expectSheets(many, CardStyle::Vertical, 2, QStringLiteral("Holder 9"));
}

// A card whose holder has no photo, or bytes that are no picture, shows a blank photo area,
// never the photo of the card before it.
TEST_F(CardPages, TheSecondCardWithoutPhotoShowsNone) {
    const QByteArray red = jpegOf(255, 0, 0);
    CardPrintJob j = job({holder(1, QStringLiteral("With Photo"), {}, red),
                          holder(2, QStringLiteral("No Photo")),
                          holder(3, QStringLiteral("Bad Photo"), {}, QByteArray("not a jpeg")),
                          holder(4, QStringLiteral("Again"), {}, red)});
    j.pictures.background = Picture(85, 54, 255, 0, 0);  // blue
    const CardSheetDocument doc(std::move(j));
    const double px = 6;
    const QImage page = paintedPage(doc, 0, px);
    const CardLayout& card = cardLayout(CardStyle::Horizontal);
    const double x = card.photo.left + card.photo.width / 2;
    const double y = card.photo.top + card.photo.height / 2;
    EXPECT_TRUE(near(onCard(page, CardStyle::Horizontal, 0, x, y, px), Qt::red));
    EXPECT_TRUE(near(onCard(page, CardStyle::Horizontal, 1, x, y, px), Qt::white));
    EXPECT_TRUE(near(onCard(page, CardStyle::Horizontal, 2, x, y, px), Qt::white));
    EXPECT_TRUE(near(onCard(page, CardStyle::Horizontal, 3, x, y, px), Qt::red));
    // The background shows where nothing else is printed.
    EXPECT_TRUE(near(onCard(page, CardStyle::Horizontal, 1, 40, 52, px), Qt::blue));
}

// Without "Transparent Background" the value texts sit on white; with it the background shows
// through; labels never get a ground of their own.
TEST_F(CardPages, TransparencyOfTheValueTexts) {
    const double px = 12;
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        for (CardStyle style : {CardStyle::Horizontal, CardStyle::Vertical}) {
            CardPrintJob j = job({holder(88888888, QStringLiteral("WWWWWWWW"))}, style);
            j.settings.transparent = transparent;
            j.pictures.background = Picture(10, 10, 255, 0, 0);
            const CardSheetDocument doc(std::move(j));
            const QImage page = paintedPage(doc, 0, px);
            const CardText& value = cardLayout(style).fieldValues[0];
            // Just inside the box's top, above the digits.
            const QColor ground = onCard(page, style, 0, value.x + 0.6, value.top + 0.15, px);
            EXPECT_TRUE(near(ground, transparent ? QColor(Qt::blue) : QColor(Qt::white)));
            const CardText& label = cardLayout(style).fieldLabels[0];
            EXPECT_TRUE(near(onCard(page, style, 0, label.x - 0.5, label.top + 0.1, px), Qt::blue));
        }
    }
}

// A long remark is printed whole but kept on its own card: the card beside it stays clean.
TEST_F(CardPages, ALongRemarkStaysOnItsCard) {
    std::vector<CardHolder> holders;
    for (int i = 0; i < 6; ++i) holders.push_back(holder(i + 1, QStringLiteral("Holder")));
    holders[0].remarks[0] = QString(38, u'W');
    CardPrintJob j = job(std::move(holders));
    j.settings.frame = false;
    const CardSheetDocument doc(std::move(j));
    const double px = 8;
    const QImage page = paintedPage(doc, 0, px);
    const CardText& remark = cardLayout(CardStyle::Horizontal).remarkValues[0];
    // The gap between the columns and the left part of the card to the right.
    for (double x = 85.2; x < 95 + 2; x += 0.25)
        EXPECT_TRUE(near(onCard(page, CardStyle::Horizontal, 0, x, remark.top + 2, px), Qt::white))
            << x;
}

class MemberPages : public DialogFixture {
protected:
    QString pdf() const { return dir.file(QStringLiteral("list.pdf")); }
    const QDateTime printed{QDate(2026, 5, 4), QTime(7, 45, 0)};
};

TEST_F(MemberPages, NobodyGivesOnePageWithTheFrameOnly) {
    ASSERT_TRUE(writeMemberListPdf({}, pdf(), printed));
    const QStringList pages = PdfPages(pdf());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0], QStringLiteral("Time Attendance Member List Card No. Name Group Remark "
                                       "Printed on 2026-05-04 07:45:00 P.1"));
}

TEST_F(MemberPages, RemarksWrapInTheirColumnAndRowsStayWhole) {
    std::vector<MemberRow> rows;
    const QString longMemo = QStringLiteral(
        "badge collected at the front desk on the first day, parking space "
        "seventeen, keys to the north store room\nsecond line of %1.");
    for (int i = 0; i < 90; ++i)
        rows.push_back({2000 + i, QStringLiteral("Member %1").arg(i), QStringLiteral("Plant"),
                        i % 3 == 0 ? longMemo.arg(i) : QStringLiteral("short note %1").arg(i)});
    const auto doc = layoutMemberList(rows, printed);
    ASSERT_TRUE(doc);
    const MemberListDocument::Row& first = doc->rows()[0];
    EXPECT_GE(first.cells[3].size(), 4);  // wrapped, then the memo's second line
    EXPECT_EQ(first.cells[3].last(), QStringLiteral("second line of 0."));
    EXPECT_EQ(first.cells[3].join(u' ').simplified(), longMemo.arg(0).simplified());
    ASSERT_GE(doc->pageCount(), 2);

    ASSERT_TRUE(writeReportPdf(*doc, pdf()));
    const QStringList pages = PdfPages(pdf());
    ASSERT_EQ(pages.size(), doc->pageCount());
    for (int p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p + 1);
        EXPECT_TRUE(pages[p].contains(QStringLiteral("Card No. Name Group Remark")));
        EXPECT_TRUE(pages[p].contains(QStringLiteral("P.%1").arg(p + 1)));
        EXPECT_TRUE(pages[p].contains(QStringLiteral("Printed on 2026-05-04 07:45:00")));
    }
    // Every holder once, with the whole of a row on the page its card number is on.
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString card = QString::number(rows[i].cardNo);
        int found = 0;
        for (const QString& page : pages) {
            if (!page.contains(card + QStringLiteral(" Member ") + QString::number(i))) continue;
            ++found;
            if (i % 3 == 0) {
                EXPECT_TRUE(page.contains(QStringLiteral("second line of %1.").arg(i)));
            }
        }
        EXPECT_EQ(found, 1) << card.toStdString();
    }
}

// A remark taller than a page goes on over the next pages instead of being cut off.
TEST_F(MemberPages, ARowTallerThanAPageIsSplit) {
    QStringList lines;
    for (int i = 1; i <= 120; ++i) lines << QStringLiteral("note %1").arg(i);
    const auto doc = layoutMemberList({{1, QStringLiteral("Long"), QString(), lines.join(u'\n')},
                                       {2, QStringLiteral("After"), QString(), QString()}},
                                      printed);
    ASSERT_TRUE(doc);
    ASSERT_GE(doc->pageCount(), 2);
    int shown = 0;
    for (int p = 0; p < doc->pageCount(); ++p)
        for (const auto& piece : doc->page(p))
            if (piece.row == 0) shown += piece.lines;
    EXPECT_EQ(shown, 120);
}

}  // namespace
}  // namespace tallyport::test
