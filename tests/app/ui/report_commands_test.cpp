// The Reports menu of the main window: the empty-log guard, each action's dialog, printing
// straight to the printer, the preview, and the dialog coming back until it is cancelled.
#include "app/ui/report_commands.h"
#include "app/commands.h"
#include "app/ui/main_window.h"
#include "base/clock.h"
#include "reports/ui/report_page_view.h"
#include "reports/ui/scope_dialog_base.h"
#include "store/setting_names.h"
#include "support/pdf_text.h"
#include "support/printing_console.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace tallyport::test {
namespace {

class ReportCommands : public PrintingConsoleFixture {
protected:
    void addLogs() {
        Database& src = console().data().src();
        ASSERT_TRUE(src.run(QStringLiteral(
            "INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (7, 'Ann Miller', 1)")));
        for (const char* t : {"2026-03-09 08:55:00", "2026-03-09 17:40:00"})
            ASSERT_TRUE(console().data().att().run(
                QStringLiteral(
                    "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) VALUES (?, 7, ?, 1)"),
                QString::fromLatin1(t), t[11] == '0' ? 1 : 2));
    }
    // The window after logging in: the report commands are for operators only.
    std::unique_ptr<MainWindow> window() {
        auto w = std::make_unique<MainWindow>(console());
        w->action(cmd::popLogin)->trigger();  // a new installation has no password
        op.clear();
        return w;
    }
    // Runs a report command once straight to the printer and cancels the dialog when it comes
    // back; how many times the dialog showed.
    int printOnceThenCancel(const char* command) {
        int shown = 0;
        OnNextModal([&](QWidget* d) {
            ++shown;
            setChecked(d, "cbpreview", false);
            OnNextModal([&](QWidget* again) {
                ++shown;
                click(again, "bCancel");
            });
            click(d, "bConfirm");
        });
        m_window->action(QLatin1String(command))->trigger();
        return shown;
    }

    std::unique_ptr<MainWindow> m_window;
};

TEST_F(ReportCommands, EmptyLogSaysNoRecordBeforeAnyDialog) {
    auto w = window();
    op.clear();
    bool dialogShown = false;
    QTimer guard;  // closes a dialog that should not have opened
    QObject::connect(&guard, &QTimer::timeout, [&dialogShown] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogShown = true;
            modal->close();
        }
    });
    guard.start(10);
    w->action(QStringLiteral("actlate"))->trigger();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: No record.")});
}

TEST_F(ReportCommands, EachActionOpensItsDialogTitledWithItsCaption) {
    struct Expected {
        const char* command;
        const char* dialog;
        const char* title;
        bool perLineShown;
    };
    const Expected table[] = {
        {"actlogs", "GeneralScopeDialog", "Time Logs", true},
        {"actlifo", "GeneralScopeDialog", "Total Hours", false},
        {"actdetailtotal", "GeneralScopeDialog", "Total Hours Detail", false},
        {"actinout", "WhoScopeDialog", "Daily Individual", true},
        {"actwho", "WhoScopeDialog", "Who's IN / OUT", false},
        {"actlate", "OneSessionScopeDialog", "First In / Last Out", false},
        {"actNsess", "TwoSessionScopeDialog", "2-session", false},
        {"actFiloOn", "OneSessionScopeDialog", "First In / Last Out (Overnight)", false},
    };
    ASSERT_EQ(tallyport::reportActions().size(), std::size(table));
    for (size_t i = 0; i < std::size(table); ++i) {
        const ReportAction& a = tallyport::reportActions()[i];
        SCOPED_TRACE(a.command);
        EXPECT_STREQ(a.command, table[i].command);
        const auto d = makeScopeDialog(a, console(), nullptr);
        EXPECT_EQ(d->objectName(), QLatin1String(table[i].dialog));
        EXPECT_EQ(d->windowTitle(), QLatin1String(table[i].title));
        auto* perLine = d->findChild<QWidget*>(QStringLiteral("rgrecord"));
        EXPECT_EQ(perLine != nullptr && !perLine->isHidden(), table[i].perLineShown);
    }
}

