#include "readers/receiver.h"

#include "readers/protocol.h"

#include <algorithm>

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
            if (byte == kEndByte) {
                m_state = State::Hunting;
                m_keptCount = 0;
                return true;
            }
            keep(byte);
            failed();
            return false;
    }
    return false;
}

void FrameReceiver::keep(quint8 byte) {
    if (m_keptCount > 0 && m_keptCount < kKeptMax) m_kept[size_t(m_keptCount++)] = byte;
}

// An event frame needs at least one byte more than the reply rules read of it, so reading the
// kept bytes again never completes a frame here: its end byte is still to come.
void FrameReceiver::failed() {
    m_state = State::Hunting;
    const int count = m_keptCount;
    m_keptCount = 0;
    if (!m_reply || count == 0) return;
    startLength(m_kept[0], false);
    for (int i = 1; i < count && m_state == State::Body; ++i) storeBody(m_kept[size_t(i)]);
}

QByteArrayView FrameReceiver::replyBody() const {
    const auto* fb = reinterpret_cast<const char*>(m_fb.data());
    if (m_long) return {fb, kLongReplyBody};
    return {fb + 1, std::max(0, m_pos - 2)};
}

void FrameReceiver::startLength(quint8 length, bool replyMode) {
    m_reply = replyMode;
    m_long = replyMode && length == 0;
    m_keptCount = 0;
    if (replyMode) {
        // The heartbeat echo (4) reads the same by both rules; the others differ.
        if (length == 2 || length == 6 || length == 11 || length == 12) {
            m_kept[0] = length;
            m_keptCount = 1;
        }
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
    if (m_reply) keep(byte);
    m_fb[size_t(m_pos++)] = byte;
    m_sum = quint8(m_sum + byte);
    if (--m_expected > 0) return;
    if (m_sum == 0)
        m_state = State::End;
    else
        failed();
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
