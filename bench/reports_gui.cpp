// A year of a 500-holder site (500 × 260 working days × 4 records = 520,000 log rows): the
// First In / Last Out, 2-session and Total Hours Detail reports as text and as PDF pages, next
// to a bare indexed scan of the same rows, reading each person's records in time order and
// nothing more.
#include "app/headless_operator.h"
#include "bench_log.h"
#include "bench_support.h"
#include "reports/report_contents.h"
#include "reports/report_text.h"
#include "reports/ui/report_pages.h"
#include "store/data_module.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

// Text and PDF both start from the built contents: each figure is the build plus its own output.
void timeReport(const char* name, ReportKind kind, RecordsOfInterest records, DataModule& data,
                double scan, const QString& pdfPath) {
    ReportScope s;
    s.dateChoice = DateChoice::All;
    s.records = records;
    s.recordFormat = 1;
    s.hours.session1 = {9 * kHourMs, 12 * kHourMs};
    s.hours.session2 = {13 * kHourMs, 17 * kHourMs};
    auto t0 = std::chrono::steady_clock::now();
    double c0 = cpuSeconds();
    auto rc = buildReport(kind, s, QDate(2026, 1, 5), data.att(), data.src());
    const double buildWall = secondsSince(t0), buildCpu = cpuSeconds() - c0;
    t0 = std::chrono::steady_clock::now();
    c0 = cpuSeconds();
    const qsizetype chars = rc ? reportText(*rc).size() : 0;
    double wall = buildWall + secondsSince(t0), cpu = buildCpu + cpuSeconds() - c0;
    std::printf("%-36s %6.3f s wall %6.3f s cpu  %4.1fx scan cpu  (%zu lines, %lld chars)\n", name,
                wall, cpu, cpu / scan, rc ? rc->lines.size() : size_t(0), qlonglong(chars));
    if (!rc) return;
    t0 = std::chrono::steady_clock::now();
    c0 = cpuSeconds();
    const auto pdf = writeReportPdf(*rc, pdfPath, QDateTime::currentDateTime());
    wall = buildWall + secondsSince(t0);
    cpu = buildCpu + cpuSeconds() - c0;
    std::printf("%-36s %6.3f s wall %6.3f s cpu  %s (%lld bytes)\n", "  the same as PDF", wall, cpu,
                pdf ? "written" : qPrintable(pdf.error().text),
                qlonglong(QFileInfo(pdfPath).size()));
}

}  // namespace

int main(int argc, char** argv) {
    // Pages are drawn with fonts, which wants a GUI application; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    HeadlessOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    if (!data.prepareDataFolder().value_or(false) || !data.OpenDatabases()) return 1;
    auto t0 = std::chrono::steady_clock::now();
    if (!FillSiteYear(data)) return std::fprintf(stderr, "fill failed\n"), 1;
    std::printf("log filled: %lld rows in %.2f s\n", qlonglong(data.logCount()), secondsSince(t0));

    t0 = std::chrono::steady_clock::now();
    const double c0 = cpuSeconds();
    const qint64 rows = bareScan(data.att());
    const double scan = cpuSeconds() - c0;
    std::printf("%-36s %6.3f s wall %6.3f s cpu  (%lld rows)\n", "bare indexed scan",
                secondsSince(t0), scan, qlonglong(rows));
    timeReport("First In / Last Out (IN/OUT), text", ReportKind::Filo, RecordsOfInterest::InOut,
               data, scan, dir.filePath(QStringLiteral("filo.pdf")));
    timeReport("2-session (IN/OUT), text", ReportKind::TwoSession, RecordsOfInterest::InOut, data,
               scan, dir.filePath(QStringLiteral("two_session.pdf")));
    timeReport("Total Hours Detail (All), text", ReportKind::Detail, RecordsOfInterest::All, data,
               scan, dir.filePath(QStringLiteral("detail.pdf")));
    return 0;
}
