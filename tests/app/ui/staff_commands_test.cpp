#include "app/commands.h"
#include "app/ui/main_window.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QDialog>

namespace tallyport::test {
namespace {

using StaffCommands = ConsoleFixture;

// The dialog a main-window command opens, closed as soon as it shows.
QString opens(MainWindow& w, const QString& command) {
    QString seen;
    OnNextModal([&seen](QWidget* modal) {
        seen = modal->objectName() + QLatin1Char('|') + modal->windowTitle();
        qobject_cast<QDialog*>(modal)->reject();
    });
    w.action(command)->trigger();
    return seen;
}

TEST_F(StaffCommands, GroupAndTimeTableCommandsOpenTheirDialogsAfterLogin) {
    MainWindow w(console());
    EXPECT_FALSE(w.action(QStringLiteral("actdefgroup"))->isEnabled());
    w.action(cmd::popLogin)->trigger();  // a new installation has no password
    ASSERT_TRUE(w.action(QStringLiteral("actdefgroup"))->isEnabled());
    EXPECT_EQ(opens(w, QStringLiteral("actdefgroup")),
              QStringLiteral("GroupListDialog|Group List"));
    EXPECT_EQ(opens(w, QStringLiteral("actSetTimeTbl")),
              QStringLiteral("TimeTableDialog|Time Table"));
}

}  // namespace
}  // namespace tallyport::test
