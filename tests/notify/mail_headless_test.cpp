// The mailing of `tallyport --headless`: a row queued before the start goes out on the first
// tick, is gone from the queue, and the log says so.
#include "store/data_module.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/console_process.h"
#include "support/scripted_operator.h"
#include "support/temp_data.h"

#include "smtp_sink.h"

#include <gtest/gtest.h>
#include <QFile>

namespace tallyport::test {
namespace {

TEST(MailHeadless, AQueuedRowGoesOutAndTheLogSaysSo) {
    QFile::remove(settingsFilePath());  // the cases may run in one process
    SmtpSink sink;
    ASSERT_TRUE(sink.ready());
    TempDataDir dir;
    {
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        ASSERT_TRUE(data.OpenDatabases());
        ASSERT_TRUE(data.src().run(QStringLiteral(
            "INSERT INTO emails(TITLE, MSG) VALUES ('[2024/03/05] ANNA', 'ANNA [1]\n')")));
    }
    WriteSettingBool(setting::EmailEnabled, true);
    WriteSettingText(setting::EmailSmtpServer, QStringLiteral("127.0.0.1"));
    WriteSettingInt(setting::EmailSmtpPort, sink.port());
    WriteSettingText(setting::EmailRecipant, QStringLiteral("boss@example.test"));
    WriteSettingText(setting::EmailSender, QStringLiteral("console@example.test"));

    ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    ASSERT_TRUE(sink.waitForMails(1, 10000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return console.standardError().contains(
                QStringLiteral("email: sent: [2024/03/05] ANNA"));
        },
        5000))
        << console.standardError().toStdString();
    EXPECT_EQ(console.terminate(), 0);
    EXPECT_EQ(sink.mails().size(), 1);
    EXPECT_EQ(sink.mails()[0].subject, QStringLiteral("[2024/03/05] ANNA"));

    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(dir.path());
    ASSERT_TRUE(data.OpenDatabases());
    EXPECT_EQ(*data.src().scalarInt(QStringLiteral("SELECT count(*) FROM emails")), 0);
}

}  // namespace
}  // namespace tallyport::test