// Total Hours straight to the printer (here a PDF file); the switch is set after the
// confirmation and the dialog comes back until it is cancelled.
TEST_F(ReportCommands, PrintsStraightToThePrinterAndAsksAgain) {
    auto w = window();
    addLogs();
    int shown = 0;
    bool filoOnReturn = false;
    OnNextModal([&](QWidget* d) {
        ++shown;
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Total Hours"));
        click(d, "rball");
        setChecked(d, "cbpreview", false);
        OnNextModal([&](QWidget* again) {
            ++shown;
            filoOnReturn = again->findChild<QCheckBox*>(QStringLiteral("cbfilo"))->isChecked();
            click(again, "bCancel");
        });
        click(d, "bConfirm");
    });
    w->action(QStringLiteral("actlifo"))->trigger();
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(filoOnReturn);
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty())
        << op.shown().join(u'\n').toStdString();
    // Built, then printed, each on a worker with its progress window.
    EXPECT_EQ(op.shown(QStringLiteral("work")),
              (QStringList{QStringLiteral("Total Hours"), QStringLiteral("Total Hours (All)")}));
    EXPECT_FALSE(ReadSettingBool(setting::PrintPreviewOnly, true));

    const QStringList pages = PdfPages(printed());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Total Hours (All)")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("[7] Ann Miller")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Total Time=08:45:00")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Printed on")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("P.1")));
}

// "Print to file" of the print dialog onto a file of the data folder: refused, nothing printed.
TEST_F(ReportCommands, APrinterThatWritesOverAFileOfTheDataFolderIsRefused) {
    const QString own = QDir(data.path()).filePath(QStringLiteral("sysdat.db"));
    setReportPrinterFactory([own] {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(own);
        return p;
    });
    m_window = window();
    addLogs();
    QFile file(own);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    OnNextModal([](QWidget* d) {
        click(d, "rball");
        setChecked(d, "cbpreview", false);
        OnNextModal([](QWidget* again) { click(again, "bCancel"); });
        click(d, "bConfirm");
    });
    m_window->action(QStringLiteral("actlifo"))->trigger();
    EXPECT_EQ(
        op.shown(QStringLiteral("error")),
        QStringList{own + QStringLiteral(" is one of the console's own files: it is never "
                                         "replaced by an output file. Choose another file.")});
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == before);
}

TEST_F(ReportCommands, NoPrinterIsSaidAndTheDialogComesBack) {
    setReportPrinterFactory([] {
        auto p = std::make_unique<QPrinter>();
        p->setOutputFormat(QPrinter::PdfFormat);  // no file and no printer behind it
        return p;
    });
    m_window = window();
    addLogs();
    EXPECT_EQ(printOnceThenCancel("actinout"), 2);
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: No printer is available.")});
}

// The preview opens over most of the screen with the report's pages at the page width.
TEST_F(ReportCommands, PreviewShowsTheReportPagesAtAUsableSize) {
    auto w = window();
    addLogs();
    QString previewTitle;
    int pageCount = 0;
    bool fitted = false;
    QSize size, screen;
    OnNextModal([&](QWidget* d) {
        click(d, "rball");
        setChecked(d, "cbpreview", true);
        OnNextModal([&](QWidget* preview) {
            previewTitle = className(preview) + QLatin1Char('|') + preview->objectName() +
                           QLatin1Char('|') + preview->windowTitle();
            auto* pages = preview->findChild<ReportPageView*>();
            ASSERT_NE(pages, nullptr);
            EXPECT_TRUE(QTest::qWaitFor([pages] { return pages->pagesPainted() > 0; }, 5000));
            pageCount = pages->pageCount();
            // The paper spans the view's width but for a small border, whatever the screen.
            const QRectF paper = pages->pageRect(0);
            fitted = pages->fitsWidth() && paper.width() > pages->viewport()->width() * 0.9 &&
                     paper.right() <= pages->viewport()->width();
            size = preview->size();
            screen = preview->screen()->availableGeometry().size();
            OnNextModal([](QWidget* again) { click(again, "bCancel"); });
            preview->close();
        });
        click(d, "bConfirm");
    });
    w->action(QStringLiteral("actlogs"))->trigger();
    EXPECT_EQ(previewTitle, QStringLiteral("ReportPreview|ReportPreview|Time Logs (All)"));
    EXPECT_EQ(pageCount, 1);
    EXPECT_TRUE(fitted);
    EXPECT_GE(size.width(), screen.width() * 8 / 10);
    EXPECT_GE(size.height(), screen.height() * 8 / 10);
    EXPECT_EQ(op.shown(QStringLiteral("work")), QStringList{QStringLiteral("Time Logs")});
    EXPECT_FALSE(QFile::exists(printed()));  // previewed, not printed
}

