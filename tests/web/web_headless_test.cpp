// The web reporter of `tallyport --headless`: a port that cannot be opened is said and the
// console runs on; with a free port it serves pages and says so on the log.
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/console_process.h"
#include "support/temp_data.h"

#include "http_get.h"

#include <gtest/gtest.h>
#include <QTcpServer>
#include <QTest>

namespace tallyport::test {
namespace {

TEST(WebHeadless, ServesPagesAsTheSettingsSayAndSaysWhenThePortIsTaken) {
    TempDataDir dir;
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::Any));
    WriteSettingBool(setting::WebEnabled, true);
    WriteSettingInt(setting::WebPortNo, taken.serverPort());
    {
        ConsoleProcess console(dir.path());
        ASSERT_TRUE(console.start()) << console.standardError().toStdString();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return console.standardError().contains(
                    QStringLiteral("error: The Web Reporter cannot listen on port %1: ")
                        .arg(taken.serverPort()));
            },
            5000))
            << console.standardError().toStdString();
        EXPECT_EQ(console.terminate(), 0);
    }
    const quint16 port = taken.serverPort();
    taken.close();
    ConsoleProcess console(dir.path());
    ASSERT_TRUE(console.start()) << console.standardError().toStdString();
    const HttpReply r = httpGet(port, "/logs");
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.body.contains("[0 record(s)]<br>")) << r.body.constData();
    EXPECT_EQ(console.terminate(), 0);
    const QString log = console.standardError();
    EXPECT_TRUE(log.contains(QStringLiteral("web: Web Reporter listening on port %1").arg(port)))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("web: Web Reporter stopped"))) << log.toStdString();
}

}  // namespace
}  // namespace tallyport::test
