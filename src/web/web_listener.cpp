#include "web/web_listener.h"

#include <unistd.h>
#include <QMetaObject>
#include <QSslSocket>
#include <QTcpSocket>
#include <algorithm>

namespace tallyport {
namespace {

// What is handed to a socket at a time: enough to keep the link busy between two writes, little
// enough that an answer a client does not read stays in the shared page, not in a buffer per
// connection.
constexpr qint64 kSliceBytes = 64 * 1024;
// What the system may hold unsent for one connection (it reserves about twice this). Left to
// itself it grows the buffer to megabytes for a client that does not read; memory the service's
// limit counts too, and that no bound here would see.
constexpr int kSystemSendBuffer = 256 * 1024;

}  // namespace

QByteArray clientAddress(const QTcpSocket* socket) {
    const QHostAddress peer = socket->peerAddress();
    bool v4 = false;
    const quint32 ip = peer.toIPv4Address(&v4);
    return (v4 ? QHostAddress(ip) : peer).toString().toLatin1();
}

const QByteArray WebListener::kTooLargeAnswer = QByteArrayLiteral(
    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Type: text/plain; "
    "charset=utf-8\r\nContent-Length: 26\r\nConnection: close\r\n\r\nThe request is too large.\n");

const QByteArray WebListener::kTooManyConnectionsAnswer = QByteArrayLiteral(
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\n"
    "Content-Length: 42\r\nRetry-After: 10\r\nConnection: close\r\n\r\n"
    "Too many connections from this address.\r\n");

WebListener::WebListener(const WebLimits& limits, QObject* parent)
    : QTcpServer(parent), m_limits(limits) {
    m_clock.start();
    QObject::connect(&m_sweep, &QTimer::timeout, this, &WebListener::closeIdle);
    m_sweep.start(std::max(limits.idleMs / 4, 10));
}

// The connections made here are seen by this listener before the HTTP server connects to them,
// so the listener hears of every arrival of bytes before the server reads them.
void WebListener::incomingConnection(qintptr descriptor) {
    if (m_open.size() >= m_limits.maxConnections) {
        ::close(int(descriptor));  // accepted in the same turn as the last one allowed
        pauseSoon();
        return;
    }
    QTcpSocket* socket = m_tls ? new QSslSocket(this) : new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    const QByteArray address = clientAddress(socket);
    if (m_perAddress.value(address) >= m_limits.maxPerAddress) {
        // Plain text even on a TLS port: the client learns why, and nothing is spent on a
        // handshake for a connection that is not served.
        socket->write(kTooManyConnectionsAnswer);
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        return;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSystemSendBuffer);
    if (auto* tls = qobject_cast<QSslSocket*>(socket)) {
        tls->setSslConfiguration(*m_tls);
        tls->startServerEncryption();
    }
    ++m_perAddress[address];
    Traffic t;
    t.lastMovedMs = m_clock.elapsed();
    t.address = address;
    m_open.insert(socket, t);
    QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
    QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        if (const auto it = m_open.find(socket); it != m_open.end())
            it->lastMovedMs = m_clock.elapsed();  // the client takes what it asked for
        pump(socket);
    });
    QObject::connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    addPendingConnection(socket);
    if (m_open.size() >= m_limits.maxConnections) pauseSoon();
}

// Taking a connection lets the listener accept again, so the pause comes once the server has
// taken this turn's connections; connections that arrive later wait in the system's queue.
void WebListener::pauseSoon() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_open.size() >= m_limits.maxConnections) pauseAccepting();
        },
        Qt::QueuedConnection);
}

bool WebListener::askedInHttp10(QTcpSocket* socket) const {
    const auto it = m_open.constFind(socket);
    return it != m_open.cend() && it->http10;
}

// A request nearly always arrives whole, so the bytes that arrived start with its request
// line, "METHOD TARGET HTTP/1.x": its version, or nothing when they do not.
std::optional<bool> WebListener::http10(QTcpSocket* socket) {
    char head[512];
    const qint64 n = socket->peek(head, sizeof head);
    const QByteArray start = QByteArray::fromRawData(head, int(std::max<qint64>(n, 0)));
    const qsizetype end = start.indexOf("\r\n");
    if (end < 0) return std::nullopt;
    const QByteArray line = start.left(end);
    if (line.endsWith(" HTTP/1.0")) return true;
    if (line.endsWith(" HTTP/1.1")) return false;
    return std::nullopt;
}