// A group's 2-session report over a range, saved as PDF from the preview: the PDF's header
// names the group and the hours it was judged by, the operator is told where the file is, and
// the report opened again from the menu shows that group and that range.
TEST_F(ReportCommands, AGroupsReportSavesAsPdfAndReopensOnItsScope) {
    auto w = window();
    addLogs();
    Database& src = console().data().src();
    ASSERT_TRUE(src.run(QStringLiteral(
        "INSERT INTO gid(id, descx, wd_from_1, wd_to_1, wd_from_2, wd_to_2, sat_enable_1, "
        "sat_from_1, sat_to_1, ot_min, ot_multi) VALUES (2, 'SHOP', '7:30:0', '12:0:0', "
        "'13:0:0', '16:45:0', 1, '8:0:0', '11:0:0', 30, 10)")));
    ASSERT_TRUE(src.run(QStringLiteral("UPDATE staffs SET WORKGRP = 2 WHERE CARDNO = 7")));
    const QString pdf = outFile(QStringLiteral("shop.pdf"));
    const QDate from(2026, 3, 2), to(2026, 3, 10);
    OnNextModal([&](QWidget* d) {
        click(d, "rbgroup");
        control<QComboBox>(d, "cbgroup")->setCurrentText(QStringLiteral("SHOP"));
        click(d, "rbrange");
        control<QDateEdit>(d, "dpfrom")->setDate(from);
        control<QDateEdit>(d, "dpto")->setDate(to);
        setChecked(d, "cbpreview", true);
        OnNextModal([&](QWidget* preview) {
            op.answerFile(pdf);
            click(preview, "bSavePdf");
            OnNextModal([](QWidget* again) { click(again, "bCancel"); });
            preview->close();
        });
        click(d, "bConfirm");
    });
    w->action(QStringLiteral("actNsess"))->trigger();
    EXPECT_EQ(op.shown(QStringLiteral("information")),
              QStringList{QStringLiteral("The PDF file ") + pdf + QStringLiteral(" is written.")});
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    for (const char* text :
         {"2-Session (All)", "From: 2/Mar/2026 To: 10/Mar/2026", "Group: SHOP",
          "Standard: 07:30-12:00 13:00-16:45", "Saturday: 08:00-11:00", "[7] Ann Miller"})
        EXPECT_TRUE(pages[0].contains(QLatin1String(text))) << text << "\n"
                                                            << pages[0].toStdString();

    QString group;
    bool groupChecked = false;
    std::pair<QDate, QDate> range;
    OnNextModal([&](QWidget* d) {
        groupChecked = control<QRadioButton>(d, "rbgroup")->isChecked();
        group = control<QComboBox>(d, "cbgroup")->currentText();
        range = {control<QDateEdit>(d, "dpfrom")->date(), control<QDateEdit>(d, "dpto")->date()};
        click(d, "bCancel");
    });
    w->action(QStringLiteral("actNsess"))->trigger();
    EXPECT_TRUE(groupChecked);
    EXPECT_EQ(group, QStringLiteral("SHOP"));
    EXPECT_EQ(range, std::pair(from, to));
}

// Cancel in the progress window while the report is built: nothing is printed, nothing is
// said, and the dialog comes back.
TEST_F(ReportCommands, CancelWhileBuildingPrintsNothing) {
    m_window = window();
    addLogs();
    op.cancelNextWork();
    EXPECT_EQ(printOnceThenCancel("actlifo"), 2);
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("work: Total Hours")});
    EXPECT_FALSE(QFile::exists(printed()));
}

// The console is closed (Exit, SIGTERM) while a report is built: the work is cancelled, the
// dialog does not come back, nothing is printed and the shutdown runs in order.
TEST_F(ReportCommands, ClosingTheConsoleWhileBuildingEndsInOrder) {
    auto w = window();
    addLogs();
    ASSERT_TRUE(console().data().att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 60000) "
        "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) "
        "SELECT datetime('2025-01-01 08:00:00', '+' || (i * 600) || ' seconds'), 7, 1 + i % 2, 1 "
        "FROM n")));
    int dialogs = 0;
    QTimer closer;  // closes the window once the build has started
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (op.shown(QStringLiteral("work")).isEmpty()) return;
        closer.stop();
        w->close();
        QCoreApplication::exit(0);
    });
    OnNextModal([&](QWidget* d) {
        ++dialogs;
        setChecked(d, "cbpreview", false);
        closer.start(1);
        click(d, "bConfirm");
    });
    w->action(QStringLiteral("actlogs"))->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(console().data().isOpen());
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty())
        << op.shown().join(u'\n').toStdString();
    EXPECT_FALSE(QFile::exists(printed()));
}

}  // namespace
}  // namespace tallyport::test
