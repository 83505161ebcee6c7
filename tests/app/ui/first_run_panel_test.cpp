#include "app/ui/first_run_panel.h"
#include "app/commands.h"
#include "app/first_run.h"
#include "app/login.h"
#include "app/ui/main_window.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QStackedWidget>
#include <QToolButton>

namespace tallyport::test {
namespace {

class FirstRunPanelTest : public ConsoleFixture {
protected:
    void SetUp() override {
        ConsoleFixture::SetUp();
        WriteSettingText(setting::FirstRunGuide, QString());
        WriteSettingText(setting::FirstRunGuideClosed, QString());
    }
    QWidget* logArea(MainWindow& w) {
        auto* stack = w.findChild<QStackedWidget*>(QStringLiteral("logArea"));
        return stack ? stack->currentWidget() : nullptr;
    }
    QStringList marks(MainWindow& w) {
        QStringList out;
        for (int i = 0; i < FirstRunPanel::StepCount; ++i) out << w.firstRunPanel()->mark(i);
        return out;
    }
    // Clicks a step's button; `whileOpen` runs in the window it opened, which is then closed.
    QString clickStep(MainWindow& w, int step, std::function<void()> whileOpen) {
        QString opened;
        OnNextModal([&opened, whileOpen](QWidget* dialog) {
            opened = className(dialog);
            whileOpen();
            dialog->close();
        });
        w.firstRunPanel()->stepButton(step)->click();
        return opened;
    }
    void sql(const QString& statement) { ASSERT_TRUE(console().data().src().exec(statement)); }

    const QString done = first_run_text::Done;
    const QString open = first_run_text::Open;
};

TEST_F(FirstRunPanelTest, AFreshFolderShowsTheChecklistWhoseStepsWaitForTheLogin) {
    MainWindow w(console());
    w.showMainWindow();
    ASSERT_NE(w.firstRunPanel(), nullptr);
    EXPECT_EQ(logArea(w), w.firstRunPanel());
    EXPECT_FALSE(w.logGrid()->isVisible());
    EXPECT_EQ(marks(w), (QStringList{open, open, open, open}));
    auto* login = control<QToolButton>(&w, "firstRunLogin");
    EXPECT_TRUE(login->isVisible());
    // Set Password works logged out, as its menu command does; the others wait for the login.
    const std::array<bool, 4> loggedOut = {true, false, false, false};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(w.firstRunPanel()->stepButton(i)->isEnabled(), loggedOut[size_t(i)]) << i;

    login->click();
    EXPECT_TRUE(op.saw(msg::NoPasswordYet));
    EXPECT_FALSE(login->isVisible());
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(w.firstRunPanel()->stepButton(i)->isEnabled()) << i;
}

TEST_F(FirstRunPanelTest, EachButtonOpensItsCommandsWindowAndTheStepTicksWhenDone) {
    MainWindow w(console());
    w.showMainWindow();
    w.action(cmd::actLogin)->trigger();

    op.answerNewPassword(std::pair{QStringLiteral("pw"), QStringLiteral("pw")});
    w.firstRunPanel()->stepButton(0)->click();
    EXPECT_TRUE(op.saw(msg::NewPasswordRegistered));
    EXPECT_EQ(marks(w), (QStringList{done, open, open, open}));

    EXPECT_EQ(clickStep(w, 2, [&] { sql("INSERT INTO gid(id, descx) VALUES (2, 'OFFICE')"); }),
              QStringLiteral("GroupListDialog"));
    EXPECT_EQ(clickStep(w, 3,
                        [&] {
                            sql("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (4711, 'ANNA', "
                                "2)");
                        }),
              QStringLiteral("CardInfoDialog"));
    EXPECT_EQ(marks(w), (QStringList{done, open, done, done}));
    EXPECT_EQ(logArea(w), w.firstRunPanel());  // no reader yet

    // A step left undone in its window stays open.
    EXPECT_EQ(clickStep(w, 1, [] {}), QStringLiteral("ReaderSetupDialog"));
    EXPECT_EQ(marks(w), (QStringList{done, open, done, done}));
    EXPECT_EQ(clickStep(w, 1, [&] { sql("UPDATE reader SET enable = 1 WHERE PortNo = 2"); }),
              QStringLiteral("ReaderSetupDialog"));
    // A reader and a holder: the guide has done its work and the grid is back.
    EXPECT_FALSE(w.firstRunGuide()->shown());
    EXPECT_NE(logArea(w), w.firstRunPanel());
    EXPECT_TRUE(w.logGrid()->isVisible());
}

TEST_F(FirstRunPanelTest, ClosingItShowsTheGridAndItStaysClosed) {
    {
        MainWindow w(console());
        w.showMainWindow();
        click(&w, "firstRunClose");
        EXPECT_NE(logArea(w), w.firstRunPanel());
        EXPECT_TRUE(w.logGrid()->isVisible());
    }
    Console again(op, data.path());
    MainWindow w(again);
    w.showMainWindow();
    EXPECT_FALSE(w.firstRunGuide()->shown());
    EXPECT_TRUE(w.logGrid()->isVisible());
}

TEST_F(FirstRunPanelTest, AFolderInUseShowsTheGridAsBefore) {
    {
        DataModule prepared(op);
        prepared.setDataFolder(data.path());
        ASSERT_TRUE(prepared.prepareDataFolder().value_or(false));
        ASSERT_TRUE(prepared.OpenDatabases());
        ASSERT_TRUE(prepared.src().exec(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (7, 'CARL', 1)")));
        prepared.CloseDatabases();
    }
    MainWindow w(console());
    w.showMainWindow();
    EXPECT_FALSE(w.firstRunGuide()->shown());
    EXPECT_TRUE(w.logGrid()->isVisible());
}

}  // namespace
}  // namespace tallyport::test
