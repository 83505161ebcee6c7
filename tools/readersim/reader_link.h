#pragma once

#include "command_receiver.h"
#include "sim_reader.h"

#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <functional>

class QTcpServer;

namespace tallyport::readersim {

// The network side of one simulated reader: a listening port on 127.0.0.1 that takes one
// console connection at a time (a newer one replaces the older, as after a reconnect the
// console never closed), and an ordered queue of what goes out on it, so delayed pieces,
// replies and closes keep the order in which they were asked for.
class ReaderLink : public QObject {
    Q_OBJECT
public:
    explicit ReaderLink(QObject* parent = nullptr);

    // Port 0 takes a free port. Fails with the system's reason.
    bool listen(quint16 port, QString* error);
    quint16 port() const;
    bool isConnected() const { return m_socket != nullptr; }
    SimReader& reader() { return m_reader; }
    int droppedFrames() const { return m_receiver.droppedFrames(); }

    void send(const QByteArray& bytes, int delayBeforeMs = 0);
    void sendSplit(const QByteArray& bytes, int pieceSize, int delayMs);
    void closeGracefully();
    void resetConnection();  // RST instead of FIN
    // Sends next() every intervalMs while connected; intervalMs 0 stops.
    void repeat(int intervalMs, std::function<QByteArray()> next);

Q_SIGNALS:
    void connected(quint16 port);
    void disconnected(quint16 port);
    void frameReceived(quint16 port, const QByteArray& wire);

private:
    struct Step {
        enum class Kind { Write, Close, Reset } kind;
        QByteArray bytes;
        int delayBeforeMs = 0;
    };

    void accept();
    void readIncoming();
    void dropConnection();
    void enqueue(Step step);
    void pump();
    void perform(const Step& step);

    QTcpServer* m_server;
    QPointer<QTcpSocket> m_socket;
    CommandReceiver m_receiver;
    SimReader m_reader;
    std::deque<Step> m_queue;
    QTimer m_stepTimer;  // the delay before the queue's front step
    bool m_delayDone = false;
    QTimer m_repeatTimer;
    std::function<QByteArray()> m_repeatNext;
};

}  // namespace tallyport::readersim
