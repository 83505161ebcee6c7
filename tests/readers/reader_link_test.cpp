#include "readers/hex.h"
#include "readers/reader_fixture.h"
#include "support/scripted_operator.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QSignalSpy>

using namespace tallyport;
using namespace tallyport::test;

namespace {

// A reader that never accepts: a listening socket whose queue of one is already full, so the
// next connect gets no answer at all, like a reader switched off behind a switch.
class DeafListener {
public:
    DeafListener() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listener, 0);
        socklen_t len = sizeof addr;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(m_filler, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }
    ~DeafListener() {
        ::close(m_filler);
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }

private:
    int m_listener = -1;
    int m_filler = -1;
    quint16 m_port = 0;
};

bool sawText(const QSignalSpy& spy, const QString& part) {
    for (const auto& args : spy)
        if (args[0].toString().contains(part)) return true;
    return false;
}

}  // namespace

TEST_F(ReaderOverTcp, DroppedLineIsNoticedAndReconnectedInTheBackground) {
    using Drop = void (PeerReader::*)();
    const std::pair<const char*, Drop> drops[] = {{"end of stream", &PeerReader::closeConnection},
                                                  {"reset", &PeerReader::resetConnection}};
    connectReader();
    reader->setEnable(true);
    reader->setRetryDelays(100, 400);
    int expectedConnections = 1;
    for (auto [name, drop] : drops) {
        SCOPED_TRACE(name);
        QSignalSpy links(reader.get(), &ReaderClient::connectedChanged);
        QSignalSpy status(reader.get(), &ReaderClient::statusChanged);
        (peer.*drop)();
        ASSERT_TRUE(pollUntil([&] { return reader->Backout(); }));
        EXPECT_FALSE(reader->isConnected());
        ASSERT_FALSE(links.isEmpty());
        EXPECT_EQ(links[0][0].toBool(), false);
        EXPECT_TRUE(sawText(status, "Reader (Front door) lost its connection."));
        // No polling needed: the retry runs from the event loop.
        ++expectedConnections;
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader->isConnected(); }, 2000));
        EXPECT_EQ(peer.connections(), expectedConnections);
        EXPECT_TRUE(reader->Enable());
        EXPECT_FALSE(reader->Backout());
        EXPECT_EQ(links.last()[0].toBool(), true);
    }
}

TEST_F(ReaderOverTcp, ReplyAwaitedOnADroppedLineEndsAtOnce) {
    connectReader();
    reader->setEnable(true);
    reader->SendCommandTimed(hex("00 40"), 3000);
    ASSERT_TRUE(peerGot(1));
    QElapsedTimer waited;
    waited.start();
    peer.resetConnection();
    EXPECT_FALSE(reader->awaitReply());
    EXPECT_TRUE(reader->PktTimeout());
    EXPECT_LT(waited.elapsed(), 1500);
}

TEST_F(ReaderOverTcp, CommandAfterTheLineDroppedSendsNothingAndKeepsTheReplyState) {
    connectReader();
    reader->SendCommandTimed(hex("00 40"), 50);
    ASSERT_FALSE(reader->awaitReply());
    peer.closeConnection();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader->isConnected(); }, 2000));
    reader->SendCommand(hex("00 41"));
    EXPECT_TRUE(reader->PktTimeout());
    EXPECT_FALSE(reader->PktMode());
    EXPECT_EQ(peer.frames().size(), 1);
}

TEST_F(ReaderOverTcp, ReaderAbsentAtStartIsRetriedUntilItAppears) {
    ScriptedOperator op;
    reader->setOperator(&op);
    peer.stopListening();
    reader->setAutoReconnect(true);
    reader->setRetryDelays(50, 200);
    QSignalSpy status(reader.get(), &ReaderClient::statusChanged);
    EXPECT_FALSE(reader->Reconnect(true));
    EXPECT_FALSE(reader->Enable());
    EXPECT_EQ(op.shown(),
              QStringList{"error: Failed to connect reader (Front door). Please retry later!"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return sawText(status, "next try in"); }, 2000));
    peer.listenAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader->isConnected(); }, 3000));
    EXPECT_TRUE(reader->Enable());
    EXPECT_EQ(op.shown().size(), 1);  // the retries never bring up a box
}

TEST_F(ReaderOverTcp, ReaderNotInUseIsNeitherRetriedNorKeptConnected) {
    connectReader();
    reader->setEnable(true);
    reader->setRetryDelays(20, 20);
    reader->disconnectReader();
    EXPECT_FALSE(reader->Enable());
    EXPECT_FALSE(reader->isConnected());
    QTest::qWait(200);
    EXPECT_EQ(peer.connections(), 1);

    peer.stopListening();
    EXPECT_FALSE(reader->Reconnect(false));  // not in use: a failure is final
    peer.listenAgain();
    QTest::qWait(200);
    EXPECT_EQ(peer.connections(), 1);
}

TEST(ReaderLink, UnansweredConnectIsBoundedByTheTimeout) {
    DeafListener deaf;
    ReaderClient reader;
    reader.setDesc("Gate");
    reader.setRemoteHost("127.0.0.1");
    reader.setRemotePort(QString::number(deaf.port()));
    reader.setConnectTimeout(300);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(reader.Reconnect(false));
    EXPECT_GE(took.elapsed(), 250);
    EXPECT_LT(took.elapsed(), 1500);

    // In the background the same bound holds, and the call itself returns at once.
    QSignalSpy status(&reader, &ReaderClient::statusChanged);
    reader.setAutoReconnect(true);
    reader.setRetryDelays(10000, 10000);
    took.restart();
    reader.startConnect();
    EXPECT_LT(took.elapsed(), 100);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return sawText(status, "Reader (Gate) not reachable"); }, 2000));
    EXPECT_LT(took.elapsed(), 1500);
    EXPECT_FALSE(reader.isConnected());
}

TEST(ReaderLink, PortThatIsNotANumberFailsWithoutTrying) {
    ReaderClient reader;
    reader.setRemoteHost("127.0.0.1");
    for (const char* port : {"", "abc", "0", "70000"}) {
        reader.setRemotePort(port);
        EXPECT_FALSE(reader.Reconnect(false)) << port;
    }
}
