#include "app/commands.h"
#include "app/ui/main_window.h"
#include "store/setting_names.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QTableView>

namespace tallyport::test {
namespace {

using AdminCommands = ConsoleFixture;

TEST_F(AdminCommands, DoorButtonCaptionAtStartAndAfterItsSetup) {
    ASSERT_TRUE(WriteSettingBool(setting::DoorOpenEnable, true));
    ASSERT_TRUE(WriteSettingInt(setting::DoorOpenPortNo, 3));
    MainWindow w(console());
    auto* door = control<QPushButton>(&w, "bDoorOpen");
    ASSERT_NE(door, nullptr);
    EXPECT_FALSE(door->isHidden());
    EXPECT_EQ(door->text(), "COM3 -> OPEN");
    EXPECT_FALSE(door->isEnabled());  // logged out
    EXPECT_TRUE(door->toolTip().contains(QStringLiteral("beep")));

    w.action(cmd::popLogin)->trigger();  // a new installation has no password
    EXPECT_TRUE(door->isEnabled());
    OnNextModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "Setup Door Open Button");
        click(modal, "OKBtn");
    });
    w.action(QStringLiteral("actDoorOpen"))->trigger();
    EXPECT_EQ(door->text(), "COM3->OPEN");

    OnNextModal([](QWidget* modal) {
        setChecked(modal, "cbEnable", false);
        click(modal, "OKBtn");
    });
    w.action(QStringLiteral("actDoorOpen"))->trigger();
    EXPECT_TRUE(door->isHidden());
}

TEST_F(AdminCommands, DoorButtonHiddenWhenNotEnabled) {
    MainWindow w(console());
    EXPECT_TRUE(control<QPushButton>(&w, "bDoorOpen")->isHidden());
}

TEST_F(AdminCommands, WithNoReaderEnabledTheManagersSayOnlySoAndTheLogShowsAgain) {
    MainWindow w(console());
    w.show();
    w.action(cmd::popLogin)->trigger();
    for (const char* command : {"actmasterpin", "actOfflineManager"}) {
        SCOPED_TRACE(command);
        op.clear();
        w.action(QLatin1String(command))->trigger();
        EXPECT_EQ(op.shown(), QStringList{"error: No communication port enabled."});
        EXPECT_FALSE(w.logGrid()->isHidden());
    }
}

}  // namespace
}  // namespace tallyport::test
