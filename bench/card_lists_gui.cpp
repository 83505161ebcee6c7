// Opening the card information list and the pick list over 10,000 card holders, each with a
// stored photo: the lists read three columns and only the selected holder's photo.
#include "app/headless_operator.h"
#include "staff/staff_rows.h"
#include "staff/ui/card_info_dialog.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/data_module.h"
#include "store/photo_codec.h"

#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tallyport;

namespace {

constexpr int kHolders = 10000;
constexpr int kRuns = 5;

QByteArray samplePhoto() {
    Picture p(240, 320);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width() * 3; ++x) p.row(y)[x] = std::uint8_t((x * 7 + y * 3) & 0xff);
    return encodeJpeg(p).value();
}

bool fill(Database& src) {
    const QByteArray photo = samplePhoto();
    Transaction tx(src);
    auto st = src.prepare(
        QStringLiteral("insert into staffs(CARDNO,NAME,WORKGRP,PICKED,PHOTO) values (?,?,?,?,?)"));
    if (!st) return false;
    for (int i = 1; i <= kHolders; ++i) {
        st->bindAll(100000 + i, QStringLiteral("Holder %1").arg((i * 7919) % kHolders), 1 + i % 2,
                    i % 3 == 0, photo);
        if (!st->step() || !st->reset()) return false;
    }
    return bool(tx.commit());
}

template <typename Dialog, typename Make>
double medianOpenMs(Make make) {
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        {
            std::unique_ptr<Dialog> d = make();
            d->show();
            QApplication::processEvents();  // the first paint of the grid included
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        QApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The list query alone, to tell the store's share from the widgets'.
double medianQueryMs(Database& src, std::optional<bool> picked) {
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        const auto rows = loadStaffRows(src, QStringLiteral("NAME"), picked);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!rows) return -1;
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

long peakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir config, folder;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", config.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(folder.path());
    if (!data.prepareDataFolder().value_or(false) || !data.OpenDatabases()) return 1;
    const bool filled =
        data.src().run(QStringLiteral("insert into gid(id,descx) values (2,'NIGHT')")) &&
        fill(data.src());
    if (!filled) {
        std::fprintf(stderr, "cannot fill the holders\n");
        return 1;
    }
    const long before = peakRssKb();
    const double cardInfo = medianOpenMs<CardInfoDialog>([&] {
        return std::make_unique<CardInfoDialog>(data.src(), op, [](int) { return false; });
    });
    const double pickList = medianOpenMs<PickListDialog>(
        [&] { return std::make_unique<PickListDialog>(data.src(), op); });
    std::printf("card_lists: %d holders with photos, median of %d opens (target < 300 ms)\n",
                kHolders, kRuns);
    std::printf("  card information list open: %8.1f ms\n", cardInfo);
    std::printf("  pick list open (two grids): %8.1f ms\n", pickList);
    std::printf("  of which the queries: all %.1f ms, picked %.1f ms, not picked %.1f ms\n",
                medianQueryMs(data.src(), std::nullopt), medianQueryMs(data.src(), true),
                medianQueryMs(data.src(), false));
    std::printf("  peak RSS: %ld KB after filling, %ld KB after the opens\n", before, peakRssKb());
    return 0;
}
