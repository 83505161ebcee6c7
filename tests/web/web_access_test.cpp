// Who may read the pages (the optional token), and a port that cannot be opened.
#include "store/setting_names.h"
#include "store/settings.h"

#include "web_fixture.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QThread>

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

// A connection that carries nothing either way for the idle time is closed, whether it never
// sent a request, stopped half-way through one or was left open after its answers; one in use
// stays open however long it is used.
TEST_F(WebAccess, ConnectionsWithoutTrafficAreClosedAndBusyOnesKept) {
    reporter = std::make_unique<WebReporter>(dir.path());
    reporter->setIdleTimeout(600);
    ASSERT_NO_FATAL_FAILURE(listening = reporter->start(0).value_or(0));
    ASSERT_NE(listening, 0);
    QTcpSocket silent, halfway, answered, busy;
    for (QTcpSocket* s : {&silent, &halfway, &answered, &busy}) {
        s->connectToHost(QStringLiteral("127.0.0.1"), listening);
        ASSERT_TRUE(s->waitForConnected(5000));
    }
    halfway.write("GET /today HTTP/1.1\r\nHost: 127.0.0.1\r\n");  // never ended
    halfway.flush();
    sendGet(answered, "/today");
    EXPECT_EQ(readReply(answered).status, 200);
    QElapsedTimer t;
    t.start();
    int answers = 0;
    while (t.elapsed() < 1800) {  // well past the idle time, a request every 100 ms
        sendGet(busy, "/logs");
        answers += readReply(busy).status == 200;
        QThread::msleep(100);
    }
    EXPECT_GE(answers, 10);
    EXPECT_EQ(busy.state(), QAbstractSocket::ConnectedState);
    for (QTcpSocket* s : {&silent, &halfway, &answered}) {
        if (s->state() != QAbstractSocket::UnconnectedState) s->waitForDisconnected(5000);
        EXPECT_EQ(s->state(), QAbstractSocket::UnconnectedState);
    }
    EXPECT_EQ(get("/today").status, 200);  // and the server goes on answering
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
