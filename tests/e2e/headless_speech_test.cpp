// `tallyport --headless` with spoken greetings on, on a machine without a sound output (a
// service with PrivateDevices=, a server): the voice is not tried, the log says why once
// however many cards are read, and every punch is recorded.
#include "store/data_module.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/console_process.h"
#include "support/recorder_folder.h"
#include "support/sim_process.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTest>

namespace tallyport::test {
namespace {

TEST(HeadlessSpeech, WithoutASoundDeviceTheVoiceIsSaidOnceAndPunchesAreRecorded) {
    QFile::remove(settingsFilePath());  // the cases may run in one process
    tallyport::testing::SimProcess sim;
    ASSERT_TRUE(sim.ready());
    TempDataDir dir;
    ASSERT_NO_FATAL_FAILURE(prepareRecorderFolder(dir.path(), sim.port(), {{4711, "ANNA"}}));
    WriteSettingBool(setting::SpeechEnable, true);

    ConsoleProcess console(dir.path());
    // No sound server to reach, and no sound card in a test's machine.
    console.setEnvironment(QStringLiteral("PULSE_SERVER"), dir.file(QStringLiteral("no-pulse")));
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000));
    const int cards[] = {4711, 4711, 9, 4711};  // a holder and a card nobody holds
    for (int card : cards) ASSERT_TRUE(sim.ok(QStringLiteral("card 6 %1").arg(card)));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return console.standardOutput().count(QStringLiteral("\tFront door\n")) == 4; },
        5000))
        << console.standardOutput().toStdString();
    EXPECT_EQ(console.terminate(), 0);

    const QString log = console.standardError();
    EXPECT_EQ(log.count(QStringLiteral("no sound output device")), 1) << log.toStdString();
    EXPECT_EQ(log.count(QStringLiteral("error: No spoken greeting: ")), 1) << log.toStdString();
    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(data.logCount(), 4);
}

}  // namespace
}  // namespace tallyport::test
