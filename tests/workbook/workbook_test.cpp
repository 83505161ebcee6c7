// The two workbook writers, read back by an independent reader (python3-xlrd).
#include "workbook/workbook.h"
#include "support/temp_data.h"
#include "support/workbook_reader.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace tallyport {
namespace {

using test::ReadCell;
using test::readWorkbook;

class WorkbookFormats : public ::testing::TestWithParam<WorkbookFormat> {
protected:
    QString file(const QString& base) const {
        return dir.file(base + (GetParam() == WorkbookFormat::Xlsx ? QStringLiteral(".xlsx")
                                                                   : QStringLiteral(".xls")));
    }
    std::unique_ptr<Workbook> open(const QString& path) {
        auto wb = Workbook::create(path, GetParam());
        EXPECT_TRUE(wb.has_value()) << (wb ? "" : wb.error().text.toStdString());
        return wb ? std::move(*wb) : nullptr;
    }
    // What is left in the folder besides the named files: temporary files must not stay.
    QStringList leftovers() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    test::TempDataDir dir;
};

// Each kind of cell comes back as written: texts in any script (a string longer than a
// record of its own included), whole and fractional numbers, dates, times, empty cells.
TEST_P(WorkbookFormats, CellsReadBackExactly) {
    const QString path = file(QStringLiteral("cells"));
    auto wb = open(path);
    ASSERT_TRUE(wb);
    const QString longText = QString(QStringLiteral("Ω0123456789")).repeated(900);  // 9,900 chars
    ASSERT_TRUE(
        wb->addSheet(QStringLiteral("RECORDS"), {QStringLiteral("TEXT"), QStringLiteral("NUMBER"),
                                                 QStringLiteral("DATE"), QStringLiteral("TIME")}));
    ASSERT_TRUE(wb->newRow());
    wb->setText(0, QStringLiteral("Zoë Ångström"));
    wb->setNumber(1, 123);
    wb->setDate(2, QDate(2024, 3, 5));
    wb->setTime(3, (14 * 3600 + 7 * 60 + 9) * 1000);
    ASSERT_TRUE(wb->newRow());
    wb->setText(0, QStringLiteral("東京 Ωμέγα"));
    wb->setNumber(1, -7);
    wb->setDate(2, QDate(1900, 3, 1));
    wb->setTime(3, 0);
    ASSERT_TRUE(wb->newRow());
    wb->setText(0, longText);
    wb->setNumber(1, 2.5);
    wb->setNumber(2, 3e9);      // past what an integer cell record holds
    ASSERT_TRUE(wb->newRow());  // nothing set: an empty row
    ASSERT_TRUE(wb->newRow());
    wb->setText(0, QString());
    wb->setTime(3, 86'399'000);
    ASSERT_TRUE(wb->commit());

    const auto book = readWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.sheetNames(), QStringList{QStringLiteral("RECORDS")});
    const auto& s = book.sheets[0];
    EXPECT_EQ(s.row(0), QStringList({"TEXT", "NUMBER", "DATE", "TIME"}));
    EXPECT_EQ(s.row(1), QStringList({"Zoë Ångström", "123", "2024-03-05", "14:07:09"}));
    EXPECT_EQ(s.row(2), QStringList({"東京 Ωμέγα", "-7", "1900-03-01", "00:00:00"}));
    EXPECT_EQ(s.row(3), QStringList({longText, "2.5", "3000000000"}));
    EXPECT_EQ(s.row(5), QStringList({"", "", "", "23:59:59"}));
    ASSERT_GE(s.rowCount(), 5u);
    EXPECT_EQ(s.rowCount(), 6u);
    EXPECT_EQ(s.rows[1][0].kind, ReadCell::Text);
    EXPECT_EQ(s.rows[1][1].kind, ReadCell::Number);
    EXPECT_EQ(s.rows[1][2].kind, ReadCell::Date);
    EXPECT_EQ(s.rows[1][3].kind, ReadCell::Time);
    EXPECT_EQ(s.rows[4][0].kind, ReadCell::Empty);
    EXPECT_EQ(leftovers(), QStringList{QFileInfo(path).fileName()});
}

// Thousands of distinct texts fill the shared strings past many continuation records, in
// both character widths; every cell still finds its own text.
TEST_P(WorkbookFormats, ManyDistinctTextsKeepTheirPlaces) {
    const QString path = file(QStringLiteral("texts"));
    auto wb = open(path);
    ASSERT_TRUE(wb);
    ASSERT_TRUE(wb->addSheet(QStringLiteral("T"), {QStringLiteral("A"), QStringLiteral("B")}));
    auto textOf = [](int i) {
        return (i % 3 ? QStringLiteral("name %1 ").arg(i) : QStringLiteral("имя %1 ").arg(i))
            .repeated(1 + i % 7);
    };
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(wb->newRow());
        wb->setText(0, textOf(i));
        wb->setText(1, textOf(i / 2));  // used again
    }
    ASSERT_TRUE(wb->commit());
    const auto book = readWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    const auto& s = book.sheets.at(0);
    ASSERT_EQ(s.rowCount(), 3001u);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(s.row(size_t(i) + 1), QStringList({textOf(i), textOf(i / 2)})) << i;
}

