// `tallyport reader N ACTION`: the built program against the reader simulator.
#include "app/reader_command.h"
#include "app/subcommands.h"
#include "support/console_process.h"
#include "support/sim_process.h"
#include "support/store_fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <unistd.h>

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
    for (const char* line : {"", "1", "0 show", "9 show", "x show", "1 fly", "1 show extra",
                             "1 show --clear", "1 show --reply-wait 0", "1 show --colour"}) {
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
    for (const char* line : {"9 show", "x show", "1 fly"}) {
        const Ran r = tallyport(line);
        EXPECT_EQ(r.code, kExitUsage) << line;
        EXPECT_TRUE(r.err.contains("tallyport reader --help")) << qPrintable(r.err);
    }
    EXPECT_EQ(tallyport("--help").code, kExitDone);
    EXPECT_TRUE(simFrames().isEmpty());
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

    EXPECT_EQ(tallyport("1 clear").out, "All records are cleared.\n");
    EXPECT_EQ(tallyport("1 sync-clock").out, "Clock set.\n");
    ASSERT_TRUE(data.src().run("INSERT INTO staffs(CARDNO, NAME, COM1) VALUES (9, 'Ida', 1)"));
    r = tallyport("1 upload");
    EXPECT_EQ(r.out, "Card Information uploaded successfully.\n");
    EXPECT_EQ(sim.command("access").value(1), "entry 0 allowed=1 card=9 name=\"Ida             \"");
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
    for (const char* line : {"1 download --clear", "1 sync-clock", "1 upload", "1 show"}) {
        const Ran r = tallyport(line);
        EXPECT_EQ(r.code, kExitConsoleRunning) << line;
        EXPECT_EQ(r.err.trimmed(), dataFolderInUseText(dir.path(), ::getpid())) << line;
    }
    EXPECT_TRUE(simFrames().isEmpty());
    EXPECT_EQ(sim.command("log").value(0), "log records=3 mark=23100");
}

}  // namespace
