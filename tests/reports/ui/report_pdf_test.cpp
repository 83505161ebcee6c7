// Report pages written as PDF and read back with pdftotext: what is printed, on which page.
#include "app/report_command.h"
#include "base/long_work.h"
#include "reports/ui/report_pages.h"
#include "support/console_process.h"
#include "support/pdf_text.h"
#include "support/store_fixture.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>

namespace tallyport {
namespace {

const QString kFiloOptions = QStringLiteral(
    "filo --dates all --records inout --time-format 1 --hours 09:00-17:00 "
    "--ot-min 15 --ot-multiple 5 --ot-free 0");

using test::PdfPages;

class ReportPdf : public test::StoreFixture {
protected:
    // Two holders, each with an IN and an OUT on every day of 70 days from 2026-01-05: one
    // detail line a day, more than one page holds.
    void addTwoMonths() {
        addStaff(101, QStringLiteral("Ann Miller"), 1);
        addStaff(102, QStringLiteral("Bob Stone"), 1);
        for (int d = 0; d < 70; ++d) {
            const QString day = QDate(2026, 1, 5).addDays(d).toString(Qt::ISODate);
            for (int card : {101, 102}) {
                addLog(day + QStringLiteral(" 08:55:00"), card, 1);
                addLog(day + QStringLiteral(" 17:40:00"), card, 2);
            }
        }
    }
    ReportContents build(const QString& options) {
        const ReportRequest r =
            parseReportArguments(options.split(u' ', Qt::SkipEmptyParts), QDate(2026, 3, 31));
        EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
        auto rc = buildReport(r.kind, r.scope, QDate(2026, 3, 31), data.att(), data.src());
        EXPECT_TRUE(rc) << rc.error().text.toStdString();
        return rc ? *rc : ReportContents{};
    }
    QString pdfPath() const { return dir.path() + QStringLiteral("/report.pdf"); }
};

int pageHolding(const QStringList& pages, const QString& line) {
    for (int i = 0; i < pages.size(); ++i)
        if (pages[i].contains(line.simplified())) return i + 1;
    return 0;
}

TEST_F(ReportPdf, EveryPageHasItsHeaderFooterAndItsOwnLines) {
    addTwoMonths();
    const ReportContents rc = build(kFiloOptions + QStringLiteral(" --new-page"));
    ASSERT_GT(rc.lines.size(), 140u);
    const QDateTime printed(QDate(2026, 4, 1), QTime(9, 30, 0));
    ASSERT_TRUE(writeReportPdf(rc, pdfPath(), printed));
    const QStringList pages = PdfPages(pdfPath());
    ASSERT_GE(pages.size(), 4) << "each holder's 70 lines take two pages";
    for (int i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(pages[i].contains(rc.title.simplified()));
        EXPECT_TRUE(pages[i].contains(rc.leftLabel.simplified()));
        EXPECT_TRUE(pages[i].contains(rc.rightLabel.simplified()));
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Printed on 2026-04-01 09:30:00")));
        EXPECT_TRUE(pages[i].contains(QStringLiteral("P.%1").arg(i + 1)));
        EXPECT_FALSE(pages[i].contains(QStringLiteral("P.%1").arg(i + 2)));
    }
    // The first holder's first day on page 1, the second holder on a new page.
    std::vector<const ReportLine*> details, persons, totals;
    for (const ReportLine& l : rc.lines) {
        if (l.band == Band::Detail) details.push_back(&l);
        if (l.band == Band::Person) persons.push_back(&l);
        if (l.band == Band::Total) totals.push_back(&l);
    }
    ASSERT_EQ(persons.size(), 2u);
    EXPECT_EQ(pageHolding(pages, details.front()->text), 1);
    EXPECT_EQ(pageHolding(pages, details[69]->text), 2);
    EXPECT_EQ(pageHolding(pages, persons[1]->text), 3);
    EXPECT_FALSE(pages[1].contains(persons[1]->text.simplified()));
    // The total line is wider than the text area: printed whole, not cut at the margin.
    ASSERT_FALSE(totals.empty());
    EXPECT_EQ(pageHolding(pages, totals.front()->text), 2);
}

TEST_F(ReportPdf, AFailedWriteLeavesNoFile) {
    addTwoMonths();
    const QString path = dir.path() + QStringLiteral("/missing/report.pdf");
    const auto written = writeReportPdf(build(kFiloOptions), path, QDateTime::currentDateTime());
    ASSERT_FALSE(written);
    EXPECT_TRUE(written.error().text.contains(path));
    EXPECT_FALSE(QFile::exists(path));
}

// Three pages whose painting cancels the work, as Cancel pressed while page `cancelAt` (from
// 0) is drawn.
class CancellingPages : public PagedDocument {
public:
    explicit CancellingPages(WorkContext& work, int cancelAt = 0)
        : m_work(work), m_cancelAt(cancelAt) {}
    int pageCount() const override { return 3; }
    QPageLayout pageLayout() const override { return reportPageLayout(); }
    QString title() const override { return QStringLiteral("Cancelled"); }
    std::unique_ptr<PagePainter> makePainter() const override {
        struct Painter : PagePainter {
            Painter(const QPageLayout& layout, WorkContext& work, int at)
                : PagePainter(layout), w(work), cancelAt(at) {}
            void paintPage(QPainter& p, int index) override {
                p.drawText(QPointF(100, 100), QString::number(index));
                if (index == cancelAt) w.cancel();
            }
            WorkContext& w;
            int cancelAt;
        };
        return std::make_unique<Painter>(pageLayout(), m_work, m_cancelAt);
    }

private:
    WorkContext& m_work;
    int m_cancelAt;
};

// A printer that prints to a file cannot drop a job: a cancelled print leaves no cut-short file,
// and one cancelled before it began opens none.
TEST_F(ReportPdf, ACancelledPrintToAFileLeavesNoFile) {
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before ? "cancelled before" : "cancelled on the first page");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath());
        WorkContext work;
        if (before) work.cancel();
        const auto printed = printReportPages(CancellingPages(work), printer, &work);
        ASSERT_FALSE(printed);
        EXPECT_EQ(printed.error().text, kWorkCancelled);
        EXPECT_FALSE(QFile::exists(pdfPath()));
    }
}

