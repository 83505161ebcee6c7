#include "reader_link.h"

#include <sys/socket.h>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace tallyport::readersim {

ReaderLink::ReaderLink(QObject* parent) : QObject(parent), m_server(new QTcpServer(this)) {
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, [this] {
        m_delayDone = true;
        pump();
    });
    connect(&m_repeatTimer, &QTimer::timeout, this, [this] {
        if (isConnected() && m_repeatNext) send(m_repeatNext());
    });
    connect(m_server, &QTcpServer::newConnection, this, &ReaderLink::accept);
}

bool ReaderLink::listen(quint16 port, QString* error) {
    if (m_server->listen(QHostAddress::LocalHost, port)) return true;
    *error = m_server->errorString();
    return false;
}

quint16 ReaderLink::port() const {
    return m_server->serverPort();
}

void ReaderLink::accept() {
    while (QTcpSocket* next = m_server->nextPendingConnection()) {
        if (m_socket) {
            m_socket->disconnect(this);
            m_socket->abort();
            m_socket->deleteLater();
            dropConnection();
        }
        m_socket = next;
        // Small writes must leave at once: split frames are only split if they do.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(m_socket, &QTcpSocket::readyRead, this, &ReaderLink::readIncoming);
        connect(m_socket, &QTcpSocket::disconnected, this, [this, s = m_socket.data()] {
            if (s != m_socket) return;
            s->deleteLater();
            dropConnection();
        });
        Q_EMIT connected(port());
    }
}

void ReaderLink::dropConnection() {
    const bool was = m_socket != nullptr;
    m_socket = nullptr;
    m_queue.clear();
    m_stepTimer.stop();
    m_delayDone = false;
    m_receiver.reset();
    if (was) Q_EMIT disconnected(port());
}

void ReaderLink::readIncoming() {
    if (!m_socket) return;
    const QByteArray bytes = m_socket->readAll();
    for (const ReceivedFrame& frame : m_receiver.feed(bytes)) {
        Q_EMIT frameReceived(port(), frame.wire);
        const QByteArray reply = m_reader.answer(frame);
        if (!reply.isEmpty()) send(reply, m_reader.replyDelayMs());
        if (m_reader.takeDropRequest()) return closeGracefully();
    }
}

void ReaderLink::send(const QByteArray& bytes, int delayBeforeMs) {
    enqueue({Step::Kind::Write, bytes, delayBeforeMs});
}

void ReaderLink::sendSplit(const QByteArray& bytes, int pieceSize, int delayMs) {
    for (qsizetype at = 0; at < bytes.size(); at += pieceSize)
        enqueue({Step::Kind::Write, bytes.mid(at, pieceSize), at == 0 ? 0 : delayMs});
}

void ReaderLink::closeGracefully() {
    enqueue({Step::Kind::Close, {}, 0});
}

void ReaderLink::resetConnection() {
    enqueue({Step::Kind::Reset, {}, 0});
}

void ReaderLink::repeat(int intervalMs, std::function<QByteArray()> next) {
    m_repeatTimer.stop();
    m_repeatNext = std::move(next);
    if (intervalMs > 0) m_repeatTimer.start(intervalMs);
}

void ReaderLink::enqueue(Step step) {
    if (!m_socket) return;
    m_queue.push_back(std::move(step));
    if (!m_stepTimer.isActive()) pump();
}

void ReaderLink::pump() {
    while (m_socket && !m_queue.empty()) {
        const int delay = m_queue.front().delayBeforeMs;
        if (delay > 0 && !m_delayDone) {
            m_stepTimer.start(delay);
            return;
        }
        m_delayDone = false;
        const Step step = std::move(m_queue.front());
        m_queue.pop_front();
        perform(step);
    }
}

void ReaderLink::perform(const Step& step) {
    QTcpSocket* s = m_socket;
    switch (step.kind) {
        case Step::Kind::Write:
            s->write(step.bytes);
            s->flush();
            return;
        case Step::Kind::Close:
            s->disconnectFromHost();  // sends what is buffered, then FIN
            return;
        case Step::Kind::Reset: {
            // A zero linger time makes close() abort with RST and drop unsent data.
            const linger noLinger{1, 0};
            ::setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                         sizeof noLinger);
            s->abort();
            return;
        }
    }
}

}  // namespace tallyport::readersim