// Sheet names are made valid and unique: two people whose names give the same sheet name
// get two sheets.
TEST_P(WorkbookFormats, SheetNamesAreValidAndDistinct) {
    const QString path = file(QStringLiteral("names"));
    auto wb = open(path);
    ASSERT_TRUE(wb);
    for (const char* name : {"JOHN_SMITH", "JOHN_SMITH", "john_smith", "a/b:c?d*e[f]g\\h",
                             "A name far longer than thirty-one characters", ""}) {
        ASSERT_TRUE(wb->addSheet(QString::fromUtf8(name), {QStringLiteral("DATE")}));
        ASSERT_TRUE(wb->newRow());
        wb->setDate(0, QDate(2026, 1, 5));
    }
    ASSERT_TRUE(wb->commit());
    const QStringList expected = {"JOHN_SMITH",
                                  "JOHN_SMITH (2)",
                                  "john_smith (3)",
                                  "a_b_c_d_e_f_g_h",
                                  "A name far longer than thirty-o",
                                  "_"};
    EXPECT_EQ(wb->sheetNames(), expected);
    const auto book = readWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_EQ(book.sheetNames(), expected);
    for (const auto& s : book.sheets)
        EXPECT_EQ(s.row(1), QStringList{"2026-01-05"}) << s.name.toStdString();
}

// A workbook dropped before commit() leaves nothing behind, and an older file of the same
// name stays exactly as it was.
TEST_P(WorkbookFormats, DroppedWorkbookLeavesTheOldFile) {
    const QString path = file(QStringLiteral("old"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older contents");
    }
    {
        auto wb = open(path);
        ASSERT_TRUE(wb);
        ASSERT_TRUE(wb->addSheet(QStringLiteral("S"), {QStringLiteral("A")}));
        for (int i = 0; i < 70000; ++i) {
            ASSERT_TRUE(wb->newRow());
            wb->setNumber(0, i);
        }
    }
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("older contents"));
    EXPECT_EQ(leftovers(), QStringList{QFileInfo(path).fileName()});
}

TEST_P(WorkbookFormats, FolderThatCannotBeWrittenIsAnError) {
    const auto wb = Workbook::create(dir.file(QStringLiteral("missing/out.xls")), GetParam());
    ASSERT_FALSE(wb.has_value());
    EXPECT_FALSE(wb.error().text.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Both, WorkbookFormats,
                         ::testing::Values(WorkbookFormat::Xls, WorkbookFormat::Xlsx),
                         [](const auto& info) {
                             return info.param == WorkbookFormat::Xls ? "Xls" : "Xlsx";
                         });

TEST(WorkbookFormat, ChosenByTheFileName) {
    EXPECT_EQ(workbookFormatOf(QStringLiteral("/a/log.xlsx")), WorkbookFormat::Xlsx);
    EXPECT_EQ(workbookFormatOf(QStringLiteral("/a/LOG.XLSX")), WorkbookFormat::Xlsx);
    EXPECT_EQ(workbookFormatOf(QStringLiteral("/a/log.xls")), WorkbookFormat::Xls);
    EXPECT_EQ(workbookFormatOf(QStringLiteral("/a/log")), WorkbookFormat::Xls);
}

}  // namespace
}  // namespace tallyport

namespace tallyport {
namespace {

// LibreOffice (scripts/install-deps installs it) opens our .xls and shows every sheet as written.
TEST(XlsInLibreOffice, EverySheetAsWritten) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice is not installed: run scripts/install-deps";
    test::TempDataDir dir;
    const QString path = dir.file(QStringLiteral("book.xls"));
    auto wb = Workbook::create(path, WorkbookFormat::Xls);
    ASSERT_TRUE(wb);
    for (const char* sheet : {"RECORDS", "Zoë"}) {
        ASSERT_TRUE((*wb)->addSheet(QString::fromUtf8(sheet),
                                    {QStringLiteral("DATE"), QStringLiteral("TIME"),
                                     QStringLiteral("CARDNO"), QStringLiteral("NAME")}));
        ASSERT_TRUE((*wb)->newRow());
        (*wb)->setDate(0, QDate(2024, 3, 5));
        (*wb)->setTime(1, (14 * 3600 + 7 * 60 + 9) * 1000);
        (*wb)->setNumber(2, 123);
        (*wb)->setText(3, QStringLiteral("Ann, \"Ωμέγα\""));
    }
    ASSERT_TRUE((*wb)->commit());
    QProcess lo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());  // a profile of its own
    lo.setProcessEnvironment(env);
    lo.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                       QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,"
                                      "false,false,false,-1"),
                       QStringLiteral("--outdir"), dir.path(), path});
    ASSERT_TRUE(lo.waitForFinished(120000));
    for (const char* sheet : {"RECORDS", "Zoë"}) {
        QFile csv(dir.file(QStringLiteral("book-%1.csv").arg(QString::fromUtf8(sheet))));
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << sheet;
        EXPECT_EQ(csv.readAll(), QByteArray("DATE,TIME,CARDNO,NAME\n"
                                            "2024-03-05,14:07:09,123,\"Ann, \"\"Ωμέγα\"\"\"\n"))
            << sheet;
    }
}

}  // namespace
}  // namespace tallyport
