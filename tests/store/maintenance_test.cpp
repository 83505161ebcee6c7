// Backup, restore, format and the erase commands, on files on disk with a scripted operator.
#include "store/maintenance.h"
#include "store/date_time.h"
#include "store/db_copy.h"
#include "store/log_erase.h"
#include "store/log_texts.h"
#include "store/maintenance_texts.h"
#include "store/passwd.h"
#include "store/replaced_copies.h"
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

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The rows of a table in a keyed file; -1 when the file does not open or has no such table.
qint64 rowsIn(const QString& path, const QByteArray& key, const char* table) {
    auto db = Database::open(path, key, Database::Mode::ReadOnly);
    if (!db) return -1;
    auto n = db->scalarInt(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
    return n ? n->value_or(-1) : -1;
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

    // The copies kept in the replaced folder, oldest name first.
    QStringList kept(const QString& kind) {
        QStringList names =
            QDir(dir.file(kReplacedFolder))
                .entryList({kind + QStringLiteral("-*.db")}, QDir::Files, QDir::Name);
        for (QString& n : names) n = QDir(dir.file(kReplacedFolder)).filePath(n);
        return names;
    }
    // A file of `key` made from `from` (a template, say), or `from` itself, changed by `sql`.
    QString variant(const QString& name, const QString& from, const QByteArray& key,
                    const QString& sql) {
        const QString path = dir.file(name);
        if (path != from) {
            QFile::remove(path);
            EXPECT_TRUE(QFile::copy(from, path));
        }
        auto db = Database::open(path, key, Database::Mode::ReadWrite);
        EXPECT_TRUE(db && db->exec(sql)) << name.toStdString();
        return path;
    }
    QString logBackupWith(const QStringList& times) {
        for (const QString& t : times) addLog(t, 5);
        const QString backup = dir.file(QStringLiteral("b.db"));
        EXPECT_TRUE(backupDatabaseFile(dir.file(kLogFile), kLogKey, backup));
        EXPECT_TRUE(data.att().run(QStringLiteral("DELETE FROM recorder")));
        return backup;
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

TEST_F(Maintenance, RestoreAsksThenPutsTheBackupInPlaceAndKeepsWhatItReplaced) {
    const QString backup = logBackupWith({QStringLiteral("2024-03-01 08:00:00")});
    for (const char* t : {"2024-03-02 08:00:00", "2024-03-02 09:00:00", "2024-03-02 10:00:00"})
        addLog(QString::fromLatin1(t), 6);
    const QString question = msg::RestoreLogQuestion(
        QDir::toNativeSeparators(backup), 3, QDir::toNativeSeparators(dir.file(kReplacedFolder)));
    // No: the punches recorded since the backup stay, and nothing is kept or left behind.
    op.answerFile(backup);
    op.answerYesNo(false);
    EXPECT_FALSE(RestoreDatabase(data, op, DbKind::Log));
    EXPECT_EQ(op.shown(QStringLiteral("yesno")), QStringList{question});
    EXPECT_EQ(data.logCount(), 3);
    EXPECT_FALSE(QFileInfo::exists(dir.file(kReplacedFolder)));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.tmp-*")}, QDir::Files), QStringList());
    EXPECT_TRUE(viewHeld.isEmpty());

    op.clear();
    op.answerFile(backup);
    op.answerYesNo(true);
    ASSERT_TRUE(RestoreDatabase(data, op, DbKind::Log));
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("open: Restore Log Database | Database File "
                                                      "(*.db);;All File (*)"),
                                       QStringLiteral("work: Restore Log Database"),
                                       QStringLiteral("yesno: ") + question,
                                       QStringLiteral("work: Restore Log Database"),
                                       QStringLiteral("information: Completed.")}));
    EXPECT_EQ(logTimes(), QStringList{QStringLiteral("2024-03-01 08:00:00")});
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(ReadSettingText(setting::LogDbLast, {}), backup);
    EXPECT_EQ(viewHeld, (QList<bool>{true, false}));  // hidden while the files were closed
    // What was replaced opens with its key and holds the three punches.
    const QStringList copies = kept(QStringLiteral("attend"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(rowsIn(copies[0], kLogKey, "recorder"), 3);
    EXPECT_TRUE(kept(QStringLiteral("sysdat")).isEmpty());
}

// Each file opens with the key of its kind; none is a whole database of that kind.
TEST_F(Maintenance, RestoreTakesOnlyAWholeDatabaseOfItsKind) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    addStaff(5, QStringLiteral("ANNA"), 1);
    const QString log = dir.file(kLogTemplate), sys = dir.file(kSystemTemplate);
    // A log whose pages are not all whole: one in the middle is overwritten.
    const QString damaged = variant(
        QStringLiteral("damaged.db"), log, kLogKey,
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "3000) INSERT INTO recorder(SYSTIME, CARDNO) SELECT datetime('2024-01-01', "
                       "'+' || i || ' minutes'), i FROM n"));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.seek(4 * 4096 + 512));
        f.write(QByteArray(256, 'x'));
    }
    const QString onlyStaffs = dir.file(QStringLiteral("staffs-only.db"));
    {
        auto db = Database::open(onlyStaffs, kSystemKey, Database::Mode::Create);
        ASSERT_TRUE(db && db->exec(QStringLiteral("CREATE TABLE staffs (SEQ INTEGER PRIMARY KEY, "
                                                  "CARDNO INTEGER, NAME TEXT); "
                                                  "PRAGMA user_version = 1")));
    }
    struct Case {
        const char* what;
        DbKind kind;
        QString file;
    };
    const Case cases[] = {
        {"holders only", DbKind::System, onlyStaffs},
        {"no kept count", DbKind::Log,
         variant(QStringLiteral("nocount.db"), log, kLogKey,
                 QStringLiteral("DROP TABLE recorder_count"))},
        {"no trigger that keeps the count", DbKind::Log,
         variant(QStringLiteral("notrigger.db"), log, kLogKey,
                 QStringLiteral("DROP TRIGGER recorder_count_up"))},
        {"readers without their columns", DbKind::System,
         variant(QStringLiteral("readers.db"), sys, kSystemKey,
                 QStringLiteral("DROP TABLE reader; CREATE TABLE reader (PortNo INTEGER, "
                                "enable INTEGER)"))},
        {"a page that is not whole", DbKind::Log, damaged},
        {"the other kind", DbKind::Log, sys},
        {"newer than this program", DbKind::Log,
         variant(QStringLiteral("newer.db"), log, kLogKey,
                 QStringLiteral("PRAGMA user_version = 99"))},
        {"no such file", DbKind::System, dir.file(QStringLiteral("absent.db"))},
    };
    data.CloseDatabases();
    const QByteArray liveLog = readAll(dir.file(kLogFile)),
                     liveSys = readAll(dir.file(kSystemFile));
    ASSERT_TRUE(data.ReopenDatabases());
    for (const Case& c : cases) {
        op.clear();
        op.answerFile(c.file);
        op.answerYesNo(true);
        EXPECT_FALSE(RestoreDatabase(data, op, c.kind)) << c.what;
        const QStringList errors = op.shown(QStringLiteral("error"));
        ASSERT_EQ(errors.size(), 1) << c.what;
        EXPECT_TRUE(errors[0].startsWith(msg::InvalidDatabase + u'\n'))
            << c.what << ": " << errors[0].toStdString();
        EXPECT_TRUE(op.shown(QStringLiteral("yesno")).isEmpty()) << c.what;
        EXPECT_FALSE(op.saw(msg::Completed)) << c.what;
        EXPECT_TRUE(data.isOpen()) << c.what;
    }
    // What it lacks is named.
    op.clear();
    op.answerFile(onlyStaffs);
    RestoreDatabase(data, op, DbKind::System);
    EXPECT_TRUE(op.shown(QStringLiteral("error")).value(0).contains(QStringLiteral("table apb")));
    data.CloseDatabases();
    EXPECT_TRUE(readAll(dir.file(kLogFile)) == liveLog);
    EXPECT_TRUE(readAll(dir.file(kSystemFile)) == liveSys);
    EXPECT_FALSE(QFileInfo::exists(dir.file(kReplacedFolder)));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.tmp-*")}, QDir::Files), QStringList());
}

