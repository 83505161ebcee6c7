// The Database menu's exports and the Spreadsheet menu's reports from the main window, and the
// files of `tallyport export` and `tallyport report KIND-sheet` beside them.
#include "app/ui/export_commands.h"
#include "app/commands.h"
#include "app/ui/main_window.h"
#include "base/clock.h"
#include "reports/ui/general_scope_dialog.h"
#include "store/setting_names.h"
#include "support/console_process.h"
#include "support/dialog_fixture.h"
#include "support/workbook_reader.h"

#include <QAction>
#include <QProcess>
#include <QRadioButton>

namespace tallyport::test {
namespace {

class ExportCommands : public ConsoleFixture {
protected:
    void SetUp() override {
        ConsoleFixture::SetUp();
        setAppClock(&clock);
    }
    void TearDown() override {
        setAppClock(nullptr);
        ConsoleFixture::TearDown();
    }
    std::unique_ptr<MainWindow> window() {
        auto w = std::make_unique<MainWindow>(console());
        w->action(cmd::popLogin)->trigger();  // a new installation has no password
        op.clear();
        return w;
    }
    void addRows() {
        ASSERT_TRUE(console().data().src().run(QStringLiteral(
            "INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (123, 'Ann Miller', 1)")));
        for (const char* t : {"2026-03-09 08:55:00", "2026-03-09 17:40:00", "2026-03-10 09:05:00"})
            ASSERT_TRUE(console().data().att().run(
                QStringLiteral(
                    "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) VALUES (?, 123, ?, 1)"),
                QString::fromLatin1(t), t[11] == '1' ? 2 : 1));
        ASSERT_TRUE(console().data().att().run(
            QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) VALUES "
                           "('2026-03-10 12:00:00', 7, 5, 2)")));
    }
    // The real program on the console's data folder; its exit code.
    int program(QStringList args) {
        QProcess p;
        p.setProgram(BuiltProgram(QStringLiteral("tallyport")));
        p.setArguments(args << QStringLiteral("--data-dir") << data.path());
        p.start();
        if (!p.waitForFinished(60000)) return -1;
        m_err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    QString file(const QString& name) const { return out.filePath(name); }
    static QByteArray bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }

    ManualClock clock{QDateTime(QDate(2026, 3, 11), QTime(10, 0))};
    QTemporaryDir out;
    QString m_err;
};

TEST_F(ExportCommands, EmptyLogSaysNoRecordBeforeAnyDialog) {
    auto w = window();
    for (const char* command : {"acttext", "actexcel", "actexpfilo", "actAttnPairs"}) {
        op.clear();
        w->action(QString::fromLatin1(command))->trigger();
        EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: No record.")}) << command;
    }
}

// Cancel in the file dialog: nothing is written, and the folder of the proposed file is
// remembered all the same.
TEST_F(ExportCommands, CancelledDialogStillRemembersTheFolder) {
    auto w = window();
    addRows();
    w->action(QStringLiteral("acttext"))->trigger();
    EXPECT_EQ(
        op.shown(),
        QStringList{QStringLiteral("save: Export to Text File | Text File (*.txt);;All File (*)")});
    EXPECT_TRUE(op.lastSuggested().endsWith(QStringLiteral("/log.txt")));
    EXPECT_EQ(ReadSettingText(setting::LastDataPath, {}),
              QFileInfo(op.lastSuggested()).absolutePath());
    op.clear();
    w->action(QStringLiteral("actexcel"))->trigger();
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral(
                              "save: Export to Excel File | Excel File (*.xls);;Excel Workbook "
                              "(*.xlsx);;All File (*)")});
}