// Cancel pressed as the last page is drawn: the file is not written. Once it is written, a
// Cancel comes too late: the result (a file there) is handed back and told, never dropped.
TEST_F(ReportPdf, ACancelAfterTheLastPageNeverHidesAWrittenFile) {
    WorkContext work;
    const auto written = writeReportPdf(CancellingPages(work, 2), pdfPath(), &work);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().text, kWorkCancelled);
    EXPECT_FALSE(QFile::exists(pdfPath()));

    WorkContext other, done;  // not cancelled: from the commit on, a Cancel is not heard
    ASSERT_TRUE(writeReportPdf(CancellingPages(other), pdfPath(), &done));
    done.cancel();
    EXPECT_FALSE(done.cancelled());
    EXPECT_TRUE(QFile::exists(pdfPath()));
}

TEST_F(ReportPdf, TheProgramWritesThePdf) {
    addTwoMonths();
    QProcess p;
    p.setProgram(test::BuiltProgram(QStringLiteral("tallyport")));
    p.setArguments(
        QStringList{QStringLiteral("report")} + kFiloOptions.split(u' ', Qt::SkipEmptyParts) +
        QStringList{QStringLiteral("--pdf"), pdfPath(), QStringLiteral("--data-dir"), dir.path()});
    p.start();
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    const QStringList pages = PdfPages(pdfPath());
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("First In Last Out")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Jan 05, 2026 Mon - 08:55:00[IN] 17:40:00[OUT]")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Printed on ")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("P.2")));
}

}  // namespace
}  // namespace tallyport
