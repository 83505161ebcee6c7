// Who may read the pages (the optional token), and a port that cannot be opened.
#include "store/setting_names.h"
#include "store/settings.h"

#include "web_fixture.h"

#include <QTcpServer>

namespace tallyport::test {
namespace {

using WebAccess = WebFixture;

QPair<QByteArray, QByteArray> authorization(const QByteArray& value) {
    return {"Authorization", value};
}

QByteArray basic(const QByteArray& userAndPassword) {
    return "Basic " + userAndPassword.toBase64();
}

TEST_F(WebAccess, WithATokenEveryRequestMustCarryItAsBearerOrBasicPassword) {
    WriteSettingText(setting::WebToken, QStringLiteral("s3cret"));
    struct Case {
        const char* target;
        QByteArray header;  // empty: none sent
        int status;
    };
    const Case cases[] = {
        {"/today", {}, 401},
        {"/api/logs", {}, 401},
        {"/anything", {}, 401},
        {"/today", "Bearer s3cret", 200},
        {"/api/logs", "bearer s3cret", 200},
        {"/today", "Bearer s3cre", 401},
        {"/today", "Bearer s3cret2", 401},
        {"/today", basic("anyone:s3cret"), 200},
        {"/today", basic(":s3cret"), 200},
        {"/today", basic("s3cret:"), 401},
        {"/today", basic("anyone:wrong"), 401},
        {"/today", "s3cret", 401},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.target) + " " + c.header.toStdString());
        const HttpReply r =
            c.header.isEmpty() ? get(c.target) : get(c.target, {authorization(c.header)});
        EXPECT_EQ(r.status, c.status);
        if (c.status == 401) {
            EXPECT_EQ(r.headers.value("www-authenticate"), "Basic realm=\"Tallyport\"");
            EXPECT_FALSE(r.body.contains("record"));
        }
    }
    // Cleared, the pages are open again at once.
    WriteSettingText(setting::WebToken, QString());
    EXPECT_EQ(get("/today").status, 200);
}

TEST_F(WebAccess, APortInUseIsRefusedWithItsReasonAndTheRunningServerStaysUsable) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any));
    WebReporter second(dir.path());
    const auto refused = second.start(other.serverPort());
    ASSERT_FALSE(refused.has_value());
    EXPECT_TRUE(refused.error().text.startsWith(
        QStringLiteral("The Web Reporter cannot listen on port %1: ").arg(other.serverPort())))
        << qPrintable(refused.error().text);
    EXPECT_TRUE(refused.error().text.contains(QLatin1String("Another program already listens")));
    EXPECT_FALSE(second.listening());
    EXPECT_FALSE(second.start(70000).has_value());
    EXPECT_EQ(get("/today").status, 200);
}

// Ports below 1024 need privileges on Linux (the tests may run as root, so the text is checked
// on its own).
TEST(WebListenFailure, APrivilegedPortSaysHowToChooseAnother) {
    const QString text = webListenFailure(80, QAbstractSocket::SocketAccessError,
                                          QStringLiteral("The address is protected"));
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("The Web Reporter cannot listen on port 80: The address is protected.")));
    EXPECT_TRUE(text.contains(QLatin1String("below 1024")));
    EXPECT_TRUE(text.contains(QLatin1String("8080")));
    EXPECT_FALSE(webListenFailure(8080, QAbstractSocket::SocketAccessError, QStringLiteral("x"))
                     .contains(QLatin1String("below 1024")));
}

}  // namespace
}  // namespace tallyport::test