// The menu commands and `tallyport export` write the same files.
TEST_F(ExportCommands, MenuAndCommandLineWriteTheSameFiles) {
    auto w = window();
    addRows();
    struct Case {
        const char* command;
        const char* name;
        const char* kind;
        const char* caption;
    };
    for (const Case& c :
         {Case{"acttext", "menu.txt", "text", "Export to text file (4 records)"},
          Case{"actexcel", "menu.xls", "xls", "Export to EXCEL file (4 records)"},
          Case{"actexcel", "menu.xlsx", "xlsx", "Export to EXCEL file (4 records)"}}) {
        SCOPED_TRACE(c.name);
        op.clear();
        const QString menu = file(QString::fromLatin1(c.name));
        op.answerFile(menu);
        w->action(QString::fromLatin1(c.command))->trigger();
        EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{QString::fromLatin1(c.caption)});
        EXPECT_EQ(op.shown(QStringLiteral("information")),
                  QStringList{QStringLiteral("Completed.")});
        const QString cli = file(QStringLiteral("cli.") + QFileInfo(menu).suffix());
        ASSERT_EQ(program({QStringLiteral("export"), QString::fromLatin1(c.kind), cli}), 0)
            << m_err.toStdString();
        if (QFileInfo(menu).suffix() != QLatin1String("xlsx")) {
            EXPECT_EQ(bytes(menu), bytes(cli));
            continue;
        }
        // An .xlsx carries the time it was made: the sheets are compared instead.
        const auto a = readWorkbook(menu), b = readWorkbook(cli);
        ASSERT_EQ(a.sheetNames(), QStringList{QStringLiteral("RECORDS")});
        ASSERT_EQ(b.sheetNames(), a.sheetNames());
        ASSERT_EQ(a.sheets[0].rowCount(), 5u);
        for (size_t r = 0; r < 5; ++r) EXPECT_EQ(a.sheets[0].row(r), b.sheets[0].row(r));
    }
    EXPECT_TRUE(
        bytes(file(QStringLiteral("menu.txt")))
            .startsWith("2026/Mar/09 08:55:00 000000123 \"Ann Miller\" \"DEFAULT\" {IN}\r\n"));
    EXPECT_TRUE(QFile::exists(QDir(data.path()).filePath(QStringLiteral("blank.xls"))));
}

// Cancel in the progress window: an older file of that name stays as it was.
TEST_F(ExportCommands, CancelledExportLeavesTheOldFile) {
    auto w = window();
    addRows();
    for (const char* command : {"acttext", "actexcel"}) {
        const QString path = file(QStringLiteral("old.") + (command[3] == 't' ? "txt" : "xls"));
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older");
        old.close();
        op.clear();
        op.answerFile(path);
        op.cancelNextWork();
        w->action(QString::fromLatin1(command))->trigger();
        EXPECT_TRUE(op.shown(QStringLiteral("information")).isEmpty()) << command;
        EXPECT_EQ(bytes(path), QByteArray("older")) << command;
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"old.txt", "old.xls"}));
}

