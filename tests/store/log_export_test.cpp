// The log as lines of text: the line of every kind of row, the whole file, and the file left
// alone when the export cannot finish.
#include "store/log_export.h"
#include "base/long_work.h"
#include "store/export_file.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include <QDir>
#include <QFile>

namespace tallyport {
namespace {

class LogTextExport : public test::StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        addGroup(2, QStringLiteral("OFFICE"));
        addStaff(123, QStringLiteral("Ann Miller"), 2);
        addStaff(55, QStringLiteral("Bob Stone"), 9);  // a group that was deleted
        ASSERT_TRUE(
            data.src().run(QStringLiteral("UPDATE reader SET \"desc\" = 'Front door' "
                                          "WHERE PortNo = 3")));
    }
    void addRow(const QString& when, int card, int mode, int reader = 1, int lock = 0) {
        ASSERT_TRUE(data.att().run(
            QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
                           "VALUES (?, ?, ?, ?, ?)"),
            when, card, mode, reader, lock));
    }
    Result<qint64> write(const QString& path, std::optional<LogDays> days = {},
                         WorkContext* work = nullptr) {
        return writeLogText(data.att(), data.src(), path, days, 0, work);
    }
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
};

// Every kind of row, oldest first whatever order they were stored in.
TEST_F(LogTextExport, LinesOfEveryKindOfRow) {
    addRow(QStringLiteral("2024-03-05 14:07:09"), 123, 1);
    addRow(QStringLiteral("2024-03-05 08:00:00.250"), 7, 2);  // no holder; milliseconds
    addRow(QStringLiteral("2024-12-31 23:59:59"), 55, 0);     // holder of a deleted group
    addRow(QStringLiteral("2025-01-01 00:00:00"), 123, 5);    // a mode no reader sends
    addRow(QStringLiteral("2025-01-01 00:00:01"), -1, 0);     // a motion event: no card
    addRow(QStringLiteral("2025-01-01 00:00:01"), 1234567890, 2);
    const QString path = dir.file(QStringLiteral("log.txt"));
    ASSERT_EQ(write(path).value_or(-1), 6);
    EXPECT_EQ(contents(path),
              QByteArray("2024/Mar/05 08:00:00 000000007 \"[NO NAME]\" \"[NO GROUP]\" {OUT}\r\n"
                         "2024/Mar/05 14:07:09 000000123 \"Ann Miller\" \"OFFICE\" {IN}\r\n"
                         "2024/Dec/31 23:59:59 000000055 \"Bob Stone\" \"\" {CLOCK}\r\n"
                         "2025/Jan/01 00:00:00 000000123 \"Ann Miller\" \"OFFICE\" {N/A}\r\n"
                         "2025/Jan/01 00:00:01 -000000001 \"[NO NAME]\" \"[NO GROUP]\" {CLOCK}\r\n"
                         "2025/Jan/01 00:00:01 1234567890 \"[NO NAME]\" \"[NO GROUP]\" {OUT}\r\n"));
}

TEST_F(LogTextExport, DaysLimitTheRows) {
    for (const char* t : {"2024-03-04 23:59:59", "2024-03-05 00:00:00", "2024-03-06 23:59:59",
                          "2024-03-07 00:00:00"})
        addRow(QString::fromLatin1(t), 123, 1);
    const QString path = dir.file(QStringLiteral("days.txt"));
    ASSERT_EQ(write(path, LogDays{QDate(2024, 3, 5), QDate(2024, 3, 6)}).value_or(-1), 2);
    EXPECT_TRUE(contents(path).startsWith("2024/Mar/05 00:00:00"));
    EXPECT_EQ(write(path, LogDays{QDate(2024, 3, 7), QDate()}).value_or(-1), 1);
    EXPECT_EQ(write(path, LogDays{QDate(), QDate(2024, 3, 4)}).value_or(-1), 1);
}

// Nothing to write, a file that cannot be written, Cancel: the old file stays as it was and no
// temporary file is left beside it.
TEST_F(LogTextExport, OldFileUntouchedWhenTheExportCannotFinish) {
    const QString path = dir.file(QStringLiteral("old.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    auto empty = write(path);
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().text, msg::NoRecord);

    addRow(QStringLiteral("2024-03-05 14:07:09"), 123, 1);
    WorkContext cancelled;
    cancelled.cancel();
    auto stopped = write(path, {}, &cancelled);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().text, kWorkCancelled);

    auto locked = write(dir.file(QStringLiteral("no-such-folder/log.txt")));
    ASSERT_FALSE(locked);
    EXPECT_EQ(locked.error().text, kFileLocked);

    EXPECT_EQ(contents(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
}

// The export dialog: the folder of the named file is remembered whether or not a file was
// chosen; a name without an extension gets the kind's, and an existing file of that name is
// replaced only when the operator agrees.
TEST(ExportFileDialog, RemembersTheFolderAndCompletesTheName) {
    test::TempDataDir dir;
    test::ScriptedOperator op;
    ASSERT_TRUE(WriteSettingText(setting::LastDataPath, dir.path()));
    EXPECT_FALSE(ChooseExportFile(op, QStringLiteral("Export"), ExportFileKind::Text,
                                  QStringLiteral("log")));
    EXPECT_EQ(ReadSettingText(setting::LastDataPath, {}), dir.path());
    EXPECT_EQ(op.shown(),
              QStringList{QStringLiteral("save: Export | Text File (*.txt);;All File (*)")});

    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    op.answerFile(dir.file(QStringLiteral("sub/report")));
    EXPECT_EQ(ChooseExportFile(op, QStringLiteral("Export"), ExportFileKind::Spreadsheet,
                               QStringLiteral("log")),
              dir.file(QStringLiteral("sub/report.xls")));
    EXPECT_EQ(ReadSettingText(setting::LastDataPath, {}), dir.file(QStringLiteral("sub")));

    QFile(dir.file(QStringLiteral("sub/report.xls"))).open(QIODevice::WriteOnly);
    op.answerFile(dir.file(QStringLiteral("sub/report")));
    op.answerYesNo(false);
    EXPECT_FALSE(ChooseExportFile(op, QStringLiteral("Export"), ExportFileKind::Spreadsheet,
                                  QStringLiteral("log")));
    EXPECT_TRUE(op.saw(fileExistsQuestion(dir.file(QStringLiteral("sub/report.xls")))));
    op.answerFile(dir.file(QStringLiteral("sub/report.xlsx")));
    EXPECT_EQ(ChooseExportFile(op, QStringLiteral("Export"), ExportFileKind::Spreadsheet,
                               QStringLiteral("log")),
              dir.file(QStringLiteral("sub/report.xlsx")));
}

}  // namespace
}  // namespace tallyport