// Bytes that arrive do not keep a connection: a byte a minute would hold it for ever.
void WebListener::received(QTcpSocket* socket) {
    const auto it = m_open.find(socket);
    if (it == m_open.end()) return;
    if (const auto version = http10(socket)) it->http10 = *version;
    it->unread += socket->bytesAvailable();
    if (it->unread <= m_limits.maxRequestBytes) return;
    forget(socket);
    socket->write(kTooLargeAnswer);
    socket->flush();
    socket->abort();  // drops what was received; the server deletes it once disconnected
}

void WebListener::requestRead(QTcpSocket* socket) {
    if (const auto it = m_open.find(socket); it != m_open.end()) {
        it->unread = 0;
        it->lastMovedMs = m_clock.elapsed();
    }
}

void WebListener::send(QTcpSocket* socket, const QList<QByteArray>& parts, bool close) {
    const auto it = m_open.find(socket);
    if (it == m_open.end()) return;
    for (const QByteArray& part : parts) {
        if (part.isEmpty()) continue;
        it->parts << part;
        it->queued += part.size();
        hold(part);
    }
    it->closeWhenSent = it->closeWhenSent || close;
    pump(socket);
}

// Slices go to the socket and on to the system now, rather than from the event loop's next turn,
// until the system takes no more. The socket does not signal bytes written while its signal
// for earlier ones is being handled (where this runs, mostly), so what the system took at once
// is followed here, not left waiting for a signal that does not come.
void WebListener::pump(QTcpSocket* socket) {
    const auto it = m_open.find(socket);
    if (it == m_open.end()) return;
    do {
        while (!it->parts.isEmpty() && socket->bytesToWrite() < kSliceBytes) {
            const QByteArray& part = it->parts.constFirst();
            const qint64 n = std::min<qint64>(kSliceBytes, part.size() - it->sent);
            socket->write(part.constData() + it->sent, n);
            it->sent += n;
            it->queued -= n;
            if (it->sent == part.size()) {
                release(part);
                it->parts.removeFirst();
                it->sent = 0;
            }
        }
        socket->flush();
    } while (!it->parts.isEmpty() && socket->bytesToWrite() < kSliceBytes);
    if (it->parts.isEmpty() && it->closeWhenSent) socket->disconnectFromHost();
}

qint64 WebListener::unsent(QTcpSocket* socket) const {
    const auto it = m_open.constFind(socket);
    return (it == m_open.cend() ? 0 : it->queued) + socket->bytesToWrite();
}

// A part the connection sends from is kept whole until its last byte is handed to the socket.
void WebListener::hold(const QByteArray& part) {
    Held& h = m_held[part.constData()];
    if (h.uses++ == 0) {
        h.size = part.size();
        m_heldBytes += h.size;
    }
}

void WebListener::release(const QByteArray& part) {
    const auto it = m_held.find(part.constData());
    if (it == m_held.end() || --it->uses > 0) return;
    m_heldBytes -= it->size;
    m_held.erase(it);
}

void WebListener::forget(QTcpSocket* socket) {
    const auto it = m_open.find(socket);
    if (it == m_open.end()) return;
    for (const QByteArray& part : std::as_const(it->parts)) release(part);
    if (const auto a = m_perAddress.find(it->address); a != m_perAddress.end() && --*a <= 0)
        m_perAddress.erase(a);
    m_open.erase(it);
    if (m_open.size() < m_limits.maxConnections) resumeAccepting();
}

void WebListener::closeIdle() {
    const qint64 now = m_clock.elapsed();
    QList<QTcpSocket*> idle;
    for (auto it = m_open.cbegin(); it != m_open.cend(); ++it)
        if (now - it->lastMovedMs >= m_limits.idleMs) idle << it.key();
    for (QTcpSocket* socket : idle) {
        forget(socket);
        socket->abort();
    }
}

}  // namespace tallyport
