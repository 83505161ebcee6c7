// One recorder, many hands: the command line from other runtime folders and other users of
// the folder's group works through the recorder's control socket.
#include "app/control_protocol.h"
#include "app/headless.h"
#include "app/subcommands.h"
#include "store/data_module.h"
#include "store/schema.h"
#include "support/console_process.h"
#include "support/reader_folder.h"
#include "support/scripted_operator.h"
#include "support/sim_process.h"
#include "support/temp_data.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace tallyport;
using namespace tallyport::test;

namespace {

struct Ran {
    int code = -1;
    QString out, err;
};

// `tallyport ARGS` with a runtime folder of its own, optionally as another user (`setpriv`).
class Command {
public:
    Command() { m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path()); }
    // The user and groups for setpriv, with a home every user may write.
    void asUser(const QStringList& setpriv) {
        m_user = setpriv;
        ::chmod(QFile::encodeName(m_home.path()).constData(), 0777);
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            m_env.insert(QString::fromLatin1(name), m_home.path());
    }
    QProcess& start(const QStringList& args) {
        m_proc.setProcessEnvironment(m_env);
        const QString program = BuiltProgram(QStringLiteral("tallyport"));
        if (m_user.isEmpty())
            m_proc.start(program, args);
        else
            m_proc.start(QStringLiteral("setpriv"),
                         m_user + QStringList{QStringLiteral("--"), program} + args);
        return m_proc;
    }
    Ran finish() {
        if (m_proc.state() != QProcess::NotRunning && !m_proc.waitForFinished(60000)) return {};
        return {m_proc.exitCode(), QString::fromUtf8(m_proc.readAllStandardOutput()),
                QString::fromUtf8(m_proc.readAllStandardError())};
    }
    Ran run(const QStringList& args) {
        start(args);
        return finish();
    }

private:
    QTemporaryDir m_home;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
    QStringList m_user;
    QProcess m_proc;
};


qint64 storedRows(const QString& folder) {
    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    return data.OpenDatabases() ? data.logCount() : -1;
}

QJsonObject parsedStatus(const Ran& r) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object();
}

// A recorder on a folder whose reader 1 is the simulator's.
struct RecorderFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(sim.ready());
        pointReaderAt(dir.path(), sim.port());
        ASSERT_TRUE(recorder.start()) << recorder.standardError().toStdString();
        ASSERT_TRUE(
            sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000));
    }
    QStringList folder() const { return {QStringLiteral("--data-dir"), dir.path()}; }

    tallyport::testing::SimProcess sim;
    TempDataDir dir;
    ConsoleProcess recorder{dir.path()};
};

TEST_F(RecorderFixture, StatusNamesTheRecorderAndItsReaders) {
    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 4711")));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return recorder.standardOutput().contains(QStringLiteral("\t4711\t")); }, 5000));

    const Ran r =
        Command().run(QStringList{QStringLiteral("status"), QStringLiteral("--json")} + folder());
    ASSERT_EQ(r.code, kExitDone) << r.err.toStdString();
    const QJsonObject s = parsedStatus(r);
    EXPECT_EQ(s[u"recorder"][u"pid"].toInteger(), recorder.process().processId());
    EXPECT_EQ(s[u"logRows"].toInteger(), 1);
    const QJsonArray readers = s[u"readers"].toArray();
    ASSERT_EQ(readers.size(), 1);
    EXPECT_EQ(readers[0][u"port"].toInt(), 1);
    EXPECT_EQ(readers[0][u"description"].toString(), QStringLiteral("Front door"));
    EXPECT_EQ(readers[0][u"address"].toString(), QStringLiteral("127.0.0.1:%1").arg(sim.port()));
    EXPECT_EQ(readers[0][u"state"].toString(), QStringLiteral("connected"));
    EXPECT_TRUE(readers[0][u"lastPunch"].toString().endsWith(QStringLiteral(" card 4711")));

    const Ran text = Command().run(QStringList{QStringLiteral("status")} + folder());
    EXPECT_EQ(text.code, kExitDone);
    EXPECT_TRUE(text.out.contains(
        QStringLiteral("Reader 1 (Front door) at 127.0.0.1:%1: connected\n").arg(sim.port())))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Log rows: 1\n")));
}

