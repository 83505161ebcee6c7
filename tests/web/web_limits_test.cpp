// How connections are kept and closed: as the HTTP version and the request ask, and within
// what they may take of the console (idle ones are closed, a request may not grow without end,
// only so many are served at once).
#include "web/web_request.h"
#include "web_fixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <memory>
#include <vector>

namespace tallyport::test {
namespace {

class WebLimitsTest : public WebFixture {
protected:
    void restartWith(const WebLimits& limits) {
        reporter = std::make_unique<WebReporter>(dir.path());
        reporter->setLimits(limits);
        const auto port = reporter->start(0);
        ASSERT_TRUE(port.has_value());
        listening = *port;
    }
    void connect(QTcpSocket& s) {
        s.connectToHost(QStringLiteral("127.0.0.1"), listening);
        ASSERT_TRUE(s.waitForConnected(5000));
    }
    static void expectClosed(QTcpSocket& s) {
        if (s.state() != QAbstractSocket::UnconnectedState) s.waitForDisconnected(5000);
        EXPECT_EQ(s.state(), QAbstractSocket::UnconnectedState);
    }
};

// HTTP/1.0 closes after each answer unless the request asks to keep the connection; HTTP/1.1
// keeps it unless the request asks to close it.
TEST_F(WebLimitsTest, EachAnswerClosesTheConnectionOrNotAsTheVersionAndTheRequestAsk) {
    struct Case {
        const char* version;
        const char* connection;  // the header's value; empty: none sent
        bool kept;
    };
    const Case cases[] = {
        {"HTTP/1.0", "", false},      {"HTTP/1.0", "keep-alive", true}, {"HTTP/1.1", "", true},
        {"HTTP/1.1", "close", false}, {"HTTP/1.1", "Keep-Alive", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.connection);
        QTcpSocket s;
        ASSERT_NO_FATAL_FAILURE(connect(s));
        QByteArray request = QByteArray("GET /today ") + c.version + "\r\nHost: 127.0.0.1\r\n";
        if (*c.connection) request += QByteArray("Connection: ") + c.connection + "\r\n";
        s.write(request + "\r\n");
        EXPECT_EQ(readReply(s).status, 200);
        if (c.kept) {
            EXPECT_FALSE(s.waitForDisconnected(300));
            sendGet(s, "/logs");
            EXPECT_EQ(readReply(s).status, 200);
        } else {
            expectClosed(s);
        }
    }
}

// Closed whether it never sent a request, stopped half-way through one or was left open after
// its answers; one in use stays open however long it is used.
TEST_F(WebLimitsTest, ConnectionsWithoutTrafficAreClosedAndBusyOnesKept) {
    ASSERT_NO_FATAL_FAILURE(restartWith({.idleMs = 600}));
    QTcpSocket silent, halfway, answered, busy;
    for (QTcpSocket* s : {&silent, &halfway, &answered, &busy})
        ASSERT_NO_FATAL_FAILURE(connect(*s));
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
    for (QTcpSocket* s : {&silent, &halfway, &answered}) expectClosed(*s);
    EXPECT_EQ(get("/today").status, 200);  // and the server goes on answering
}

// A header that never ends is refused once it passes the limit, with 431 as far as the client
// still reads; requests up to the limit are answered as usual, on the same connection.
TEST_F(WebLimitsTest, ARequestPastTheLimitIsRefusedAndTheConnectionClosed) {
    ASSERT_NO_FATAL_FAILURE(restartWith({.maxRequestBytes = 8 * 1024}));
    QTcpSocket s;
    ASSERT_NO_FATAL_FAILURE(connect(s));
    const QByteArray cookie = QByteArray(6 * 1024, 'c');
    sendGet(s, "/today", {{"Cookie", cookie}});
    EXPECT_EQ(readReply(s).status, 200);
    sendGet(s, "/logs", {{"Cookie", cookie}});
    EXPECT_EQ(readReply(s).status, 200);
    s.write("GET /today HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Endless: ");
    const QByteArray chunk(4 * 1024, 'x');
    for (int i = 0; i < 64 && s.state() == QAbstractSocket::ConnectedState; ++i) {
        s.write(chunk);
        s.waitForBytesWritten(1000);
    }
    QByteArray answer;
    while (s.waitForReadyRead(2000)) answer += s.readAll();
    answer += s.readAll();
    // The refusal may be overtaken by the reset of the connection; when it arrives, it is 431.
    if (!answer.isEmpty()) {
        EXPECT_TRUE(answer.startsWith(WebListener::kTooLargeAnswer.left(40)))
            << answer.left(80).data();
    }
    expectClosed(s);
    EXPECT_EQ(get("/today").status, 200);
}

// A client that asks again and again without reading the answers is cut off once they pile
// up, instead of having every answer kept for it; other clients are served as usual.
TEST_F(WebLimitsTest, AClientThatAsksWithoutReadingIsCutOff) {
    {
        Transaction tx(data.att());
        for (int i = 0; i < 2000; ++i)
            ASSERT_NO_FATAL_FAILURE(addLog(QStringLiteral("2024-03-01 10:00:00"), 23456));
        ASSERT_TRUE(tx.commit());
    }
    ASSERT_NO_FATAL_FAILURE(restartWith({.maxUnsentBytes = 64 * 1024}));
    QTcpSocket greedy;
    greedy.setReadBufferSize(1);  // reads nothing on its own: the answers stay in the system
    ASSERT_NO_FATAL_FAILURE(connect(greedy));
    const int asked = 80;  // pages of 2,000 rows, some 40 MB in all: far past the system's buffers
    QByteArray requests;
    for (int i = 0; i < asked; ++i)
        requests += "GET /logs?2000 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    greedy.write(requests);
    greedy.waitForBytesWritten(5000);
    QThread::msleep(1500);
    EXPECT_EQ(get("/today").status, 200);
    greedy.setReadBufferSize(0);
    QByteArray answers;
    QElapsedTimer t;
    t.start();
    while (greedy.state() == QAbstractSocket::ConnectedState && t.elapsed() < 15000)
        if (greedy.waitForReadyRead(1000)) answers += greedy.readAll();
    answers += greedy.readAll();
    EXPECT_EQ(greedy.state(), QAbstractSocket::UnconnectedState);
    EXPECT_LT(answers.count("HTTP/1.1 200 OK"), asked);
}

// A page far larger than what is handed to a socket at a time arrives whole, in time, at a client
// that reads it; so does the next one on the same connection.
TEST_F(WebLimitsTest, ALargePageArrivesWholeAtAClientThatReadsIt) {
    {
        Transaction tx(data.att());
        for (int i = 0; i < 2000; ++i)
            ASSERT_NO_FATAL_FAILURE(addLog(QStringLiteral("2024-03-01 10:00:00"), 23456));
        ASSERT_TRUE(tx.commit());
    }
    QTcpSocket s;
    ASSERT_NO_FATAL_FAILURE(connect(s));
    for (const QByteArray target : {"/logs?2000", "/logs?1999"}) {
        SCOPED_TRACE(target.toStdString());
        QElapsedTimer t;
        t.start();
        sendGet(s, target);
        const HttpReply r = readReply(s, 5000);
        EXPECT_EQ(r.status, 200);
        EXPECT_GT(r.body.size(), 256 * 1024);
        EXPECT_EQ(r.body.size(), r.headers.value("content-length").toLongLong());
        EXPECT_TRUE(r.body.endsWith("</body>\r\n")) << r.body.right(40).constData();
        EXPECT_LT(t.elapsed(), 2000);
    }
}

// Answers asked for and not read hold memory until they are sent. A page that several such
// clients wait for counts once; past the bound for all connections together a large page is
// refused "503" with Retry-After while an ordinary one is still answered, until the clients go.
TEST_F(WebLimitsTest, PastTheBoundOfWaitingAnswersLargePagesWaitAndOrdinaryOnesGoOn) {
    {
        Transaction tx(data.att());
        for (int i = 0; i < kMaxListedRows; ++i)
            ASSERT_NO_FATAL_FAILURE(addLog(QStringLiteral("2024-03-01 10:00:00"), 23456));
        ASSERT_TRUE(tx.commit());
    }
    ASSERT_NO_FATAL_FAILURE(restartWith({.maxUnsentTotal = 5 * 1024 * 1024}));
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    // Asks for a page of some 3.5 MB and reads nothing: it stays waiting for the client.
    const auto askAndRead = [&](const QByteArray& target) {
        auto& s = silent.emplace_back(std::make_unique<QTcpSocket>());
        s->setReadBufferSize(1);
        ASSERT_NO_FATAL_FAILURE(connect(*s));
        sendGet(*s, target);
        s->waitForBytesWritten(1000);
        QThread::msleep(300);  // answered on the server's thread
    };
    for (int i = 0; i < 4; ++i) ASSERT_NO_FATAL_FAILURE(askAndRead("/logs?20000"));
    EXPECT_EQ(get("/logs?19999").status, 200);  // one page waits, if for four clients
    for (const char* other : {"/logs?19998", "/logs?19997"})
        ASSERT_NO_FATAL_FAILURE(askAndRead(other));

    struct Case {
        QByteArray target;
        int status;
    };
    for (const Case& c : {Case{"/logs?19990", 503}, Case{"/api/logs?limit=5000", 503},
                          Case{"/logs", 200}, Case{"/today?100", 200}, Case{"/api/logs", 200}}) {
        SCOPED_TRACE(c.target.toStdString());
        const HttpReply r = get(c.target);
        EXPECT_EQ(r.status, c.status);
        if (c.status == 503) {
            EXPECT_EQ(r.headers.value("retry-after"), "5");
        }
    }
    silent.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return get("/logs?19990").status == 200; }, 5000));
}

// Past the number of connections served at once, a new one waits until another closes.
TEST_F(WebLimitsTest, ConnectionsPastTheLimitWaitForOneToClose) {
    ASSERT_NO_FATAL_FAILURE(restartWith({.maxConnections = 2}));
    QTcpSocket first, second, waiting;
    ASSERT_NO_FATAL_FAILURE(connect(first));
    ASSERT_NO_FATAL_FAILURE(connect(second));
    sendGet(first, "/today");
    ASSERT_EQ(readReply(first).status, 200);
    ASSERT_NO_FATAL_FAILURE(connect(waiting));  // the system queues it
    sendGet(waiting, "/today");
    EXPECT_EQ(readReply(waiting, 700).status, 0);
    first.disconnectFromHost();
    expectClosed(first);
    EXPECT_EQ(readReply(waiting).status, 200);
    sendGet(second, "/logs");
    EXPECT_EQ(readReply(second).status, 200);
}

}  // namespace
}  // namespace tallyport::test
