#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>
#include <QTimer>
#include <optional>

class QTcpSocket;

namespace tallyport {

// What one browser, or many, may take of the console: the web server shares the process, and
// its file descriptors and memory, with the reader links that record punches.
struct WebLimits {
    // A connection on which nothing moved either way for this long is closed: a browser that
    // went away without a word (a laptop closed, a cable pulled) or a client that never ends
    // its request would otherwise keep it for as long as the console runs.
    int idleMs = 60'000;
    // Connections open at once; further ones wait in the system's queue until one closes (a
    // burst accepted in one go is cut off at the limit).
    int maxConnections = 256;
    // What a client may send before it completes a request: far above any browser's request
    // (no page takes a body), far below what would take the console's memory.
    qint64 maxRequestBytes = 64 * 1024;
    // What may wait to be sent on a connection when its next request is answered: a browser
    // asks again only once it has read the whole answer, so more means a client that asks
    // without reading (small requests for large pages would otherwise take all memory). The
    // largest page always goes out whole.
    qint64 maxUnsentBytes = 8 * 1024 * 1024;
};

// The web server's listening socket. Answers go out as soon as they are written, not after the
// client's acknowledgement of the previous segment; the limits above hold for every
// connection. Lives on the server's thread; the HTTP server takes the connections from it.
class WebListener final : public QTcpServer {
public:
    WebListener(const WebLimits& limits, QObject* parent);

    // "431 Request Header Fields Too Large", then the connection is closed.
    static const QByteArray kTooLargeAnswer;

    // Whether the client asked in HTTP/1.0, which ends the connection after each answer unless
    // the request says "Connection: keep-alive": told by the request line of the bytes that
    // arrived last (the HTTP server does not say).
    bool askedInHttp10(QTcpSocket* socket) const;
    const WebLimits& limits() const { return m_limits; }
    // A request was read whole from the connection: what came before it is no longer waiting.
    void requestRead(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Traffic {
        qint64 lastMovedMs = 0;
        qint64 unread = 0;  // bytes received since the last whole request
        bool http10 = false;
    };
    void received(QTcpSocket* socket);
    static std::optional<bool> http10(QTcpSocket* socket);
    void forget(QTcpSocket* socket);
    void pauseSoon();
    void closeIdle();

    WebLimits m_limits;
    QElapsedTimer m_clock;
    QTimer m_sweep;
    QHash<QTcpSocket*, Traffic> m_open;
};

}  // namespace tallyport
