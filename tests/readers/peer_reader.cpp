#include "readers/peer_reader.h"

#include "readers/protocol.h"
#include "readers/receiver.h"

#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>

namespace tallyport::test {

namespace {
// The first complete command frame at the front of `bytes`; its length, or 0 when none yet.
qsizetype frameAtFront(const QByteArray& bytes) {
    if (bytes.size() < 4 || quint8(bytes[0]) != readers::kStartByte) return 0;
    const int length = quint8(bytes[1]);
    if (length == 0) return bytes.size();  // a long frame: whatever came, as one
    if (length < 2 || bytes.size() < length + 2) return 0;
    return length + 2;
}
}  // namespace

PeerReader::PeerReader() {
    m_thread.start();
    m_home = new QObject;
    m_home->moveToThread(&m_thread);
    run([this] {
        m_server = new QTcpServer(m_home);
        m_server->listen(QHostAddress::LocalHost, 0);
        m_port = m_server->serverPort();
        QObject::connect(m_server, &QTcpServer::newConnection, m_home, [this] { onConnection(); });
    });
}

PeerReader::~PeerReader() {
    run([this] { delete m_home; });
    m_thread.quit();
    m_thread.wait();
}

void PeerReader::run(const std::function<void()>& work) {
    QMetaObject::invokeMethod(m_home, work, Qt::BlockingQueuedConnection);
}

void PeerReader::onConnection() {
    while (QTcpSocket* next = m_server->nextPendingConnection()) {
        if (m_conn) m_conn->deleteLater();
        m_conn = next;
        m_pending.clear();
        ++m_connections;
        m_connected = true;
        QObject::connect(next, &QTcpSocket::readyRead, m_home, [this] { onBytes(); });
        QObject::connect(next, &QTcpSocket::disconnected, m_home, [this, next] {
            if (next == m_conn) m_connected = false;
        });
    }
}

// Command frames are split from the stream by their length byte: the client's bodies are short.
void PeerReader::onBytes() {
    const QByteArray bytes = m_conn->readAll();
    m_pending += bytes;
    QMutexLocker lock(&m_mutex);
    m_received += bytes;
    while (const qsizetype n = frameAtFront(m_pending)) {
        const QByteArray frame = m_pending.left(n);
        m_pending.remove(0, n);
        m_frames << frame;
        if (m_autoReply && n >= 6)
            m_conn->write(*readers::frameCommand(QByteArray("\x00", 1) + frame[3]));
    }
    if (!m_pending.isEmpty() && quint8(m_pending[0]) != readers::kStartByte) m_pending.clear();
}

void PeerReader::send(const QByteArray& bytes) {
    run([&] {
        if (!m_conn) return;
        m_conn->write(bytes);
        m_conn->flush();
    });
}

void PeerReader::closeConnection() {
    run([this] {
        if (m_conn) m_conn->disconnectFromHost();
    });
}

void PeerReader::resetConnection() {
    run([this] {
        if (m_conn) m_conn->abort();
        m_connected = false;
    });
}

void PeerReader::stopListening() {
    run([this] { m_server->close(); });
}

void PeerReader::listenAgain() {
    run([this] { m_server->listen(QHostAddress::LocalHost, m_port); });
}

QList<QByteArray> PeerReader::frames() const {
    QMutexLocker lock(&m_mutex);
    return m_frames;
}

QByteArray PeerReader::received() const {
    QMutexLocker lock(&m_mutex);
    return m_received;
}

}  // namespace tallyport::test
