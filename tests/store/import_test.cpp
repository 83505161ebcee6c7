// Import of log rows and card holders from another database of the same kind.
#include "store/log_import.h"
#include "store/maintenance.h"
#include "store/maintenance_texts.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "store/staff_import.h"
#include "support/store_fixture.h"

#include <QFile>

namespace tallyport::test {
namespace {

QStringList texts(const Result<std::vector<QString>>& rows) {
    EXPECT_TRUE(rows.has_value());
    return rows ? QStringList(rows->begin(), rows->end()) : QStringList();
}

class Import : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        other.setDataFolder(otherDir.path());
        ASSERT_TRUE(other.prepareDataFolder().value_or(false));
        ASSERT_TRUE(other.OpenDatabases());
        data.setLogViewHook([this](bool hidden) { viewHeld << hidden; });
    }
    QString foreignLog() const { return otherDir.file(kLogFile); }
    QString foreignSystem() const { return otherDir.file(kSystemFile); }
    void addForeignLog(const QString& when, int card, int mode = 2, int reader = 3, int lock = 3) {
        ASSERT_TRUE(other.att().run(QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, "
                                                   "READER, LOCK) VALUES (?, ?, ?, ?, ?)"),
                                    when, card, mode, reader, lock));
    }
    QStringList liveLog() {
        return texts(data.att().query(
            QStringLiteral("SELECT SYSTIME || ' ' || CARDNO || ' ' || MODE || READER || LOCK "
                           "FROM recorder ORDER BY SYSTIME, rowid"),
            [](const Statement& st) { return st.text(0); }));
    }
    QStringList holders() {
        return texts(data.src().query(
            QStringLiteral("SELECT staffs.CARDNO || ' ' || NAME || ' ' || ifnull(descx, '?') || "
                           "' ' || length(ifnull(PHOTO, '')) || COM2 || MEMO FROM staffs "
                           "LEFT JOIN gid ON gid.id = WORKGRP ORDER BY staffs.CARDNO"),
            [](const Statement& st) { return st.text(0); }));
    }
    void addForeignGroup(int id, const QString& name,
                         const QString& from = QStringLiteral("07:00:00")) {
        ASSERT_TRUE(other.src().run(
            QStringLiteral("INSERT INTO gid(id, descx, wd_from_1, wd_to_1, sat_enable_1, ot_min) "
                           "VALUES (?, ?, ?, '15:00:00', 1, 30)"),
            id, name, from));
    }
    void addForeignHolder(int card, const QString& name, int group) {
        ASSERT_TRUE(other.src().run(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP, TIMEGRP, PHOTO, COM2, MEMO) "
                           "VALUES (?, ?, ?, 3, ?, 1, 'from the branch')"),
            card, name, group, QByteArray("\xff\xd8 photo", 8)));
    }
    QString summary() { return op.shown(QStringLiteral("information")).value(0); }

    TempDataDir otherDir;
    ScriptedOperator otherOp;
    DataModule other{otherOp};
    QList<bool> viewHeld;
};

TEST_F(Import, LogRowsAreMergedByWholeSecondAndCard) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    addLog(QStringLiteral("2024-03-01 09:00:00.750"), 6);
    addForeignLog(QStringLiteral("2024-03-01 08:00:00.400"), 5);  // the live row, to the second
    addForeignLog(QStringLiteral("2024-03-01 08:00:00.750"), 7);  // stored as 08:00:00
    addForeignLog(QStringLiteral("2024-03-01 08:00:00.750"),
                  7);  // equal rows: the second is a duplicate
    addForeignLog(QStringLiteral("2024-03-01 09:00:00.750"),
                  6);  // a live time with milliseconds is no match
    addForeignLog(QStringLiteral("2024-03-01 10:00:00"), 5);
    addForeignLog(QStringLiteral("yesterday noon"), 8);  // no time: errors, stored nowhere
    ASSERT_TRUE(other.att().run(QStringLiteral(
        "INSERT INTO recorder(SYSTIME, CARDNO) VALUES (x'323032342d30332d3031', 8)")));
    op.answerFile(foreignLog());
    ASSERT_TRUE(ImportLogRecords(data, op));
    EXPECT_EQ(op.shown(QStringLiteral("open")),
              QStringList{
                  QStringLiteral("Import Transaction Logs | Database File (*.db);;All File (*)")});
    EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{msg::ImportingLog});
    EXPECT_EQ(summary(), QStringLiteral("Added = 3 records\n\rDuplicated = 2 records\n\r"
                                        "Error = 2 records\n\r"));
    EXPECT_EQ(liveLog(), (QStringList{QStringLiteral("2024-03-01 08:00:00 5 110"),
                                      QStringLiteral("2024-03-01 08:00:00 7 233"),
                                      QStringLiteral("2024-03-01 09:00:00 6 233"),
                                      QStringLiteral("2024-03-01 09:00:00.750 6 110"),
                                      QStringLiteral("2024-03-01 10:00:00 5 233")}));
    EXPECT_EQ(data.logCount(), 5);
    EXPECT_EQ(ReadSettingText(setting::LogDbLastIn, {}), foreignLog());
    EXPECT_EQ(viewHeld, (QList<bool>{true, false}));  // the grid was hidden while it ran
}