// A file of the data folder chosen in the save dialog (the dialog has asked to replace it): the
// export says why it will not, and the file stays as it was.
TEST_F(ExportCommands, MenuExportsNeverReplaceTheConsolesOwnFiles) {
    auto w = window();
    addRows();
    const QString log = QDir(data.path()).filePath(QStringLiteral("attend.db"));
    const QString link = file(QStringLiteral("log.xlsx"));
    ASSERT_TRUE(QFile::link(log, link));
    const auto files = [&] {
        return QList<QByteArray>{bytes(log), bytes(log + QStringLiteral("-wal")),
                                 bytes(QDir(data.path()).filePath(QStringLiteral("sysdat.db")))};
    };
    const auto before = files();
    struct Case {
        const char* command;
        QString path;
    };
    for (const Case& c :
         {Case{"acttext", log}, Case{"actexcel", link},
          Case{"actexpfilo", QDir(data.path()).filePath(QStringLiteral("sysdat.db"))}}) {
        SCOPED_TRACE(c.command);
        op.clear();
        op.answerFile(c.path);
        if (QLatin1String(c.command) == QLatin1String("actexpfilo"))
            OnNextModal([](QWidget* d) {
                click(d, "rball");
                click(d, "bConfirm");
            });
        w->action(QString::fromLatin1(c.command))->trigger();
        EXPECT_EQ(op.shown(QStringLiteral("error")),
                  QStringList{c.path + QStringLiteral(" is ") +
                              (c.path == link ? QStringLiteral("the console's own file ") + log
                                              : QStringLiteral("one of the console's own files")) +
                              QStringLiteral(": it is never replaced by an output file. Choose "
                                             "another file.")});
        EXPECT_TRUE(op.shown(QStringLiteral("information")).isEmpty());
        EXPECT_TRUE(files() == before);
    }
    EXPECT_EQ(console().data().logCount(), 4);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(ExportCommands, SheetActionsOpenTheirScopeDialog) {
    struct Expected {
        const char* title;
        bool perLine, records;  // shown
    };
    const Expected expected[] = {{"First IN / Last OUT", false, true},
                                 {"IN/OUT Pairs", true, false},
                                 {"Time Logs", true, true},
                                 {"Late and Early Leave", true, false}};
    ASSERT_EQ(sheetActions().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const SheetAction& a = sheetActions()[i];
        SCOPED_TRACE(a.command);
        const auto d = makeSheetScopeDialog(a, console(), nullptr);
        EXPECT_EQ(d->objectName(), QStringLiteral("GeneralScopeDialog"));
        EXPECT_EQ(d->windowTitle(), QLatin1String(expected[i].title));
        auto shown = [&d](const char* name) { return !control(d.get(), name)->isHidden(); };
        EXPECT_FALSE(shown("cbenhance") || shown("cbpreview") || shown("rgformat"));
        EXPECT_EQ(shown("rgrecord"), expected[i].perLine);
        EXPECT_EQ(shown("rgscope"), expected[i].records);
        EXPECT_TRUE(shown("gbDates") && shown("cbblank") && shown("cbnewpage"));
        if (!expected[i].records) {
            EXPECT_EQ(d->scope().records, RecordsOfInterest::InOut);
        }
    }
}

// IN/OUT Pairs from the menu: the scope, the file proposed as "IN OUT pairs", the progress
// window counting the members, and the same file as `tallyport report pairs-sheet`.
TEST_F(ExportCommands, SpreadsheetReportFromTheMenuAndTheCommandLine) {
    auto w = window();
    addRows();
    const QString menu = file(QStringLiteral("pairs.xls"));
    op.answerFile(menu);
    OnNextModal([](QWidget* d) {
        click(d, "rball");
        click(d, "bConfirm");
    });
    w->action(QStringLiteral("actAllinout"))->trigger();
    EXPECT_TRUE(op.lastSuggested().endsWith(QStringLiteral("/IN OUT pairs.xls")));
    EXPECT_EQ(op.shown(QStringLiteral("work")),
              QStringList{QStringLiteral("Exporting (1 members)")});
    EXPECT_EQ(op.shown(QStringLiteral("information")), QStringList{QStringLiteral("Completed.")});
    const auto book = readWorkbook(menu);
    ASSERT_EQ(book.sheetNames(), QStringList{QStringLiteral("all_records")});
    EXPECT_EQ(book.sheets[0].row(1), QStringList({"Ann Miller", "DEFAULT", "2026-03-09", "08:55:00",
                                                  "17:40:00", "", "", "Incomplete"}));

    const QString cli = file(QStringLiteral("cli.xls"));
    ASSERT_EQ(
        program({QStringLiteral("report"), QStringLiteral("pairs-sheet"), QStringLiteral("--xls"),
                 cli, QStringLiteral("--dates"), QStringLiteral("all")}),
        0)
        << m_err.toStdString();
    EXPECT_EQ(bytes(menu), bytes(cli));
}

}  // namespace
}  // namespace tallyport::test