// The download runs on the recorder's own link while punches go on at the same reader: every
// stored record and every punch ends up in the log once.
TEST_F(RecorderFixture, DownloadThroughTheRecorderLosesNoLivePunch) {
    ASSERT_TRUE(sim.ok(QStringLiteral("log fill 1500 from=2024-03-01T08:00:00 step=7")));
    ASSERT_TRUE(sim.ok(QStringLiteral("delay 10")));  // the download lasts while cards are read
    Command cli;
    QProcess& download =
        cli.start(QStringList{QStringLiteral("reader"), QStringLiteral("1"),
                              QStringLiteral("download"), QStringLiteral("--clear")} +
                  folder());
    ASSERT_TRUE(download.waitForStarted());
    constexpr int kPunches = 20;
    for (int i = 0; i < kPunches; ++i) {
        ASSERT_TRUE(sim.ok(QStringLiteral("card 6 %1").arg(9000 + i)));
        QTest::qWait(20);
    }
    const Ran r = cli.finish();
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    // The automatic download may have taken some first: together they are every record.
    const QRegularExpression summary(
        QStringLiteral("Added = (\\d+), Duplicated = (\\d+), Invalid = 0\n"));
    const QRegularExpressionMatch m = summary.match(r.out);
    ASSERT_TRUE(m.hasMatch()) << r.out.toStdString();
    EXPECT_EQ(m.captured(1).toInt() + m.captured(2).toInt(), 1500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedRows(dir.path()) == 1500 + kPunches; }, 10000))
        << storedRows(dir.path());
    EXPECT_TRUE(
        sim.command(QStringLiteral("log")).value(0).startsWith(QStringLiteral("log records=0 ")));

    // Same words, same exit codes as alone: a bad port is bad usage, decided by this side.
    const Ran bad = Command().run(
        QStringList{QStringLiteral("reader"), QStringLiteral("9"), QStringLiteral("show")} +
        folder());
    EXPECT_EQ(bad.code, kExitUsage);
    const Ran show = Command().run(
        QStringList{QStringLiteral("reader"), QStringLiteral("1"), QStringLiteral("show")} +
        folder());
    EXPECT_EQ(show.code, kExitDone) << show.err.toStdString();
    EXPECT_TRUE(show.out.startsWith(
        QStringLiteral("Reader 1 (Front door) at 127.0.0.1:%1\nClock: ").arg(sim.port())))
        << show.out.toStdString();
    EXPECT_TRUE(show.out.contains(QStringLiteral("\nStored records: 0\n")));
    // What replaces the recorder's files stays refused.
    const Ran erase = Command().run(
        QStringList{QStringLiteral("erase"), QStringLiteral("log"), QStringLiteral("--yes")} +
        folder());
    EXPECT_EQ(erase.code, kExitConsoleRunning);
    EXPECT_EQ(storedRows(dir.path()), 1500 + kPunches);
}

// An import through the recorder: its next punch of the imported card names the holder.
TEST_F(RecorderFixture, ImportedHoldersReachTheRecordersNextPunch) {
    TempDataDir other;
    {
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(other.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        ASSERT_TRUE(data.OpenDatabases());
        ASSERT_TRUE(data.src().run(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME) VALUES (515, 'Vera')")));
    }
    // A relative FILE is the command's, not the recorder's.
    QProcess cli;
    cli.setWorkingDirectory(other.path());
    cli.start(
        BuiltProgram(QStringLiteral("tallyport")),
        QStringList{QStringLiteral("import"), QStringLiteral("staff"), kSystemFile} + folder());
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), kExitDone) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(cli.readAllStandardOutput().contains("Staff Added = 1 records"));

    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 515")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return recorder.standardOutput().contains(QStringLiteral("\t515\tVera")); }, 5000))
        << recorder.standardOutput().toStdString();
}

