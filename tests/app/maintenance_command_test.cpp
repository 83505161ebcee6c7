// `tallyport backup|restore|import|erase|format`: the real program on data folders on disk.
#include "app/subcommands.h"
#include "store/maintenance_texts.h"
#include "store/replaced_copies.h"
#include "store/schema.h"
#include "support/console_process.h"
#include "support/live_console.h"
#include "support/store_fixture.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace tallyport::test {
namespace {

struct Ran {
    int code = -1;
    QString out, err;
};

// The program with its arguments and --data-dir; `runtime` is the folder of the console lock.
Ran runProgram(const QStringList& args, const QString& dataDir, const QString& runtime = {}) {
    QProcess p;
    if (!runtime.isEmpty()) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        p.setProcessEnvironment(env);
    }
    p.setProgram(BuiltProgram(QStringLiteral("tallyport")));
    p.setArguments(args + QStringList{QStringLiteral("--data-dir"), dataDir});
    p.start();
    if (!p.waitForFinished(60000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class MaintenanceProgram : public StoreFixture {
protected:
    Ran run(const QString& line, const QString& runtime = {}) {
        return runProgram(line.split(u' ', Qt::SkipEmptyParts), dir.path(), runtime);
    }
    qint64 count(Database& db, const char* table) {
        return db.scalarInt(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table))
            ->value_or(-1);
    }
};

TEST_F(MaintenanceProgram, BadUsageExitsTwoAndHelpExitsZero) {
    const char* bad[] = {
        "backup",
        "backup log",
        "backup staff x.db",
        "restore sys",
        "import sys x.db",
        "import log x.db --yes",
        "erase log",
        "erase staff --yes",
        "erase log --before 2024-02-30 --yes",
        "erase log --before --yes",
        "format",
        "format --yes now",
        "backup log x.db --colour",
    };
    for (const char* line : bad) {
        const Ran r = run(QString::fromLatin1(line));
        EXPECT_EQ(r.code, kExitUsage) << line;
        EXPECT_TRUE(r.err.contains(QStringLiteral("Usage: tallyport ") +
                                   QString::fromLatin1(line).section(u' ', 0, 0)))
            << line << ": " << r.err.toStdString();
    }
    for (const char* command : {"backup", "restore", "import", "erase", "format"}) {
        const Ran r = run(QString::fromLatin1(command) + QStringLiteral(" --help"));
        EXPECT_EQ(r.code, kExitDone) << command;
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("Usage: tallyport ") + QLatin1String(command)));
    }
    EXPECT_EQ(data.logCount(), 0);
}

// The console and the commands run with runtime folders of their own, as a service and an
// administrator's shell do: the data folder itself keeps them apart.
// What replaces the console's files is refused; imports are carried out by the console.
TEST_F(MaintenanceProgram, WhileAConsoleRunsItImportsAndNothingIsReplaced) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    addStaff(5, QStringLiteral("ANNA"), 1);
    const QString backup = dir.file(QStringLiteral("copy.db"));
    ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start());
    const QString inUse = dataFolderInUseText(dir.path(), console.process().processId());
    for (const QString& line :
         {QStringLiteral("restore log ") + dir.file(kLogTemplate),
          QStringLiteral("erase log --yes"), QStringLiteral("format --yes")}) {
        const Ran r = run(line);
        EXPECT_EQ(r.code, kExitConsoleRunning) << line.toStdString();
        EXPECT_EQ(r.err.trimmed(), inUse) << line.toStdString();
    }
    for (const QString& line : {QStringLiteral("import staff ") + dir.file(kSystemTemplate),
                                QStringLiteral("import log ") + dir.file(kLogTemplate)}) {
        const Ran r = run(line);
        EXPECT_EQ(r.code, kExitDone) << line.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("Added = 0 records"))) << r.out.toStdString();
    }
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(count(data.src(), "staffs"), 1);
    const Ran r = run(QStringLiteral("backup log ") + backup);
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Completed.\n"));
    auto copy = Database::open(backup, kLogKey, Database::Mode::ReadOnly);
    ASSERT_TRUE(copy);
    EXPECT_EQ(count(*copy, "recorder"), 1);
    EXPECT_EQ(console.terminate(), 0);
}

