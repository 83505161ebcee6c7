// Copies that replace a file: whole or not at all, also when the copying process is killed.
#include "store/db_copy.h"
#include "store/schema.h"
#include "support/store_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cstdio>

namespace tallyport::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

qint64 rows(const QString& path, const QByteArray& key = kLogKey) {
    auto db = Database::open(path, key, Database::Mode::ReadOnly);
    if (!db) return -1;
    return db->scalarInt(QStringLiteral("SELECT count(*) FROM recorder"))->value_or(-1);
}

// Rows enough for a copy of several steps, made inside the engine.
void fillLog(Database& att, int n) {
    Transaction tx(att);
    ASSERT_TRUE(
        att.run(QStringLiteral(
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                    "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) "
                    "SELECT datetime('2024-01-01', '+' || i || ' minutes'), i % 500, 1, 1 FROM n"),
                n));
    ASSERT_TRUE(tx.commit());
}

QStringList leftovers(const QString& folder, const QString& name) {
    return QDir(folder).entryList({name + QStringLiteral(".tmp-*")}, QDir::Files);
}

// ---- the child side of the kill tests: this program started again with one of these set.
const char* const kCopyChild = "TALLYPORT_TEST_COPY_CHILD";      // "from|to"
const char* const kBackupChild = "TALLYPORT_TEST_BACKUP_CHILD";  // "from|to"

// Runs the copy the parent asked for; the backup stops half-way and waits to be killed.
bool runAsChild() {
    if (qEnvironmentVariableIsSet(kCopyChild)) {
        const QStringList a = qEnvironmentVariable(kCopyChild).split(u'|');
        (void)copyFileReplacing(a[0], a[1]);
        std::_Exit(0);
    }
    if (qEnvironmentVariableIsSet(kBackupChild)) {
        const QStringList a = qEnvironmentVariable(kBackupChild).split(u'|');
        (void)backupDatabaseFile(a[0], kLogKey, a[1], [](qint64 done, qint64 total) {
            std::printf(done < total ? "half\n" : "whole\n");
            std::fflush(stdout);
            for (;;) ::pause();
            return true;
        });
        std::_Exit(0);
    }
    return false;
}

void startChild(QProcess& child, const char* role, const QString& from, const QString& to) {
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(role), from + u'|' + to);
    child.setProcessEnvironment(env);
    child.setProgram(QCoreApplication::applicationFilePath());
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    child.setArguments(
        {QStringLiteral("--gtest_filter=%1.%2")
             .arg(QLatin1String(test->test_suite_name()), QLatin1String(test->name()))});
    child.start();
    ASSERT_TRUE(child.waitForStarted(5000));
}

