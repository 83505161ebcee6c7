// Backup, restore, format and the erase commands, on files on disk with a scripted operator.
#include "store/maintenance.h"
#include "store/date_time.h"
#include "store/log_erase.h"
#include "store/log_texts.h"
#include "store/maintenance_texts.h"
#include "store/passwd.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include <QDir>
#include <QFile>

namespace tallyport::test {
namespace {

QStringList texts(const Result<std::vector<QString>>& rows) {
    EXPECT_TRUE(rows.has_value());
    return rows ? QStringList(rows->begin(), rows->end()) : QStringList();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Maintenance : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        data.setLogViewHook([this](bool hidden) { viewHeld << hidden; });
    }
    qint64 count(Database& db, const char* table) {
        return db.scalarInt(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table))
            ->value_or(-1);
    }
    QStringList logTimes() {
        return texts(
            data.att().query(QStringLiteral("SELECT SYSTIME FROM recorder ORDER BY SYSTIME"),
                             [](const Statement& st) { return st.text(0); }));
    }
    QString snapshot(const QString& time, int card) {
        return QDir(data.photoFolder()).filePath(snapshotNameOf(time, card));
    }
    void touch(const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("jpeg");
    }

    QList<bool> viewHeld;
};

TEST_F(Maintenance, BackupCopiesTheLiveFileAndRemembersWhereTo) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    const QString target = dir.file(QStringLiteral("copies/log.db"));
    QDir().mkpath(dir.file(QStringLiteral("copies")));
    op.answerFile(target);
    ASSERT_TRUE(BackupDatabase(data, op, DbKind::Log));
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("save: Backup Log Database | Database File "
                                                      "(*.db);;All File (*)"),
                                       QStringLiteral("work: Backup Log Database"),
                                       QStringLiteral("information: Completed.")}));
    EXPECT_EQ(ReadSettingText(setting::LogDbLast, {}), target);
    auto copy = Database::open(target, kLogKey, Database::Mode::ReadOnly);
    ASSERT_TRUE(copy);
    EXPECT_EQ(count(*copy, "recorder"), 1);
    // The recording was not stopped for it.
    EXPECT_TRUE(data.isOpen());
    EXPECT_TRUE(viewHeld.isEmpty());
}

TEST_F(Maintenance, BackupThatCannotBeWrittenSaysSoAndKeepsTheSetting) {
    WriteSettingText(setting::SysDbLast, QStringLiteral("/earlier.db"));
    for (const QString& target : {dir.file(QStringLiteral("missing/folder/sys.db")),
                                  dir.file(kLogFile), dir.file(kSystemTemplate)}) {
        op.clear();
        op.answerFile(target);
        EXPECT_FALSE(BackupDatabase(data, op, DbKind::System));
        const QStringList errors = op.shown(QStringLiteral("error"));
        ASSERT_EQ(errors.size(), 1) << target.toStdString();
        EXPECT_TRUE(errors[0].startsWith(msg::OperationFailed + u'\n'));
        EXPECT_FALSE(op.saw(msg::Completed));
    }
    EXPECT_EQ(ReadSettingText(setting::SysDbLast, {}), QStringLiteral("/earlier.db"));
    // Neither the live file nor a template was touched.
    EXPECT_TRUE(data.CheckDatabaseFile(dir.file(kLogFile), kLogKey));
    EXPECT_TRUE(data.CheckDatabaseFile(dir.file(kSystemTemplate), kSystemKey));
}

TEST_F(Maintenance, RestorePutsTheBackupInPlaceBetweenCloseAndReopen) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    const QString backup = dir.file(QStringLiteral("b.db"));
    op.answerFile(backup);
    ASSERT_TRUE(BackupDatabase(data, op, DbKind::Log));
    addLog(QStringLiteral("2024-03-02 08:00:00"), 6);
    op.clear();
    op.answerFile(backup);
    ASSERT_TRUE(RestoreDatabase(data, op, DbKind::Log));
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("open: Restore Log Database | Database File "
                                                      "(*.db);;All File (*)"),
                                       QStringLiteral("information: Completed.")}));
    EXPECT_EQ(logTimes(), QStringList{QStringLiteral("2024-03-01 08:00:00")});
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(ReadSettingText(setting::LogDbLast, {}), backup);
    EXPECT_EQ(viewHeld, (QList<bool>{true, false}));  // hidden while the files were closed
}

