// The four spreadsheet reports over a year of a 500-holder site (500 × 260 working days × 4
// records = 520,000 log rows), as the Spreadsheet menu runs them (connections of their own, all
// dates, one "all_records" sheet, two pairs to a row), next to a bare indexed scan of the same
// rows that reads each person's records in time order and nothing more.
#include "app/export_jobs.h"
#include "app/headless_operator.h"
#include "bench_log.h"
#include "bench_support.h"
#include "reports/time_table.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

void timeReport(const char* name, SheetReport report, RecordsOfInterest records, bool perPerson,
                const QString& folder, const std::vector<PersonRow>& persons, double scan,
                const QString& path) {
    SheetReportJob job;
    job.report = report;
    job.scope.dateChoice = DateChoice::All;
    job.scope.records = records;
    job.scope.recordsPerLine = 4;
    job.scope.newPage = perPerson;
    job.persons = persons;
    job.today = QDate(2026, 1, 5);
    job.path = path;
    job.format = workbookFormatOf(path);
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = cpuSeconds();
    const auto done = exportSheetReport(folder, job, nullptr);
    const double wall = secondsSince(t0), cpu = cpuSeconds() - c0;
    if (!done) {
        std::printf("%-44s failed: %s\n", name, qPrintable(done.error().text));
        return;
    }
    std::printf(
        "%-44s %6.2f s wall %6.2f s cpu  %4.1fx scan cpu  (%lld rows, %lld sheets, "
        "%lld bytes)\n",
        name, wall, cpu, cpu / scan, qlonglong(done->rows), qlonglong(done->sheets.size()),
        qlonglong(QFileInfo(path).size()));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    if (!data.prepareDataFolder().value_or(false) || !data.OpenDatabases()) return 1;
    auto t0 = std::chrono::steady_clock::now();
    if (!FillSiteYear(data)) return std::fprintf(stderr, "fill failed\n"), 1;
    if (!addTimePeriod(data.src(), 1, QTime(8, 0), QTime(12, 0)) ||
        !addTimePeriod(data.src(), 1, QTime(13, 0), QTime(17, 0)))
        return std::fprintf(stderr, "time table failed\n"), 1;
    std::printf("log filled: %lld rows in %.2f s\n", qlonglong(data.logCount()), secondsSince(t0));
    const auto persons = selectReportPersons(data.src(), PersonsChoice::All, QString());
    if (!persons) return 1;

    t0 = std::chrono::steady_clock::now();
    const double c0 = cpuSeconds();
    const qint64 rows = bareScan(data.att());
    const double scan = cpuSeconds() - c0;
    std::printf("%-44s %6.2f s wall %6.2f s cpu  (%lld rows)\n", "bare indexed scan",
                secondsSince(t0), scan, qlonglong(rows));
    const QString folder = dir.path();
    auto file = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    timeReport("First IN / Last OUT (IN/OUT), .xls", SheetReport::FirstLast,
               RecordsOfInterest::InOut, false, folder, *persons, scan, file("filo.xls"));
    timeReport("IN/OUT Pairs, .xls", SheetReport::Pairs, RecordsOfInterest::InOut, false, folder,
               *persons, scan, file("pairs.xls"));
    timeReport("Time Logs (All), .xls", SheetReport::TimeLogs, RecordsOfInterest::All, false,
               folder, *persons, scan, file("logs.xls"));
    timeReport("Late and Early Leave, .xls", SheetReport::LateEarly, RecordsOfInterest::InOut,
               false, folder, *persons, scan, file("late.xls"));
    timeReport("First IN / Last OUT, a sheet per person, .xls", SheetReport::FirstLast,
               RecordsOfInterest::InOut, true, folder, *persons, scan, file("filo_people.xls"));
    timeReport("First IN / Last OUT (IN/OUT), .xlsx", SheetReport::FirstLast,
               RecordsOfInterest::InOut, false, folder, *persons, scan, file("filo.xlsx"));
    return 0;
}
