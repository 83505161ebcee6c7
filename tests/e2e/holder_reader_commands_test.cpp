// Holders and reader rows set up from the command line, with the real program: what a console
// run without a screen is given before its first card is read.
#include "app/subcommands.h"
#include "store/data_module.h"
#include "support/console_process.h"
#include "support/scripted_operator.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace tallyport;
using namespace tallyport::test;

namespace {

struct Ran {
    int code = -1;
    QString out, err;
};

class HolderReaderCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        ASSERT_TRUE(data.OpenDatabases());
        ASSERT_TRUE(
            data.src().run(QStringLiteral("INSERT INTO gid(id, descx) VALUES (7, 'NIGHT')")));
    }

    Ran run(QStringList args) {
        args << QStringLiteral("--data-dir") << dir.path();
        QProcess p;
        p.start(BuiltProgram(QStringLiteral("tallyport")), args);
        if (!p.waitForFinished(60000)) return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QStringList holderLines() {
        return run({"holder", "list"}).out.split(u'\n', Qt::SkipEmptyParts);
    }

    TempDataDir dir;
};

TEST_F(HolderReaderCommands, HoldersAreAddedListedAndRemovedWithTheEditorsChecks) {
    Ran r = run({"holder", "add", "4711", "Anna", "--group", "night"});
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Card 4711 registered to Anna.\n"));
    EXPECT_EQ(run({"holder", "add", "12", "Boris"}).code, kExitDone);

    const struct {
        QStringList args;
        int code;
        const char* err;
    } refused[] = {
        {{"holder", "add", "4711", "Clara"}, kExitFailed, "Card 4711 is registered to Anna.\n"},
        {{"holder", "add", "13", "ANNA"}, kExitFailed, "Name has been used.\n"},
        {{"holder", "add", "13", "Clara", "--group", "DAY"},
         kExitFailed,
         "There is no work group named DAY.\n"},
        {{"holder", "add", "13", "A name of seventeen"},
         kExitFailed,
         "Name too long: a name holds at most 16 characters.\n"},
        {{"holder", "add", "16777216", "Clara"},
         kExitUsage,
         "A card number is a whole number from 1 to 16777215.\nSee: tallyport holder --help\n"},
        {{"holder", "remove", "4711"},
         kExitUsage,
         "Nothing is asked here: add --yes to remove.\nSee: tallyport holder --help\n"},
        {{"holder", "remove", "99", "--yes"}, kExitFailed, "No record.\n"},
    };
    for (const auto& c : refused) {
        r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.err, QString::fromUtf8(c.err)) << c.args.join(u' ').toStdString();
    }
    EXPECT_EQ(holderLines(), (QStringList{"12\tBoris\tDEFAULT\t", "4711\tAnna\tNIGHT\t"}));

    r = run({"holder", "list", "--json"});
    ASSERT_EQ(r.code, kExitDone);
    const QJsonArray json = QJsonDocument::fromJson(r.out.toUtf8()).array();
    ASSERT_EQ(json.size(), 2);
    EXPECT_EQ(json[1].toObject()[QStringLiteral("card")].toInt(), 4711);
    EXPECT_EQ(json[1].toObject()[QStringLiteral("name")].toString(), QStringLiteral("Anna"));
    EXPECT_EQ(json[1].toObject()[QStringLiteral("group")].toString(), QStringLiteral("NIGHT"));
    EXPECT_TRUE(json[1].toObject()[QStringLiteral("readers")].toArray().isEmpty());

    r = run({"holder", "remove", "4711", "--yes"});
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Card 4711 (Anna) removed.\n"));
    EXPECT_EQ(holderLines(), QStringList{"12\tBoris\tDEFAULT\t"});
}

TEST_F(HolderReaderCommands, AHolderFileAddsTheGoodLinesAndCountsTheRest) {
    ASSERT_EQ(run({"holder", "add", "5", "Eva"}).code, kExitDone);
    const QString csv = dir.file(QStringLiteral("holders.csv"));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "\xEF\xBB\xBF"
        "CARD,NAME,GROUP\r\n"
        "1,\"Smith, J\",NIGHT\r\n"
        "2,Jos\xC3\xA9\r\n"
        "5,Eva again,\r\n"
        "x7,Bad card,\r\n"
        "8,,NIGHT\r\n"
        "9,Ivo,NOWHERE\r\n"
        "\r\n");
    f.close();
    const Ran r = run({"holder", "import", csv});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.out, QStringLiteral(
                         "Staff Added = 2 records\nDuplicated = 1 records\nError = 3 records\n"));
    EXPECT_EQ(r.err, QStringLiteral("line 5: A card number is a whole number from 1 to 16777215.\n"
                                    "line 6: Incorrect name.\n"
                                    "line 7: There is no work group named NOWHERE.\n"));
    EXPECT_EQ(holderLines(),
              (QStringList{"1\tSmith, J\tNIGHT\t", QStringLiteral("2\tJosé\tDEFAULT\t"),
                           "5\tEva\tDEFAULT\t"}));
    EXPECT_EQ(run({"holder", "import", dir.file(QStringLiteral("none.csv"))}).code, kExitFailed);
}