// A keyed file of the right kind that is not a whole database (holders only, as a hand-made
// file would be) would end the next start with "no such table".
TEST_F(MaintenanceProgram, RestoreTakesOnlyAWholeFileOfItsKind) {
    addStaff(5, QStringLiteral("ANNA"), 1);
    const QString onlyStaffs = dir.file(QStringLiteral("staffs.db"));
    {
        auto db = Database::open(onlyStaffs, kSystemKey, Database::Mode::Create);
        ASSERT_TRUE(db && db->exec(QStringLiteral("CREATE TABLE staffs (SEQ INTEGER PRIMARY KEY, "
                                                  "CARDNO INTEGER, NAME TEXT); "
                                                  "PRAGMA user_version = 1")));
    }
    data.CloseDatabases();
    const QByteArray liveLog = readAll(dir.file(kLogFile)),
                     liveSys = readAll(dir.file(kSystemFile));
    for (const QString& line : {QStringLiteral("restore sys ") + onlyStaffs,
                                QStringLiteral("restore log ") + dir.file(kSystemFile)}) {
        const Ran r = run(line);
        EXPECT_EQ(r.code, kExitFailed) << line.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("Invalid Database\n"))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    EXPECT_TRUE(readAll(dir.file(kLogFile)) == liveLog);
    EXPECT_TRUE(readAll(dir.file(kSystemFile)) == liveSys);
    EXPECT_FALSE(QFileInfo::exists(dir.file(kReplacedFolder)));
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(count(data.src(), "staffs"), 1);
}

// The backup's own console has just stored two punches: they are in its write-ahead file.
TEST_F(MaintenanceProgram, RestoreTakesTheRowsInTheBackupsWriteAheadFileAndPrintsTheKeptCopy) {
    addLog(QStringLiteral("2024-03-02 08:00:00"), 6);
    data.CloseDatabases();
    const QString backup = dir.file(QStringLiteral("b.db"));
    ASSERT_TRUE(QFile::copy(dir.file(kLogTemplate), backup));
    auto writer = Database::open(backup, kLogKey, Database::Mode::ReadWrite);
    ASSERT_TRUE(writer);
    for (const char* t : {"2024-03-01 08:00:00", "2024-03-01 09:00:00"})
        ASSERT_TRUE(
            writer->run(QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO) VALUES (?, 5)"),
                        QString::fromLatin1(t)));
    ASSERT_GT(QFileInfo(backup + QStringLiteral("-wal")).size(), 0);
    const Ran r = run(QStringLiteral("restore log ") + backup);
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(count(data.att(), "recorder"), 2);
    EXPECT_EQ(data.logCount(), 2);
    // The replaced log, with the punch it held, where the program said.
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    ASSERT_TRUE(lines[0].startsWith(msg::KeptCopy));
    EXPECT_EQ(lines[1], msg::Completed);
    const QString kept = lines[0].mid(msg::KeptCopy.size());
    EXPECT_EQ(QFileInfo(kept).absolutePath(), dir.file(kReplacedFolder));
    auto copy = Database::open(kept, kLogKey, Database::Mode::ReadOnly);
    ASSERT_TRUE(copy);
    EXPECT_EQ(count(*copy, "recorder WHERE SYSTIME = '2024-03-02 08:00:00'"), 1);
    EXPECT_EQ(count(*copy, "recorder"), 1);
}