TEST_F(Import, TheLiveLogsOwnBackupAddsNothing) {
    for (int i = 0; i < 3; ++i) addLog(QStringLiteral("2024-03-01 08:00:0%1").arg(i), 5);
    const QString backup = dir.file(QStringLiteral("backup.db"));
    ASSERT_TRUE(backupDatabaseTo(data, op, DbKind::Log, backup));
    op.clear();
    ASSERT_TRUE(importLogFrom(data, op, backup, false));
    EXPECT_EQ(summary(), QStringLiteral("Added = 0 records\n\rDuplicated = 3 records\n\r"));
    EXPECT_EQ(data.logCount(), 3);
    // The live file itself, open for the live recording all the while.
    op.clear();
    ASSERT_TRUE(importLogFrom(data, op, dir.file(kLogFile), false));
    EXPECT_EQ(summary(), QStringLiteral("Added = 0 records\n\rDuplicated = 3 records\n\r"));
    EXPECT_EQ(data.logCount(), 3);
}

TEST_F(Import, AFileOfAnotherKindIsRefusedAndNotRemembered) {
    WriteSettingText(setting::LogDbLastIn, QStringLiteral("/earlier.db"));
    WriteSettingText(setting::SysDbLastIn, QStringLiteral("/earlier-sys.db"));
    EXPECT_FALSE(importLogFrom(data, op, foreignSystem(), true));
    EXPECT_FALSE(importStaffFrom(data, op, foreignLog(), true));
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("error: Invalid Database"),
                                       QStringLiteral("error: Invalid Database")}));
    EXPECT_EQ(ReadSettingText(setting::LogDbLastIn, {}), QStringLiteral("/earlier.db"));
    EXPECT_EQ(ReadSettingText(setting::SysDbLastIn, {}), QStringLiteral("/earlier-sys.db"));
    EXPECT_TRUE(viewHeld.isEmpty());
}

// A page that no longer decrypts part-way through the foreign file.
TEST_F(Import, AForeignLogThatCannotBeReadSaysSoAndKeepsWhatWasAdded) {
    ASSERT_TRUE(other.att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60000) "
        "INSERT INTO recorder(SYSTIME, CARDNO) SELECT datetime('2024-01-01', '+' || i || ' "
        "minutes'), i FROM n")));
    other.CloseDatabases();
    {
        QFile f(foreignLog());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(f.size() * 2 / 3);
        f.write(QByteArray(8192, '\0'));
    }
    EXPECT_FALSE(importLogFrom(data, op, foreignLog(), false));
    const QStringList errors = op.shown(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(msg::LogUnreadable + foreignLog() + u'\n'));
    EXPECT_TRUE(op.shown(QStringLiteral("information")).isEmpty());
    EXPECT_EQ(data.logCount(),
              data.att().scalarInt(QStringLiteral("SELECT count(*) FROM recorder"))->value_or(-1));
}

TEST_F(Import, LogRowsCommitInBatchesWhileTheLiveRecordingWritesAndACancelKeepsThem) {
    ASSERT_TRUE(other.att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
        "INSERT INTO recorder(SYSTIME, CARDNO) SELECT datetime('2024-01-01', '+' || i || ' "
        "minutes'), i FROM n")));
    LogImport out;
    int batches = 0;
    importLogRows(foreignLog(), dir.file(kLogFile), out, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 20000);
        EXPECT_EQ(out.counts.added, done);                               // counted as committed
        addLog(QStringLiteral("2025-06-01 08:00:00"), 90000 + batches);  // a live punch
        ++batches;
        return false;  // Cancel after the first batch
    });
    EXPECT_TRUE(out.failure.isEmpty()) << out.failure.toStdString();
    EXPECT_EQ(batches, 1);
    EXPECT_GT(out.counts.added, 0);
    EXPECT_LT(out.counts.added, 20000);
    EXPECT_EQ(data.logCount(), out.counts.added + batches);
    // Run again to its end: what was added before counts as duplicated now.
    LogImport rest;
    importLogRows(foreignLog(), dir.file(kLogFile), rest);
    EXPECT_EQ(rest.counts.added + rest.counts.duplicated, 20000);
    EXPECT_EQ(rest.counts.duplicated, out.counts.added);
    EXPECT_EQ(data.logCount(), 20000 + batches);
}

