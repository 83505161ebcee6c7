// `tallyport reader N ACTION`: the built program against the reader simulator.
#include "app/reader_command.h"
#include "app/subcommands.h"
#include "support/console_process.h"
#include "support/sim_process.h"
#include "support/store_fixture.h"

#include <unistd.h>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

using namespace tallyport;
using namespace tallyport::test;

namespace {

struct Ran {
    int code = -1;
    QString out, err;
};

class ReaderCommandTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(sim.ready());
        point(1, "Front door", sim.port());
    }
    void point(int port, const QString& desc, quint16 ipport) {
        ASSERT_TRUE(data.src().run(
            "UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', ipport = ?, \"desc\" = ? "
            "WHERE PortNo = ?",
            int(ipport), desc, port));
    }
    Ran tallyport(const QString& line) {
        QProcess p;
        p.start(BuiltProgram("tallyport"), QStringList{"reader"} +
                                               line.split(' ', Qt::SkipEmptyParts) +
                                               QStringList{"--data-dir", dir.path()});
        if (!p.waitForFinished(30000)) return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QStringList simFrames() {
        QStringList lines = sim.command("frames");
        lines.removeLast();
        return lines;
    }
    static quint16 closedPort() {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost);
        return s.serverPort();
    }

    tallyport::testing::SimProcess sim;
};

TEST(ReaderArguments, BadUsage) {
    for (const char* line :
         {"", "1", "0 show", "9 show", "x show", "1 fly", "1 show extra", "1 show --clear",
          "1 show --reply-wait 0", "1 show --colour", "1 clear", "1 download --yes"}) {
        const ReaderRequest r = parseReaderArguments(QString(line).split(' ', Qt::SkipEmptyParts));
        EXPECT_FALSE(r.error.isEmpty()) << line;
    }
    const ReaderRequest r =
        parseReaderArguments({"8", "download", "--clear", "--reply-wait", "50"});
    EXPECT_TRUE(r.error.isEmpty());
    EXPECT_EQ(r.port, 8);
    EXPECT_EQ(r.action, ReaderAction::Download);
    EXPECT_TRUE(r.clearAfter);
    EXPECT_EQ(r.replyWaitMs, 50);
}

TEST_F(ReaderCommandTest, BadUsageIsExitTwoAndTouchesNothing) {
    ASSERT_TRUE(sim.ok("log fill 3"));
    for (const char* line : {"9 show", "x show", "1 fly", "1 clear", "1 pins 5", "1 pins 5 70000"}) {
        const Ran r = tallyport(line);
        EXPECT_EQ(r.code, kExitUsage) << line;
        EXPECT_TRUE(r.err.contains("tallyport reader --help")) << qPrintable(r.err);
    }
    EXPECT_EQ(tallyport("--help").code, kExitDone);
    EXPECT_TRUE(tallyport("1 clear").err.startsWith("Nothing is asked here: add --yes to clear."));
    EXPECT_TRUE(simFrames().isEmpty());
    EXPECT_EQ(sim.command("log").value(0), "log records=3 mark=23100");
}

TEST_F(ReaderCommandTest, DownloadPrintsTheSummaryAndClearsOnlyWhenAsked) {
    ASSERT_TRUE(sim.ok("log fill 12 invalid-every=6"));
    Ran r = tallyport("1 download");
    EXPECT_EQ(r.code, kExitDone) << qPrintable(r.err);
    EXPECT_EQ(r.out, "Added = 10, Duplicated = 0, Invalid = 2\n");
    r = tallyport("1 download --clear");
    EXPECT_EQ(r.out, "Added = 0, Duplicated = 10, Invalid = 2\n");
    EXPECT_EQ(sim.command("log").value(0), "log records=0 mark=23100");
    r = tallyport("1 download");
    EXPECT_EQ(r.code, kExitDone);
    EXPECT_EQ(r.out, "No record to download.\n");
    EXPECT_EQ(data.att().scalarInt("SELECT count(*) FROM recorder")->value_or(-1), 10);
}

