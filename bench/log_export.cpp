// The log export of a 2,000,000-row log, as the Database menu runs it (its own read-only
// connections, every card resolved to its holder): to text, to .xlsx beside a bare
// libxlsxwriter write of the same cells in the same run, and to .xls.
// Usage: bench_log_export [rows, default 2000000]
#include "app/export_jobs.h"
#include "app/headless_operator.h"
#include "bench_log.h"
#include "bench_support.h"
#include "store/log_texts.h"
#include "workbook/workbook.h"

#include <xlsxwriter.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

struct Timing {
    double wall = 0;
    double cpu = 0;
};

template <typename F>
Timing timed(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = cpuSeconds();
    f();
    return {secondsSince(t0), cpuSeconds() - c0};
}

// The cells of the export, read beforehand so that the bare write does nothing but write.
struct Cells {
    std::vector<double> date, time, card;
    std::vector<quint16> holder;
    std::vector<quint8> mode, reader;  // indexes into the texts below
    QList<QByteArray> names, modes, readers;
};

Cells readCells(Database& att) {
    Cells c;
    for (int i = 0; i < 500; ++i) c.names << QStringLiteral("Holder %1").arg(i).toUtf8();
    for (int m = 0; m < 3; ++m) c.modes << modeText(m).toUtf8();
    for (int r = 1; r <= 8; ++r) c.readers << QStringLiteral("COM%1").arg(r).toUtf8();
    auto st = att.prepare(QStringLiteral(
        "SELECT SYSTIME, CARDNO, MODE, READER FROM recorder ORDER BY SYSTIME, CARDNO"));
    while (st && st->step().value_or(false)) {
        const auto t = parseStoredTime(st->text(0));
        c.date.push_back(Workbook::serialDate(t->date()));
        c.time.push_back(double(t->msOfDay) / 86'400'000.0);
        c.card.push_back(st->integer(1));
        c.holder.push_back(quint16((st->integer(1) - 1000) % 500));
        c.mode.push_back(quint8(st->integer(2) % 3));
        c.reader.push_back(quint8((st->integer(3) - 1) % 8));
    }
    return c;
}

// libxlsxwriter alone: the same sheet, cells and formats, rows streamed as the export does.
bool bareXlsx(const Cells& c, const QString& path, const QString& tmpdir) {
    QByteArray dir = tmpdir.toUtf8();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = dir.data();
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* time = workbook_add_format(wb);
    format_set_num_format(time, "[hh]:mm:ss");
    const char* columns[] = {"DATE", "TIME", "CARDNO", "NAME", "GROUP", "MODE", "READER", "LOCK"};
    lxw_worksheet* ws = nullptr;
    lxw_row_t row = 0;
    for (size_t i = 0; i < c.date.size(); ++i, ++row) {
        if (!ws || row > 1048575) {
            ws = workbook_add_worksheet(wb, nullptr);
            for (lxw_col_t k = 0; k < 8; ++k) worksheet_write_string(ws, 0, k, columns[k], bold);
            row = 1;
        }
        worksheet_write_number(ws, row, 0, c.date[i], date);
        worksheet_write_number(ws, row, 1, c.time[i], time);
        worksheet_write_number(ws, row, 2, c.card[i], nullptr);
        worksheet_write_string(ws, row, 3, c.names[c.holder[i]].constData(), nullptr);
        worksheet_write_string(ws, row, 4, "DEFAULT", nullptr);
        worksheet_write_string(ws, row, 5, c.modes[c.mode[i]].constData(), nullptr);
        worksheet_write_string(ws, row, 6, c.readers[c.reader[i]].constData(), nullptr);
        worksheet_write_string(ws, row, 7, "DENIED", nullptr);
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

void report(const char* what, const Timing& t, qint64 rows, const QString& path) {
    std::printf("%-40s %7.2f s wall %7.2f s cpu  %9.0f rows/s  (%lld bytes)\n", what, t.wall, t.cpu,
                double(rows) / t.wall, qlonglong(QFileInfo(path).size()));
}

Timing exportTo(const QString& folder, LogExportKind kind, const QString& path, qint64 rows) {
    bool ok = false;
    const Timing t =
        timed([&] { ok = exportLog(folder, kind, path, std::nullopt, rows, nullptr).has_value(); });
    if (!ok) std::printf("export to %s failed\n", qPrintable(path));
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 2'000'000;
    QTemporaryDir dir;
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    if (!data.prepareDataFolder().value_or(false) || !data.OpenDatabases()) return 1;
    const auto t0 = std::chrono::steady_clock::now();
    if (!FillBenchLog(data, rows)) return std::fprintf(stderr, "fill failed\n"), 1;
    // The holders of the log's 500 cards.
    if (!data.src().exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 499) "
            "INSERT INTO staffs(CARDNO, NAME, WORKGRP) SELECT 1000 + i, 'Holder ' || i, 1 FROM n")))
        return 1;
    std::printf("log filled: %lld rows in %.1f s\n", qlonglong(data.logCount()), secondsSince(t0));
    const QString folder = dir.path();
    const qint64 n = data.logCount();

    report("text (target < 4 s)",
           exportTo(folder, LogExportKind::Text, dir.filePath(QStringLiteral("log.txt")), n), n,
           dir.filePath(QStringLiteral("log.txt")));
    // The machine is shared: each of the two is timed twice, in turn, and the better run kept.
    const Cells cells = readCells(data.att());
    const QString xlsxPath = dir.filePath(QStringLiteral("log.xlsx"));
    const QString barePath = dir.filePath(QStringLiteral("bare.xlsx"));
    Timing xlsx{1e9, 1e9}, bare{1e9, 1e9};
    for (int run = 0; run < 2; ++run) {
        const Timing x = exportTo(folder, LogExportKind::Xlsx, xlsxPath, n);
        const Timing b = timed([&] { bareXlsx(cells, barePath, folder); });
        xlsx = {std::min(xlsx.wall, x.wall), std::min(xlsx.cpu, x.cpu)};
        bare = {std::min(bare.wall, b.wall), std::min(bare.cpu, b.cpu)};
    }
    report(".xlsx (best of two)", xlsx, n, xlsxPath);
    report("  bare libxlsxwriter, same cells (best)", bare, n, barePath);
    std::printf("  .xlsx export / bare write: %.2fx wall, %.2fx cpu (target within 1.3x)\n",
                xlsx.wall / bare.wall, xlsx.cpu / bare.cpu);
    report(".xls", exportTo(folder, LogExportKind::Xls, dir.filePath(QStringLiteral("log.xls")), n),
           n, dir.filePath(QStringLiteral("log.xls")));
    return 0;
}
