// The console as a person runs it: `tallyport --headless` on a data folder.
#include "support/console_process.h"
#include "support/sim_process.h"
#include "support/temp_data.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace tallyport::test;

namespace {

// Runs the sqlcipher shell on a file with the given statements; its output, or "" on error.
QString sqlcipher(const QString& file, const QString& statements) {
    QProcess p;
    p.start(QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), file});
    p.write(statements.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(10000);
    if (p.exitCode() != 0 || !p.readAllStandardError().isEmpty()) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

TEST(HeadlessConsole, StartsOnAnEmptyFolderWithEncryptedFilesAndStopsOnSigterm) {
    TempDataDir dir;
    const QString data = dir.file(QStringLiteral("data"));
    ConsoleProcess console(data);
    ASSERT_TRUE(console.start()) << console.standardError().toStdString()
                                 << console.process().errorString().toStdString();
    EXPECT_TRUE(console.standardOutput().contains(QStringLiteral("Tallyport 0.1.0 ready: ") + data))
        << console.standardOutput().toStdString();
    EXPECT_EQ(console.terminate(), 0);
    EXPECT_TRUE(console.standardError().contains(QStringLiteral("information: no record")));

    const QString keyed = QStringLiteral("PRAGMA key = 'Qv7m'; PRAGMA cipher_page_size = 4096;\n");
    EXPECT_EQ(sqlcipher(data + QStringLiteral("/attend.db"), keyed + "SELECT count(*) FROM recorder;"),
              QStringLiteral("0"));
    EXPECT_EQ(sqlcipher(data + QStringLiteral("/attend.db"), QStringLiteral("SELECT count(*) FROM recorder;")),
              QString());
    const QString sysKeyed = QStringLiteral("PRAGMA key = 'Rk4p.zx'; PRAGMA cipher_page_size = 4096;\n");
    EXPECT_EQ(sqlcipher(data + QStringLiteral("/sysdat.db"), sysKeyed + "SELECT count(*) FROM reader;"),
              QStringLiteral("8"));
    // The file holds no readable text of its schema: it is encrypted, not merely keyed.
    QFile f(data + QStringLiteral("/attend.db"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.readAll().contains("recorder"));
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/photos")));
}

TEST(HeadlessConsole, ASecondLaunchSaysSoAndEndsWithoutTouchingAnything) {
    TempDataDir dir;
    ConsoleProcess first(dir.file(QStringLiteral("one")));
    ASSERT_TRUE(first.start());
    ConsoleProcess second(dir.file(QStringLiteral("two")), first.runtimeDir());
    EXPECT_EQ(second.runToEnd(), 0);
    // No window, so no tray to point to.
    EXPECT_TRUE(second.standardError().contains(QStringLiteral(
        "The Tallyport console is already running. Only one console runs for each user.")));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("two"))));
    EXPECT_EQ(first.terminate(), 0);
}

TEST(HeadlessConsole, ALockLeftByACrashedConsoleDoesNotBlockTheNextStart) {
    TempDataDir dir;
    ConsoleProcess crashed(dir.file(QStringLiteral("data")));
    ASSERT_TRUE(crashed.start());
    crashed.process().kill();  // no chance to release the lock
    crashed.process().waitForFinished();
    ASSERT_TRUE(QFile::exists(crashed.runtimeDir() + QStringLiteral("/TallyportTime.lock")));
    ConsoleProcess next(dir.file(QStringLiteral("data")), crashed.runtimeDir());
    ASSERT_TRUE(next.start()) << next.standardError().toStdString();
    EXPECT_EQ(next.terminate(), 0);
}

TEST(HeadlessConsole, AMissingLogFileIsReportedTheSystemFileStillTriedAndTheProgramEnds) {
    TempDataDir dir;
    ConsoleProcess setup(dir.path());
    ASSERT_TRUE(setup.start());
    ASSERT_EQ(setup.terminate(), 0);
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("attend.db"))));
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("sysdat.db"))));
    ConsoleProcess console(dir.path());
    EXPECT_EQ(console.runToEnd(), 1);
    const QString err = console.standardError();
    EXPECT_TRUE(err.contains(QStringLiteral("error: System Error: Cannot open attend.db\n"
                                            "error: System Error: Cannot open sysdat.db")))
        << err.toStdString();
    EXPECT_FALSE(console.standardOutput().contains(QStringLiteral("ready")));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("attend.db"))));
}

TEST(HeadlessConsole, OptionsHelpVersionAndAWrongOption) {
    TempDataDir dir;
    QProcess p;
    p.start(BuiltProgram(QStringLiteral("tallyport")), {QStringLiteral("--help")});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains("--data-dir DIR"));
    p.start(BuiltProgram(QStringLiteral("tallyport")), {QStringLiteral("--version")});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.readAllStandardOutput().trimmed(), QByteArray("Tallyport 0.1.0"));
    p.start(BuiltProgram(QStringLiteral("tallyport")), {QStringLiteral("--frobnicate")});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("Unknown option: --frobnicate"));
}

}  // namespace

namespace {

// Sets reader 1 of a data folder made by an earlier start to the given address.
bool pointReaderOne(const QString& folder, quint16 port) {
    QProcess p;
    p.start(QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), folder + QStringLiteral("/sysdat.db")});
    p.write(QStringLiteral("PRAGMA key = 'Rk4p.zx'; PRAGMA cipher_page_size = 4096;\n"
                           "UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', ipport = %1, "
                           "\"desc\" = 'Front door' WHERE PortNo = 1;\n")
                .arg(port)
                .toUtf8());
    p.closeWriteChannel();
    return p.waitForFinished(10000) && p.exitCode() == 0 && p.readAllStandardError().isEmpty();
}

TEST(HeadlessConsole, ConnectsItsEnabledReadersAndLogsTheirState) {
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    TempDataDir dir;
    {
        ConsoleProcess setup(dir.path());
        ASSERT_TRUE(setup.start());
        ASSERT_EQ(setup.terminate(), 0);
    }
    ASSERT_TRUE(pointReaderOne(dir.path(), sim.port()));
    ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start());
    EXPECT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 5000));
    ASSERT_TRUE(sim.ok(QStringLiteral("close")));
    QDeadlineTimer deadline(8000);
    while (!console.standardError().contains(QStringLiteral("lost its connection")) &&
           !deadline.hasExpired())
        console.process().waitForReadyRead(100);
    EXPECT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 8000));
    EXPECT_EQ(console.terminate(), 0);
    const QString err = console.standardError();
    EXPECT_TRUE(err.contains(QStringLiteral("reader: Reader (Front door) connected."))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("reader: Reader (Front door) lost its connection.")));
    EXPECT_TRUE(sim.waitForEvent(QStringLiteral("readersim disconnected %1").arg(sim.port()), 5000));
}

}  // namespace
