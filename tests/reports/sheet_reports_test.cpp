// The spreadsheet reports, written to .xls and read back by python3-xlrd: the rows and
// statuses of each report, the day walk with blank rows, and the sheets per person.
#include "reports/sheet_reports.h"
#include "reports/time_table.h"
#include "support/store_fixture.h"
#include "support/workbook_reader.h"

namespace tallyport {
namespace {

using Rows = std::vector<QStringList>;

class SheetReports : public test::StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        addStaff(101, QStringLiteral("Ann"), 1);
        scope.dateChoice = DateChoice::Range;
        scope.from = QDate(2026, 1, 5);
        scope.to = QDate(2026, 1, 9);
        scope.records = RecordsOfInterest::InOut;
        scope.recordsPerLine = 4;
    }
    // "2026-01-05 08:00" IN, "... OUT", "... CLOCK"
    void punches(int card, std::initializer_list<const char*> list) {
        for (const char* p : list) {
            const QString s = QString::fromLatin1(p);
            const QString mode = s.section(u' ', 2);
            addLog(s.section(u' ', 0, 1) + QStringLiteral(":00"), card,
                   mode == QLatin1String("IN")    ? 1
                   : mode == QLatin1String("OUT") ? 2
                                                  : 0);
        }
    }
    test::ReadWorkbook run(SheetReport report) {
        const QString path = dir.file(QStringLiteral("report.xls"));
        auto persons = selectReportPersons(data.src(), scope.persons, scope.groupName);
        EXPECT_TRUE(persons);
        auto wb = Workbook::create(path, WorkbookFormat::Xls);
        EXPECT_TRUE(wb);
        if (!persons || !wb) return {};
        const auto done = writeSheetReport(report, scope, *persons, QDate(2026, 1, 20), data.att(),
                                           data.src(), **wb);
        EXPECT_TRUE(done) << (done ? "" : done.error().text.toStdString());
        EXPECT_TRUE((*wb)->commit());
        auto book = test::readWorkbook(path);
        EXPECT_TRUE(book.error.isEmpty()) << book.error.toStdString();
        return book;
    }
    // The rows of a sheet, column names first.
    static Rows rows(const test::ReadWorkbook& book, const QString& sheet = kEverybodySheet) {
        Rows out;
        const test::ReadSheet* s = book.sheet(sheet);
        EXPECT_NE(s, nullptr) << sheet.toStdString();
        if (!s) return out;
        for (size_t r = 0; r < s->rowCount(); ++r) out.push_back(s->row(r));
        return out;
    }
    ReportScope scope;
};

// Two pairs a row: both found and the day over is OK, a missing OUT is incomplete with what
// was found, a third pair is too much, a lone pair incomplete. CLOCK records never count.
TEST_F(SheetReports, PairsStatuses) {
    punches(101, {"2026-01-05 08:00 IN", "2026-01-05 10:00 CLOCK", "2026-01-05 12:00 OUT",
                  "2026-01-05 13:00 IN", "2026-01-05 17:00 OUT",  //
                  "2026-01-06 08:00 IN", "2026-01-06 12:00 OUT", "2026-01-06 13:00 IN",
                  "2026-01-07 08:00 IN", "2026-01-07 10:00 OUT", "2026-01-07 11:00 IN",
                  "2026-01-07 12:00 OUT", "2026-01-07 13:00 IN", "2026-01-07 17:00 OUT",
                  "2026-01-08 08:00 IN", "2026-01-08 17:00 OUT"});
    scope.records = RecordsOfInterest::All;  // the action presets IN/OUT; the report holds to it
    EXPECT_EQ(
        rows(run(SheetReport::Pairs)),
        Rows(
            {{"NAME", "GROUP", "DATE", "IN1", "OUT1", "IN2", "OUT2", "STATUS"},
             {"Ann", "DEFAULT", "2026-01-05", "08:00:00", "12:00:00", "13:00:00", "17:00:00", "OK"},
             {"", "", "2026-01-06", "08:00:00", "12:00:00", "13:00:00", "", "Incomplete"},
             {"", "", "2026-01-07", "08:00:00", "10:00:00", "11:00:00", "12:00:00", "Too much"},
             {"", "", "2026-01-08", "08:00:00", "17:00:00", "", "", "Incomplete"}}));
}

// By direction: only INs give the first IN and "No OUT"; only OUTs match nothing. By order
// (ALL): a day of one record has no LAST. Blank rows run to the last day of the range.
TEST_F(SheetReports, FirstInLastOut) {
    punches(101, {"2026-01-06 08:00 IN", "2026-01-06 09:00 IN",  //
                  "2026-01-07 07:00 OUT", "2026-01-07 17:00 OUT", "2026-01-08 08:30 IN",
                  "2026-01-08 12:00 OUT", "2026-01-08 16:45 OUT"});
    scope.blankLines = true;
    EXPECT_EQ(rows(run(SheetReport::FirstLast)),
              Rows({{"NAME", "GROUP", "DATE", "IN", "OUT", "STATUS"},
                    {"Ann", "DEFAULT", "2026-01-05", "", "", "No record"},
                    {"", "", "2026-01-06", "08:00:00", "No OUT"},
                    {"", "", "2026-01-07", "", "", "No matched"},
                    {"", "", "2026-01-08", "08:30:00", "16:45:00", "OK"},
                    {"", "", "2026-01-09", "", "", "No record"}}));

    scope.records = RecordsOfInterest::All;
    scope.blankLines = false;
    scope.from = scope.to = QDate(2026, 1, 9);
    addLog(QStringLiteral("2026-01-09 12:00:00"), 101, 0);
    EXPECT_EQ(rows(run(SheetReport::FirstLast)),
              Rows({{"NAME", "GROUP", "DATE", "FIRST", "LAST", "STATUS"},
                    {"Ann", "DEFAULT", "2026-01-09", "12:00:00", "No LAST"}}));
}

