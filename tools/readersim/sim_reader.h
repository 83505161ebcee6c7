#pragma once

#include <QByteArray>
#include <QDateTime>
#include <cstdint>
#include <map>

namespace tallyport::readersim {

struct ReceivedFrame;

// One simulated reader's own state and its answers to the console's commands, free of
// sockets so that new commands (stored log, display lines, PINs, access table) are added as
// one handler in the table and one piece of state here.
class SimReader {
public:
    // The frame the reader puts on the wire in answer, or nothing while it does not answer.
    QByteArray answer(const ReceivedFrame& frame);

    bool answering() const { return m_answering; }
    void setAnswering(bool on) { m_answering = on; }
    int replyDelayMs() const { return m_replyDelayMs; }
    void setReplyDelayMs(int ms) { m_replyDelayMs = ms; }

    QDateTime now() const;  // the reader's clock: the host's, moved by Set Clock
    uint32_t stamp() const;
    bool locked() const { return m_locked; }

private:
    using Handler = QByteArray (SimReader::*)(const QByteArray& body);
    static const std::map<uint8_t, Handler>& handlers();  // by command code, body byte 1

    QByteArray acknowledge(const QByteArray& body);
    QByteArray setLock(const QByteArray& body);
    QByteArray getClock(const QByteArray& body);
    QByteArray setClock(const QByteArray& body);
    QByteArray readLogBlock(const QByteArray& body);

    bool m_answering = true;
    int m_replyDelayMs = 0;
    bool m_locked = false;
    qint64 m_clockOffsetSecs = 0;
};

}  // namespace tallyport::readersim
