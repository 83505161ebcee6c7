#include "store/date_time.h"
#include "store/messages.h"
#include "store/schema.h"
#include "support/store_fixture.h"

#include <QFile>

using namespace tallyport;
using tallyport::test::ScriptedOperator;
using tallyport::test::StoreFixture;
using tallyport::test::TempDataDir;

namespace {

using NewInstallation = StoreFixture;

TEST_F(NewInstallation, HasTemplatesLiveFilesEightReadersAndTheDefaultGroup) {
    for (const QString& f : {kLogFile, kSystemFile, kLogTemplate, kSystemTemplate})
        EXPECT_TRUE(QFile::exists(dir.file(f))) << f.toStdString();
    auto st =
        data.src().prepare(QStringLiteral("SELECT PortNo, enable, ipaddr, ipport, \"desc\", mode, "
                                          "locktime FROM reader ORDER BY PortNo"));
    ASSERT_TRUE(st);
    for (int port = 1; port <= 8; ++port) {
        ASSERT_TRUE(st->step().value_or(false));
        EXPECT_EQ(st->integer(0), port);
        EXPECT_FALSE(st->yesNo(1));
        EXPECT_EQ(st->text(2), QString());
        EXPECT_EQ(st->integer(3), 1668);
        EXPECT_EQ(st->text(4), QStringLiteral("COM%1").arg(port));
        EXPECT_EQ(st->integer(5), 2);
        EXPECT_EQ(st->integer(6), 1);
    }
    EXPECT_FALSE(st->step().value_or(true));
    auto g = data.src().prepare(QStringLiteral(
        "SELECT id, descx, wd_from_1, wd_to_1, wd_from_2, wd_to_2, sat_enable_1, ot_min, ot_multi "
        "FROM gid"));
    ASSERT_TRUE(g && g->step().value_or(false));
    EXPECT_EQ(g->integer(0), 1);
    EXPECT_EQ(g->text(1), QStringLiteral("DEFAULT"));
    EXPECT_EQ(QStringList({g->text(2), g->text(3), g->text(4), g->text(5)}).join(QLatin1Char(' ')),
              QStringLiteral("09:00:00 13:00:00 14:00:00 17:00:00"));
    EXPECT_FALSE(g->yesNo(6));
    EXPECT_EQ(g->integer(7), 15);
    EXPECT_EQ(g->integer(8), 5);
    EXPECT_EQ(data.logCount(), 0);
}

TEST_F(NewInstallation, YesNoColumnsAreNeverEmpty) {
    addStaff(7, QStringLiteral("ANNA"), 1);
    auto st = data.src().prepare(QStringLiteral("SELECT OFFLINE, PICKED, COM1, COM8 FROM staffs"));
    ASSERT_TRUE(st && st->step().value_or(false));
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(st->isNull(i));
}

TEST_F(NewInstallation, IsNotMadeAgainOverAnExistingFolder) {
    addLog(QStringLiteral("2026-03-01 08:00:00"), 5);
    data.CloseDatabases();
    EXPECT_FALSE(data.prepareDataFolder().value_or(true));
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(data.logCount(), 1);
}

TEST(DataFolder, AMissingOrForeignLogFileGivesItsMessageAndStillTriesTheSystemFile) {
    for (const bool missing : {true, false}) {
        TempDataDir dir;
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        QFile::remove(dir.file(kLogFile));
        if (!missing) QFile::copy(dir.file(kSystemFile), dir.file(kLogFile));  // wrong key
        EXPECT_FALSE(data.OpenDatabases());
        EXPECT_EQ(op.shown(),
                  QStringList{QStringLiteral("error: System Error: Cannot open attend.db")});
        QFile::remove(dir.file(kSystemFile));
        op.clear();
        EXPECT_FALSE(data.OpenDatabases());
        EXPECT_EQ(op.shown(),
                  (QStringList{QStringLiteral("error: System Error: Cannot open attend.db"),
                               QStringLiteral("error: System Error: Cannot open sysdat.db")}));
        EXPECT_FALSE(data.isOpen());
    }
}

TEST_F(NewInstallation, CheckDatabaseFileTakesOnlyAFileOfItsKind) {
    EXPECT_TRUE(data.CheckDatabaseFile(dir.file(kLogTemplate), kLogKey));
    EXPECT_TRUE(data.CheckDatabaseFile(dir.file(kSystemFile), kSystemKey));
    EXPECT_TRUE(op.shown().isEmpty());
    QFile junk(dir.file(QStringLiteral("junk.db")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, 'x'));
    junk.close();
    for (const auto& [file, key] :
         {std::pair{kSystemFile, kLogKey}, std::pair{kLogFile, kSystemKey},
          std::pair{QStringLiteral("junk.db"), kLogKey},
          std::pair{QStringLiteral("absent.db"), kLogKey}}) {
        op.clear();
        EXPECT_FALSE(data.CheckDatabaseFile(dir.file(file), key)) << file.toStdString();
        EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: Invalid Database")});
    }
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("absent.db"))));
}

