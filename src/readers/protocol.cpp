#include "readers/protocol.h"

namespace tallyport::readers {

quint8 checksumOf(QByteArrayView bytes, quint8 seed) {
    quint8 sum = seed;
    for (char c : bytes) sum = quint8(sum + quint8(c));
    return quint8(-sum);
}

std::optional<QByteArray> frameCommand(QByteArrayView body) {
    if (body.size() > kMaxCommandBody) return std::nullopt;
    const auto length = quint8(body.size() + 2);
    QByteArray frame;
    frame.reserve(body.size() + 4);
    frame.append(char(kStartByte)).append(char(length)).append(body);
    frame.append(char(checksumOf(body, length))).append(char(kEndByte));
    return frame;
}

std::optional<QByteArray> frameLongCommand(QByteArrayView body) {
    if (body.size() > kMaxBlockBody) return std::nullopt;
    QByteArray frame;
    frame.reserve(body.size() + 4);
    frame.append(char(kStartByte)).append(char(0)).append(body);
    frame.append(char(checksumOf(body))).append(char(kEndByte));
    return frame;
}

bool replyFits(const ReplyForm& form, bool longReply, QByteArrayView body) {
    if (form.kind == ReplyForm::Kind::Long && !longReply) return false;
    if (form.kind == ReplyForm::Kind::Short && longReply) return false;
    return body.size() >= form.minBody && body.startsWith(form.head);
}

quint8 encodeBcd(int value) {
    return quint8(((value / 10) % 10) << 4 | (value % 10));
}

int decodeBcd(quint8 byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

QDateTime DecodeStamp(quint32 t) {
    const int s = int(t % 60);
    t /= 60;
    const int m = int(t % 60);
    t /= 60;
    const int h = int(t % 24);
    t /= 24;
    const int d = int(t % 32);
    t /= 32;
    const int month = int(t % 13);
    const int year = 2000 + int(t / 13);
    const QDate date(year, month, d);  // invalid for month 0, day 0, 30 February ...
    if (!date.isValid()) return {};
    return QDateTime(date, QTime(h, m, s));
}

std::optional<quint32> encodeStamp(const QDateTime& dt) {
    if (!dt.isValid() || dt.date().year() < 2000) return std::nullopt;
    const QDate d = dt.date();
    const QTime tm = dt.time();
    // The mixed radices of DecodeStamp, from the year down to the second.
    const std::pair<int, int> fields[] = {
        {13, d.month()}, {32, d.day()}, {24, tm.hour()}, {60, tm.minute()}, {60, tm.second()}};
    quint64 t = quint64(d.year() - 2000);
    for (auto [radix, value] : fields) t = t * quint64(radix) + quint64(value);
    if (t > 0xFFFFFFFFull) return std::nullopt;
    return quint32(t);
}

LogRecord DecodeLogRecord(std::span<const quint8, 8> r) {
    LogRecord rec;
    const quint32 t =
        quint32(r[4]) | quint32(r[5]) << 8 | quint32(r[6]) << 16 | quint32(r[7]) << 24;
    rec.time = DecodeStamp(t);
    rec.valid = rec.time.isValid();
    const int kind = r[0] >> 6;
    rec.mode = kind == 0 ? 1 : kind == 1 ? 2 : 0;
    rec.sequence = r[0] & 0x1F;
    rec.card = r[1] << 16 | r[2] << 8 | r[3];
    return rec;
}

AccessEntry DecodeAccessEntry(std::span<const quint8, 22> e) {
    AccessEntry entry;
    entry.flags = e[0];
    entry.card = e[1] << 16 | e[2] << 8 | e[3];
    entry.value = qint16(quint16(e[4] | e[5] << 8));
    entry.text = QString::fromLatin1(reinterpret_cast<const char*>(e.data() + 6), 16);
    return entry;
}

QByteArray heartbeatBody() {
    return QByteArray::fromRawData("\x00\x0C", 2);
}

QByteArray lockBody(bool locked, int pin) {
    QByteArray body("\x00\x00", 2);
    body.append(char(locked ? 1 : 0));
    if (pin != 0) body.append(char(pin & 0xFF)).append(char((pin >> 8) & 0xFF));
    return body;
}

QByteArray setClockBody(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    QByteArray body("\x00\x02", 2);
    body.append(char(encodeBcd(t.second()))).append(char(encodeBcd(t.minute())));
    body.append(char(encodeBcd(t.hour())));
    body.append(char(d.dayOfWeek() % 7 + 1));  // 1 Sunday .. 7 Saturday
    body.append(char(encodeBcd(d.day()))).append(char(encodeBcd(d.month())));
    body.append(char(encodeBcd(d.year() % 100)));
    return body;
}

}  // namespace tallyport::readers
