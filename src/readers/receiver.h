#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <array>
#include <cstdint>
#include <variant>

// The receiving half of the reader link: a state machine fed one byte at a time. Frames may
// arrive split over any number of reads, several in one read, and among stray bytes.
namespace tallyport::readers {

class FrameReceiver {
public:
    static constexpr int kBufferSize = 2048;
    enum class State : quint8 { Hunting, Length, Body, End };

    // Feeds one byte. Whether a reply is awaited is read at the length byte only. True when the
    // byte completed a frame; its bytes stay in the buffer until the next frame overwrites them.
    bool push(quint8 byte, bool replyMode);
    void reset() { m_state = State::Hunting; }

    State state() const { return m_state; }
    // The last completed frame was framed by the reply rules (a reply was awaited at its length).
    bool frameIsReply() const { return m_reply; }
    // The last frame was a long reply (length byte 0).
    bool frameIsLong() const { return m_reply && m_long; }
    // The number of bytes stored for the last frame: 2, 4, 6, 11 or 13 name an event frame.
    int frameLength() const { return m_pos; }
    // The body of the last frame read by the reply rules: a long reply's 269 bytes, else the
    // bytes between the length byte and the checksum.
    QByteArrayView replyBody() const;
    const std::array<quint8, kBufferSize>& buffer() const { return m_fb; }
    // fb[position], 0 outside the buffer.
    quint8 at(int position) const {
        return position >= 0 && position < kBufferSize ? m_fb[size_t(position)] : 0;
    }

private:
    void startLength(quint8 length, bool replyMode);
    void expect(int count, int position, quint8 sum);
    void storeBody(quint8 byte);
    void keep(quint8 byte);
    void failed();

    // The bytes from the length byte on of a frame read by the reply rules whose length is
    // also an event's: when it fails those rules, the same bytes are read again by the event
    // rules, so a card read that arrives while a reply is awaited is not lost.
    static constexpr int kKeptMax = 16;
    std::array<quint8, kKeptMax> m_kept{};
    int m_keptCount = 0;

    std::array<quint8, kBufferSize> m_fb{};
    State m_state = State::Hunting;
    int m_expected = 0;
    int m_pos = 0;
    quint8 m_sum = 0;
    bool m_reply = false;
    bool m_long = false;
};

// What an event frame (one that arrived while no reply was awaited) says.
struct CardRead {
    bool offline = false;
    int card = 0;
    bool stamped = false;  // false for the six-byte frame: the console's clock is the time
    QDateTime stamp;       // invalid when the reader's stamp does not decode
    qint8 mode = -1;       // 0..127, -1 for the six-byte frame
};
struct StatusCode {
    char code = 0;  // one of 0 1 2 B G C R P p
};
struct HeartbeatEcho {};
using EventFrame = std::variant<std::monostate, CardRead, StatusCode, HeartbeatEcho>;

// Reads the event frame the receiver has just completed; std::monostate for anything that
// carries no event (card 0, an unknown code, a long card frame of another layout).
EventFrame decodeEventFrame(const FrameReceiver& rx);

}  // namespace tallyport::readers
