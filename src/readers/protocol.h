#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>
#include <span>

// The bytes of the reader link: frames, checksums, packed fields and the commands the
// reader client builds by itself. No sockets here, so every rule runs in a plain test.
namespace tallyport::readers {

inline constexpr quint8 kStartByte = 0xF5;
inline constexpr quint8 kEndByte = 0xFA;
inline constexpr int kMaxCommandBody = 125;  // L = body + 2 must stay below 128
inline constexpr int kMaxBlockBody = 2046;   // a long frame must fit the peer's 2048-byte buffer
inline constexpr int kLongReplyBody = 269;   // a long reply: 269 body bytes, then the checksum

// Two's complement of the 8-bit sum, so that the covered bytes plus it add up to 0.
quint8 checksumOf(QByteArrayView bytes, quint8 seed = 0);

// F5, L = body + 2, body, checksum of L and body, FA. Nothing for a body over 125 bytes.
std::optional<QByteArray> frameCommand(QByteArrayView body);
// F5, 00, body, checksum of the body alone, FA. Nothing for a body over 2046 bytes.
std::optional<QByteArray> frameLongCommand(QByteArrayView body);

quint8 encodeBcd(int value);  // 0..99 -> packed decimal
int decodeBcd(quint8 byte);   // nibbles are not checked: 0x3F gives 45

// The packed stamp of the readers' clock; an invalid QDateTime when the fields do not form a
// date and time (month 0, day 0, 30 February ...).
QDateTime DecodeStamp(quint32 t);
// The inverse, for simulators and tests: 2000-01-01 .. 2330 only; nothing outside.
std::optional<quint32> encodeStamp(const QDateTime& dt);

// A past event a reader kept while it was not connected (8 bytes).
struct LogRecord {
    bool valid = false;  // false when the stamp does not decode; then nothing else counts
    int mode = 0;        // 0 clock, 1 IN, 2 OUT
    int card = 0;
    QDateTime time;
    int sequence = 0;  // the record's number modulo 32
};
LogRecord DecodeLogRecord(std::span<const quint8, 8> r);

// A row of a reader's access table (22 bytes).
struct AccessEntry {
    quint8 flags = 0;
    int card = 0;
    qint16 value = 0;
    QString text;  // the 16 characters as stored, NULs included
};
AccessEntry DecodeAccessEntry(std::span<const quint8, 22> e);

// What a reply must be to answer a command whose fields are read. A reader answers such a
// command with a reply that begins with the command's own head (00, the code, and for some
// commands the sub-code or the block number); a frame of the other kind, shorter than the
// fields read, or with another head answers some other command (a late reply, a stray
// acknowledgement) and is not this command's reply. The default form takes any well-formed
// reply, as for commands whose reply is only awaited.
struct ReplyForm {
    enum class Kind : quint8 { Any, Short, Long };  // Short: a reply with a length byte
    Kind kind = Kind::Any;
    int minBody = 0;  // body bytes the caller reads
    QByteArray head;  // the reply body begins with these bytes
    bool operator==(const ReplyForm&) const = default;
};
// True when a reply of this kind and body answers the command the form was made for.
bool replyFits(const ReplyForm& form, bool longReply, QByteArrayView body);

// Command bodies the client sends by itself.
QByteArray heartbeatBody();                     // 00 0C
QByteArray lockBody(bool locked, int pin);      // 00 00 01|00 [pin lo, pin hi when pin != 0]
QByteArray setClockBody(const QDateTime& now);  // 00 02 ss mm hh dw DD MM YY

}  // namespace tallyport::readers