TEST_F(ReaderCommandTest, ShowClearSyncAndUpload) {
    ASSERT_TRUE(sim.ok("set line1 Welcome"));
    ASSERT_TRUE(sim.ok("set options 0x03"));
    ASSERT_TRUE(sim.ok("log fill 4"));
    ASSERT_TRUE(data.src().run("UPDATE reader SET mode = 2 WHERE PortNo = 1"));
    Ran r = tallyport("1 show");
    EXPECT_EQ(r.code, kExitDone) << qPrintable(r.err);
    const QStringList lines = r.out.split('\n');
    EXPECT_TRUE(lines.value(0).startsWith("Reader 1 (Front door) at 127.0.0.1:"));
    EXPECT_TRUE(lines.contains("Line 1: \"Welcome         \""));
    EXPECT_TRUE(lines.contains("Options: Back Light On, Keypad Bypass"));
    EXPECT_TRUE(lines.contains("Mode: OUT"));
    EXPECT_TRUE(lines.contains("Timetable: not used"));
    EXPECT_TRUE(lines.contains("Stored records: 4"));
    EXPECT_TRUE(
        lines.filter(QRegularExpression("^Clock: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
            .size() == 1);

    EXPECT_EQ(tallyport("1 clear --yes").out, "All records are cleared.\n");
    EXPECT_EQ(tallyport("1 sync-clock").out, "Clock set.\n");
    ASSERT_TRUE(data.src().run("INSERT INTO staffs(CARDNO, NAME, COM1) VALUES (9, 'Ida', 1)"));
    r = tallyport("1 upload");
    EXPECT_EQ(r.out, "Card Information uploaded successfully.\n");
    EXPECT_EQ(sim.command("access").value(1), "entry 0 allowed=1 card=9 name=\"Ida             \"");
}

// The reader announced 100 records, but the sequence bits broke after 40: the 40 are in, the
// reader keeps all of them, and the command fails.
TEST_F(ReaderCommandTest, DownloadClearsOnlyWhenEveryAnnouncedRecordWasRead) {
    ASSERT_TRUE(sim.ok("log fill 40"));
    ASSERT_TRUE(sim.ok("fault count 100"));
    const Ran r = tallyport("1 download --clear");
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.err,
              "Added = 40, Duplicated = 0, Invalid = 0\n"
              "40 of 100 records read; the reader was not cleared.\n");
    EXPECT_EQ(sim.command("log").value(0), "log records=40 mark=23100");
    EXPECT_EQ(data.att().scalarInt("SELECT count(*) FROM recorder")->value_or(-1), 40);
}

// Card reads at the reader while the command downloads it, many blocks each answered a little
// late, so that a card frame often follows a block on the line: every punch is stored once
// with its mode, every record of the reader once, nothing else, and the reader is cleared.
TEST_F(ReaderCommandTest, CardReadsDuringADownloadAreStoredOnceBesideEveryRecord) {
    ASSERT_TRUE(data.src().run("UPDATE reader SET mode = 1 WHERE PortNo = 1"));
    ASSERT_TRUE(sim.ok("log fill 3300 from=2026-07-01T08:00:00 step=60 card=4300 cards=3"));
    ASSERT_TRUE(sim.ok("delay 25"));
    QProcess p;
    p.start(BuiltProgram("tallyport"),
            {"reader", "1", "download", "--clear", "--data-dir", dir.path()});
    ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port())));
    const int punches = 8;  // card 1001 ... 1008; the odd ones with their own mode and stamp
    for (int i = 0; i < punches; ++i) {
        QTest::qWait(120);
        ASSERT_TRUE(sim.ok(i % 2 ? QStringLiteral("card 11 %1 mode=2 time=2026-08-01T10:00:%2")
                                       .arg(1001 + i)
                                       .arg(i, 2, 10, QChar('0'))
                                 : QStringLiteral("card 6 %1").arg(1001 + i)));
    }
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), kExitDone) << p.readAllStandardError().constData();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              "Added = 3300, Duplicated = 0, Invalid = 0\nCard reads stored meanwhile: 8\n");
    EXPECT_EQ(sim.command("log").value(0), "log records=0 mark=23100");
    Database& att = data.att();
    for (int i = 0; i < punches; ++i) {
        const auto rows = att.query(
            "SELECT MODE, READER FROM recorder WHERE CARDNO = ?",
            [](const Statement& st) {
                return QList<int>{st.integer(0), st.integer(1)};
            },
            1001 + i);
        ASSERT_TRUE(rows);
        EXPECT_EQ(*rows, (std::vector<QList<int>>{{i % 2 ? 2 : 1, 1}})) << 1001 + i;
    }
    EXPECT_EQ(att.scalarInt("SELECT count(*) FROM recorder")->value_or(-1), 3300 + punches);
    EXPECT_EQ(att.scalarInt("SELECT count(*) FROM (SELECT DISTINCT SYSTIME, CARDNO FROM recorder "
                            "WHERE CARDNO BETWEEN 4300 AND 4302 AND SYSTIME >= '2026-07-01' "
                            "AND SYSTIME < '2026-07-04')")
                  ->value_or(-1),
              3300);
}

TEST_F(ReaderCommandTest, AnAbsentOrSilentReaderFailsWithItsMessage) {
    point(2, "Back door", closedPort());
    Ran r = tallyport("2 show");
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.err, "Failed to connect reader (Back door). Please retry later!\n");
    ASSERT_TRUE(sim.ok("silent"));
    r = tallyport("1 sync-clock --reply-wait 100");
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.err, "No response from the reader.\n");
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(ReaderCommandTest, WhileAnotherProcessHoldsTheDataFolderNothingIsTouched) {
    const DataFolderLock console = DataFolderLock::take(dir.path());  // as a running console
    ASSERT_TRUE(console.held());
    ASSERT_TRUE(sim.ok("log fill 3"));
    for (const char* line :
         {"1 download --clear", "1 clear --yes", "1 sync-clock", "1 upload", "1 show"}) {
        const Ran r = tallyport(line);
        EXPECT_EQ(r.code, kExitConsoleRunning) << line;
        EXPECT_EQ(r.err.trimmed(), dataFolderInUseText(dir.path(), ::getpid())) << line;
    }
    EXPECT_TRUE(simFrames().isEmpty());
    EXPECT_EQ(sim.command("log").value(0), "log records=3 mark=23100");
}

}  // namespace
