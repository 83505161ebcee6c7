// The console's creation step without a window.
#include "app/console.h"
#include "app/auto_inout.h"
#include "base/clock.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/scripted_operator.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTest>

namespace tallyport::test {
namespace {

// A photo folder that cannot be made costs the first IN/OUT evaluation only: the minute tick
// still runs, so the schedule and the override go on working.
TEST(ConsoleCreation, PhotoFolderThatCannotBeMadeStillStartsTheMinuteTick) {
    TempDataDir folder;
    QFile blocker(folder.file(QStringLiteral("photos")));  // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ManualClock clock(QDateTime(QDate(2024, 3, 5), QTime(9, 0, 30)));
    setAppClock(&clock);
    WriteSettingBool(setting::AutoInOut, true);
    ScriptedOperator op;
    Console console(op, folder.path());
    ASSERT_TRUE(console.startUp());
    ASSERT_TRUE(addInPeriod(console.data().src(), QTime(8, 0), QTime(12, 0)).has_value());

    EXPECT_FALSE(console.creationStep());
    EXPECT_EQ(op.shown("general"), QStringList{kCannotCreateDirectory + folder.file("photos")});
    EXPECT_FALSE(console.autoInOut().isIn());  // not evaluated at creation

    clock.set(QDateTime(QDate(2024, 3, 5), QTime(9, 1, 0)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return console.autoInOut().isIn(); }, 3000));
    console.Shutdown();
    setAppClock(nullptr);
}

}  // namespace
}  // namespace tallyport::test
