// The main window opened offscreen on a log of 2,000,000 rows: time until the newest row is
// selected and painted, peak memory, the time of jumps to the middle row and to the first, and
// the costs of the queries that the log model's design rests on.
#include "app/console.h"
#include "app/headless_operator.h"
#include "app/log_model.h"
#include "app/ui/log_grid.h"
#include "app/ui/main_window.h"
#include "bench_log.h"
#include "peak_memory.h"
#include "store/data_module.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace tallyport;

namespace {

constexpr int kRows = 2'000'000;

// Pairs of rows share a second; 400 of the 500 cards are held by someone in one of four groups.
bool fillLog(DataModule& data) {
    if (!FillBenchLog(data, kRows, 2)) return false;
    for (int g = 1; g <= 4; ++g)
        (void)data.src().run(QStringLiteral("INSERT INTO gid(id, descx) VALUES (?, ?)"), g,
                             QStringLiteral("GROUP %1").arg(g));
    Transaction staff(data.src());
    for (int c = 1000; c < 1400; ++c)
        (void)data.src().run(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (?, ?, ?)"), c,
            QStringLiteral("HOLDER %1").arg(c), 1 + c % 4);
    return staff.commit().has_value();
}

double cpuMs() {
    return std::clock() * 1000.0 / CLOCKS_PER_SEC;
}

// Selects a row, scrolls to it and paints the grid as the screen would.
bool showRow(QTableView* grid, int row) {
    grid->selectRow(row);
    grid->scrollTo(grid->model()->index(row, 0));
    grid->viewport()->grab();
    const QString text = grid->model()->data(grid->model()->index(row, 1)).toString();
    return grid->currentIndex().row() == row && !text.isEmpty();
}

void timed(const char* what, const std::function<bool()>& work) {
    QElapsedTimer t;
    const double cpu0 = cpuMs();
    t.start();
    const bool ok = work();
    std::printf("%s: %lld ms wall, %.0f ms cpu%s\n", what, static_cast<long long>(t.elapsed()),
                cpuMs() - cpu0, ok ? "" : "  (WRONG ROW)");
}

void queryCosts(Database& db) {
    const qint64 mid = kRows / 2;
    timed("  OFFSET n/2 on ORDER BY SYSTIME, rowid", [&] {
        return db
            .scalarInt(QStringLiteral("SELECT rowid FROM recorder ORDER BY SYSTIME, rowid "
                                      "LIMIT 1 OFFSET ?"),
                       mid)
            .has_value();
    });
    timed("  OFFSET n/2 on the covering index (SYSTIME only)", [&] {
        return db
            .scalarInt(QStringLiteral("SELECT length(SYSTIME) FROM recorder ORDER BY SYSTIME "
                                      "LIMIT 1 OFFSET ?"),
                       mid)
            .has_value();
    });
    timed("  one page of 128 rows from a known SYSTIME", [&] {
        auto st =
            db.prepare(QStringLiteral("SELECT * FROM recorder WHERE SYSTIME >= "
                                      "'2021-01-01' ORDER BY SYSTIME, rowid LIMIT 128"));
        int n = 0;
        while (st && st->step().value_or(false)) ++n;
        return n == 128;
    });
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir dir, config, runtime;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    HeadlessOperator op;
    {
        DataModule data(op);
        data.setDataFolder(dir.path());
        if (!data.prepareDataFolder() || !data.OpenDatabases() || !fillLog(data)) return 1;
        data.CloseDatabases();
    }
    std::printf("log rows: %d\n", kRows);
    const long before = peakKb();

    Console console(op, dir.path());
    std::unique_ptr<MainWindow> window;
    timed("open to newest row selected and painted (target < 1500)", [&] {
        window = std::make_unique<MainWindow>(console);
        window->show();
        window->grab();
        return showRow(window->logGrid(), kRows - 1) &&
               window->logGrid()->model()->rowCount() == kRows;
    });
    QTableView* grid = window->logGrid();
    timed("jump to the middle row", [&] { return showRow(grid, kRows / 2); });
    timed("jump to row 0", [&] { return showRow(grid, 0); });
    timed("jump to row 3n/4", [&] { return showRow(grid, kRows / 4 * 3); });
    timed("jump near the middle again", [&] { return showRow(grid, kRows / 2 + 5000); });
    timed("page down 100 times from the middle", [&] {
        bool ok = true;
        for (int i = 1; ok && i <= 100; ++i) ok = showRow(grid, kRows / 2 + i * 30);
        return ok;
    });
    timed("idle checkpoints across the log (slices on the event loop)", [&] {
        LogModel& model = window->logView()->model();
        while (!model.checkpointsDone()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return true;
    });
    timed("then a first jump to row n/3", [&] { return showRow(grid, kRows / 3); });
    timed("then a first jump to row 5n/8", [&] { return showRow(grid, kRows / 8 * 5); });
    timed("a stored row shown as the newest (refresh)", [&] {
        const auto r = console.data().att().run(QStringLiteral(
            "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) VALUES ('2030-01-01 08:00:00', "
            "1001, 1, 1)"));
        Q_EMIT console.logChanged();
        grid->viewport()->grab();
        return r && grid->currentIndex().row() == kRows;
    });
    std::printf("peak memory: %.1f MB (target < 200; %.1f MB before the window)\n",
                peakKb() / 1024.0, before / 1024.0);
    std::printf("query costs at n/2:\n");
    queryCosts(console.data().att());
    window.reset();
    return 0;
}
