// A card event is stored at once even while a long job holds the log: it waits in the spool
// beside the log and goes into the log, in order, as soon as the lock is free.
#include "store/log_spool.h"
#include "store/schema.h"
#include "support/store_fixture.h"

#include <QTest>

namespace tallyport::test {
namespace {

class LogSpoolTest : public StoreFixture {
protected:
    LogRecord punch(int card, const char* when = "2026-03-02 08:00:00") {
        return LogRecord{
            0, QDateTime::fromString(QString::fromLatin1(when), Qt::ISODate), card, 1, 2, 0};
    }
    // What the log holds, read as another process would.
    QStringList logRows() {
        auto db = Database::open(dir.file(kLogFile), kLogKey, Database::Mode::ReadOnly);
        if (!db) return {QStringLiteral("cannot open")};
        auto rows = db->query(QStringLiteral("SELECT SYSTIME, CARDNO, MODE, READER, LOCK FROM "
                                             "recorder ORDER BY rowid"),
                              [](const Statement& st) {
                                  return QStringLiteral("%1 %2 %3 %4 %5")
                                      .arg(st.text(0))
                                      .arg(st.integer(1))
                                      .arg(st.integer(2))
                                      .arg(st.integer(3))
                                      .arg(st.integer(4));
                              });
        if (!rows) return {QStringLiteral("cannot read")};
        return QStringList(rows->begin(), rows->end());
    }
    qint64 spooled() {
        auto db = Database::open(dir.file(kLogSpoolFile), kLogKey, Database::Mode::ReadOnly);
        return db ? db->scalarInt(QStringLiteral("SELECT count(*) FROM recorder"))->value_or(-1)
                  : -1;
    }
    // A long job's batch: the log's write lock, held until it goes.
    std::unique_ptr<Database> holdLog() {
        auto db = Database::open(dir.file(kLogFile), kLogKey, Database::Mode::ReadWrite);
        if (!db || !db->exec(QStringLiteral("BEGIN IMMEDIATE"))) return nullptr;
        return std::make_unique<Database>(std::move(*db));
    }
};

TEST_F(LogSpoolTest, ARowWaitsInTheSpoolWhileTheLogIsHeldAndGoesInInOrder) {
    int moved = 0;
    data.setLogRowsMovedHook([&moved] { ++moved; });
    auto job = holdLog();
    ASSERT_TRUE(job);
    LogRecord locked = punch(11, "2026-03-02 08:00:01");
    locked.lock = 3;
    EXPECT_EQ(data.storeLogRow(punch(10)).value_or(-1), 0);  // 0: in the spool, not the log
    EXPECT_EQ(data.storeLogRow(locked).value_or(-1), 0);
    EXPECT_EQ(spooled(), 2);
    QTest::qWait(50);  // the spool is offered to the log meanwhile; the job still holds it
    EXPECT_EQ(moved, 0);
    job.reset();  // the batch ends
    EXPECT_TRUE(QTest::qWaitFor([&] { return moved > 0; }, 2000));
    EXPECT_EQ(spooled(), 0);
    EXPECT_EQ(data.logCount(), 2);
    // The log is free: the next row goes straight in, after the spooled ones.
    EXPECT_GT(data.storeLogRow(punch(12, "2026-03-02 07:59:00")).value_or(-1), 0);
    EXPECT_EQ(logRows(), QStringList({QStringLiteral("2026-03-02 08:00:00 10 1 2 0"),
                                      QStringLiteral("2026-03-02 08:00:01 11 1 2 3"),
                                      QStringLiteral("2026-03-02 07:59:00 12 1 2 0")}));
}

TEST_F(LogSpoolTest, WhatACrashLeftInTheSpoolGoesIntoTheLogOnceAtTheNextOpen) {
    addLog(QStringLiteral("2026-03-02 08:00:00"), 10, 1, 2);  // moved just before the crash
    data.CloseDatabases();
    {
        LogSpool spool;
        ASSERT_TRUE(spool.open(dir.file(kLogSpoolFile)));
        ASSERT_TRUE(spool.add(QStringLiteral("2026-03-02 08:00:00"), 10, 1, 2, 0));
        ASSERT_TRUE(spool.add(QStringLiteral("2026-03-02 08:05:00"), 10, 2, 2, 0));
    }  // the process ends without moving them
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(spooled(), 0);
    EXPECT_EQ(logRows(), QStringList({QStringLiteral("2026-03-02 08:00:00 10 1 2 0"),
                                      QStringLiteral("2026-03-02 08:05:00 10 2 2 0")}));
}

TEST_F(LogSpoolTest, ClosingTheDatabasesMovesWhatWaits) {
    {
        auto job = holdLog();
        ASSERT_TRUE(job);
        ASSERT_EQ(data.storeLogRow(punch(10)).value_or(-1), 0);
    }
    data.CloseDatabases();  // before any turn of the event loop
    EXPECT_EQ(spooled(), 0);
    EXPECT_EQ(logRows(), QStringList({QStringLiteral("2026-03-02 08:00:00 10 1 2 0")}));
}

}  // namespace
}  // namespace tallyport::test