// Whatever the foreign file holds, every row it holds is added, a duplicate or an error, alike
// by the bulk merge and by the row-by-row one (which a chunk takes when two of its rows are one
// to the second). The foreign table here has no types, as another program may have written it.
TEST_F(Import, EveryForeignRowIsAddedDuplicatedOrAnErrorAndOnlyValidRowsAreStored) {
    // SYSTIME, CARDNO, MODE, READER, LOCK as SQL values
    const char* const bad[] = {
        "x'F5F5', 1, 1, 1, 0",                // a blob
        "CAST(x'F5F5' AS TEXT), 1, 1, 1, 0",  // a text that sorts after every time
        "'2024-03-01 08:00:00' || CAST(x'F5' AS TEXT), 1, 1, 1, 0",
        "'12345', 1, 1, 1, 0",  // a day number to the engine
        "12345, 1, 1, 1, 0",
        "'2024-02-30 08:00:00', 1, 1, 1, 0",
        "'2023-02-29 08:00:00', 1, 1, 1, 0",
        "'2024-03-01 24:00:00', 1, 1, 1, 0",
        "'0000-01-01 08:00:00', 1, 1, 1, 0",
        "'2024-03-01T08:00:00', 1, 1, 1, 0",
        "'2024-03-01 08:00', 1, 1, 1, 0",
        "'2024-03-01 08:00:00.5', 1, 1, 1, 0",
        "' 2024-03-01 08:00:00', 1, 1, 1, 0",
        "NULL, 1, 1, 1, 0",
        "'2024-03-01 09:00:00', NULL, 1, 1, 0",
        "'2024-03-01 09:00:00', 'abc', 1, 1, 0",
        "'2024-03-01 09:00:00', 1.5, 1, 1, 0",
        "'2024-03-01 09:00:00', 2147483648, 1, 1, 0",
        "'2024-03-01 09:00:00', 1, 'abc', 1, 0",
        "'2024-03-01 09:00:00', 1, 1.5, 1, 0",
        "'2024-03-01 09:00:00', 1, '1', 1, 0",
        "'2024-03-01 09:00:00', 1, 256, 1, 0",
        "'2024-03-01 09:00:00', 1, -1, 1, 0",
        "'2024-03-01 09:00:00', 1, NULL, 1, 0",
        "'2024-03-01 09:00:00', 1, 1, -1, 0",
        "'2024-03-01 09:00:00', 1, 1, 9, 0",
        "'2024-03-01 09:00:00', 1, 1, NULL, 0",
        "'2024-03-01 09:00:00', 1, 1, 1, 9",
        "'2024-03-01 09:00:00', 1, 1, 1, -1",
        "'2024-03-01 09:00:00', 1, 1, 1, NULL",
    };
    const char* const good[] = {
        "'2024-02-29 08:00:00', 1, 0, 0, 0",  // the schema's default reader
        "'2024-03-01 08:00:00.750', -1, 127, 8, 8",
        "'0001-01-01 00:00:00', -2147483648, 255, 1, 0",
        "'9999-12-31 23:59:59', 2147483647, 2, 3, 3",
    };
    const QStringList stored = {
        QStringLiteral("'0001-01-01 00:00:00' -2147483648 255 1 0"),
        QStringLiteral("'2024-02-29 08:00:00' 1 0 0 0"),
        QStringLiteral("'2024-03-01 08:00:00' -1 127 8 8"),
        QStringLiteral("'9999-12-31 23:59:59' 2147483647 2 3 3"),
    };
    for (const bool rowByRow : {false, true}) {
        SCOPED_TRACE(rowByRow ? "row by row" : "bulk");
        ASSERT_TRUE(data.att().exec(QStringLiteral("DELETE FROM recorder")));
        ASSERT_TRUE(other.att().exec(QStringLiteral(
            "DROP TABLE recorder; CREATE TABLE recorder(SYSTIME, CARDNO, MODE, READER, LOCK)")));
        QStringList rows;
        for (const char* r : bad) rows << QString::fromLatin1(r);
        for (const char* r : good) rows << QString::fromLatin1(r);
        // Two rows that are one to the second send the whole chunk through the row path.
        if (rowByRow) rows << QStringLiteral("'2024-02-29 08:00:00.250', 1, 2, 2, 0");
        for (const QString& r : rows)
            ASSERT_TRUE(other.att().exec(QStringLiteral("INSERT INTO recorder VALUES (") + r +
                                         QStringLiteral(")")))
                << r.toStdString();
        LogImport out;
        importLogRows(foreignLog(), dir.file(kLogFile), out);
        EXPECT_TRUE(out.failure.isEmpty()) << out.failure.toStdString();
        EXPECT_EQ(out.counts.added, qint64(std::size(good)));
        EXPECT_EQ(out.counts.duplicated, rowByRow ? 1 : 0);
        EXPECT_EQ(out.counts.errors, qint64(std::size(bad)));
        EXPECT_EQ(texts(data.att().query(
                      QStringLiteral("SELECT quote(SYSTIME) || ' ' || quote(CARDNO) || ' ' || "
                                     "quote(MODE) || ' ' || quote(READER) || ' ' || quote(LOCK) "
                                     "FROM recorder ORDER BY SYSTIME"),
                      [](const Statement& st) { return st.text(0); })),
                  stored);
        EXPECT_EQ(data.logCount(), qint64(std::size(good)));
    }
}