// A client that hangs up right after asking cancels nothing: the download is stored whole.
TEST_F(RecorderFixture, AClientThatVanishesCancelsNothing) {
    ASSERT_TRUE(sim.ok(QStringLiteral("log fill 800")));
    {
        QLocalSocket s;
        s.connectToServer(controlSocketPath(dir.path()));
        ASSERT_TRUE(s.waitForConnected(5000));
        s.write(controlLine(
            {{control::Command, QStringLiteral("reader")},
             {control::Args, QJsonArray{QStringLiteral("1"), QStringLiteral("download")}}}));
        ASSERT_TRUE(s.waitForBytesWritten(5000));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedRows(dir.path()) == 800; }, 20000))
        << storedRows(dir.path());
    // The recorder goes on answering.
    const Ran r =
        Command().run(QStringList{QStringLiteral("status"), QStringLiteral("--json")} + folder());
    EXPECT_EQ(r.code, kExitDone);
}

// What is not a request of this version is refused with words, and the recorder goes on.
TEST_F(RecorderFixture, OtherVersionsAndOversizedRequestsAreRefused) {
    const auto ask = [&](const QByteArray& bytes) {
        QLocalSocket s;
        s.connectToServer(controlSocketPath(dir.path()));
        EXPECT_TRUE(s.waitForConnected(5000));
        s.write(bytes);
        QByteArray answer;
        while (s.state() == QLocalSocket::ConnectedState && s.waitForReadyRead(5000))
            answer += s.readAll();
        return answer + s.readAll();
    };
    const QByteArray other = ask(R"({"protocol":2,"command":"status","args":[]})"
                                 "\n");
    EXPECT_TRUE(other.contains(protocolMismatchText(kControlProtocolVersion, 2).toUtf8()))
        << other.toStdString();
    EXPECT_TRUE(other.contains(R"("exit":2)"));
    const QByteArray huge = ask(QByteArray(kMaxRequestBytes + 10, 'x'));
    EXPECT_TRUE(huge.contains("The request is longer than")) << huge.left(300).toStdString();
    EXPECT_TRUE(ask("{]\n").contains("could not read the request"));
    const Ran r = Command().run(QStringList{QStringLiteral("status")} + folder());
    EXPECT_EQ(r.code, kExitDone);
}

// The desktop started on a folder the recorder holds opens beside it instead of being refused,
// and `reader N set` is carried out by the recorder, which connects the changed reader at once.
TEST_F(RecorderFixture, TheDesktopAttachesAndReaderSetReachesTheRecorder) {
    Command desktop;
    QProcess& window = desktop.start(folder());
    ASSERT_TRUE(window.waitForStarted());
    // Refused, it would end at once with exit code 3.
    EXPECT_FALSE(window.waitForFinished(4000)) << window.readAllStandardError().toStdString();
    window.terminate();
    const Ran closed = desktop.finish();
    EXPECT_EQ(closed.code, kExitDone) << closed.err.toStdString();
    EXPECT_FALSE(closed.err.contains(QStringLiteral("in use by another"))) << closed.err.toStdString();

    const Ran set = Command().run(QStringList{QStringLiteral("reader"), QStringLiteral("1"),
                                              QStringLiteral("set"), QStringLiteral("--desc"),
                                              QStringLiteral("Back door")} +
                                  folder());
    ASSERT_EQ(set.code, kExitDone) << set.err.toStdString();
    EXPECT_TRUE(set.out.endsWith(QStringLiteral("\tBack door\n"))) << set.out.toStdString();
    EXPECT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000));
    const Ran status =
        Command().run(QStringList{QStringLiteral("status"), QStringLiteral("--json")} + folder());
    const QJsonArray readers = parsedStatus(status)[u"readers"].toArray();
    ASSERT_EQ(readers.size(), 1);
    EXPECT_EQ(readers[0][u"description"].toString(), QStringLiteral("Back door"));
}