void killChild(QProcess& child) {
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(5000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
}

TEST(CopyKilledHalfWay, LeavesThePreviousTargetWhole) {
    if (runAsChild()) return;
    TempDataDir dir;
    const QString target = dir.file(QStringLiteral("backup_attend.db"));
    const QByteArray before(3 << 20, 'o');
    writeFile(target, before);
    // The source is a pipe the test fills: the child copies what it gets and waits for more.
    const QString pipe = dir.file(QStringLiteral("source"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess child;
    startChild(child, kCopyChild, pipe, target);
    const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const QByteArray half(2 << 20, 'n');
    ASSERT_EQ(::write(fd, half.constData(), size_t(half.size())), half.size());
    // Half of the new content is on its way to disk when the copy dies.
    QDeadlineTimer deadline(10000);
    QStringList parts;
    while (!deadline.hasExpired()) {
        parts = leftovers(dir.path(), QStringLiteral("backup_attend.db"));
        if (!parts.isEmpty() && QFileInfo(dir.file(parts[0])).size() >= (1 << 20)) break;
        QThread::msleep(5);
    }
    ASSERT_FALSE(parts.isEmpty()) << "the copy never started writing";
    killChild(child);
    ::close(fd);
    EXPECT_TRUE(readAll(target) == before);
}

class BackupFixture : public StoreFixture {};

// The child starts before any fixture: it only copies.
TEST(BackupKilledHalfWay, LeavesThePreviousBackupWhole) {
    if (runAsChild()) return;
    TempDataDir dir;
    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    ASSERT_TRUE(data.prepareDataFolder().value_or(false));
    ASSERT_TRUE(data.OpenDatabases());
    fillLog(data.att(), 60000);  // some 5 MB: more than one step of the copy
    const QString target = dir.file(QStringLiteral("backup_attend.db"));
    ASSERT_TRUE(backupDatabaseFile(dir.file(kLogTemplate), kLogKey, target));
    const QByteArray before = readAll(target);
    QProcess child;
    startChild(child, kBackupChild, dir.file(kLogFile), target);
    QByteArray line;
    QDeadlineTimer deadline(20000);
    while (line != "half" && line != "whole" && !deadline.hasExpired())
        if (child.canReadLine() || child.waitForReadyRead(int(deadline.remainingTime())))
            line = child.readLine().trimmed();
    ASSERT_EQ(line, QByteArray("half"));
    ASSERT_FALSE(leftovers(dir.path(), QStringLiteral("backup_attend.db")).isEmpty());
    killChild(child);
    EXPECT_TRUE(readAll(target) == before);
    EXPECT_EQ(rows(target), 0);
}

TEST_F(BackupFixture, IsTheLogAsItStoodWhenItBeganWhilePunchesArrive) {
    fillLog(data.att(), 60000);
    const QString target = dir.file(QStringLiteral("copy.db"));
    int punches = 0;
    // Between the steps of the copy the live connection goes on storing rows.
    const auto copied =
        backupDatabaseFile(dir.file(kLogFile), kLogKey, target, [&](qint64 done, qint64 total) {
            EXPECT_LE(done, total);
            EXPECT_TRUE(data.att().run(
                QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO) VALUES (?, ?)"),
                QStringLiteral("2025-01-01 08:00:%1").arg(punches, 2, 10, QLatin1Char('0')),
                90000 + punches));
            ++punches;
            return true;
        });
    ASSERT_TRUE(copied) << copied.error().text.toStdString();
    EXPECT_GT(punches, 1);
    EXPECT_EQ(rows(target), 60000);
    EXPECT_EQ(rows(dir.file(kLogFile)), 60000 + punches);  // no punch lost
    auto copy = Database::open(target, kLogKey, Database::Mode::ReadOnly);
    ASSERT_TRUE(copy);
    // One file, no journal beside it; the kept count agrees with the rows.
    EXPECT_EQ(copy->scalarInt(QStringLiteral("SELECT n FROM recorder_count"))->value_or(-1), 60000);
    EXPECT_EQ(copy->queryOne(QStringLiteral("PRAGMA journal_mode"),
                             [](const Statement& st) { return st.text(0); })
                  ->value_or(QString()),
              QStringLiteral("delete"));
    EXPECT_TRUE(leftovers(dir.path(), QStringLiteral("copy.db")).isEmpty());
}

TEST_F(BackupFixture, ThatFailsOrIsStoppedLeavesTheTargetAndNoDebris) {
    const QString target = dir.file(QStringLiteral("backup_attend.db"));
    writeFile(target, "previous");
    struct Case {
        const char* what;
        QString from;
        QByteArray key;
        WorkSteps step;
    };
    const Case cases[] = {
        {"wrong key", dir.file(kSystemFile), kLogKey, {}},
        {"missing source", dir.file(QStringLiteral("none.db")), kLogKey, {}},
        {"stopped", dir.file(kLogFile), kLogKey, [](qint64, qint64) { return false; }},
        {"onto itself", target, kLogKey, {}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(backupDatabaseFile(c.from, c.key, target, c.step)) << c.what;
        EXPECT_EQ(readAll(target), QByteArray("previous")) << c.what;
        EXPECT_TRUE(leftovers(dir.path(), QStringLiteral("backup_attend.db")).isEmpty()) << c.what;
    }
    // The live file itself is never a backup target.
    addLog(QStringLiteral("2024-01-01 08:00:00"), 5);
    EXPECT_FALSE(backupDatabaseFile(dir.file(kLogFile), kLogKey, dir.file(kLogFile)));
    EXPECT_EQ(data.logCount(), 1);
}

TEST(CopyFileReplacing, ReplacesWholeKeepsTheTargetsModeAndTakesItsJournalsAlong) {
    TempDataDir dir;
    const QString from = dir.file(QStringLiteral("new.db"));
    const QString to = dir.file(QStringLiteral("live.db"));
    writeFile(from, QByteArray(5 << 20, 'n'));
    writeFile(to, "old");
    writeFile(to + QStringLiteral("-wal"), "frames of the old file");
    writeFile(to + QStringLiteral("-shm"), "index");
    ASSERT_TRUE(QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner));
    qint64 last = 0;
    ASSERT_TRUE(copyFileReplacing(from, to, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 5 << 20);
        last = done;
        return true;
    }));
    EXPECT_EQ(last, 5 << 20);
    EXPECT_TRUE(readAll(to) == readAll(from));
    struct stat mode {};
    ASSERT_EQ(::stat(QFile::encodeName(to).constData(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0600u);
    EXPECT_FALSE(QFile::exists(to + QStringLiteral("-wal")));
    EXPECT_FALSE(QFile::exists(to + QStringLiteral("-shm")));
    EXPECT_TRUE(leftovers(dir.path(), QStringLiteral("live.db")).isEmpty());
}

TEST(CopyFileReplacing, ThatFailsKeepsTheTarget) {
    TempDataDir dir;
    const QString to = dir.file(QStringLiteral("live.db"));
    writeFile(to, "old");
    writeFile(dir.file(QStringLiteral("src")), "new");
    EXPECT_FALSE(copyFileReplacing(dir.file(QStringLiteral("missing")), to));
    EXPECT_FALSE(copyFileReplacing(dir.file(QStringLiteral("src")), to,
                                   [](qint64, qint64) { return false; }));
    EXPECT_FALSE(copyFileReplacing(dir.file(QStringLiteral("src")),
                                   dir.file(QStringLiteral("no/such/folder/x.db"))));
    EXPECT_EQ(readAll(to), QByteArray("old"));
    EXPECT_TRUE(leftovers(dir.path(), QStringLiteral("live.db")).isEmpty());
}

}  // namespace
}  // namespace tallyport::test
