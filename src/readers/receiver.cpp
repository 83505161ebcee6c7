#include "readers/receiver.h"

#include "readers/protocol.h"

namespace tallyport::readers {

bool FrameReceiver::push(quint8 byte, bool replyMode) {
    switch (m_state) {
        case State::Hunting:
            if (byte == kStartByte) m_state = State::Length;
            return false;
        case State::Length:
            startLength(byte, replyMode);
            return false;
        case State::Body:
            storeBody(byte);
            return false;
        case State::End:
            m_state = State::Hunting;
            return byte == kEndByte;
    }
    return false;
}

void FrameReceiver::startLength(quint8 length, bool replyMode) {
    m_reply = replyMode;
    if (replyMode) {
        // L = 1 leaves no room for a checksum: rejected like L >= 128, never stored.
        if (length == 0) return expect(kLongReplyBody + 1, 0, 0);
        if (length == 1 || length >= 128) return reset();
        m_fb[0] = length;
        return expect(length - 1, 1, length);
    }
    switch (length) {
        case 2:
        case 6:
        case 11:
            return expect(length, 0, 0);
        case 12:
            return expect(13, 0, 0);
        case 4:  // the heartbeat echo: its checksum covers L too, and fb[0] is left alone
            return expect(3, 1, 4);
        default:
            return reset();
    }
}

void FrameReceiver::expect(int count, int position, quint8 sum) {
    m_expected = count;
    m_pos = position;
    m_sum = sum;
    m_state = State::Body;
}

void FrameReceiver::storeBody(quint8 byte) {
    if (m_pos >= kBufferSize) return reset();  // cannot happen with the lengths above
    m_fb[size_t(m_pos++)] = byte;
    m_sum = quint8(m_sum + byte);
    if (--m_expected > 0) return;
    m_state = m_sum == 0 ? State::End : State::Hunting;
}

namespace {

int card24(const FrameReceiver& rx, int at) {
    return rx.at(at) << 16 | rx.at(at + 1) << 8 | rx.at(at + 2);
}

quint32 stamp32(const FrameReceiver& rx, int at) {
    return quint32(rx.at(at)) << 24 | quint32(rx.at(at + 1)) << 16 | quint32(rx.at(at + 2)) << 8 |
           quint32(rx.at(at + 3));
}

// b[modeAt] carries the offline flag in bit 7 and the mode below it.
EventFrame stampedCard(const FrameReceiver& rx, int modeAt, int stampAt, int cardAt) {
    CardRead read;
    read.card = card24(rx, cardAt);
    if (read.card == 0) return {};
    read.offline = (rx.at(modeAt) & 0x80) != 0;
    read.mode = qint8(rx.at(modeAt) & 0x7F);
    read.stamped = true;
    read.stamp = DecodeStamp(stamp32(rx, stampAt));
    return read;
}

EventFrame statusCode(quint8 c) {
    switch (c) {
        case '0':
        case '1':
        case '2':
        case 'B':
        case 'G':
        case 'C':
        case 'R':
        case 'P':
        case 'p':
            return StatusCode{char(c)};
        default:
            return {};
    }
}

}  // namespace

EventFrame decodeEventFrame(const FrameReceiver& rx) {
    switch (rx.frameLength()) {
        case 2:
            return statusCode(rx.at(0));
        case 4:
            if (rx.at(2) == 0x0C) return HeartbeatEcho{};
            return {};
        case 6: {
            CardRead read;
            read.card = card24(rx, 2);
            if (read.card == 0) return {};
            return read;
        }
        case 11:
            return stampedCard(rx, 0, 1, 7);
        case 13:
            if (rx.at(1) != 0x0D) return {};
            return stampedCard(rx, 2, 3, 9);
        default:
            return {};
    }
}

}  // namespace tallyport::readers
