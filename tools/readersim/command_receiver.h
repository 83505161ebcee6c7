#pragma once

#include <QByteArray>
#include <QList>

namespace tallyport::readersim {

// A command frame as the console sent it.
struct ReceivedFrame {
    QByteArray wire;  // every byte from 0xF5 to 0xFA
    QByteArray body;  // without length byte and checksum
    bool isLong = false;
};

// Assembles the console's command frames from a byte stream. Every complete frame of a
// chunk is returned, in order; a malformed one is counted and the hunt for 0xF5 resumes.
class CommandReceiver {
public:
    QList<ReceivedFrame> feed(const QByteArray& bytes);
    void reset();
    int droppedFrames() const { return m_dropped; }

private:
    enum class State { Hunting, Length, Body, End };

    void onLength(uint8_t l);
    void onBody(uint8_t b);
    void onEnd(uint8_t b, QList<ReceivedFrame>& out);
    void drop();

    State m_state = State::Hunting;
    QByteArray m_wire;
    int m_expected = 0;
    uint8_t m_sum = 0;
    int m_dropped = 0;
};

}  // namespace tallyport::readersim
