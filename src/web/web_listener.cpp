#include "web/web_listener.h"

#include <unistd.h>
#include <QMetaObject>
#include <QTcpSocket>
#include <algorithm>

namespace tallyport {

const QByteArray WebListener::kTooLargeAnswer = QByteArrayLiteral(
    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Type: text/plain; "
    "charset=utf-8\r\nContent-Length: 26\r\nConnection: close\r\n\r\nThe request is too large.\n");

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
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_open.insert(socket, {m_clock.elapsed(), 0});
    QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
    QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        if (const auto it = m_open.find(socket); it != m_open.end())
            it->lastMovedMs = m_clock.elapsed();
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

void WebListener::received(QTcpSocket* socket) {
    const auto it = m_open.find(socket);
    if (it == m_open.end()) return;
    if (const auto version = http10(socket)) it->http10 = *version;
    it->lastMovedMs = m_clock.elapsed();
    it->unread += socket->bytesAvailable();
    if (it->unread <= m_limits.maxRequestBytes) return;
    forget(socket);
    socket->write(kTooLargeAnswer);
    socket->flush();
    socket->abort();  // drops what was received; the server deletes it once disconnected
}

void WebListener::requestRead(QTcpSocket* socket) {
    if (const auto it = m_open.find(socket); it != m_open.end()) it->unread = 0;
}

void WebListener::forget(QTcpSocket* socket) {
    if (m_open.remove(socket) && m_open.size() < m_limits.maxConnections) resumeAccepting();
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