TEST_F(Maintenance, RestoreThatDoesNotOpenAgainSaysSoInsteadOfCompleted) {
    const QString backup = logBackupWith({QStringLiteral("2024-03-01 08:00:00")});
    ASSERT_TRUE(QFile::remove(dir.file(kSystemFile)));  // the open connection keeps it meanwhile
    op.answerFile(backup);
    op.answerYesNo(true);
    EXPECT_FALSE(RestoreDatabase(data, op, DbKind::Log));
    EXPECT_FALSE(op.saw(msg::Completed));
    EXPECT_FALSE(data.isOpen());
    const QStringList copies = kept(QStringLiteral("attend"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(op.shown(QStringLiteral("error")),
              (QStringList{msg::CannotOpen(kSystemFile),
                           msg::RestoredNotOpened(QDir::toNativeSeparators(copies[0]))}));
}

// The copy of what is replaced comes first: without it nothing changes.
TEST_F(Maintenance, WhatCannotKeepItsCopyChangesNothing) {
    const QString backup = logBackupWith({});
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    addStaff(7, QStringLiteral("ANNA"), 1);
    touch(snapshot(QStringLiteral("2024-03-01 08:00:00"), 7));
    writeAll(dir.file(kReplacedFolder), "a file where the folder would be");
    struct Case {
        const char* what;
        std::function<bool()> run;
        QString failure;
    };
    const Case cases[] = {
        {"restore",
         [&] {
             op.answerFile(backup);
             return RestoreDatabase(data, op, DbKind::Log);
         },
         msg::OperationFailed},
        {"erase log", [&] { return EraseLogDatabase(data, op, EraseScope{}).done; },
         msg::UpdateFailed},
        {"erase staff", [&] { return EraseStaffRecords(data, op); }, msg::UpdateFailed},
        {"format", [&] { return FormatDatabase(data, op); }, msg::LogLocked},
    };
    for (const Case& c : cases) {
        op.clear();
        op.answerYesNo(true);
        EXPECT_FALSE(c.run()) << c.what;
        const QStringList errors = op.shown(QStringLiteral("error"));
        ASSERT_FALSE(errors.isEmpty()) << c.what;
        EXPECT_TRUE(errors[0].startsWith(c.failure + u'\n' + msg::CopyNotKept))
            << c.what << ": " << errors[0].toStdString();
        EXPECT_FALSE(op.saw(msg::Completed) || op.saw(msg::DatabaseFormatted)) << c.what;
        ASSERT_TRUE(data.isOpen()) << c.what;
        EXPECT_EQ(data.logCount(), 1) << c.what;
        EXPECT_EQ(count(data.src(), "staffs"), 1) << c.what;
        EXPECT_TRUE(QFile::exists(snapshot(QStringLiteral("2024-03-01 08:00:00"), 7))) << c.what;
    }
}

TEST_F(Maintenance, FormatPutsTheTemplatesInPlaceKeepsTheLiveFilesAndEmptiesThePhotoFolder) {
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
                                       QStringLiteral("work: Formatting Database"),
                                       QStringLiteral("information: Database formatted.")}));
    ASSERT_TRUE(data.isOpen());
    EXPECT_EQ(count(data.att(), "recorder"), 0);
    EXPECT_EQ(count(data.src(), "staffs"), 0);
    EXPECT_EQ(count(data.src(), "gid"), 1);
    EXPECT_EQ(count(data.src(), "reader WHERE ipaddr = ''"), 8);
    EXPECT_FALSE(PasswordRegistered(data));
    EXPECT_EQ(QDir(data.photoFolder()).entryList(QDir::Files),
              QStringList{QStringLiteral("notes.txt")});
    // Both files as they were, each opening with its key.
    const QStringList log = kept(QStringLiteral("attend")), sys = kept(QStringLiteral("sysdat"));
    ASSERT_EQ(log.size(), 1);
    ASSERT_EQ(sys.size(), 1);
    EXPECT_EQ(rowsIn(log[0], kLogKey, "recorder"), 1);
    EXPECT_EQ(rowsIn(sys[0], kSystemKey, "staffs"), 1);
    EXPECT_EQ(rowsIn(sys[0], kSystemKey, "passwd WHERE \"VALUE\" = 'AB'"), 1);
    EXPECT_EQ(rowsIn(sys[0], kSystemKey, "reader WHERE ipaddr = '10.0.0.9'"), 8);
}

