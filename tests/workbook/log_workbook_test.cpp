// The log as a workbook, read back by python3-xlrd: the row of every kind of log row, a log
// longer than a sheet, and the blank template.
#include "workbook/log_workbook.h"
#include "store/messages.h"
#include "support/store_fixture.h"
#include "support/workbook_reader.h"

#include <QDir>

namespace tallyport {
namespace {

const QStringList kColumns = {"DATE", "TIME", "CARDNO", "NAME", "GROUP", "MODE", "READER", "LOCK"};

class LogWorkbook : public test::StoreFixture,
                    public ::testing::WithParamInterface<WorkbookFormat> {
protected:
    QString file() const {
        return dir.file(GetParam() == WorkbookFormat::Xlsx ? QStringLiteral("log.xlsx")
                                                           : QStringLiteral("log.xls"));
    }
    Result<LogWorkbookDone> write() {
        return writeLogWorkbook(data.att(), data.src(), file(), GetParam(), {}, 0, nullptr);
    }
};

TEST_P(LogWorkbook, RowsOfEveryKind) {
    addGroup(2, QStringLiteral("OFFICE"));
    addStaff(123, QStringLiteral("Ann Miller"), 2);
    addStaff(55, QStringLiteral("Bob Stone"), 9);  // a group that was deleted
    ASSERT_TRUE(
        data.src().run(QStringLiteral("UPDATE reader SET \"desc\" = 'Front door' "
                                      "WHERE PortNo = 3")));
    auto row = [this](const char* when, int card, int mode, int reader, int lock) {
        ASSERT_TRUE(data.att().run(
            QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
                           "VALUES (?, ?, ?, ?, ?)"),
            QString::fromLatin1(when), card, mode, reader, lock));
    };
    row("2024-03-05 14:07:09", 123, 1, 3, 3);
    row("2024-03-05 08:00:00", 7, 2, 1, 0);
    row("2024-03-06 23:59:59", 55, 5, 3, 9);
    const auto done = write();
    ASSERT_TRUE(done) << done.error().text.toStdString();
    EXPECT_EQ(done->rows, 3);
    const auto book = test::readWorkbook(file());
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.sheetNames(), QStringList{QStringLiteral("RECORDS")});
    const auto& s = book.sheets[0];
    ASSERT_EQ(s.rowCount(), 4u);
    EXPECT_EQ(s.row(0), kColumns);
    EXPECT_EQ(s.row(1), QStringList({"2024-03-05", "08:00:00", "7", "[NO NAME]", "[NO GROUP]",
                                     "OUT", "COM1", "DENIED"}));
    EXPECT_EQ(s.row(2), QStringList({"2024-03-05", "14:07:09", "123", "Ann Miller", "OFFICE", "IN",
                                     "Front door", "Front door"}));
    EXPECT_EQ(s.row(3), QStringList({"2024-03-06", "23:59:59", "55", "Bob Stone", "", "N/A",
                                     "Front door", "ERROR"}));
    EXPECT_EQ(s.rows[1][0].kind, test::ReadCell::Date);
    EXPECT_EQ(s.rows[1][1].kind, test::ReadCell::Time);
    EXPECT_EQ(s.rows[1][2].kind, test::ReadCell::Number);
}

TEST_P(LogWorkbook, EmptyLogWritesNothing) {
    const auto done = write();
    ASSERT_FALSE(done);
    EXPECT_EQ(done.error().text, msg::NoRecord);
    EXPECT_EQ(QDir(dir.path())
                  .entryList({QStringLiteral("*.xls*"), QStringLiteral(".*")},
                             QDir::Files | QDir::Hidden),
              QStringList());
}

INSTANTIATE_TEST_SUITE_P(Both, LogWorkbook,
                         ::testing::Values(WorkbookFormat::Xls, WorkbookFormat::Xlsx),
                         [](const auto& info) {
                             return info.param == WorkbookFormat::Xls ? "Xls" : "Xlsx";
                         });

// 70,000 rows do not fit on one .xls sheet (65,535 rows below the column names): the rest
// goes on "RECORDS (2)", every row read back in order. The file is past the size where the
// container needs its extra allocation sectors.
class LongLog : public test::StoreFixture {};

TEST_F(LongLog, SeventyThousandRowsFillTwoXlsSheets) {
    Transaction tx(data.att());
    ASSERT_TRUE(data.att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 69999) "
        "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) "
        "SELECT datetime('2024-01-01 00:00:00', '+' || (i * 60) || ' seconds'), i, 1, 1 FROM n")));
    ASSERT_TRUE(tx.commit());
    const QString path = dir.file(QStringLiteral("long.xls"));
    const auto done =
        writeLogWorkbook(data.att(), data.src(), path, WorkbookFormat::Xls, {}, 0, nullptr);
    ASSERT_TRUE(done) << done.error().text.toStdString();
    EXPECT_EQ(done->sheets, QStringList({"RECORDS", "RECORDS (2)"}));
    EXPECT_GT(QFileInfo(path).size(), 7 * 1024 * 1024);
    const auto book = test::readWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.sheetNames(), QStringList({"RECORDS", "RECORDS (2)"}));
    ASSERT_EQ(book.sheets[0].rowCount(), 65536u);
    ASSERT_EQ(book.sheets[1].rowCount(), 70000u - 65535u + 1u);
    EXPECT_EQ(book.sheets[1].row(0), kColumns);
    int card = 0;
    for (const auto& sheet : book.sheets)
        for (size_t r = 1; r < sheet.rowCount(); ++r, ++card)
            ASSERT_EQ(sheet.rows[r][2].text, QString::number(card)) << sheet.name.toStdString();
    EXPECT_EQ(card, 70000);
    EXPECT_EQ(book.sheets[1].row(4465).mid(0, 2), QStringList({"2024-02-18", "14:39:00"}));
}

TEST(BlankWorkbook, MadeWhenMissingAndLeftAloneOtherwise) {
    test::TempDataDir dir;
    ASSERT_TRUE(ensureBlankWorkbook(dir.path()));
    const QString path = dir.file(QStringLiteral("blank.xls"));
    const auto book = test::readWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.sheetNames(), QStringList{QStringLiteral("RECORDS")});
    EXPECT_EQ(book.sheets[0].rowCount(), 1u);
    EXPECT_EQ(book.sheets[0].row(0), kColumns);
    QFile(path).resize(10);  // an operator's own template is not replaced
    ASSERT_TRUE(ensureBlankWorkbook(dir.path()));
    EXPECT_EQ(QFileInfo(path).size(), 10);
}

}  // namespace
}  // namespace tallyport