// Two times a row and exactly four records: two rows, the second without its date, and no
// empty row after them. A person without records gets a row for each day of the range when
// blank rows are asked for.
TEST_F(SheetReports, TimeLogsRowsAndBlankDays) {
    addStaff(102, QStringLiteral("Bob"), 1);
    punches(101, {"2026-01-06 08:00 IN", "2026-01-06 12:00 OUT", "2026-01-06 13:00 IN",
                  "2026-01-06 17:00 OUT", "2026-01-07 09:00 CLOCK"});
    scope.records = RecordsOfInterest::All;
    scope.recordsPerLine = 2;
    scope.to = QDate(2026, 1, 7);
    EXPECT_EQ(rows(run(SheetReport::TimeLogs)),
              Rows({{"NAME", "GROUP", "DATE", "TIME1", "TIME2"},
                    {"Ann", "DEFAULT", "2026-01-06", "08:00:00", "12:00:00"},
                    {"", "", "", "13:00:00", "17:00:00"},
                    {"", "", "2026-01-07", "09:00:00"}}));
    scope.blankLines = true;
    EXPECT_EQ(rows(run(SheetReport::TimeLogs)),
              Rows({{"NAME", "GROUP", "DATE", "TIME1", "TIME2"},
                    {"Ann", "DEFAULT", "2026-01-05"},
                    {"", "", "2026-01-06", "08:00:00", "12:00:00"},
                    {"", "", "", "13:00:00", "17:00:00"},
                    {"", "", "2026-01-07", "09:00:00"},
                    {"Bob", "DEFAULT", "2026-01-05"},
                    {"", "", "2026-01-06"},
                    {"", "", "2026-01-07"}}));
}

// IN/OUT Pairs gives blank days between records but none after the last one.
TEST_F(SheetReports, PairsBlankRowsStopAtTheLastRecord) {
    punches(101, {"2026-01-07 08:00 IN", "2026-01-07 17:00 OUT"});
    scope.blankLines = true;
    scope.recordsPerLine = 2;
    EXPECT_EQ(rows(run(SheetReport::Pairs)),
              Rows({{"NAME", "GROUP", "DATE", "IN1", "OUT1", "STATUS"},
                    {"Ann", "DEFAULT", "2026-01-05", "", "", "No record"},
                    {"", "", "2026-01-06", "", "", "No record"},
                    {"", "", "2026-01-07", "08:00:00", "17:00:00", "OK"}}));
}

// A sheet per person, named after the person, without NAME and GROUP columns; two people of
// one name get a sheet each.
TEST_F(SheetReports, SheetPerPerson) {
    addStaff(102, QStringLiteral("JOHN SMITH"), 1);
    addStaff(103, QStringLiteral("JOHN SMITH"), 1);
    punches(102, {"2026-01-05 08:00 IN", "2026-01-05 17:00 OUT"});
    punches(103, {"2026-01-06 09:00 IN", "2026-01-06 18:00 OUT"});
    scope.newPage = true;
    scope.recordsPerLine = 2;
    const auto book = run(SheetReport::Pairs);
    EXPECT_EQ(book.sheetNames(), QStringList({"Ann", "JOHN_SMITH", "JOHN_SMITH (2)"}));
    EXPECT_EQ(rows(book, QStringLiteral("Ann")), Rows({{"DATE", "IN1", "OUT1", "STATUS"}}));
    EXPECT_EQ(
        rows(book, QStringLiteral("JOHN_SMITH")),
        Rows({{"DATE", "IN1", "OUT1", "STATUS"}, {"2026-01-05", "08:00:00", "17:00:00", "OK"}}));
    EXPECT_EQ(
        rows(book, QStringLiteral("JOHN_SMITH (2)")),
        Rows({{"DATE", "IN1", "OUT1", "STATUS"}, {"2026-01-06", "09:00:00", "18:00:00", "OK"}}));
}

// Pairs placed in the group's periods with their lateness and early leave; a group without
// periods gives rows with the date only.
TEST_F(SheetReports, LateAndEarlyLeave) {
    addGroup(2, QStringLiteral("NIGHT"));
    addStaff(102, QStringLiteral("Bob"), 2);
    ASSERT_TRUE(addTimePeriod(data.src(), 1, QTime(8, 0), QTime(12, 0)));
    ASSERT_TRUE(addTimePeriod(data.src(), 1, QTime(13, 0), QTime(17, 0)));
    for (int card : {101, 102})
        punches(card, {"2026-01-05 08:10 IN", "2026-01-05 11:50 OUT", "2026-01-05 13:00 IN",
                       "2026-01-05 17:05 OUT",  //
                       "2026-01-06 12:30 IN", "2026-01-06 17:00 OUT"});
    EXPECT_EQ(
        rows(run(SheetReport::LateEarly)),
        Rows(
            {{"NAME", "GROUP", "DATE", "IN1", "LT1", "OUT1", "EL1", "IN2", "LT2", "OUT2", "EL2"},
             {"Ann", "DEFAULT", "2026-01-05", "08:10:00", "00:10:00", "11:50:00", "00:10:00",
              "13:00:00", "00:00:00", "17:05:00", "00:00:00"},
             {"", "", "2026-01-06", "", "", "", "", "12:30:00", "00:00:00", "17:00:00", "00:00:00"},
             {"Bob", "NIGHT", "2026-01-05"},
             {"", "", "2026-01-06"}}));
}

}  // namespace
}  // namespace tallyport
