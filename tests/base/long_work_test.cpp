// Long work on a worker: its result comes back, Cancel and a quitting application end it as a
// normal outcome, a failure is said, and the calling thread's loop runs meanwhile.
#include "base/long_work.h"
#include "support/scripted_operator.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <stdexcept>

namespace tallyport::test {
namespace {

// Waits on the worker until `done` holds; fails when it does not within a few seconds, so a
// loop that stopped running shows as a failure rather than a hang.
Result<void> waitOnWorker(const std::function<bool()>& done, WorkContext& work) {
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        if (work.cancelled()) return fail(kWorkCancelled);
        if (deadline.hasExpired()) return fail(QStringLiteral("gave up waiting"));
        QThread::msleep(2);
    }
    return {};
}

TEST(LongWork, RunsOffTheCallingThreadAndHandsTheResultBack) {
    ScriptedOperator op;
    const Qt::HANDLE caller = QThread::currentThreadId();
    const auto r = runLongWork<int>(op, QStringLiteral("Counting"), [&](WorkContext& work) {
        if (QThread::currentThreadId() == caller) return Result<int>(fail(QStringLiteral("same")));
        work.setProgress(1, 2);
        return Result<int>(42);
    });
    ASSERT_TRUE(r.has_value()) << r.error().text.toStdString();
    EXPECT_EQ(*r, 42);
    EXPECT_FALSE(r.cancelled());
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("work: Counting")});
    EXPECT_EQ(op.openProgressWindows(), 0);
}

TEST(LongWork, AFailureIsShownAndHandedBack) {
    struct Case {
        const char* name;
        std::function<Result<QString>(WorkContext&)> work;
        QString text;
    };
    const Case cases[] = {
        {"failed",
         [](WorkContext&) -> Result<QString> { return fail(QStringLiteral("Disk full.")); },
         QStringLiteral("Disk full.")},
        {"threw", [](WorkContext&) -> Result<QString> { throw std::runtime_error("out of paper"); },
         QStringLiteral("out of paper")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedOperator op;
        const auto r = runLongWork<QString>(op, QStringLiteral("Export"), c.work);
        ASSERT_FALSE(r.has_value());
        EXPECT_FALSE(r.cancelled());
        EXPECT_EQ(r.error().text, c.text);
        EXPECT_EQ(op.shown(QStringLiteral("error")), QStringList{c.text});
    }
}

// The work would run for ever; Cancel stops it, and nothing is said.
TEST(LongWork, CancelStopsTheWorkAndIsNoError) {
    ScriptedOperator op;
    op.cancelNextWork();
    std::atomic<bool> sawCancel{false};
    const auto r = runLongWork<int>(op, QStringLiteral("Backup"), [&](WorkContext& work) {
        auto waited = waitOnWorker([] { return false; }, work);
        sawCancel = work.cancelled();
        return waited ? Result<int>(1) : Result<int>(std::unexpected(waited.error()));
    });
    EXPECT_TRUE(sawCancel);
    EXPECT_TRUE(r.cancelled());
    EXPECT_FALSE(r.has_value());
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("work: Backup")});
}

// A work that finished before the cancel was seen still counts as cancelled: the operator
// asked for nothing to happen.
TEST(LongWork, ACancelAfterTheLastStepStillCancels) {
    ScriptedOperator op;
    op.cancelNextWork();
    const auto r = runLongWork<int>(op, QStringLiteral("Import"), [](WorkContext&) { return 7; });
    EXPECT_TRUE(r.cancelled());
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty());
}

// A work that cannot stop half-way (it replaces a file) says so: Cancel is not heard, and its
// result is handed back, so that what it did is never hidden from the caller.
TEST(LongWork, AWorkThatRunsToItsEndKeepsItsResultWhatever) {
    ScriptedOperator op;
    op.cancelNextWork();
    std::atomic<bool> sawCancel{true};
    const auto r = runLongWork<int>(op, QStringLiteral("Restore"), [&](WorkContext& work) {
        work.runToEnd();
        QThread::msleep(120);  // the progress window has asked to cancel by now
        sawCancel = work.cancelled();
        return 7;
    });
    EXPECT_FALSE(sawCancel);
    EXPECT_FALSE(r.cancelled());
    EXPECT_EQ(r.value_or(0), 7);
}

// The reader's way in: a timer and a socket on the calling thread go on while the work waits
// for them; the work ends only once they did.
TEST(LongWork, TheCallingThreadKeepsReadingWhileTheWorkRuns) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    ASSERT_TRUE(client.waitForConnected(3000));
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QTcpSocket* peer = server.nextPendingConnection();
    std::atomic<int> ticks{0}, bytes{0};
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        peer->write("frame");
    });
    QObject::connect(&client, &QTcpSocket::readyRead,
                     [&] { bytes += int(client.readAll().size()); });
    timer.start(10);
    ScriptedOperator op;
    const auto r = runLongWork<int>(op, QStringLiteral("Slow"), [&](WorkContext& work) {
        auto waited = waitOnWorker([&] { return ticks >= 5 && bytes >= 25; }, work);
        return waited ? Result<int>(ticks) : Result<int>(std::unexpected(waited.error()));
    });
    ASSERT_TRUE(r.has_value()) << r.error().text.toStdString();
    EXPECT_GE(*r, 5);
}

// Closing the console while work runs quits the application: every loop ends. The work is
// then cancelled and waited for, so the shutdown finds no thread running.
TEST(LongWork, QuittingTheApplicationCancelsTheWork) {
    ScriptedOperator op;
    std::atomic<bool> running{false};
    QTimer quit;
    QObject::connect(&quit, &QTimer::timeout, [&] {
        if (running) QCoreApplication::exit(0);
    });
    quit.start(5);
    const auto r = runLongWork<int>(op, QStringLiteral("Download"), [&](WorkContext& work) {
        running = true;
        auto waited = waitOnWorker([] { return false; }, work);
        return waited ? Result<int>(1) : Result<int>(std::unexpected(waited.error()));
    });
    EXPECT_TRUE(r.cancelled()) << (r ? "finished" : r.error().text.toStdString());
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty());
    // A second work while the application ends does not start a loop that never ends.
    const auto late = runLongWork<int>(op, QStringLiteral("Late"), [](WorkContext& work) {
        return waitOnWorker([] { return false; }, work) ? 1 : 0;
    });
    EXPECT_TRUE(late.cancelled());
}

TEST(LongWork, PartsShareTheBar) {
    WorkContext work;
    work.setPart(0, 90);
    work.setProgress(50, 100);
    EXPECT_EQ(work.percent(), 45);
    work.setPart(90, 100);
    EXPECT_EQ(work.percent(), 90);
    work.setProgress(3, 3);
    EXPECT_EQ(work.percent(), 100);
    work.setProgress(5, 0);  // nothing to do: the part's start
    EXPECT_EQ(work.percent(), 90);
}

}  // namespace
}  // namespace tallyport::test