// A live file that no longer opens is what a restore is for: it is kept as it was, byte for
// byte, and the backup goes in its place.
TEST_F(MaintenanceProgram, RestoreOverADamagedLiveFileKeepsItsBytes) {
    data.CloseDatabases();
    const QString backup = dir.file(QStringLiteral("b.db"));
    ASSERT_TRUE(QFile::copy(dir.file(kSystemFile), backup));
    const QByteArray junk(8192, 'x');
    {
        QFile live(dir.file(kSystemFile));
        ASSERT_TRUE(live.open(QIODevice::WriteOnly | QIODevice::Truncate));
        live.write(junk);
    }
    const Ran r = run(QStringLiteral("restore sys ") + backup);
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    ASSERT_TRUE(r.out.startsWith(msg::KeptCopy)) << r.out.toStdString();
    EXPECT_TRUE(readAll(r.out.section(u'\n', 0, 0).mid(msg::KeptCopy.size())) == junk);
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(count(data.src(), "reader"), 8);
}

// The guard's reason under the failure, whatever name the live file is given.
TEST_F(MaintenanceProgram, BackupRefusesEveryNameOfTheConsolesOwnFiles) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    data.CloseDatabases();
    const QByteArray live = readAll(dir.file(kLogFile));
    const QString hardLink = dir.file(QStringLiteral("copies/attend-link.db"));
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("copies"))));
    ASSERT_EQ(::link(QFile::encodeName(dir.file(kLogFile)).constData(),
                     QFile::encodeName(hardLink).constData()),
              0);
    for (const QString& target :
         {dir.file(kLogFile), hardLink, dir.file(QStringLiteral("copies/../")) + kSystemFile,
          dir.file(kLogTemplate)}) {
        const Ran r = run(QStringLiteral("backup log ") + target);
        EXPECT_EQ(r.code, kExitFailed) << target.toStdString();
        EXPECT_TRUE(r.err.startsWith(msg::OperationFailed + u'\n') &&
                    r.err.contains(QStringLiteral("it is never replaced by an output file")))
            << target.toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(readAll(dir.file(kLogFile)) == live);
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(data.logCount(), 1);
}

TEST_F(MaintenanceProgram, ImportPrintsItsCounts) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    const QString backup = dir.file(QStringLiteral("b.db"));
    ASSERT_EQ(run(QStringLiteral("backup log ") + backup).code, kExitDone);
    {
        auto db = Database::open(backup, kLogKey, Database::Mode::ReadWrite);
        ASSERT_TRUE(db && db->run(QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO) VALUES "
                                                 "('2024-03-01 09:00:00', 6)")));
    }
    Ran r = run(QStringLiteral("import log ") + backup);
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Added = 1 records\n\rDuplicated = 1 records\n\r"));
    EXPECT_EQ(data.logCount(), 2);
    r = run(QStringLiteral("import staff ") + dir.file(QStringLiteral("none.db")));
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.err, QStringLiteral("Invalid Database\n"));
}

TEST_F(MaintenanceProgram, EraseTakesTheRowsBeforeADayOrAllAndKeepsTheLogFirst) {
    addLog(QStringLiteral("2024-03-04 23:59:59"), 5);
    addLog(QStringLiteral("2024-03-05 00:00:00"), 5);
    Ran r = run(QStringLiteral("erase log --before 2024-03-05 --yes"));
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(msg::KeptCopy)) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("\nErased 1 records.\n"))) << r.out.toStdString();
    auto copy = Database::open(r.out.section(u'\n', 0, 0).mid(msg::KeptCopy.size()), kLogKey,
                               Database::Mode::ReadOnly);
    ASSERT_TRUE(copy);
    EXPECT_EQ(count(*copy, "recorder"), 2);
    EXPECT_EQ(data.logCount(), 1);
    r = run(QStringLiteral("erase log --yes"));
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("\nErased 1 records.\n"))) << r.out.toStdString();
    EXPECT_EQ(data.logCount(), 0);
    // Nothing to erase, nothing to keep.
    r = run(QStringLiteral("erase log --yes"));
    EXPECT_EQ(r.out, QStringLiteral("Erased 0 records.\n"));
}