TEST_F(Maintenance, RestoreRefusesAFileOfTheOtherKindAndLeavesTheLiveFileAsItWas) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    data.CloseDatabases();
    const QByteArray live = readAll(dir.file(kLogFile));
    ASSERT_TRUE(data.ReopenDatabases());
    WriteSettingText(setting::LogDbLast, QStringLiteral("/earlier.db"));
    op.clear();
    op.answerFile(dir.file(kSystemFile));
    EXPECT_FALSE(RestoreDatabase(data, op, DbKind::Log));
    EXPECT_EQ(op.shown(QStringLiteral("error")), QStringList{msg::InvalidDatabase});
    EXPECT_FALSE(op.saw(msg::Completed));
    EXPECT_TRUE(data.isOpen());
    data.CloseDatabases();
    EXPECT_TRUE(readAll(dir.file(kLogFile)) == live);
    EXPECT_EQ(ReadSettingText(setting::LogDbLast, {}), QStringLiteral("/earlier.db"));
}

TEST_F(Maintenance, RestoreRefusesAFileNewerThanThisProgram) {
    const QString newer = dir.file(QStringLiteral("newer.db"));
    ASSERT_TRUE(QFile::copy(dir.file(kLogTemplate), newer));
    {
        auto db = Database::open(newer, kLogKey, Database::Mode::ReadWrite);
        ASSERT_TRUE(db && db->exec(QStringLiteral("PRAGMA user_version = 99")));
    }
    op.answerFile(newer);
    EXPECT_FALSE(RestoreDatabase(data, op, DbKind::Log));
    EXPECT_EQ(op.shown(QStringLiteral("error")), QStringList{msg::InvalidDatabase});
    EXPECT_TRUE(data.isOpen());  // the console goes on with its own file
}

TEST_F(Maintenance, FormatPutsTheTemplatesInPlaceAndEmptiesThePhotoFolder) {
    addGroup(4, QStringLiteral("NIGHT"));
    addStaff(7, QStringLiteral("ANNA"), 4);
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    ASSERT_TRUE(data.SetKeyValue(QStringLiteral("LOGINPWD"), QStringLiteral("AB")));
    ASSERT_TRUE(data.src().run(QStringLiteral("UPDATE reader SET ipaddr = '10.0.0.9'")));
    touch(snapshot(QStringLiteral("2024-03-01 08:00:00"), 7));
    touch(QDir(data.photoFolder()).filePath(QStringLiteral("OLD.JPG")));
    touch(QDir(data.photoFolder()).filePath(QStringLiteral("notes.txt")));
    op.answerYesNo(true);
    ASSERT_TRUE(FormatDatabase(data, op));
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("yesno: ") + msg::FormatQuestion,
                                       QStringLiteral("information: Database formatted.")}));
    ASSERT_TRUE(data.isOpen());
    EXPECT_EQ(count(data.att(), "recorder"), 0);
    EXPECT_EQ(count(data.src(), "staffs"), 0);
    EXPECT_EQ(count(data.src(), "gid"), 1);
    EXPECT_EQ(count(data.src(), "reader WHERE ipaddr = ''"), 8);
    EXPECT_FALSE(PasswordRegistered(data));
    EXPECT_EQ(QDir(data.photoFolder()).entryList(QDir::Files),
              QStringList{QStringLiteral("notes.txt")});
}

// The locked messages are the last word: "Database formatted." after them would be untrue.
TEST_F(Maintenance, FormatWithoutTemplatesSaysBothAreLockedAndKeepsTheData) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    addStaff(7, QStringLiteral("ANNA"), 1);
    QFile::remove(dir.file(kLogTemplate));
    // A template that does not open with its key is no template.
    QFile junk(dir.file(kSystemTemplate));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    op.answerYesNo(true);
    EXPECT_FALSE(FormatDatabase(data, op));
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("yesno: ") + msg::FormatQuestion,
                                       QStringLiteral("error: ") + msg::LogLocked,
                                       QStringLiteral("error: ") + msg::SystemLocked}));
    ASSERT_TRUE(data.isOpen());
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(count(data.src(), "staffs"), 1);
}

TEST_F(Maintenance, QuestionsAnsweredNoChangeNothing) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    addStaff(7, QStringLiteral("ANNA"), 1);
    EXPECT_FALSE(FormatDatabase(data, op));
    EXPECT_FALSE(EraseLogDatabase(data, op, EraseScope{}).asked);
    EXPECT_FALSE(EraseStaffRecords(data, op));
    EXPECT_EQ(op.shown(QStringLiteral("yesno")),
              (QStringList{msg::FormatQuestion, msg::EraseLogQuestion, msg::EraseStaffQuestion}));
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(count(data.src(), "staffs"), 1);
    EXPECT_TRUE(viewHeld.isEmpty());
}

