// One data folder, one writer: the real program, whatever the runtime folder or the user.
#include "store/data_folder_lock.h"
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
#include <QProcess>
#include <QTest>

using namespace tallyport;
using namespace tallyport::test;

namespace {

struct Ran {
    int code = -1;
    QString out, err;
};

// `tallyport ARGS`, optionally as another user (`setpriv` from root) with the given environment.
Ran runProgram(const QStringList& args, const QStringList& asUser = {},
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    const QString program = BuiltProgram(QStringLiteral("tallyport"));
    if (asUser.isEmpty())
        p.start(program, args);
    else
        p.start(QStringLiteral("setpriv"),
                asUser + QStringList{QStringLiteral("--"), program} + args);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}


qint64 storedRows(const QString& folder) {
    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    return data.OpenDatabases() ? data.logCount() : -1;
}

TEST(DataFolderLock, ASecondConsoleWithItsOwnRuntimeFolderTouchesNothing) {
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    TempDataDir dir;
    pointReaderAt(dir.path(), sim.port());
    ConsoleProcess recorder(dir.path());
    ASSERT_TRUE(recorder.start()) << recorder.standardError().toStdString();
    const QString connected = QStringLiteral("readersim connected %1").arg(sim.port());
    ASSERT_TRUE(sim.waitForEvent(connected, 10000));

    ConsoleProcess second(dir.path());  // a runtime folder of its own: the per-user lock is free
    EXPECT_EQ(second.runToEnd(), kExitConsoleRunning);
    EXPECT_EQ(second.standardError(),
              QStringLiteral("error: ") +
                  dataFolderInUseText(dir.path(), recorder.process().processId()) +
                  QLatin1Char('\n'));
    EXPECT_FALSE(second.standardOutput().contains(QStringLiteral("ready")));
    EXPECT_FALSE(sim.waitForEvent(connected, 1000)) << "the second console connected the reader";

    // What the refused ones would have replaced is still the file the recorder writes.
    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 4711")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return recorder.standardOutput().contains(QStringLiteral("\t4711\t")); }, 5000));
    EXPECT_EQ(storedRows(dir.path()), 1);
    EXPECT_EQ(recorder.terminate(), 0);

    // The lock goes with its holder.
    ConsoleProcess next(dir.path());
    ASSERT_TRUE(next.start()) << next.standardError().toStdString();
    EXPECT_EQ(next.terminate(), 0);
}

// A folder shared by a group, as a service and its office users share /var/lib/tallyport: a
// member of the group is refused while the console records, someone outside it cannot lock
// the folder at all and is told so.
TEST(DataFolderLock, OtherUsersOfASharedFolderAreKeptOut) {
    if (::geteuid() != 0) GTEST_SKIP() << "switching users needs root (the CI runs as root)";
    const group* users = ::getgrnam("users");
    ASSERT_NE(users, nullptr);
    TempDataDir top;
    ASSERT_EQ(::chmod(QFile::encodeName(top.path()).constData(), 0755), 0);
    const QString data = top.file(QStringLiteral("data")), home = top.file(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkdir(data) && QDir().mkdir(home));
    ASSERT_EQ(::chown(QFile::encodeName(data).constData(), 0, users->gr_gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(data).constData(), 02770), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(home).constData(), 0777), 0);

    ConsoleProcess recorder(data);
    ASSERT_TRUE(recorder.start()) << recorder.standardError().toStdString();
    ASSERT_EQ(storedRows(data), 0);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        env.insert(QString::fromLatin1(name), home);
    const QStringList member{QStringLiteral("--reuid=65534"),
                             QStringLiteral("--regid=%1").arg(users->gr_gid),
                             QStringLiteral("--clear-groups")};
    const QStringList outsider{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups")};
    const QStringList format{QStringLiteral("format"), QStringLiteral("--yes"),
                             QStringLiteral("--data-dir"), data};

    Ran r = runProgram(format, member, env);
    EXPECT_EQ(r.code, kExitConsoleRunning) << r.err.toStdString();
    EXPECT_EQ(r.err.trimmed(), dataFolderInUseText(data, recorder.process().processId()));
    r = runProgram(format, outsider, env);
    EXPECT_EQ(r.code, kExitFailed) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("The data folder %1 cannot be locked: ").arg(data)))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Permission denied"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(recorder.terminate(), 0);

    // With the console gone the member takes the folder's lock.
    r = runProgram(format, member, env);
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
}

}  // namespace