TEST_F(NewInstallation, KeyValueStore) {
    EXPECT_EQ(data.GetKeyValue(QStringLiteral("INPIN")), std::make_pair(false, QString()));
    EXPECT_EQ(data.GetKeyInt(QStringLiteral("INPIN")), 0);
    EXPECT_TRUE(data.SetKeyInt(QStringLiteral("INPIN"), 0));
    EXPECT_EQ(data.GetKeyValue(QStringLiteral("INPIN")), std::make_pair(true, QStringLiteral("0")));
    EXPECT_TRUE(data.SetKeyValue(QStringLiteral("MASTERPIN"), QStringLiteral("12a")));
    EXPECT_EQ(data.GetKeyInt(QStringLiteral("MASTERPIN")), 0);
    EXPECT_TRUE(data.SetKeyInt(QStringLiteral("MASTERPIN"), 4711));
    EXPECT_EQ(data.GetKeyInt(QStringLiteral("MASTERPIN")), 4711);
    EXPECT_EQ(data.src().scalarInt(QStringLiteral("SELECT count(*) FROM passwd"))->value_or(-1), 2);
    // A value that is text, not code, whatever it holds.
    const QString nasty = QStringLiteral("x'); DROP TABLE passwd; --");
    EXPECT_TRUE(data.SetKeyValue(QStringLiteral("CONTROLPIN"), nasty));
    EXPECT_EQ(data.GetKeyValue(QStringLiteral("CONTROLPIN")).second, nasty);
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(NewInstallation, StoringAKeyOnAClosedStoreSaysDatabaseError) {
    data.CloseDatabases();
    EXPECT_FALSE(data.SetKeyValue(QStringLiteral("LOGINPWD"), QStringLiteral("AB")));
    EXPECT_EQ(op.shown(),
              QStringList{QStringLiteral("error: Database Error.\nDatabase is closed")});
}

TEST_F(NewInstallation, LookupStaffNeedsTheCardAndItsGroup) {
    addGroup(4, QStringLiteral("OFFICE"));
    addStaff(100, QStringLiteral("ANNA"), 4);
    addStaff(101, QStringLiteral("BERT"), 9);  // a group that does not exist
    struct Case {
        int card;
        bool found;
        const char* name;
        const char* group;
    };
    for (const Case& c : {Case{100, true, "ANNA", "OFFICE"}, Case{101, false, "[101]", ""},
                          Case{123, false, "[123]", ""}}) {
        StaffRecord rec;
        EXPECT_EQ(data.LookupStaff(c.card, rec), c.found) << c.card;
        EXPECT_EQ(rec.name, QString::fromUtf8(c.name));
        EXPECT_EQ(rec.group, QString::fromUtf8(c.group));
    }
    // The live views still know a holder whose group is gone.
    StaffRecord rec;
    EXPECT_TRUE(data.lookupHolder(101, rec));
    EXPECT_EQ(rec.name, QStringLiteral("BERT"));
    EXPECT_EQ(rec.group, QString());
    EXPECT_FALSE(data.lookupHolder(123, rec));
    EXPECT_EQ(rec.name, QStringLiteral("[123]"));
}

TEST_F(NewInstallation, CardByNameFindsTheFirstNameInOrderWithThatBeginning) {
    addStaff(3, QStringLiteral("JOHN"), 1);
    addStaff(1, QStringLiteral("JOAN"), 1);
    addStaff(2, QStringLiteral("ANNA"), 1);
    addStaff(4, QStringLiteral("jo lower"), 1);
    EXPECT_EQ(data.CardByName(QStringLiteral("JO")), 1);
    EXPECT_EQ(data.CardByName(QStringLiteral("JOH")), 3);
    EXPECT_EQ(data.CardByName(QStringLiteral("X")), 0);
    EXPECT_EQ(data.CardByName(QStringLiteral("%")), 0);  // no pattern characters
}

TEST_F(NewInstallation, TheLogCountIsKeptAndTheNewestRowFound) {
    addLog(QStringLiteral("2026-03-02 08:00:00"), 2);
    addLog(QStringLiteral("2026-03-03 17:00:00"), 3, 2, 4);
    addLog(QStringLiteral("2026-03-01 09:00:00"), 1);
    EXPECT_EQ(data.logCount(), 3);
    const auto newest = data.newestLog();
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->cardNo, 3);
    EXPECT_EQ(newest->sysTime, QDateTime(QDate(2026, 3, 3), QTime(17, 0)));
    EXPECT_EQ(newest->mode, 2);
    EXPECT_EQ(newest->reader, 4);
    ASSERT_TRUE(data.att().run(QStringLiteral("DELETE FROM recorder WHERE CARDNO = 3")));
    EXPECT_EQ(data.logCount(), 2);
    EXPECT_EQ(data.newestLog()->cardNo, 2);
}