TEST_F(Maintenance, EraseLogTakesTheRowsOfItsScopeWithTheirSnapshots) {
    const QStringList times = {QStringLiteral("2024-03-04 23:59:59.500"),
                               QStringLiteral("2024-03-05 00:00:00"),
                               QStringLiteral("2024-03-05 17:30:00")};
    struct Case {
        const char* what;
        EraseScope scope;
        QStringList left;
    };
    const Case cases[] = {
        // The picker's time plays no part: the day bounds the scope.
        {"before that day", EraseScope{false, QDate(2024, 3, 5)}, times.mid(1)},
        {"before the oldest row", EraseScope{false, QDate(2024, 3, 4)}, times},
        {"all", EraseScope{}, {}},
    };
    for (const Case& c : cases) {
        for (const QString& t : times) {
            addLog(t, 7);
            touch(snapshot(t, 7));
        }
        op.clear();
        viewHeld.clear();
        op.answerYesNo(true);
        const EraseLogOutcome out = EraseLogDatabase(data, op, c.scope);
        EXPECT_TRUE(out.asked && out.done) << c.what;
        EXPECT_EQ(logTimes(), c.left) << c.what;
        EXPECT_EQ(data.logCount(), c.left.size()) << c.what;
        for (const QString& t : times)
            EXPECT_EQ(QFile::exists(snapshot(t, 7)), c.left.contains(t))
                << c.what << " " << t.toStdString();
        ASSERT_EQ(out.firstRemaining.has_value(), !c.left.isEmpty()) << c.what;
        if (out.firstRemaining) {
            EXPECT_EQ(dateTimeText(out.firstRemaining->sysTime), c.left[0]) << c.what;
            EXPECT_EQ(out.firstRemaining->cardNo, 7) << c.what;
        }
        EXPECT_EQ(viewHeld, (QList<bool>{true, false})) << c.what;
        EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{msg::ErasingLog}) << c.what;
        ASSERT_TRUE(data.att().run(QStringLiteral("DELETE FROM recorder")));
    }
    // An empty log: nothing to erase, nothing to show.
    op.answerYesNo(true);
    const EraseLogOutcome empty = EraseLogDatabase(data, op, EraseScope{});
    EXPECT_TRUE(empty.done);
    EXPECT_FALSE(empty.firstRemaining);
}

TEST_F(Maintenance, EraseLogLeavesRowsThatArriveWhileItRuns) {
    ASSERT_TRUE(data.att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
        "INSERT INTO recorder(SYSTIME, CARDNO) "
        "SELECT datetime('2024-01-01', '+' || i || ' minutes'), i FROM n")));
    int punches = 0;
    const auto erased = eraseLogRows(
        dir.file(kLogFile), data.photoFolder(), EraseScope{}, [&](qint64 done, qint64 total) {
            EXPECT_EQ(total, 5000);
            EXPECT_LE(done, total);
            addLog(QStringLiteral("2023-12-31 08:00:00"), 100 + punches++);
            return true;
        });
    ASSERT_TRUE(erased);
    EXPECT_EQ(*erased, 5000);
    EXPECT_GE(punches, 2);  // it ran in more than one batch
    EXPECT_EQ(data.logCount(), punches);
    EXPECT_EQ(count(data.att(), "recorder"), punches);
}

TEST_F(Maintenance, EraseStaffLeavesGroupsReadersAndTheLog) {
    addGroup(4, QStringLiteral("NIGHT"));
    for (int card = 1; card <= 450; ++card) addStaff(card, QStringLiteral("P%1").arg(card), 4);
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    ASSERT_TRUE(data.src().run(QStringLiteral("INSERT INTO apb(CARDNO, STATE) VALUES (7, 1)")));
    op.answerYesNo(true);
    ASSERT_TRUE(EraseStaffRecords(data, op));
    EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{msg::ErasingStaff});
    EXPECT_EQ(count(data.src(), "staffs"), 0);
    EXPECT_EQ(count(data.src(), "gid"), 2);
    EXPECT_EQ(count(data.src(), "reader"), 8);
    EXPECT_EQ(count(data.src(), "apb"), 1);
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(viewHeld, (QList<bool>{true, false}));
}

TEST(SnapshotNames, FromTheStoredTimeAsTheLiveRecordingNamesThem) {
    const QDateTime t(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(snapshotNameOf(QStringLiteral("2024-03-05 07:08:09"), 42),
              QFileInfo(snapshotFileName(QString(), 42, t)).fileName());
    EXPECT_EQ(snapshotNameOf(QStringLiteral("2024-03-05 07:08:09.250"), 42),
              QStringLiteral("240305-070809-42.jpg"));
}

}  // namespace
}  // namespace tallyport::test