TEST_F(HolderReaderCommands, ReaderRowsAreSetAsTheSetupDialogStoresThem) {
    Ran r = run({"reader", "3", "set", "--address", "127.0.0.1:1668", "--mode", "out", "--desc",
                 "Back door", "--enable"});
    EXPECT_EQ(r.code, kExitDone) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("3\tenabled\t127.0.0.1:1668\tout\tBack door\n"));
    r = run({"reader", "4", "set", "--enable"});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.err, QStringLiteral("Reader 4 cannot be enabled without an address (host and port "
                                    "1 to 65535).\n"));
    const struct {
        QStringList args;
        const char* err;
    } usage[] = {
        {{"reader", "3", "set", "--address", "host:70000"},
         "--address needs HOST:PORT, the port 1 to 65535"},
        {{"reader", "3", "set", "--mode", "sideways"}, "--mode is clock, in or out"},
        {{"reader", "9", "set", "--disable"}, "Give the reader's port number 1 to 8 before set"},
        {{"reader", "3", "set"},
         "Nothing to set: give --address, --mode, --desc, --enable or --disable"},
    };
    for (const auto& c : usage) {
        r = run(c.args);
        EXPECT_EQ(r.code, kExitUsage) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.err, QString::fromUtf8(c.err) + "\nSee: tallyport reader --help\n");
    }
    r = run({"reader", "3", "set", "--desc", "", "--disable"});
    EXPECT_EQ(r.out, QStringLiteral("3\tdisabled\t127.0.0.1:1668\tout\tCOM3\n"));

    r = run({"reader", "list"});
    ASSERT_EQ(r.code, kExitDone);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[2], QStringLiteral("3\tdisabled\t127.0.0.1:1668\tout\tCOM3"));
    r = run({"reader", "list", "--json"});
    const QJsonObject third = QJsonDocument::fromJson(r.out.toUtf8()).array()[2].toObject();
    EXPECT_EQ(third[QStringLiteral("port")].toInt(), 1668);
    EXPECT_EQ(third[QStringLiteral("mode")].toString(), QStringLiteral("out"));
    EXPECT_FALSE(third[QStringLiteral("enabled")].toBool());
}

// A console set up from a terminal before its first start: the first command makes the new
// installation, as the console would.
TEST(HolderReaderCommandsOnANewFolder, TheFirstCommandMakesTheFiles) {
    TempDataDir fresh;
    const auto run = [&](QStringList args) {
        args << QStringLiteral("--data-dir") << fresh.path();
        QProcess p;
        p.start(BuiltProgram(QStringLiteral("tallyport")), args);
        p.waitForFinished(60000);
        return Ran{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                   QString::fromUtf8(p.readAllStandardError())};
    };
    const Ran set = run({"reader", "1", "set", "--address", "127.0.0.1:1668", "--enable"});
    EXPECT_EQ(set.code, kExitDone) << set.err.toStdString();
    EXPECT_EQ(run({"holder", "add", "4711", "Anna"}).code, kExitDone);
    EXPECT_TRUE(run({"reader", "list"}).out.startsWith(QStringLiteral("1\tenabled\t127.0.0.1:1668\t")));
    EXPECT_EQ(run({"holder", "list"}).out, QStringLiteral("4711\tAnna\tDEFAULT\t\n"));
}

// A console recording on the folder: holders are changed beside it, reader rows through it; a
// folder held by a command that is no recorder (a restore, say) is not written.
TEST_F(HolderReaderCommands, ChangesWorkBesideTheRecorderNotBesideOtherCommands) {
    ASSERT_EQ(run({"holder", "add", "5", "Eva"}).code, kExitDone);
    {
        ConsoleProcess recorder(dir.path());
        ASSERT_TRUE(recorder.start()) << recorder.standardError().toStdString();
        EXPECT_EQ(run({"holder", "add", "6", "Ivo"}).code, kExitDone);
        EXPECT_EQ(run({"holder", "remove", "5", "--yes"}).code, kExitDone);
        const Ran set = run({"reader", "2", "set", "--mode", "in"});
        EXPECT_EQ(set.code, kExitDone) << set.err.toStdString();
        EXPECT_EQ(holderLines(), QStringList{"6\tIvo\tDEFAULT\t"});
        EXPECT_TRUE(run({"reader", "list"}).out.contains(QStringLiteral("2\tdisabled\t\tin\t")));
        EXPECT_EQ(recorder.terminate(), 0);
    }
    // The lock held by a process that answers no control request.
    QProcess holder;
    holder.start(QStringLiteral("flock"), {dir.path() + QStringLiteral("/tallyport.lock"),
                                           QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    QTest::qWait(300);
    EXPECT_EQ(run({"holder", "add", "7", "Ada"}).code, kExitConsoleRunning);
    EXPECT_EQ(run({"reader", "2", "set", "--mode", "out"}).code, kExitConsoleRunning);
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(holderLines(), QStringList{"6\tIvo\tDEFAULT\t"});
}

}  // namespace
