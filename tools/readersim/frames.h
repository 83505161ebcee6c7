#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

namespace tallyport::readersim {

// The bytes a reader puts on the wire towards the console.

inline constexpr uint8_t kStart = 0xF5;
inline constexpr uint8_t kEnd = 0xFA;
inline constexpr int kLongBodySize = 269;  // body of a long frame, both directions
inline constexpr uint32_t kMaxCard = 0xFFFFFF;

// Two's complement of the 8-bit sum, so that the covered bytes plus it sum to 0.
uint8_t checksumOf(const QByteArray& bytes);

uint8_t toBcd(int value);  // 0..99
int fromBcd(uint8_t byte);

// Packed stamp in mixed radices from the year 2000; 0 for a time before 2000.
uint32_t encodeStamp(const QDateTime& t);

enum class CardForm { Short6 = 6, Stamped11 = 11, Long13 = 13 };

struct CardRead {
    CardForm form = CardForm::Short6;
    uint32_t card = 0;
    uint8_t mode = 0;  // 0..127
    bool offline = false;
    std::optional<uint32_t> stamp;  // the reader's clock when not given
};

QByteArray cardFrame(const CardRead& read, uint32_t readerStamp);
QByteArray codeFrame(uint8_t code);                 // key/status code: 'C', 'R', 'P', 'p', '0'...
QByteArray replyFrame(const QByteArray& body);      // L = body length + 2
QByteArray longReplyFrame(const QByteArray& body);  // L = 0, body padded/cut to 269

// Bytes that cannot start a frame, from a fixed sequence so runs are repeatable.
QByteArray garbageBytes(int count, uint32_t seed);

QString toHex(const QByteArray& bytes);  // "F5 04 00 0C F0 FA"
// Accepts "F5 04", "F504", "f5,04"; nullopt on an odd digit count or a non-hex character.
std::optional<QByteArray> fromHex(const QString& text);

}  // namespace tallyport::readersim
