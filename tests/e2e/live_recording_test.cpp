// A card presented at a simulated reader becomes a printed line and a stored row of the real
// headless console.
#include "app/headless_operator.h"
#include "store/data_module.h"
#include "store/schema.h"
#include "support/console_process.h"
#include "support/scripted_operator.h"
#include "support/sim_process.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QTest>

using namespace tallyport;
using namespace tallyport::test;

namespace {

// Waits until the console printed a line holding `text`.
bool waitForOutput(ConsoleProcess& console, const QString& text, int ms) {
    return QTest::qWaitFor([&] { return console.standardOutput().contains(text); }, ms);
}

TEST(LiveRecording, CardFrameBecomesAPrintedLineAndAStoredRow) {
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    TempDataDir dir;
    {
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        ASSERT_TRUE(data.OpenDatabases());
        ASSERT_TRUE(
            data.src().run(QStringLiteral("INSERT INTO gid(id, descx) VALUES (2, 'OFFICE')")));
        ASSERT_TRUE(data.src().run(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (12345, 'ANNA', 2)")));
        ASSERT_TRUE(
            data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                          "ipport = ?, \"desc\" = 'Front door', mode = 1 "
                                          "WHERE PortNo = 1"),
                           int(sim.port())));
        data.CloseDatabases();
    }
    ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000));
    ASSERT_TRUE(sim.ok(QStringLiteral("card 11 12345 mode=2 time=2024-03-05T14:07:09")));
    EXPECT_TRUE(waitForOutput(
        console, QStringLiteral("2024-03-05 14:07:09\t12345\tANNA (OFFICE)\tOUT\tFront door\n"),
        5000))
        << console.standardOutput().toStdString();
    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 4711")));
    EXPECT_TRUE(waitForOutput(console, QStringLiteral("\t4711\t[4711]\tIN\tFront door\n"), 5000));
    EXPECT_EQ(console.terminate(), 0);

    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(data.logCount(), 2);
    const auto newest = data.newestLog();
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(newest->cardNo, 4711);
}

TEST(LiveRecording, DemoShowsPunchesWithinSeconds) {
    TempDataDir dir;
    ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start({QStringLiteral("--demo")})) << console.standardError().toStdString();
    EXPECT_TRUE(
        waitForOutput(console, QStringLiteral("\t1001\tANNA (OFFICE)\tIN\tFront door\n"), 10000))
        << console.standardOutput().toStdString() << console.standardError().toStdString();
    EXPECT_EQ(console.terminate(), 0);
}

}  // namespace

namespace {

// A long job's batch in another connection holds the log's write lock while it lives.
std::unique_ptr<Database> holdLog(const QString& folder) {
    auto db = Database::open(QDir(folder).filePath(kLogFile), kLogKey, Database::Mode::ReadWrite);
    if (!db || !db->exec(QStringLiteral("BEGIN IMMEDIATE"))) return nullptr;
    return std::make_unique<Database>(std::move(*db));
}

qint64 rowsOfCard(const QString& folder, int card) {
    auto db = Database::open(QDir(folder).filePath(kLogFile), kLogKey, Database::Mode::ReadOnly);
    if (!db) return -1;
    return db->scalarInt(QStringLiteral("SELECT count(*) FROM recorder WHERE CARDNO = ?"), card)
        ->value_or(-1);
}

// While the log is held, a punch is stored (and printed) all the same; it reaches the log when
// the lock is free, and a console killed before that finds it at its next start.
TEST(LiveRecording, APunchIsStoredWhileTheLogIsHeldAndSurvivesAKill) {
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    TempDataDir dir;
    {
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        ASSERT_TRUE(data.OpenDatabases());
        ASSERT_TRUE(data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = "
                                                  "'127.0.0.1', ipport = ?, mode = 1 WHERE "
                                                  "PortNo = 1"),
                                   int(sim.port())));
    }
    ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000));

    auto job = holdLog(dir.path());
    ASSERT_TRUE(job);
    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 4711")));
    EXPECT_TRUE(waitForOutput(console, QStringLiteral("\t4711\t[4711]\tIN\t"), 5000));
    job.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return rowsOfCard(dir.path(), 4711) == 1; }, 5000));

    job = holdLog(dir.path());
    ASSERT_TRUE(job);
    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 4712")));
    EXPECT_TRUE(waitForOutput(console, QStringLiteral("\t4712\t[4712]\tIN\t"), 5000));
    console.process().kill();  // with the punch in the spool only
    console.process().waitForFinished();
    job.reset();
    EXPECT_EQ(rowsOfCard(dir.path(), 4712), 0);

    ConsoleProcess next(dir.path());
    ASSERT_TRUE(next.start()) << next.standardError().toStdString();
    EXPECT_EQ(rowsOfCard(dir.path(), 4712), 1);
    EXPECT_EQ(rowsOfCard(dir.path(), 4711), 1);
    EXPECT_EQ(next.terminate(), 0);
}

}  // namespace