// The locked messages are the last word: "Database formatted." after them would be untrue. The
// snapshots belong to the rows that stay, so they stay too.
TEST_F(Maintenance, FormatWithoutTemplatesSaysBothAreLockedAndKeepsTheDataAndItsPictures) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    addStaff(7, QStringLiteral("ANNA"), 1);
    touch(snapshot(QStringLiteral("2024-03-01 08:00:00"), 7));
    QFile::remove(dir.file(kLogTemplate));
    // A template that does not open with its key is no template.
    writeAll(dir.file(kSystemTemplate), QByteArray(4096, 'x'));
    op.answerYesNo(true);
    EXPECT_FALSE(FormatDatabase(data, op));
    const QStringList shown = op.shown();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0], QStringLiteral("yesno: ") + msg::FormatQuestion);
    EXPECT_EQ(shown[1], QStringLiteral("work: Formatting Database"));
    EXPECT_TRUE(shown[2].startsWith(QStringLiteral("error: ") + msg::LogLocked + u'\n'));
    EXPECT_TRUE(shown[3].startsWith(QStringLiteral("error: ") + msg::SystemLocked + u'\n'));
    ASSERT_TRUE(data.isOpen());
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(count(data.src(), "staffs"), 1);
    EXPECT_TRUE(QFile::exists(snapshot(QStringLiteral("2024-03-01 08:00:00"), 7)));
    EXPECT_FALSE(QFileInfo::exists(dir.file(kReplacedFolder)));
}

