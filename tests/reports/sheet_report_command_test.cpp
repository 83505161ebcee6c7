// `tallyport report KIND-sheet --xls FILE | --xlsx FILE`: the options the spreadsheet reports
// take, and the real program writing them.
#include "app/report_command.h"
#include "support/console_process.h"
#include "support/store_fixture.h"
#include "support/workbook_reader.h"

#include <QDir>
#include <QProcess>

namespace tallyport {
namespace {

ReportRequest parse(const QString& line) {
    return parseReportArguments(line.split(u' ', Qt::SkipEmptyParts), QDate(2026, 1, 7));
}

TEST(SheetReportArguments, KindsAndTheirOptions) {
    const ReportRequest r = parse(QStringLiteral(
        "pairs-sheet --xlsx out.xlsx --sheet-per-person --persons list --dates last-month "
        "--per-line 6 --blank-lines"));
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    ASSERT_TRUE(r.sheet);
    EXPECT_EQ(*r.sheet, SheetReport::Pairs);
    EXPECT_EQ(r.sheetFile, QStringLiteral("out.xlsx"));
    EXPECT_EQ(r.sheetFormat, WorkbookFormat::Xlsx);
    EXPECT_TRUE(r.scope.newPage && r.scope.blankLines);
    EXPECT_EQ(r.scope.records, RecordsOfInterest::InOut);  // preset, as in the dialog
    EXPECT_EQ(r.scope.recordsPerLine, 6);
    EXPECT_FALSE(parse(QStringLiteral("logs-sheet --xls a.xls")).scope.newPage);
    EXPECT_EQ(*parse(QStringLiteral("late-early-sheet --xls a")).sheet, SheetReport::LateEarly);
    for (const char* bad :
         {"filo-sheet", "filo-sheet --xls a --xlsx b", "filo-sheet --xls a --per-line 4",
          "pairs-sheet --xls a --records all", "late-early-sheet --xls a --records inout",
          "logs-sheet --xls a --pdf b.pdf", "logs-sheet --xls a --hours 09:00-17:00",
          "logs-sheet --xls a --day 2026-01-05", "logs-sheet --xls a --new-page",
          "time-logs --xls a", "filo --sheet-per-person"})
        EXPECT_FALSE(parse(QString::fromLatin1(bad)).error.isEmpty()) << bad;
}

class SheetReportProgram : public test::StoreFixture {
protected:
    int run(QStringList args) {
        QProcess p;
        p.setProgram(test::BuiltProgram(QStringLiteral("tallyport")));
        p.setArguments(QStringList{QStringLiteral("report")} + args +
                       QStringList{QStringLiteral("--data-dir"), dir.path()});
        p.start();
        if (!p.waitForFinished(60000)) return -1;
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    QString target(const QString& name) const { return out.filePath(name); }
    QTemporaryDir out;
    QString err;
};

TEST_F(SheetReportProgram, WritesTheWorkbook) {
    const QString path = target(QStringLiteral("filo.xlsx"));
    EXPECT_EQ(run({QStringLiteral("filo-sheet"), QStringLiteral("--xlsx"), path}), 1);
    EXPECT_EQ(err.trimmed(), QStringLiteral("No record."));
    EXPECT_FALSE(QFile::exists(path));
    addStaff(101, QStringLiteral("JOHN SMITH"), 1);
    addStaff(102, QStringLiteral("JOHN SMITH"), 1);
    addLog(QStringLiteral("2026-01-05 08:00:00"), 101, 1);
    addLog(QStringLiteral("2026-01-05 17:00:00"), 101, 2);
    ASSERT_EQ(run({QStringLiteral("filo-sheet"), QStringLiteral("--xlsx"), path,
                   QStringLiteral("--dates"), QStringLiteral("all"), QStringLiteral("--records"),
                   QStringLiteral("inout"), QStringLiteral("--sheet-per-person")}),
              0)
        << err.toStdString();
    const auto book = test::readWorkbook(path);
    ASSERT_EQ(book.sheetNames(), QStringList({"JOHN_SMITH", "JOHN_SMITH (2)"}));
    EXPECT_EQ(book.sheets[0].row(0), QStringList({"DATE", "IN", "OUT", "STATUS"}));
    EXPECT_EQ(book.sheets[0].row(1), QStringList({"2026-01-05", "08:00:00", "17:00:00", "OK"}));
    EXPECT_EQ(book.sheets[1].rowCount(), 1u);

    // A group that does not exist is an error, as for the printed reports; nobody on the pick
    // list with a sheet per person writes nothing.
    EXPECT_EQ(
        run({QStringLiteral("logs-sheet"), QStringLiteral("--xls"), target(QStringLiteral("g.xls")),
             QStringLiteral("--persons"), QStringLiteral("group:NIGHT")}),
        1);
    EXPECT_EQ(run({QStringLiteral("logs-sheet"), QStringLiteral("--xls"),
                   target(QStringLiteral("l.xls")), QStringLiteral("--persons"),
                   QStringLiteral("list"), QStringLiteral("--sheet-per-person")}),
              0);
    EXPECT_EQ(err.trimmed(), QStringLiteral("Nobody in the scope: nothing written."));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("filo.xlsx")});
}

}  // namespace
}  // namespace tallyport
