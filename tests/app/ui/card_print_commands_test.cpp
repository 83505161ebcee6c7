// The Card Manager's printouts from the main window: cards and the member list printed
// straight to the printer or previewed, the dialog coming back until it is cancelled, and the
// command line writing the same pages.
#include "app/ui/card_print_commands.h"
#include "app/commands.h"
#include "app/ui/main_window.h"
#include "app/ui/report_commands.h"
#include "base/clock.h"
#include "reports/card_print.h"
#include "reports/ui/report_page_view.h"
#include "reports/ui/report_preview.h"
#include "store/photo_codec.h"
#include "store/setting_names.h"
#include "support/console_process.h"
#include "support/pdf_text.h"
#include "support/printing_console.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>

namespace tallyport::test {
namespace {

class CardPrintCommands : public PrintingConsoleFixture {
protected:
    QString written() const { return outFile(QStringLiteral("written.pdf")); }

    void addHolders() {
        Database& src = console().data().src();
        ASSERT_TRUE(src.run(QStringLiteral("INSERT INTO gid(id, descx) VALUES (5, 'Plant')")));
        const char* rows[][3] = {{"11", "Ann Miller", "badge 4411\nroom 12"},
                                 {"12", "Bob Stone", ""},
                                 {"13", "Cid Young", "night shift"}};
        for (const auto& r : rows)
            ASSERT_TRUE(
                src.run(QStringLiteral(
                            "INSERT INTO staffs(CARDNO, NAME, WORKGRP, MEMO) VALUES (?, ?, 5, ?)"),
                        QString::fromLatin1(r[0]).toInt(), QString::fromLatin1(r[1]),
                        QString::fromLatin1(r[2])));
        ASSERT_TRUE(src.run(QStringLiteral("UPDATE staffs SET PHOTO=? WHERE CARDNO=11"),
                            encodeJpeg(Picture(240, 320, 0, 0, 255)).value()));
    }
    std::unique_ptr<MainWindow> window() {
        auto w = std::make_unique<MainWindow>(console());
        w->action(cmd::popLogin)->trigger();  // a new installation has no password
        op.clear();
        return w;
    }
    // `tallyport NAME --pdf written.pdf --data-dir … args`; its exit code.
    int runProgram(const QString& name, const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.setProgram(BuiltProgram(QStringLiteral("tallyport")));
        p.setArguments(QStringList{name, QStringLiteral("--pdf"), written(),
                                   QStringLiteral("--data-dir"), data.path()} +
                       args);
        p.start();
        if (!p.waitForFinished(60000)) return -1;
        if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    }
};

// The footer's print time aside, what two PDFs say page by page.
QStringList withoutPrintTime(QStringList pages) {
    static const QRegularExpression time(QStringLiteral("Printed on \\S+ \\S+"));
    for (QString& p : pages) p.replace(time, QStringLiteral("Printed on"));
    return pages;
}

TEST_F(CardPrintCommands, CardsPrintStraightAndTheDialogComesBack) {
    auto w = window();
    addHolders();
    int shown = 0;
    OnNextModal([&](QWidget* d) {
        ++shown;
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Print Member Card"));
        click(d, "rbgroup");
        control<QComboBox>(d, "cbgroup")->setCurrentText(QStringLiteral("Plant"));
        setChecked(d, "cbPreview", false);
        OnNextModal([&](QWidget* again) {
            ++shown;
            click(again, "bCancel");
        });
        click(d, "bConfirm");
    });
    w->action(QStringLiteral("actmemberlist"))->trigger();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(op.shown(QStringLiteral("work")),
              (QStringList{QStringLiteral("Print Member Card"),
                           QStringLiteral("Print Member Card")}));  // built, then printed
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty())
        << op.shown().join(u'\n').toStdString();
    EXPECT_TRUE(ReadSettingBool(setting::CardPreview, true));  // Confirm saves nothing
    const QStringList pages = PdfPages(printed());
    ASSERT_EQ(pages.size(), 1);
    for (const char* text : {"Ann Miller", "Bob Stone", "Cid Young", "badge 4411", "Plant"})
        EXPECT_TRUE(pages[0].contains(QLatin1String(text))) << text;
    // Only remark line 1 has its label on; the memo's second line prints all the same.
    EXPECT_EQ(pages[0].count(QStringLiteral("Remark:")), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("room 12")));

