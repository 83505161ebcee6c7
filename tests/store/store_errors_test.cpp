// Stores that fail on purpose: a closed connection, a read-only one, a file another
// connection holds locked, a bind the engine refuses, a schema newer than the program. Each
// failure is an error with the engine's reason, never "no rows", and it reaches the operator.
#include "store/data_module.h"
#include "store/messages.h"
#include "store/schema.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tallyport::test {
namespace {

struct Row {
    qint64 n;
};
Row rowOf(const Statement& st) {
    return {st.int64(0)};
}

Database openLog(const QString& path, Database::Mode mode) {
    auto db = Database::open(path, kLogKey, mode);
    EXPECT_TRUE(db) << (db ? "" : db.error().text.toStdString());
    return db ? std::move(*db) : Database();
}

class StoreErrors : public StoreFixture {
protected:
    QString logPath() const { return data.filePath(kLogFile); }
    // Lets the posted failure reports reach the operator.
    void settle() { QCoreApplication::processEvents(); }
};

// Every way of reading or writing answers the reason when the connection is gone.
TEST_F(StoreErrors, AClosedDatabaseAnswersEveryCallWithAnError) {
    Database db = openLog(logPath(), Database::Mode::ReadWrite);
    db.close();
    const QString closed = QStringLiteral("Database is closed");
    EXPECT_EQ(db.prepare(QStringLiteral("SELECT 1")).error().text, closed);
    EXPECT_EQ(db.exec(QStringLiteral("SELECT 1")).error().text, closed);
    EXPECT_EQ(db.run(QStringLiteral("DELETE FROM recorder")).error().text, closed);
    EXPECT_EQ(db.query(QStringLiteral("SELECT n FROM recorder_count"), rowOf).error().text, closed);
    EXPECT_EQ(db.scalarInt(QStringLiteral("SELECT n FROM recorder_count")).error().text, closed);
    Transaction tx(db);
    EXPECT_FALSE(tx.begun());
    EXPECT_EQ(tx.commit().error().text, closed);
}

// A value bound to a parameter the statement does not have is refused at the step, so the
// statement never runs with a value missing.
TEST_F(StoreErrors, ARefusedBindFailsTheStepInsteadOfRunningWithoutIt) {
    const auto before = data.att().scalarInt(QStringLiteral("SELECT count(*) FROM recorder"));
    const auto r =
        data.att().run(QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO) VALUES (?, ?)"),
                       QStringLiteral("2026-01-05 08:00:00"), 7, 99);
    ASSERT_FALSE(r);
    EXPECT_TRUE(r.error().text.contains(QStringLiteral("Value 3 cannot be bound")))
        << r.error().text.toStdString();
    EXPECT_EQ(data.att().scalarInt(QStringLiteral("SELECT count(*) FROM recorder")).value(),
              before.value());
    auto st = data.att().prepare(QStringLiteral("SELECT n FROM recorder_count WHERE n >= ?"));
    st->bind(1, 0).bind(2, 1);
    EXPECT_FALSE(st->collect(rowOf)) << "a refused bind reads as no rows";
    ASSERT_TRUE(st->reset());
    st->bind(1, 0);
    EXPECT_EQ(st->collect(rowOf).value().size(), 1u) << "reset clears the refusal";
}

TEST_F(StoreErrors, AReadOnlyConnectionRefusesWritesWithTheEnginesReason) {
    Database db = openLog(logPath(), Database::Mode::ReadOnly);
    const auto r = db.run(QStringLiteral("INSERT INTO recorder(SYSTIME) VALUES ('x')"));
    ASSERT_FALSE(r);
    EXPECT_TRUE(r.error().text.contains(QStringLiteral("readonly")))
        << r.error().text.toStdString();
    Transaction tx(db);
    ASSERT_FALSE(tx.begun());
    EXPECT_EQ(tx.commit().error().text, tx.beginResult().error().text);
    EXPECT_TRUE(db.query(QStringLiteral("SELECT n FROM recorder_count"), rowOf))
        << "reads still work";
}

