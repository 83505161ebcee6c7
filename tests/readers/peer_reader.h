#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>
#include <atomic>

class QTcpServer;
class QTcpSocket;

namespace tallyport::test {

// A reader on 127.0.0.1 for the client tests, on a thread of its own so that the client may
// block in its waits while the peer answers. It records every command frame it receives and,
// when told, answers each with a two-byte reply (00, the command's code): the heartbeat's
// answer is then its echo.
class PeerReader {
public:
    PeerReader();
    ~PeerReader();

    quint16 port() const { return m_port; }
    void setAutoReply(bool on) { m_autoReply = on; }
    void send(const QByteArray& bytes);
    void closeConnection();  // orderly end of stream
    void resetConnection();  // abort: the client sees a reset
    void stopListening();
    void listenAgain();  // on the same port

    QList<QByteArray> frames() const;
    int connections() const { return m_connections; }
    bool connected() const { return m_connected; }
    QByteArray received() const;  // every byte, frames or not

private:
    void run(const std::function<void()>& work);
    void onConnection();
    void onBytes();

    QThread m_thread;
    QObject* m_home = nullptr;  // lives in m_thread; parent of the server and socket
    QTcpServer* m_server = nullptr;
    QTcpSocket* m_conn = nullptr;
    quint16 m_port = 0;
    std::atomic<bool> m_autoReply{false};
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_connected{false};
    mutable QMutex m_mutex;
    QList<QByteArray> m_frames;
    QByteArray m_received;
    QByteArray m_pending;
};

}  // namespace tallyport::test