    // The command line writes the same sheet from the same settings and pictures.
    ASSERT_EQ(runProgram(QStringLiteral("cards"),
                         {QStringLiteral("--persons"), QStringLiteral("group:Plant")}),
              0);
    EXPECT_EQ(PdfPages(written()), pages);

    // A damaged picture is said, and the sheet is written with a blank one.
    QFile damaged(QDir(data.path()).filePath(QStringLiteral("cardlogo.jpg")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a picture");
    damaged.close();
    QString err;
    ASSERT_EQ(runProgram(QStringLiteral("cards"),
                         {QStringLiteral("--persons"), QStringLiteral("group:Plant")}, &err),
              0);
    EXPECT_TRUE(err.contains(unreadableCardPictureText(damaged.fileName()))) << err.toStdString();
    EXPECT_EQ(PdfPages(written()).size(), 1);
}

TEST_F(CardPrintCommands, MemberListOfNobodyPickedIsTheFrameOnly) {
    auto w = window();
    addHolders();
    OnNextModal([&](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Select Staffs"));
        click(d, "rbstaff");
        setChecked(d, "cbpreview", false);
        OnNextModal([](QWidget* again) { click(again, "Button2"); });
        click(d, "Button1");
    });
    w->action(QStringLiteral("actlistmem"))->trigger();
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty());
    const QStringList pages = PdfPages(printed());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0], QStringLiteral("Time Attendance Member List Card No. Name Group Remark "
                                       "Printed on 2026-03-11 10:00:00 P.1"));
    EXPECT_EQ(ReadSettingInt(setting::ScopePersons, 0), 2);

    // The command line takes the remembered choice.
    QString err;
    ASSERT_EQ(runProgram(QStringLiteral("member-list"), {}, &err), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Nobody")));
    EXPECT_EQ(withoutPrintTime(PdfPages(written())), withoutPrintTime(pages));
}

TEST_F(CardPrintCommands, MemberListPreviewThenTheSameFromTheCommandLine) {
    auto w = window();
    addHolders();
    QString previewTitle;
    int pageCount = 0;
    OnNextModal([&](QWidget* d) {
        click(d, "rballstaff");
        OnNextModal([&](QWidget* preview) {
            previewTitle = preview->windowTitle();
            pageCount = preview->findChild<ReportPageView*>()->pageCount();
            auto* p = qobject_cast<ReportPreview*>(preview);
            ASSERT_NE(p, nullptr);
            p->setPrinterChooser([this](QWidget*) {
                auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
                printer->setOutputFormat(QPrinter::PdfFormat);
                printer->setOutputFileName(printed());
                return printer;
            });
            p->print();
            OnNextModal([](QWidget* again) { click(again, "Button2"); });
            preview->close();
        });
        click(d, "Button1");
    });
    w->action(QStringLiteral("actmemlist"))->trigger();
    EXPECT_EQ(previewTitle, QStringLiteral("Member List"));
    EXPECT_EQ(pageCount, 1);
    const QStringList pages = PdfPages(printed());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("11 Ann Miller Plant badge 4411")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("room 12")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("13 Cid Young Plant night shift")));

    ASSERT_EQ(runProgram(QStringLiteral("member-list"),
                         {QStringLiteral("--persons"), QStringLiteral("all")}),
              0);
    EXPECT_EQ(withoutPrintTime(PdfPages(written())), withoutPrintTime(pages));
}

TEST_F(CardPrintCommands, CommandLineRefusals) {
    auto w = window();  // the data folder made and opened
    addHolders();
    QString err;
    EXPECT_EQ(runProgram(QStringLiteral("cards"),
                         {QStringLiteral("--style"), QStringLiteral("diagonal")}, &err),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("horizontal or vertical")));
    EXPECT_EQ(runProgram(QStringLiteral("member-list"),
                         {QStringLiteral("--style"), QStringLiteral("vertical")}),
              2);
    EXPECT_EQ(runProgram(QStringLiteral("cards"),
                         {QStringLiteral("--persons"), QStringLiteral("group:Nobody")}, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("no work group \"Nobody\"")));
    EXPECT_FALSE(QFile::exists(written()));

    QProcess p;
    p.start(BuiltProgram(QStringLiteral("tallyport")),
            {QStringLiteral("cards"), QStringLiteral("--data-dir"), data.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);  // no --pdf
    p.start(BuiltProgram(QStringLiteral("tallyport")),
            {QStringLiteral("member-list"), QStringLiteral("--help")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains("Usage: tallyport member-list"));
}

}  // namespace
}  // namespace tallyport::test
