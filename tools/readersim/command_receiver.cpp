#include "command_receiver.h"

#include "frames.h"

namespace tallyport::readersim {

QList<ReceivedFrame> CommandReceiver::feed(const QByteArray& bytes) {
    QList<ReceivedFrame> out;
    for (char c : bytes) {
        const auto b = uint8_t(c);
        switch (m_state) {
            case State::Hunting:
                if (b == kStart) {
                    m_wire = QByteArray(1, char(b));
                    m_state = State::Length;
                }
                break;
            case State::Length:
                onLength(b);
                break;
            case State::Body:
                onBody(b);
                break;
            case State::End:
                onEnd(b, out);
                break;
        }
    }
    return out;
}

void CommandReceiver::reset() {
    m_state = State::Hunting;
    m_wire.clear();
}

// L = 0: a long frame of 269 body bytes, the checksum covering the body alone.
// L = 2..127: L - 1 bytes follow (body and checksum), the checksum covering L too.
// L = 1 leaves no room for a checksum and L >= 128 is not a length: both are dropped.
void CommandReceiver::onLength(uint8_t l) {
    m_wire.append(char(l));
    if (l == 1 || l >= 128) return drop();
    m_expected = l == 0 ? kLongBodySize + 1 : l - 1;
    m_sum = l;
    m_state = State::Body;
}

void CommandReceiver::onBody(uint8_t b) {
    m_wire.append(char(b));
    m_sum = uint8_t(m_sum + b);
    if (--m_expected > 0) return;
    if (m_sum != 0) return drop();
    m_state = State::End;
}

void CommandReceiver::onEnd(uint8_t b, QList<ReceivedFrame>& out) {
    m_wire.append(char(b));
    if (b != kEnd) return drop();
    const bool isLong = uint8_t(m_wire[1]) == 0;
    out.append({m_wire, m_wire.mid(2, m_wire.size() - 4), isLong});
    reset();
}

void CommandReceiver::drop() {
    ++m_dropped;
    reset();
}

}  // namespace tallyport::readersim
