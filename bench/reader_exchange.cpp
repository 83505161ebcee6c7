// Command/reply exchanges per second between a reader client and a reader on loopback: the
// pace at which a reader's stored log can be read. Measured twice: against a minimal stand-in
// that answers every command frame at once (the client's own bound), and against the reader
// simulator.
#include "bench_support.h"
#include "readers/protocol.h"
#include "readers/reader_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <atomic>
#include <cstdio>
#include <thread>

using namespace tallyport;
using namespace tallyport::bench;

namespace {

class AnsweringReader {
public:
    AnsweringReader() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listener, 1);
        socklen_t len = sizeof addr;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~AnsweringReader() {
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        m_thread.join();
    }
    quint16 port() const { return m_port; }

private:
    void serve() {
        const int conn = ::accept(m_listener, nullptr, nullptr);
        if (conn < 0) return;
        int one = 1;
        ::setsockopt(conn, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        QByteArray pending;
        char buf[4096];
        for (ssize_t n; (n = ::read(conn, buf, sizeof buf)) > 0;) {
            pending.append(buf, n);
            answer(conn, pending);
        }
        ::close(conn);
    }
    // Splits command frames by their length byte and answers each with (00, its code).
    static void answer(int conn, QByteArray& pending) {
        while (pending.size() >= 6 && quint8(pending[1]) + 2 <= pending.size()) {
            const QByteArray reply = *readers::frameCommand(QByteArray("\x00", 1) + pending[3]);
            pending.remove(0, quint8(pending[1]) + 2);
            if (::write(conn, reply.constData(), size_t(reply.size())) < 0) return;
        }
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
};

// Exchanges per second of one connected client, and the cost of a clock setting.
int measure(ReaderClient& reader, const char* peerName) {
    const QByteArray body = QByteArray::fromHex("00310000");
    for (int i = 0; i < 200; ++i) {  // warm up
        reader.SendCommand(body);
        reader.awaitReply();
    }
    const int count = 20000;
    int good = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        reader.SendCommand(body);
        good += reader.awaitReply() ? 1 : 0;
    }
    const double secs = double(t.nsecsElapsed()) / 1e9;
    std::printf(
        "reader_exchange (%s): %.0f exchanges/s (%d of %d replies, SendCommand + AwaitReply)\n",
        peerName, count / secs, good, count);
    t.restart();
    const int syncs = 500;
    for (int i = 0; i < syncs; ++i) reader.SyncClock();
    reader.awaitReply();
    std::printf("reader_clock_setting (%s): %.2f ms per SyncClock (lock, set clock, unlock)\n",
                peerName, double(t.nsecsElapsed()) / 1e6 / syncs);
    return good == count ? 0 : 1;
}

bool connectTo(ReaderClient& reader, quint16 port) {
    reader.setRemoteHost(QStringLiteral("127.0.0.1"));
    reader.setRemotePort(QString::number(port));
    return reader.Reconnect(false);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rc = 0;
    {
        AnsweringReader peer;
        ReaderClient reader;
        if (!connectTo(reader, peer.port()))
            return std::puts("reader_exchange: could not connect"), 1;
        rc |= measure(reader, "bare answering socket");
    }
    QProcess sim;
    const quint16 port = startSimulator(sim);
    ReaderClient reader;
    if (port == 0 || !connectTo(reader, port)) return std::puts("reader_exchange: no simulator"), 1;
    rc |= measure(reader, "tallyport-readersim");
    sim.kill();
    sim.waitForFinished();
    return rc;
}