// `systemctl reload`: a reader added to the table connects, the unchanged one keeps its line.
TEST(RecorderControl, ReloadTakesNewReadersWithoutDroppingTheOthers) {
    tallyport::testing::SimProcess sim({QStringLiteral("--port"), QStringLiteral("0"),
                                        QStringLiteral("--port"), QStringLiteral("0")});
    ASSERT_TRUE(sim.ready());
    TempDataDir dir;
    pointReaderAt(dir.path(), sim.port(0));
    ConsoleProcess recorder(dir.path());
    ASSERT_TRUE(recorder.start()) << recorder.standardError().toStdString();
    ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port(0)), 10000));
    {
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.OpenDatabases());
        ASSERT_TRUE(
            data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                          "ipport = ?, mode = 2 WHERE PortNo = 2"),
                           int(sim.port(1))));
    }
    ASSERT_EQ(::kill(pid_t(recorder.process().processId()), SIGHUP), 0);
    EXPECT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port(1)), 10000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return recorder.standardError().contains(QStringLiteral("configured anew: 2\n")); },
        5000))
        << recorder.standardError().toStdString();
    EXPECT_FALSE(
        sim.waitForEvent(QStringLiteral("readersim disconnected %1").arg(sim.port(0)), 500));
    ASSERT_TRUE(sim.ok(QStringLiteral("@%1 card 6 4711").arg(sim.port(1))));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return recorder.standardOutput().contains(QStringLiteral("\t4711\t")); }, 5000));
    EXPECT_EQ(recorder.terminate(), 0);
}

TEST(RecorderControl, WithoutARecorderStatusSaysSoAndReadsTheFiles) {
    TempDataDir dir;
    ConsoleProcess first(dir.path());
    ASSERT_TRUE(first.start()) << first.standardError().toStdString();
    EXPECT_TRUE(first.standardError().contains(kNoReaderEnabled))
        << first.standardError().toStdString();
    EXPECT_EQ(first.terminate(), 0);
    EXPECT_FALSE(QFile::exists(controlSocketPath(dir.path())));  // the recorder took it along

    const Ran r =
        Command().run({QStringLiteral("status"), QStringLiteral("--data-dir"), dir.path()});
    EXPECT_EQ(r.code, kExitConsoleRunning);
    EXPECT_TRUE(r.err.contains(QStringLiteral("No recorder holds %1.").arg(dir.path())))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("No reader is enabled.\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Log rows: 0\n")));
}

// A folder shared by a group: a member asks the recorder as its own user may; someone outside
// the group is refused by the socket's mode and, were the mode loosened, by the recorder.
TEST(RecorderControl, MembersOfTheGroupMayAskOthersAreRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "switching users needs root (the CI runs as root)";
    const group* users = ::getgrnam("users");
    ASSERT_NE(users, nullptr);
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    TempDataDir top;
    ASSERT_EQ(::chmod(QFile::encodeName(top.path()).constData(), 0755), 0);
    const QString data = top.file(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkdir(data));
    ASSERT_EQ(::chown(QFile::encodeName(data).constData(), 0, users->gr_gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(data).constData(), 02770), 0);
    pointReaderAt(data, sim.port());
    ConsoleProcess recorder(data);
    ASSERT_TRUE(recorder.start()) << recorder.standardError().toStdString();
    ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000));

    struct stat socket {};
    ASSERT_EQ(::stat(QFile::encodeName(controlSocketPath(data)).constData(), &socket), 0);
    EXPECT_EQ(socket.st_mode & 07777, 0660u);
    EXPECT_EQ(socket.st_gid, users->gr_gid);

    const QStringList status{QStringLiteral("status"), QStringLiteral("--json"),
                             QStringLiteral("--data-dir"), data};
    Command member;
    member.asUser({QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                   QStringLiteral("--groups=%1").arg(users->gr_gid)});
    Ran r = member.run(status);
    ASSERT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_EQ(parsedStatus(r)[u"readers"].toArray().size(), 1);
    r = member.run({QStringLiteral("reader"), QStringLiteral("1"), QStringLiteral("sync-clock"),
                    QStringLiteral("--data-dir"), data});
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();

    Command outsider;
    outsider.asUser({QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups")});
    r = outsider.run(status);
    EXPECT_EQ(r.code, kExitConsoleRunning);
    EXPECT_TRUE(r.out.isEmpty() || !r.out.contains(QStringLiteral("\"recorder\"")));

    // With the folder and the socket opened to all, the recorder's own check still refuses.
    ASSERT_EQ(::chmod(QFile::encodeName(data).constData(), 02775), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(controlSocketPath(data)).constData(), 0666), 0);
    r = outsider.run({QStringLiteral("reader"), QStringLiteral("1"), QStringLiteral("sync-clock"),
                      QStringLiteral("--data-dir"), data});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Refused: user nobody is neither root")))
        << r.err.toStdString();
    EXPECT_EQ(recorder.terminate(), 0);
}

}  // namespace