TEST_F(MaintenanceProgram, FormatSaysWhatItCouldNotReplaceAndKeepsThePicturesOfTheRowsThatStay) {
    addLog(QStringLiteral("2024-03-01 08:00:00"), 5);
    addStaff(5, QStringLiteral("ANNA"), 1);
    data.CloseDatabases();
    const QString picture =
        QDir(data.photoFolder()).filePath(QStringLiteral("240301-080000-5.jpg"));
    ASSERT_TRUE(QDir().mkpath(data.photoFolder()));
    ASSERT_TRUE(QFile(picture).open(QIODevice::WriteOnly));
    QFile::rename(dir.file(kLogTemplate), dir.file(QStringLiteral("kept.db")));
    Ran r = run(QStringLiteral("format --yes"));
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_TRUE(r.err.startsWith(msg::LogLocked + u'\n')) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(msg::DatabaseFormatted)) << "a format that failed is not done";
    // The system file was replaced: its copy is named.
    EXPECT_TRUE(r.out.startsWith(msg::KeptCopy) && r.out.contains(QStringLiteral("/sysdat-")))
        << r.out.toStdString();
    EXPECT_TRUE(QFile::exists(picture));
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(data.logCount(), 1);
    EXPECT_EQ(count(data.src(), "staffs"), 0);
    data.CloseDatabases();
    QFile::rename(dir.file(QStringLiteral("kept.db")), dir.file(kLogTemplate));
    r = run(QStringLiteral("format --yes"));
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_EQ(r.out.count(msg::KeptCopy), 2) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(msg::DatabaseFormatted + u'\n'));
    EXPECT_FALSE(QFile::exists(picture));
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(data.logCount(), 0);
}

// A backup from a timer while the console records: every punch is stored, and the copy is one
// whole database, the log as it stood at one moment.
class BackupWhileRecording : public LiveConsole {};

TEST_F(BackupWhileRecording, LosesNoPunchAndIsConsistent) {
    ASSERT_TRUE(att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 80000) "
        "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) "
        "SELECT datetime('2023-01-01', '+' || i || ' minutes'), i % 500, 1, 1 FROM n")));
    const qint64 before = count(att(), QStringLiteral("recorder"));
    const QString copy = dir.file(QStringLiteral("timer-backup.db"));
    QProcess backup;
    backup.setProgram(BuiltProgram(QStringLiteral("tallyport")));
    backup.setArguments({QStringLiteral("backup"), QStringLiteral("log"), copy,
                         QStringLiteral("--data-dir"), dir.path()});
    backup.start();
    int sent = 0;
    while (backup.state() != QProcess::NotRunning || sent == 0) {
        punch(QStringLiteral("card 6 %1").arg(70000 + sent));
        ++sent;
        clock.advanceSecs(1);
    }
    ASSERT_EQ(backup.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(backup.exitCode(), 0) << backup.readAllStandardError().toStdString();
    EXPECT_GT(sent, 1) << "punches arrived while the copy was taken";
    EXPECT_EQ(count(att(), QStringLiteral("recorder")), before + sent);
    auto db = Database::open(copy, kLogKey, Database::Mode::ReadOnly);
    ASSERT_TRUE(db);
    const qint64 copied = count(*db, QStringLiteral("recorder"));
    EXPECT_GE(copied, before);
    EXPECT_LE(copied, before + sent);
    EXPECT_EQ(db->scalarInt(QStringLiteral("SELECT n FROM recorder_count"))->value_or(-1), copied);
    EXPECT_EQ(db->queryOne(QStringLiteral("PRAGMA integrity_check"),
                           [](const Statement& st) { return st.text(0); })
                  ->value_or(QString()),
              QStringLiteral("ok"));
    // The punches it holds are the first ones sent: a moment of the log, not a mix.
    EXPECT_EQ(db->scalarInt(QStringLiteral("SELECT count(*) FROM recorder WHERE CARDNO >= 70000 "
                                           "AND CARDNO < ?"),
                            70000 + int(copied - before))
                  ->value_or(-1),
              copied - before);
}

}  // namespace
}  // namespace tallyport::test