// Another connection holds the write lock: a write waits its busy time and then fails; the
// key/value store says so with "Database Error." and the reason.
TEST_F(StoreErrors, AFileLockedByAnotherConnectionFailsTheWriteAndIsSaid) {
    auto other = Database::open(data.filePath(kSystemFile), kSystemKey, Database::Mode::ReadWrite);
    ASSERT_TRUE(other);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN EXCLUSIVE")));
    data.src().setBusyTimeout(50);
    EXPECT_FALSE(data.SetKeyValue(QStringLiteral("INPIN"), QStringLiteral("1234")));
    ASSERT_EQ(op.shown().size(), 1);
    EXPECT_TRUE(op.shown()[0].startsWith(QStringLiteral("error: Database Error.\n")));
    EXPECT_TRUE(op.shown()[0].contains(QStringLiteral("locked"))) << op.shown()[0].toStdString();
    ASSERT_TRUE(other->exec(QStringLiteral("ROLLBACK")));
    EXPECT_TRUE(data.SetKeyValue(QStringLiteral("INPIN"), QStringLiteral("1234")));
    EXPECT_EQ(data.GetKeyValue(QStringLiteral("INPIN")).second, QStringLiteral("1234"));
}

// A lookup for a live view cannot stop: it answers "not found", and the failure is said once,
// after the current event, however often it repeats meanwhile.
TEST_F(StoreErrors, ALookupThatFailsIsSaidOnceAndReadsAsNotFound) {
    data.src().close();
    StaffRecord rec;
    EXPECT_FALSE(data.lookupHolder(12345, rec));
    EXPECT_EQ(rec.name, QStringLiteral("[12345]"));
    EXPECT_EQ(data.CardByName(QStringLiteral("AN")), 0);
    EXPECT_TRUE(op.shown().isEmpty()) << "no box in the middle of the caller's work";
    settle();
    EXPECT_EQ(op.shown(),
              QStringList{QStringLiteral("error: Database Error.\nDatabase is closed")});
    data.att().close();
    EXPECT_EQ(data.logCount(), 0);
    settle();
    EXPECT_EQ(op.shown().size(), 2) << "the same failure later is said again";
}

TEST_F(StoreErrors, ASchemaNewerThanTheProgramIsRefusedWithItsReason) {
    data.CloseDatabases();
    {
        Database db = openLog(logPath(), Database::Mode::ReadWrite);
        ASSERT_TRUE(db.exec(QStringLiteral("PRAGMA user_version = 99")));
    }
    EXPECT_FALSE(data.OpenDatabases());
    ASSERT_FALSE(op.shown().isEmpty());
    EXPECT_EQ(op.shown()[0], QStringLiteral("error: System Error: Cannot open attend.db\n"
                                            "Unknown database version 99"));
}

// A settings file that cannot be written is said once, not for every value of a closing
// window, and again after a write has worked in between.
TEST(SettingsErrors, AStoreThatCannotBeWrittenIsSaidOnce) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ASSERT_TRUE(QDir().mkpath(settingsFilePath()));  // a folder where the file should be
    QStringList told;
    setSettingsFailureReporter(
        [&told](const QString& text, const QString& reason) { told << text + u'|' + reason; });
    EXPECT_FALSE(WriteSettingInt(QStringLiteral("MainForm_TOP"), 10));
    EXPECT_FALSE(WriteSettingInt(QStringLiteral("MainForm_LEFT"), 20));
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(msg::SettingsNotSaved + u'|'));
    EXPECT_TRUE(told[0].contains(QStringLiteral("MainForm_TOP")));
    ASSERT_TRUE(QDir(settingsFilePath()).removeRecursively());
    EXPECT_TRUE(WriteSettingInt(QStringLiteral("MainForm_TOP"), 10));
    ASSERT_TRUE(QFile::remove(settingsFilePath()));
    ASSERT_TRUE(QDir().mkpath(settingsFilePath()));
    EXPECT_FALSE(WriteSettingInt(QStringLiteral("MainForm_TOP"), 11));
    EXPECT_EQ(told.size(), 2);
    setSettingsFailureReporter({});
}

}  // namespace
}  // namespace tallyport::test
