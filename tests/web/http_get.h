#pragma once

// A plain HTTP/1.1 client for the web tests: one request on a connection of its own, blocking,
// so it works on any thread (the server answers on its own).
#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QMap>
#include <QPair>
#include <QTcpSocket>

namespace tallyport::test {

struct HttpReply {
    int status = 0;                        // 0: no answer
    QMap<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray body;
    QList<QByteArray> lines() const {
        QList<QByteArray> out = body.split('\n');
        if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
        for (QByteArray& l : out)
            if (l.endsWith('\r')) l.chop(1);
        return out;
    }
};

// `target` goes on the request line as it is: percent-encode what HTTP does not allow there.
inline void sendGet(QTcpSocket& s, const QByteArray& target,
                    const QList<QPair<QByteArray, QByteArray>>& headers = {}) {
    QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
    s.write(request + "\r\n");
}

// The next whole answer on the connection (status 0 when none came in time).
inline HttpReply readReply(QTcpSocket& s, int timeoutMs = 10000) {
    HttpReply reply;
    QByteArray in;
    QDeadlineTimer deadline(timeoutMs);
    qsizetype headEnd = -1, length = -1;
    while (!deadline.hasExpired()) {
        if (headEnd < 0 && (headEnd = in.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> head = in.left(headEnd).split('\n');
            reply.status = head.value(0).split(' ').value(1).toInt();
            for (qsizetype i = 1; i < head.size(); ++i) {
                const qsizetype colon = head[i].indexOf(':');
                if (colon > 0)
                    reply.headers.insert(head[i].left(colon).trimmed().toLower(),
                                         head[i].mid(colon + 1).trimmed());
            }
            length = reply.headers.value("content-length", "-1").toLongLong();
        }
        if (headEnd >= 0 && length >= 0 && in.size() - headEnd - 4 >= length) break;
        if (!s.waitForReadyRead(int(deadline.remainingTime())) &&
            s.state() != QAbstractSocket::ConnectedState)
            break;
        in += s.readAll();
    }
    if (headEnd >= 0) reply.body = in.mid(headEnd + 4, length >= 0 ? length : -1);
    return reply;
}

inline HttpReply httpGet(quint16 port, const QByteArray& target,
                         const QList<QPair<QByteArray, QByteArray>>& headers = {},
                         int timeoutMs = 10000) {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(timeoutMs)) return {};
    sendGet(s, target, headers);
    return readReply(s, timeoutMs);
}

}  // namespace tallyport::test
