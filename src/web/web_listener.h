#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTimer>
#include <optional>

class QTcpSocket;

namespace tallyport {

// What one browser, or many, may take of the console: the web server shares the process, and
// its file descriptors and memory, with the reader links that record punches.
struct WebLimits {
    // A connection that neither completed a request nor took answer bytes for this long is
    // closed: a browser that went away without a word, a client that never ends its request
    // or trickles it, or one that asked and never reads.
    int idleMs = 60'000;
    // Connections open at once; further ones wait in the system's queue until one closes (a
    // burst accepted in one go is cut off at the limit).
    int maxConnections = 256;
    // Connections open at once from one client address: one client cannot take the places
    // of every other. Further ones are answered "503" and closed.
    int maxPerAddress = 32;
    // What a client may send before it completes a request: far above any browser's request
    // (no page takes a body), far below what would take the console's memory.
    qint64 maxRequestBytes = 64 * 1024;
    // What may wait unsent on one connection when it asks again: a browser asks again only
    // once it has read the whole answer, so more means a client that asks without reading.
    qint64 maxUnsentBytes = 8 * 1024 * 1024;
    // What answers waiting on all connections may hold together (a page waiting for many
    // connections counts once); past it, a request for more than a few rows is answered "503"
    // with Retry-After.
    // Building a 20,000-row page takes a sixth of a second: a handful waiting for clients that
    // do not read is all a small request may queue behind.
    qint64 maxUnsentTotal = 12 * 1024 * 1024;
};

// The client's address as the limits count it (an IPv4 client of a dual-stack socket as its
// IPv4 address).
QByteArray clientAddress(const QTcpSocket* socket);

// The web server's listening socket. Answers go out as soon as they are written, not after the
// client's acknowledgement of the previous segment, and in slices as the client takes them, so
// an answer never waits whole in a socket's buffer; the limits above hold for every
// connection. With a TLS configuration every connection speaks TLS. Lives on the server's
// thread; the HTTP server takes the connections from it.
class WebListener final : public QTcpServer {
public:
    WebListener(const WebLimits& limits, QObject* parent);

    // "431 Request Header Fields Too Large", then the connection is closed.
    static const QByteArray kTooLargeAnswer;
    // "503 Service Unavailable" to a connection over the limit of its address.
    static const QByteArray kTooManyConnectionsAnswer;

    void setTls(const QSslConfiguration& tls) { m_tls = tls; }

    // Whether the client asked in HTTP/1.0, which ends the connection after each answer unless
    // the request says "Connection: keep-alive": told by the request line of the bytes that
    // arrived last (the HTTP server does not say).
    bool askedInHttp10(QTcpSocket* socket) const;
    const WebLimits& limits() const { return m_limits; }
    // A request was read whole from the connection: what came before it is no longer waiting,
    // and the connection is in use.
    void requestRead(QTcpSocket* socket);

    // Queues an answer's parts (shared, not copied) behind what the connection still has to
    // send; `close` ends the connection once they are sent.
    void send(QTcpSocket* socket, const QList<QByteArray>& parts, bool close);
    // What waits unsent on the connection.
    qint64 unsent(QTcpSocket* socket) const;
    // The memory the answers waiting on all connections hold: each buffer whole until its last
    // byte is sent, and once however many connections share it.
    qint64 unsentTotal() const { return m_heldBytes; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Traffic {
        qint64 lastMovedMs = 0;
        qint64 unread = 0;  // bytes received since the last whole request
        bool http10 = false;
        QByteArray address;
        QList<QByteArray> parts;  // queued answers; the first is sent from `sent` on
        qsizetype sent = 0;
        qint64 queued = 0;  // bytes of `parts` not yet handed to the socket
        bool closeWhenSent = false;
    };
    void received(QTcpSocket* socket);
    void pump(QTcpSocket* socket);
    static std::optional<bool> http10(QTcpSocket* socket);
    void hold(const QByteArray& part);
    void release(const QByteArray& part);
    void forget(QTcpSocket* socket);
    void pauseSoon();
    void closeIdle();

    WebLimits m_limits;
    std::optional<QSslConfiguration> m_tls;
    QElapsedTimer m_clock;
    QTimer m_sweep;
    QHash<QTcpSocket*, Traffic> m_open;
    QHash<QByteArray, int> m_perAddress;
    struct Held {
        qint64 size = 0;
        int uses = 0;
    };
    QHash<const char*, Held> m_held;  // by the buffer's data
    qint64 m_heldBytes = 0;
};

}  // namespace tallyport
