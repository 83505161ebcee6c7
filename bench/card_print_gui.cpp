// Identity cards and the member list of a 2,000-holder site, every holder with a photo of its
// own and three remark lines: reading the holders with their photos, the card sheet as PDF,
// one sheet painted as the preview paints it, and the member list laid out and written as PDF.
#include "app/headless_operator.h"
#include "bench_support.h"
#include "reports/ui/card_pages.h"
#include "reports/ui/member_list_pages.h"
#include "store/data_module.h"
#include "store/photo_codec.h"
#include "store/photo_transform.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

constexpr int kHolders = 2000;

// Photos that differ from holder to holder, so no two compress alike.
bool fillHolders(DataModule& data) {
    Transaction tx(data.src());
    auto st = data.src().prepare(QStringLiteral(
        "INSERT INTO staffs(CARDNO, NAME, WORKGRP, MEMO, PHOTO) VALUES (?, ?, 1, ?, ?)"));
    if (!st) return false;
    for (int i = 1; i <= kHolders; ++i) {
        Picture photo(kCardPhotoWidth, kCardPhotoHeight);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x) {
                std::uint8_t* p = photo.row(y) + 3 * x;
                p[0] = std::uint8_t(x + i), p[1] = std::uint8_t(y * 2 + i),
                p[2] = std::uint8_t(x ^ y);
            }
        st->reset();
        st->bindAll(100000 + i, QStringLiteral("Holder %1").arg(i, 4, 10, QLatin1Char('0')),
                    QStringLiteral("Department %1\nBadge B-%2\nParking level %3, space %4")
                        .arg(i % 12)
                        .arg(i)
                        .arg(i % 3)
                        .arg(i % 90),
                    encodeJpeg(photo).value());
        if (!st->step()) return false;
    }
    return bool(tx.commit());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    if (!data.prepareDataFolder().value_or(false) || !data.OpenDatabases()) return 1;
    if (!fillHolders(data)) return std::fprintf(stderr, "fill failed\n"), 1;

    auto t0 = std::chrono::steady_clock::now();
    auto holders = selectCardHolders(data.src(), StaffScope::All, 0);
    if (!holders) return 1;
    std::printf("%-40s %7.3f s  (%zu holders)\n", "holders with photos read", secondsSince(t0),
                holders->size());

    for (CardStyle style : {CardStyle::Horizontal, CardStyle::Vertical}) {
        CardPrintJob job{CardSettings{}, {}, *holders};
        job.settings.style = style;
        ClearPhoto(job.pictures.background);
        ClearPhoto(job.pictures.logo);
        const CardSheetDocument doc(job);
        const QString pdf = dir.filePath(QStringLiteral("cards.pdf"));
        t0 = std::chrono::steady_clock::now();
        const auto written = writeReportPdf(doc, pdf);
        std::printf("%-40s %7.3f s  (%d sheets, %lld bytes) %s\n",
                    style == CardStyle::Horizontal ? "card sheet PDF, horizontal"
                                                   : "card sheet PDF, vertical",
                    secondsSince(t0), doc.pageCount(), qlonglong(QFileInfo(pdf).size()),
                    written ? "" : qPrintable(written.error().text));
        // The preview at the page width of a 1080-pixel-high screen, first and last sheet.
        QImage screen(840, 1188, QImage::Format_RGB32);
        const auto painter = doc.makePainter();
        t0 = std::chrono::steady_clock::now();
        constexpr int kPaints = 20;
        for (int i = 0; i < kPaints; ++i) {
            QPainter p(&screen);
            painter->paintOnPaper(p, i % 2 ? doc.pageCount() - 1 : 0, QRectF(screen.rect()));
        }
        std::printf("%-40s %7.2f ms per sheet (photos decoded once)\n", "  preview paint",
                    secondsSince(t0) * 1000 / kPaints);
    }

    std::vector<MemberRow> rows;
    for (int copy = 0; copy < 5; ++copy)
        for (const CardHolder& h : *holders)
            rows.push_back({h.cardNo + copy * kHolders, h.name, QStringLiteral("DEFAULT"),
                            h.remarks[0] + QLatin1Char('\n') + h.remarks[1] +
                                QStringLiteral(", a remark long enough to wrap in its column")});
    t0 = std::chrono::steady_clock::now();
    auto list = layoutMemberList(rows, QDateTime::currentDateTime());
    if (!list) return 1;
    std::printf("%-40s %7.3f s  (%zu holders, %d pages)\n", "member list laid out",
                secondsSince(t0), rows.size(), list->pageCount());
    const QString pdf = dir.filePath(QStringLiteral("members.pdf"));
    t0 = std::chrono::steady_clock::now();
    const auto written = writeReportPdf(*list, pdf);
    std::printf("%-40s %7.3f s  (%lld bytes) %s\n", "member list PDF", secondsSince(t0),
                qlonglong(QFileInfo(pdf).size()), written ? "" : qPrintable(written.error().text));
    return 0;
}