TEST_F(NewInstallation, ColumnNamesAnswerInAnyCase) {
    addLog(QStringLiteral("2026-03-02 08:00:00"), 42);
    auto st = data.att().prepare(QStringLiteral("SELECT cardno, SysTime FROM RECORDER"));
    ASSERT_TRUE(st && st->step().value_or(false));
    EXPECT_EQ(st->integer(st->columnIndex(QStringLiteral("CARDNO"))), 42);
    EXPECT_EQ(st->columnIndex(QStringLiteral("systime")), 1);
}

TEST(DateTimes, StoredTextsAndTheWholeDayRange) {
    const QDateTime t(QDate(2026, 3, 1), QTime(8, 5, 7, 250));
    EXPECT_EQ(dateTimeText(t), QStringLiteral("2026-03-01 08:05:07.250"));
    EXPECT_EQ(dateTimeText(WholeSeconds(t)), QStringLiteral("2026-03-01 08:05:07"));
    EXPECT_EQ(parseDateTimeText(QStringLiteral("2026-03-01 08:05:07.250")), t);
    EXPECT_FALSE(parseDateTimeText(QStringLiteral("2026-02-30 08:00:00")).isValid());
    EXPECT_EQ(wholeDayRange(QDate(2026, 3, 1), QDate(2026, 3, 3)),
              std::make_pair(QStringLiteral("2026-03-01 00:00:00"),
                             QStringLiteral("2026-03-04 00:00:00")));
    EXPECT_EQ(wholeDayRange(QDate(2026, 12, 31), QDate(2026, 12, 31)).second,
              QStringLiteral("2027-01-01 00:00:00"));
}

// The cheap reading of a stored text agrees with the full one on what is a date-time.
TEST(DateTimes, SplittingAStoredTextAcceptsExactlyTheStoredShapes) {
    using Split = std::optional<std::pair<QDate, QTime>>;
    const std::pair<const char*, Split> cases[] = {
        {"2026-03-01 08:05:07", std::pair{QDate(2026, 3, 1), QTime(8, 5, 7)}},
        {"2026-03-01 08:05:07.250", std::pair{QDate(2026, 3, 1), QTime(8, 5, 7, 250)}},
        {"2024-02-29 23:59:59", std::pair{QDate(2024, 2, 29), QTime(23, 59, 59)}},
        {"2026-02-29 08:00:00", std::nullopt},  // no such day
        {"2026-13-01 08:00:00", std::nullopt},
        {"2026-03-01 24:00:00", std::nullopt},
        {"2026-03-01 08:60:00", std::nullopt},
        {"2026-03-01T08:05:07", std::nullopt},
        {"2026-03-01 08:05", std::nullopt},
        {"2026-03-01 08:05:07.25", std::nullopt},
        {"2026-03-01 08:05:0x", std::nullopt},
        {" 2026-03-01 08:05:07", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const QString stored = QString::fromLatin1(text);
        EXPECT_EQ(splitDateTimeText(stored), expected);
        EXPECT_EQ(parseDateTimeText(stored).isValid(), expected.has_value());
    }
}

TEST_F(NewInstallation, TheWholeDayRangeIncludesTheMidnightAfterTheLastDay) {
    for (const char* t : {"2026-02-28 23:59:59", "2026-03-01 00:00:00", "2026-03-03 23:59:59",
                          "2026-03-04 00:00:00", "2026-03-04 00:00:01"})
        addLog(QString::fromLatin1(t), 1);
    const auto [from, to] = wholeDayRange(QDate(2026, 3, 1), QDate(2026, 3, 3));
    auto n = data.att().scalarInt(
        QStringLiteral("SELECT count(*) FROM recorder WHERE SYSTIME BETWEEN ? AND ?"), from, to);
    EXPECT_EQ(n->value_or(-1), 3);
}

}  // namespace
