// The Database menu's maintenance commands in the main window: the log view hidden while the
// files are closed or the log rewritten, and the erase through its scope dialog.
#include "app/card_events.h"
#include "app/commands.h"
#include "app/login.h"
#include "app/ui/log_grid.h"
#include "app/ui/main_window.h"
#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/maintenance_texts.h"
#include "store/passwd.h"
#include "store/photo_files.h"
#include "store/replaced_copies.h"
#include "store/schema.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QDateEdit>
#include <QGroupBox>
#include <QTableView>

namespace tallyport::test {
namespace {

const QDateTime kEarly(QDate(2024, 3, 4), QTime(17, 0));
const QDateTime kLate(QDate(2024, 3, 5), QTime(8, 0));

class MaintenanceCommands : public ConsoleFixture {
protected:
    void SetUp() override {
        ConsoleFixture::SetUp();
        window = std::make_unique<MainWindow>(console());
        window->action(cmd::popLogin)->trigger();  // no password yet
        ASSERT_TRUE(console().login().loggedIn());
        for (const QDateTime& t : {kEarly, kLate}) {
            punch(7, t);
            QDir().mkpath(console().data().photoFolder());
            ASSERT_TRUE(SavePictureAsJpeg(Picture(200, 150, 0, 0, 255),
                                          snapshotFileName(console().data().photoFolder(), 7, t)));
        }
        window->logView()->showCurrent();
        ASSERT_TRUE(snapshotShown());
        op.clear();
    }
    void TearDown() override { window.reset(); }
    void punch(int card, const QDateTime& when) {
        console().cardEvents().OnCardCode(false, 1, card, when, ModeIn);
    }
    bool gridShown() { return !window->logGrid()->isHidden(); }
    bool snapshotShown() {
        return !window->findChild<QWidget*>(QStringLiteral("gbcap"))->isHidden();
    }

    std::unique_ptr<MainWindow> window;
};

TEST_F(MaintenanceCommands, ClosedFilesHideTheLogViewWhateverArrivesAndReopenBringsItBack) {
    window->logView()->showCurrent();  // the newest row's snapshot
    ASSERT_TRUE(gridShown() && snapshotShown());
    console().data().CloseDatabases();
    EXPECT_FALSE(gridShown());
    EXPECT_FALSE(snapshotShown());
    EXPECT_EQ(window->logGrid()->model()->rowCount(), 0);
    Q_EMIT console().logChanged();  // as a late event would
    window->showSnapshot(7, kLate);
    EXPECT_FALSE(gridShown());
    EXPECT_FALSE(snapshotShown());
    ASSERT_TRUE(console().data().ReopenDatabases());
    EXPECT_TRUE(gridShown());
    EXPECT_TRUE(snapshotShown());
    EXPECT_EQ(window->logGrid()->model()->rowCount(), 2);
}

TEST_F(MaintenanceCommands, EraseBeforeADayKeepsThatDayAndShowsItsFirstRow) {
    OnNextModal([](QWidget* dialog) {
        EXPECT_EQ(className(dialog), QStringLiteral("EraseRecordsDialog"));
        control<QDateEdit>(dialog, "dpfrom")->setDate(kLate.date());
        click(dialog, "Button1");
    });
    op.answerYesNo(true);
    window->action(QStringLiteral("actreset"))->trigger();
    EXPECT_EQ(op.shown(QStringLiteral("yesno")),
              QStringList{msg::EraseLogQuestion(
                  1, QDir::toNativeSeparators(console().data().filePath(kReplacedFolder)))});
    EXPECT_EQ(console().data().logCount(), 1);
    EXPECT_TRUE(gridShown());
    EXPECT_EQ(window->logGrid()->model()->rowCount(), 1);
    EXPECT_EQ(window->logsGroup()->title(), QStringLiteral("1 record(s)"));
    EXPECT_FALSE(QFile::exists(snapshotFileName(console().data().photoFolder(), 7, kEarly)));
    EXPECT_TRUE(snapshotShown());  // the remaining row's
}

TEST_F(MaintenanceCommands, RestoringTheSystemDatabaseRenamesTheLogsHolders) {
    ASSERT_TRUE(console().data().src().run(
        QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (7, 'ANNA', 1)")));
    Q_EMIT console().holdersChanged();
    EXPECT_EQ(cell(window->logGrid(), 1, 1), QStringLiteral("ANNA, DEFAULT"));
    op.answerFile(console().data().filePath(kSystemTemplate));
    op.answerYesNo(true);
    window->action(QStringLiteral("actRstSys"))->trigger();
    EXPECT_EQ(op.shown(),
              (QStringList{
                  QStringLiteral("open: Restore System Database | Database "
                                 "File (*.db);;All File (*)"),
                  QStringLiteral("work: Restore System Database"),
                  QStringLiteral("yesno: ") +
                      msg::RestoreSystemQuestion(
                          QDir::toNativeSeparators(console().data().filePath(kSystemTemplate)), 1,
                          QDir::toNativeSeparators(console().data().filePath(kReplacedFolder))),
                  QStringLiteral("work: Restore System Database"),
                  QStringLiteral("information: Completed.")}));
    EXPECT_TRUE(console().data().isOpen());
    EXPECT_TRUE(gridShown());
    EXPECT_EQ(console().data().logCount(), 2);
    EXPECT_EQ(cell(window->logGrid(), 1, 1), QStringLiteral("[7]"));
}

TEST_F(MaintenanceCommands, AfterFormatTheNextLoginFindsNoPassword) {
    ASSERT_TRUE(
        console().data().SetKeyValue(kLoginPasswordKey, ScramblePassword(QStringLiteral("s"))));
    op.answerYesNo(true);
    window->action(QStringLiteral("actdelete"))->trigger();
    EXPECT_EQ(op.shown(QStringLiteral("information")), QStringList{msg::DatabaseFormatted});
    EXPECT_EQ(console().data().logCount(), 0);
    EXPECT_TRUE(gridShown());
    EXPECT_FALSE(snapshotShown());  // no row, and the photo folder emptied
    window->action(cmd::actLogout)->trigger();
    op.clear();
    window->action(cmd::actLogin)->trigger();
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("information: No password registered yet.")});
}

}  // namespace
}  // namespace tallyport::test