// Rows that fail the test lie between the bounds of many chunks; none is lost or counted twice.
TEST_F(Import, RowsAreCountedOnceAcrossChunks) {
    ASSERT_TRUE(other.att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
        "INSERT INTO recorder(SYSTIME, CARDNO, READER) SELECT datetime('2024-01-01', '+' || "
        "(i / 2) || ' minutes') || CASE i % 4 WHEN 1 THEN CAST(x'F5' AS TEXT) WHEN 3 THEN '.5' "
        "ELSE '' END, i, 1 FROM n")));
    LogImport out;
    importLogRows(foreignLog(), dir.file(kLogFile), out);
    EXPECT_TRUE(out.failure.isEmpty()) << out.failure.toStdString();
    EXPECT_EQ(out.counts.added, 6000);
    EXPECT_EQ(out.counts.duplicated, 0);
    EXPECT_EQ(out.counts.errors, 6000);
    EXPECT_EQ(data.logCount(), 6000);
}

TEST_F(Import, StaffJoinKnownGroupsByNameAndMissingOnesAreCreatedOnce) {
    addGroup(4, QStringLiteral("OFFICE"));
    addStaff(100, QStringLiteral("ANNA"), 4);
    addForeignGroup(9, QStringLiteral("office"));  // another id, its own hours: matched by name
    addForeignGroup(12, QStringLiteral("NIGHT"), QStringLiteral("22:00:00"));
    addForeignGroup(13, QStringLiteral("UNUSED"));
    addForeignHolder(100, QStringLiteral("SOMEONE ELSE"), 12);  // a known card stays as it is
    addForeignHolder(101, QStringLiteral("ANNA"), 9);           // a name in use is no obstacle
    addForeignHolder(102, QStringLiteral("BERT"), 12);
    addForeignHolder(103, QStringLiteral("CARL"), 12);
    addForeignHolder(104, QStringLiteral("DORA"), 77);  // its group is missing there
    addForeignHolder(105, QStringLiteral("EMIL"), 78);
    op.answerFile(foreignSystem());
    ASSERT_TRUE(ImportStaffRecords(data, op));
    EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{msg::ImportingStaff});
    EXPECT_EQ(summary(), QStringLiteral("Group Added = 2 records\n\rStaff Added = 5 records\n\r"
                                        "Duplicated = 1 records\n\r"));
    EXPECT_EQ(holders(), (QStringList{QStringLiteral("100 ANNA OFFICE 00"),
                                      QStringLiteral("101 ANNA OFFICE 81from the branch"),
                                      QStringLiteral("102 BERT NIGHT 81from the branch"),
                                      QStringLiteral("103 CARL NIGHT 81from the branch"),
                                      QStringLiteral("104 DORA  81from the branch"),
                                      QStringLiteral("105 EMIL  81from the branch")}));
    // The new group has the foreign hours; a known one keeps its own.
    EXPECT_EQ(data.src()
                  .queryOne(QStringLiteral("SELECT wd_from_1 || wd_to_1 || sat_enable_1 || ot_min "
                                           "FROM gid WHERE descx = 'NIGHT'"),
                            [](const Statement& st) { return st.text(0); })
                  ->value_or(QString()),
              QStringLiteral("22:00:0015:00:00130"));
    EXPECT_EQ(*data.src().scalarInt(QStringLiteral("SELECT count(*) FROM gid")), 4);
    EXPECT_EQ(ReadSettingText(setting::SysDbLastIn, {}), foreignSystem());
    EXPECT_EQ(viewHeld, (QList<bool>{true, false}));
}

TEST_F(Import, StaffFromTheLiveFilesOwnBackupAreAllDuplicates) {
    addStaff(100, QStringLiteral("ANNA"), 1);
    addStaff(101, QStringLiteral("BERT"), 1);
    const QString backup = dir.file(QStringLiteral("sys-backup.db"));
    ASSERT_TRUE(backupDatabaseTo(data, op, DbKind::System, backup));
    op.clear();
    ASSERT_TRUE(importStaffFrom(data, op, backup, false));
    EXPECT_EQ(summary(), QStringLiteral("Staff Added = 0 records\n\rDuplicated = 2 records\n\r"));
}

}  // namespace
}  // namespace tallyport::test
