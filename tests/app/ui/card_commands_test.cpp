#include "app/commands.h"
#include "app/ui/main_window.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QDialog>
#include <QTableView>

namespace tallyport::test {
namespace {

using CardCommands = ConsoleFixture;

TEST_F(CardCommands, CardInformationOpensWithTheLogHiddenAndShowsItAgainAfterwards) {
    MainWindow w(console());
    w.show();
    EXPECT_FALSE(w.action(QStringLiteral("actcardinfo"))->isEnabled());
    w.action(cmd::popLogin)->trigger();  // a new installation has no password
    ASSERT_TRUE(w.action(QStringLiteral("actcardinfo"))->isEnabled());
    QString seen;
    bool logHidden = false;
    OnNextModal([&](QWidget* modal) {
        seen = modal->objectName() + QLatin1Char('|') + modal->windowTitle();
        logHidden = w.logGrid()->isHidden();
        qobject_cast<QDialog*>(modal)->reject();
    });
    w.action(QStringLiteral("actcardinfo"))->trigger();
    EXPECT_EQ(seen, QStringLiteral("CardInfoDialog|Card Information List"));
    EXPECT_TRUE(logHidden);
    EXPECT_FALSE(w.logGrid()->isHidden());
}

}  // namespace
}  // namespace tallyport::test