// A template is judged as a restore's file is: one that would leave the console without its
// readers is never put in place; the other file is formatted all the same.
TEST_F(Maintenance, FormatPutsInPlaceOnlyAWholeTemplate) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    addStaff(7, QStringLiteral("ANNA"), 1);
    touch(snapshot(QStringLiteral("2024-03-01 08:00:00"), 7));
    variant(kSystemTemplate, dir.file(kSystemTemplate), kSystemKey,
            QStringLiteral("DROP TABLE reader"));
    op.answerYesNo(true);
    EXPECT_FALSE(FormatDatabase(data, op));
    const QStringList errors = op.shown(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(msg::SystemLocked + u'\n'));
    EXPECT_TRUE(errors[0].contains(QStringLiteral("table reader")));
    ASSERT_TRUE(data.isOpen());
    EXPECT_EQ(data.logCount(), 0);
    EXPECT_EQ(count(data.src(), "staffs"), 1);
    EXPECT_EQ(count(data.src(), "reader"), 8);
    EXPECT_TRUE(QFile::exists(snapshot(QStringLiteral("2024-03-01 08:00:00"), 7)));
    EXPECT_EQ(kept(QStringLiteral("attend")).size(), 1);
}

TEST_F(Maintenance, QuestionsAnsweredNoChangeNothing) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 7);
    addStaff(7, QStringLiteral("ANNA"), 1);
    EXPECT_FALSE(FormatDatabase(data, op));
    EXPECT_FALSE(EraseLogDatabase(data, op, EraseScope{}).asked);
    EXPECT_FALSE(EraseStaffRecords(data, op));
    const QString folder = QDir::toNativeSeparators(dir.file(kReplacedFolder));
    EXPECT_EQ(op.shown(QStringLiteral("yesno")),
              (QStringList{msg::FormatQuestion, msg::EraseLogQuestion(1, folder),
                           msg::EraseStaffQuestion(1, folder)}));
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(count(data.src(), "staffs"), 1);
    EXPECT_TRUE(viewHeld.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.file(kReplacedFolder)));
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
    const QString folder = QDir::toNativeSeparators(dir.file(kReplacedFolder));
    for (const Case& c : cases) {
        for (const QString& t : times) {
            addLog(t, 7);
            touch(snapshot(t, 7));
        }
        op.clear();
        viewHeld.clear();
        QDir(dir.file(kReplacedFolder)).removeRecursively();
        op.answerYesNo(true);
        const EraseLogOutcome out = EraseLogDatabase(data, op, c.scope);
        EXPECT_TRUE(out.asked && out.done) << c.what;
        const qint64 going = times.size() - c.left.size();
        EXPECT_EQ(op.shown(QStringLiteral("yesno")),
                  QStringList{msg::EraseLogQuestion(going, folder)})
            << c.what;
        // The log as it was, rows in and out of the scope, is kept whenever a row goes.
        const QStringList copies = kept(QStringLiteral("attend"));
        EXPECT_EQ(copies.size(), going > 0 ? 1 : 0) << c.what;
        if (!copies.isEmpty()) {
            EXPECT_EQ(rowsIn(copies[0], kLogKey, "recorder"), 3) << c.what;
        }
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
    EXPECT_EQ(op.shown(QStringLiteral("yesno")),
              QStringList{msg::EraseStaffQuestion(
                  450, QDir::toNativeSeparators(dir.file(kReplacedFolder)))});
    EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{msg::ErasingStaff});
    const QStringList copies = kept(QStringLiteral("sysdat"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(rowsIn(copies[0], kSystemKey, "staffs"), 450);
    EXPECT_EQ(count(data.src(), "staffs"), 0);
    EXPECT_EQ(count(data.src(), "gid"), 2);
    EXPECT_EQ(count(data.src(), "reader"), 8);
    EXPECT_EQ(count(data.src(), "apb"), 1);
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(viewHeld, (QList<bool>{true, false}));
}

// Named by kind and time; the newest three of each kind stay, also when two are made in one
// second, and the one just made stays even when the clock was set back.
TEST_F(Maintenance, ReplacedCopiesKeepTheNewestThreeOfEachKind) {
    const QDateTime t(QDate(2024, 3, 5), QTime(17, 15, 2));
    QStringList logCopies;
    for (const QDateTime& when : {t, t, t.addSecs(60), t.addSecs(-3600), t.addDays(1)}) {
        auto copy = keepReplacedCopy(dir.file(kLogFile), kLogKey, when, DamagedLive::Refuse);
        ASSERT_TRUE(copy) << copy.error().text.toStdString();
        logCopies << *copy;
    }
    auto sys = keepReplacedCopy(dir.file(kSystemFile), kSystemKey, t, DamagedLive::Refuse);
    ASSERT_TRUE(sys);
    touch(dir.file(kReplacedFolder + QStringLiteral("/attend-notes.txt")));
    EXPECT_EQ(QFileInfo(logCopies[0]).fileName(), QStringLiteral("attend-20240305-171502.db"));
    EXPECT_EQ(QFileInfo(logCopies[1]).fileName(), QStringLiteral("attend-20240305-171502-2.db"));
    pruneReplacedCopies(dir.path(), kLogFile, logCopies[3]);
    // The one an hour earlier was just made: it stays with the two newest.
    EXPECT_EQ(kept(QStringLiteral("attend")),
              (QStringList{logCopies[3], logCopies[2], logCopies[4]}));
    EXPECT_EQ(kept(QStringLiteral("sysdat")), QStringList{*sys});
    EXPECT_TRUE(QFile::exists(dir.file(kReplacedFolder + QStringLiteral("/attend-notes.txt"))));
    pruneReplacedCopies(dir.path(), kLogFile);
    EXPECT_EQ(kept(QStringLiteral("attend")),
              (QStringList{logCopies[3], logCopies[2], logCopies[4]}));
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
