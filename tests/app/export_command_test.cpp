// `tallyport export`: its options, and the real program on a data folder.
#include "app/export_command.h"
#include "store/schema.h"
#include "store/settings.h"
#include "support/console_process.h"
#include "support/store_fixture.h"
#include "support/workbook_reader.h"

#include <unistd.h>
#include <QDir>
#include <QMap>
#include <QProcess>

namespace tallyport {
namespace {

ExportRequest parse(const QString& line) {
    return parseExportArguments(line.split(u' ', Qt::SkipEmptyParts));
}

TEST(ExportArguments, GoodAndBad) {
    const ExportRequest r =
        parse(QStringLiteral("xlsx out.xlsx --from 2026-01-01 --to 2026-01-31"));
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.kind, LogExportKind::Xlsx);
    EXPECT_EQ(r.file, QDir::current().absoluteFilePath(QStringLiteral("out.xlsx")));
    ASSERT_TRUE(r.days);
    EXPECT_EQ(r.days->from, QDate(2026, 1, 1));
    EXPECT_EQ(r.days->to, QDate(2026, 1, 31));
    EXPECT_FALSE(parse(QStringLiteral("text out.txt")).days);
    EXPECT_TRUE(parse(QStringLiteral("--help")).help);
    for (const char* bad :
         {"", "csv out.csv", "text", "text a b", "text a --from", "text a --from 2026-02-30",
          "text a --to yesterday", "text a --colour", "text a --from 2026-02-01 --to 2026-01-01"})
        EXPECT_FALSE(parse(QString::fromLatin1(bad)).error.isEmpty()) << bad;
}

class ExportProgram : public test::StoreFixture {
protected:
    int run(QStringList args, QString* out = nullptr) {
        QProcess p;
        p.setProgram(test::BuiltProgram(QStringLiteral("tallyport")));
        p.setArguments(QStringList{QStringLiteral("export")} + args +
                       QStringList{QStringLiteral("--data-dir"), dir.path()});
        p.start();
        if (!p.waitForFinished(60000)) return -1;
        if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    QString target(const QString& name) const { return out.filePath(name); }
    QTemporaryDir out;
    QString err;
};

// An empty log (or days without rows) is "No record." and nothing is written; a bad option
// is exit code 2; a data folder without databases says which file it cannot open.
TEST_F(ExportProgram, FailuresWriteNothing) {
    EXPECT_EQ(run({QStringLiteral("text"), target(QStringLiteral("a.txt"))}), 1);
    EXPECT_EQ(err.trimmed(), QStringLiteral("No record."));
    addLog(QStringLiteral("2026-01-05 08:00:00"), 7);
    EXPECT_EQ(run({QStringLiteral("xls"), target(QStringLiteral("a.xls")), QStringLiteral("--from"),
                   QStringLiteral("2026-01-06")}),
              1);
    EXPECT_EQ(err.trimmed(), QStringLiteral("No record."));
    EXPECT_EQ(run({QStringLiteral("xls")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("tallyport export --help"))) << err.toStdString();
    QProcess p;
    p.start(test::BuiltProgram(QStringLiteral("tallyport")),
            {QStringLiteral("export"), QStringLiteral("text"), target(QStringLiteral("b.txt")),
             QStringLiteral("--data-dir"), out.filePath(QStringLiteral("nothing-here"))});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError())
                    .startsWith(QStringLiteral("System Error: Cannot open ")));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(ExportProgram, WritesTheChosenDaysInEachFormat) {
    addStaff(123, QStringLiteral("Ann Miller"), 1);
    for (const char* t : {"2026-01-04 23:59:59", "2026-01-05 08:00:00", "2026-01-06 17:00:00"})
        addLog(QString::fromLatin1(t), 123);
    const QStringList days = {QStringLiteral("--from"), QStringLiteral("2026-01-05"),
                              QStringLiteral("--to"), QStringLiteral("2026-01-06")};
    QString said;
    ASSERT_EQ(
        run(QStringList{QStringLiteral("text"), target(QStringLiteral("log.txt"))} + days, &said),
        0)
        << err.toStdString();
    EXPECT_EQ(said.trimmed(),
              QStringLiteral("2 records written to ") + target(QStringLiteral("log.txt")));
    QFile text(target(QStringLiteral("log.txt")));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(text.readAll(),
              QByteArray("2026/Jan/05 08:00:00 000000123 \"Ann Miller\" \"DEFAULT\" {IN}\r\n"
                         "2026/Jan/06 17:00:00 000000123 \"Ann Miller\" \"DEFAULT\" {IN}\r\n"));
    for (const char* kind : {"xls", "xlsx"}) {
        const QString path = target(QStringLiteral("log.") + QLatin1String(kind));
        ASSERT_EQ(run(QStringList{QString::fromLatin1(kind), path} + days), 0) << err.toStdString();
        const auto book = test::readWorkbook(path);
        ASSERT_EQ(book.sheetNames(), QStringList{QStringLiteral("RECORDS")}) << kind;
        ASSERT_EQ(book.sheets[0].rowCount(), 3u) << kind;
        EXPECT_EQ(book.sheets[0].row(2), QStringList({"2026-01-06", "17:00:00", "123", "Ann Miller",
                                                      "DEFAULT", "IN", "COM1", "DENIED"}))
            << kind;
    }
    // The format is the one asked for, whatever the name says.
    const QString named = target(QStringLiteral("really-xls.xlsx"));
    ASSERT_EQ(run({QStringLiteral("xls"), named}), 0) << err.toStdString();
    QFile f(named);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(4) == QByteArray("\xD0\xCF\x11\xE0", 4));
}

// No command writes its output over a file the console keeps, under whatever name it is given
// (a link, a hard link, a path through ".."): exit 1, the file named, every file of the data
// folder as it was, and the console starts on it afterwards.
TEST_F(ExportProgram, NoOutputLandsOnAFileOfTheDataFolder) {
    addStaff(123, QStringLiteral("Ann Miller"), 1);
    addLog(QStringLiteral("2026-01-05 08:00:00"), 123);
    addLog(QStringLiteral("2026-01-05 17:00:00"), 123, 2);
    ASSERT_TRUE(WriteSettingText(QStringLiteral("Probe"), QStringLiteral("1")));
    data.CloseDatabases();  // everything in the main files
    const QString symlink = target(QStringLiteral("link.xls"));
    const QString hardLink = target(QStringLiteral("hard.xlsx"));
    ASSERT_TRUE(QFile::link(dir.file(kSystemFile), symlink));
    ASSERT_EQ(::link(QFile::encodeName(dir.file(kLogFile)).constData(),
                     QFile::encodeName(hardLink).constData()),
              0);
    const QString throughParent = dir.file(QStringLiteral("photos/../") + kSystemTemplate);
    const auto files = [this] {
        QMap<QString, QByteArray> out;
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            // Read-only connections leave these behind; what they hold is not the data.
            if (name.endsWith(QLatin1String("-shm")) || name.endsWith(QLatin1String("-wal")))
                continue;
            QFile f(dir.file(name));
            out[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
        }
        QFile settings(settingsFilePath());
        out[settingsFilePath()] =
            settings.open(QIODevice::ReadOnly) ? settings.readAll() : QByteArray("(none)");
        return out;
    };
    const auto before = files();
    ASSERT_TRUE(before.contains(kLogFile) && before.contains(kSystemTemplate));
    const QStringList all = {QStringLiteral("--persons"), QStringLiteral("all"),
                             QStringLiteral("--dates"), QStringLiteral("all")};
    struct Case {
        QStringList args;
        QString target;  // the name the refusal gives
    };
    const Case cases[] = {
        {{QStringLiteral("export"), QStringLiteral("text"), dir.file(kLogFile)},
         dir.file(kLogFile)},
        {{QStringLiteral("export"), QStringLiteral("xls"), symlink}, symlink},
        {{QStringLiteral("export"), QStringLiteral("xlsx"), hardLink}, hardLink},
        {QStringList{QStringLiteral("report"), QStringLiteral("time-logs"), QStringLiteral("--pdf"),
                     throughParent} +
             all,
         throughParent},
        {QStringList{QStringLiteral("report"), QStringLiteral("logs-sheet"),
                     QStringLiteral("--xlsx"), dir.file(kSystemFile)} +
             all,
         dir.file(kSystemFile)},
        {QStringList{QStringLiteral("report"), QStringLiteral("pairs-sheet"),
                     QStringLiteral("--xls"), settingsFilePath()} +
             all,
         settingsFilePath()},
        {{QStringLiteral("cards"), QStringLiteral("--pdf"), hardLink}, hardLink},
        {{QStringLiteral("member-list"), QStringLiteral("--pdf"), symlink}, symlink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QProcess p;
        p.start(test::BuiltProgram(QStringLiteral("tallyport")),
                c.args + QStringList{QStringLiteral("--data-dir"), dir.path()});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString said = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 1) << said.toStdString();
        EXPECT_TRUE(said.contains(c.target + QStringLiteral(" is ")) &&
                    said.contains(QStringLiteral("never replaced by an output file")))
            << said.toStdString();
        EXPECT_TRUE(files() == before);
    }
    EXPECT_TRUE(QFileInfo(symlink).isSymLink());
    test::ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    EXPECT_EQ(console.terminate(), 0);
}

}  // namespace
}  // namespace tallyport
