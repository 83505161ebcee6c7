// The download of a reader's stored records after it connects, inside a running console whose
// readers talk to the simulator over TCP; and the live recording of the other readers while a
// reader downloads.
#include "admin/auto_download.h"
#include "admin/access_manager.h"
#include "store/setting_names.h"
#include "support/live_console.h"

using namespace tallyport;
using namespace tallyport::test;

namespace {

const QString kLock = "F5 05 00 00 01 FA FA";
const QString kUnlock = "F5 05 00 00 00 FB FA";

class AutoDownloadTest : public LiveConsole {
protected:
    void SetUp() override {
        LiveConsole::SetUp();
        QObject::connect(&console, &Console::readerStatus,
                         [this](int, const QString& text) { lines << text; });
        QObject::connect(&console.autoDownload(), &AutoDownload::finished,
                         [this](int port, const DownloadResult& r) {
                             if (port == 1) results.push_back(r);
                         });
        // The download that followed the connect of SetUp found nothing.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !console.autoDownload().running(1); }, 5000));
        results.clear();
        reader(1).setRetryDelays(50, 200);
    }
    QString at(int port) const { return QStringLiteral("@%1 ").arg(sim.port(port - 1)); }
    bool simOk(int port, const QString& line) { return sim.ok(at(port) + line); }
    QStringList commandFrames(int port) {
        QStringList out;
        for (const QString& l : sim.command(at(port) + "frames"))
            if (l.startsWith("frame ")) out << l.section(' ', 2);
        return out;
    }
    qint64 rowsOfCard(int card) {
        return att()
            .scalarInt("SELECT count(*) FROM recorder WHERE CARDNO = ?", card)
            ->value_or(-1);
    }
    void dropLine(int port) {
        ASSERT_TRUE(simOk(port, "close"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !reader(port).isConnected(); }, 3000));
    }

    QStringList lines;
    std::vector<DownloadResult> results;
};

TEST_F(AutoDownloadTest, APunchMadeWhileTheLineWasDownArrivesAndTheReaderKeepsIt) {
    dropLine(1);
    ASSERT_TRUE(simOk(1, "log add 4242 mode=2 time=2024-03-05T13:00:00"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !results.empty(); }, 8000));
    EXPECT_EQ(results[0].end, DownloadEnd::Done);
    const auto row = att().queryOne(
        "SELECT SYSTIME, MODE, READER FROM recorder WHERE CARDNO = 4242",
        [](const Statement& st) { return st.text(0) + ' ' + st.text(1) + ' ' + st.text(2); });
    ASSERT_TRUE(row && *row);
    EXPECT_EQ(**row, "2024-03-05 13:00:00 2 1");
    EXPECT_TRUE(lines.contains("Reader (Front door): Added = 1, Duplicated = 0, Invalid = 0"))
        << qPrintable(lines.join('\n'));
    EXPECT_GT(logChanges, 0);
    const QStringList state = sim.command(at(1) + "log");
    EXPECT_EQ(state.value(0).section(' ', 1, 1), "records=1");  // not cleared
    EXPECT_TRUE(op.shown().isEmpty());                          // nothing modal

    // The next connect brings the same record again: it is not stored twice.
    dropLine(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 8000));
    EXPECT_EQ(results[1].counts.duplicated, 1);
    EXPECT_EQ(rowsOfCard(4242), 1);
}

TEST_F(AutoDownloadTest, ARequestWhileOneRunsFollowsItInsteadOfInterleaving) {
    ASSERT_TRUE(simOk(1, "log fill 300"));
    ASSERT_TRUE(simOk(1, "delay 15"));
    ASSERT_TRUE(simOk(1, "clear"));
    console.autoDownload().request(1);
    EXPECT_TRUE(console.autoDownload().running(1));
    console.autoDownload().request(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 10000));
    EXPECT_EQ(results[0].counts.added, 300);
    EXPECT_EQ(results[1].counts.duplicated, 300);
    QStringList locks;
    for (const QString& f : commandFrames(1))
        if (f == kLock || f == kUnlock) locks << (f == kLock ? "lock" : "unlock");
    EXPECT_EQ(locks, (QStringList{"lock", "unlock", "lock", "unlock"}));
    QTest::qWait(100);
    EXPECT_EQ(results.size(), 2u);
}

TEST_F(AutoDownloadTest, SwitchedOffNothingIsDownloadedAfterAConnect) {
    ASSERT_TRUE(WriteSettingBool(setting::OL_AutoDownload, false));
    ASSERT_TRUE(simOk(1, "log fill 3"));
    dropLine(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader(1).isConnected(); }, 5000));
    QTest::qWait(300);
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(count(att(), "recorder"), 0);
}

TEST_F(AutoDownloadTest, CardsOfAnotherReaderAreStoredWhileAReaderDownloads) {
    pointReader(2, 2, QStringLiteral("Back door"));
    ASSERT_TRUE(simOk(1, "log fill 3000"));
    ASSERT_TRUE(simOk(1, "delay 10"));  // each block a little late: the download takes a while
    NoStepView view;
    AccessManager manager(reader(1), console.data(), op, view);
    Task<DownloadResult> download = manager.Download(false);
    bool finished = false;
    download.start([&] { finished = true; });
    for (int card : {501, 502, 503}) {
        const LogRecord row = punch(at(2) + QStringLiteral("card 11 %1 mode=1").arg(card));
        EXPECT_EQ(row.cardNo, card);
        EXPECT_EQ(row.reader, 2);
        EXPECT_FALSE(finished) << "the punch waited for the download";
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 15000));
    const DownloadResult r = download.result();
    EXPECT_EQ(r.end, DownloadEnd::Done);
    EXPECT_EQ(r.counts.added, 3000);
    EXPECT_EQ(count(att(), "recorder"), 3003);
}

}  // namespace
