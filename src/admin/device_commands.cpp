#include "admin/device_commands.h"

#include "readers/protocol.h"
#include "readers/reader_client.h"

#include <algorithm>

namespace tallyport {

using readers::decodeBcd;
using readers::encodeBcd;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v & 0xFF));
    return out;
}

QByteArray withWord(QByteArray body, int value) {
    return body.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

// Reply body byte k of a normal reply is frame buffer byte k + 1.
constexpr int kBody = 1;

}  // namespace

quint8 OptionsByte(const ReaderOptions& o) {
    return quint8((o.backLight ? 0x01 : 0) | (o.bypassAllowed ? 0x02 : 0) |
                  (o.anyCardBypass ? 0x04 : 0) | (o.doorMagnet ? 0x08 : 0) |
                  (o.lockReverse ? 0x10 : 0));
}

ReaderOptions optionsFromByte(quint8 b) {
    return {(b & 0x01) != 0, (b & 0x02) != 0, (b & 0x04) != 0, (b & 0x08) != 0, (b & 0x10) != 0};
}

bool timetableUsed(const Timetable& timetable) {
    return std::any_of(timetable.begin(), timetable.end(),
                       [](const TimetableEntry& e) { return e.mode != 0; });
}

quint8 modeByte(int readerMode, const Timetable& timetable) {
    if (readerMode == 0) return timetableUsed(timetable) ? 0xC0 : 0x80;
    return quint8(((readerMode - 1) * 64) & 0xFF);
}

QString padLcd(const QString& text) {
    return text.left(kLcdWidth).leftJustified(kLcdWidth, u' ');
}

QByteArray lcdBytes(const QString& text) {
    QByteArray out;
    for (QChar c : padLcd(text)) out.append(c.unicode() < 0x100 ? char(c.unicode()) : '?');
    return out;
}

int uploadBlockCount(int holders) {
    return (std::max(0, holders) + 1) / kAccessEntriesPerBlock + 1;
}

QByteArray accessEntry(bool allowed, int card, const QString& name) {
    QByteArray e;
    e.append(char(allowed ? 1 : 0));
    e.append(char((card >> 16) & 0xFF)).append(char((card >> 8) & 0xFF)).append(char(card & 0xFF));
    e.append(char(0xFF)).append(char(0xFF));
    return e + lcdBytes(name);
}

QByteArray accessBlock(std::span<const QByteArray> entries) {
    QByteArray block(kAccessBlockSize, char(0xFF));
    for (size_t i = 0; i < entries.size() && i < size_t(kAccessEntriesPerBlock); ++i)
        block.replace(qsizetype(i) * kAccessEntrySize, kAccessEntrySize,
                      entries[i].left(kAccessEntrySize));
    return block;
}

namespace device {
QByteArray getClock() {
    return bytes({0x00, 0x01});
}
QByteArray setClock(const QDateTime& t) {
    return readers::setClockBody(t);
}
QByteArray getCapacity() {
    return bytes({0x00, 0x03, 0x00});
}
QByteArray clearRecords(quint16 mark) {
    return withWord(bytes({0x00, 0x05, 0x00}), mark);
}
QByteArray getLine(int line) {
    return bytes({0x00, 0x07, line == 2 ? 0x01 : 0x00});
}
QByteArray getOptions() {
    return bytes({0x00, 0x07, 0x04});
}
QByteArray getMode() {
    return bytes({0x00, 0x07, 0x05});
}
QByteArray getTimetable() {
    return bytes({0x00, 0x07, 0x06});
}
QByteArray setLine(int line, const QString& text) {
    return bytes({0x00, 0x08, line == 2 ? 0x01 : 0x00}) + lcdBytes(text);
}
QByteArray setOptions(quint8 options) {
    return bytes({0x00, 0x08, 0x04, options});
}
QByteArray setMode(quint8 mode) {
    return bytes({0x00, 0x08, 0x05, mode});
}
QByteArray setTimetable(const Timetable& t) {
    QByteArray body = bytes({0x00, 0x08, 0x06});
    for (const TimetableEntry& e : t) {
        body.append(char(e.mode & 0xFF));
        body.append(char(encodeBcd(e.time.hour()))).append(char(encodeBcd(e.time.minute())));
    }
    return body;
}
QByteArray setLockTime(int seconds) {
    return bytes({0x00, 0x08, 0x07, seconds & 0xFF});
}
QByteArray setPin(int pin) {
    return withWord(bytes({0x00, 0x08, 0x08}), pin);
}
QByteArray putAccessPin(int pin) {
    return withWord(bytes({0x00, 0x08, 0x09}), pin);
}
QByteArray putControlPin(int pin) {
    return withWord(bytes({0x00, 0x08, 0x0A}), pin);
}
QByteArray uploadPrefix(int block) {
    return withWord(bytes({0x00, 0x09, 0x01}), block);
}
QByteArray readLogBlock(int block) {
    return withWord(bytes({0x00, 0x0A, 0x00}), block);
}
}  // namespace device

readers::ReplyForm replyFormOf(const QByteArray& body) {
    using Kind = readers::ReplyForm::Kind;
    // Reply bodies: Get Clock 00 01 + 7 bytes; Get Capacity 00 03 00 + mark and count;
    // 00 07 xx + 16 characters, the options byte or 8 timetable entries.
    const auto shortReply = [&](int head, int size) {
        return readers::ReplyForm{Kind::Short, size, body.left(head)};
    };
    if (body.size() < 2 || body[0] != 0) return {};
    switch (quint8(body[1])) {
        case 0x01:
            return shortReply(2, 9);
        case 0x03:
            return shortReply(2, 7);
        case 0x07:
            if (body.size() < 3) return {};
            switch (quint8(body[2])) {
                case 0x00:
                case 0x01:
                    return shortReply(3, 3 + kLcdWidth);
                case 0x04:
                    return shortReply(3, 4);
                case 0x06:
                    return shortReply(3, 3 + 3 * kTimetableRows);
                default:
                    return {};  // Get Mode: awaited, not read
            }
        case 0x0A:
            return {Kind::Long, readers::kLongReplyBody, body.left(5)};
        default:
            return {};
    }
}

Capacity capacityReply(const ReaderClient& r) {
    return {r.FrameWord(kBody + 3), r.FrameWord(kBody + 5)};
}

// Bytes 2..8: ss mm hh dw DD MM YY, all BCD but the day of the week.
std::optional<QDateTime> clockReply(const ReaderClient& r) {
    const auto bcd = [&](int k) { return decodeBcd(r.FrameByte(kBody + k)); };
    const QDate date(2000 + bcd(8), bcd(7), bcd(6));
    const QTime time(bcd(4), bcd(3), bcd(2));
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time);
}

QString lineReply(const ReaderClient& r) {
    return r.FrameText(kBody + 3);
}

quint8 optionsReply(const ReaderClient& r) {
    return r.FrameByte(kBody + 3);
}

Timetable timetableReply(const ReaderClient& r) {
    Timetable t;
    for (int i = 0; i < kTimetableRows; ++i) {
        const int at = kBody + 3 + 3 * i;
        t[size_t(i)] = {r.FrameByte(at), r.FrameTimeOfDay(at + 1)};
    }
    return t;
}

}  // namespace tallyport
