#include "frames.h"

namespace tallyport::readersim {

namespace {

void appendBigEndian(QByteArray& out, uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

uint8_t modeByte(const CardRead& read) {
    return uint8_t((read.mode & 0x7F) | (read.offline ? 0x80 : 0));
}

// Event frames: start, type code, the bytes after it with their checksum, end.
QByteArray eventFrame(uint8_t type, QByteArray content) {
    content.append(char(checksumOf(content)));
    return QByteArray(1, char(kStart)) + char(type) + content + char(kEnd);
}

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    return -1;
}

}  // namespace

uint8_t checksumOf(const QByteArray& bytes) {
    uint8_t sum = 0;
    for (char b : bytes) sum = uint8_t(sum + uint8_t(b));
    return uint8_t(-sum);
}

uint8_t toBcd(int value) {
    return uint8_t(((value / 10) % 10) << 4 | (value % 10));
}

int fromBcd(uint8_t byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

uint32_t encodeStamp(const QDateTime& t) {
    const QDate d = t.date();
    const QTime tm = t.time();
    if (!t.isValid() || d.year() < 2000) return 0;
    uint64_t v = uint64_t(d.year() - 2000) * 13 + d.month();
    v = ((v * 32 + d.day()) * 24 + tm.hour()) * 60 + tm.minute();
    return uint32_t(v * 60 + tm.second());
}

QByteArray cardFrame(const CardRead& read, uint32_t readerStamp) {
    const uint32_t stamp = read.stamp.value_or(readerStamp);
    QByteArray content;
    switch (read.form) {
        case CardForm::Short6:
            content = QByteArray(2, '\0');
            appendBigEndian(content, read.card, 3);
            return eventFrame(6, content);
        case CardForm::Stamped11:
            content.append(char(modeByte(read)));
            appendBigEndian(content, stamp, 4);
            content.append(QByteArray(2, '\0'));
            appendBigEndian(content, read.card, 3);
            return eventFrame(11, content);
        case CardForm::Long13:
            content.append('\0').append(char(0x0D)).append(char(modeByte(read)));
            appendBigEndian(content, stamp, 4);
            content.append(QByteArray(2, '\0'));
            appendBigEndian(content, read.card, 3);
            return eventFrame(12, content);
    }
    return {};
}

QByteArray codeFrame(uint8_t code) {
    return eventFrame(2, QByteArray(1, char(code)));
}

QByteArray replyFrame(const QByteArray& body) {
    QByteArray covered = char(body.size() + 2) + body;
    return char(kStart) + covered + char(checksumOf(covered)) + char(kEnd);
}

QByteArray longReplyFrame(const QByteArray& body) {
    QByteArray fixed = body.left(kLongBodySize);
    fixed.append(QByteArray(kLongBodySize - fixed.size(), '\0'));
    return QByteArray(1, char(kStart)) + '\0' + fixed + char(checksumOf(fixed)) + char(kEnd);
}

QByteArray garbageBytes(int count, uint32_t seed) {
    QByteArray out;
    uint32_t x = seed ? seed : 0x9E3779B9u;
    while (out.size() < count) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;  // xorshift: repeatable, no library state
        const auto b = uint8_t(x >> 24);
        if (b != kStart) out.append(char(b));
    }
    return out;
}

QString toHex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

std::optional<QByteArray> fromHex(const QString& text) {
    QByteArray out;
    int high = -1;
    for (QChar c : text) {
        if (c.isSpace() || c == u',' || c == u':') continue;
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        if (high < 0) {
            high = d;
        } else {
            out.append(char(high << 4 | d));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return out;
}

}  // namespace tallyport::readersim
