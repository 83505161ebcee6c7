#include "sim_reader.h"

#include "command_receiver.h"
#include "frame_description.h"
#include "frames.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace tallyport::readersim {

namespace {

constexpr int kLogRecordSize = 8;
constexpr int kLogBlockHeader = 5;
constexpr int kAccessBlockSize = 264;
constexpr int kLcdWidth = 16;

// Day of the week as the reader counts it: 1 Sunday .. 7 Saturday.
int readerDayOfWeek(const QDate& d) {
    return d.dayOfWeek() % 7 + 1;
}

uint16_t word(const QByteArray& body, int at) {
    return uint16_t(uint8_t(body.at(at)) | uint8_t(body.at(at + 1)) << 8);
}

QByteArray lcd(const QByteArray& text) {
    return text.left(kLcdWidth).leftJustified(kLcdWidth, ' ');
}

}  // namespace

SimReader::SimReader() : m_line1(lcd("READER")), m_line2(lcd("SIMULATOR")), m_timetable(24, '\0') {}

const std::map<uint8_t, SimReader::Handler>& SimReader::handlers() {
    static const std::map<uint8_t, Handler> table{
        {0x00, &SimReader::setLock},
        {0x01, &SimReader::getClock},
        {0x02, &SimReader::setClock},
        {0x03, &SimReader::getCapacity},
        {0x05, &SimReader::clearRecords},
        {0x07, &SimReader::getSetting},
        {0x08, &SimReader::putSetting},
        {0x09, &SimReader::uploadAccess},
        {0x0A, &SimReader::readLogBlock},
        // The heartbeat's acknowledgement is its own echo: F5 04 00 0C F0 FA.
        {0x0C, &SimReader::acknowledge},
    };
    return table;
}

QByteArray SimReader::answer(const ReceivedFrame& frame) {
    if (!m_answering) return {};
    if (frame.body.size() < 2) return replyFrame(frame.body);
    if (const auto fault = takeFault(frame.body)) return faultyAnswer(*fault, frame.body);
    return handle(frame.body);
}

QByteArray SimReader::handle(const QByteArray& body) {
    const auto it = handlers().find(uint8_t(body[1]));
    return it == handlers().end() ? acknowledge(body) : (this->*it->second)(body);
}

void SimReader::clearFaults() {
    setCapacityFault(false);
    m_dropAtBlock = -1;
    m_announced = -1;
    m_replyFaults.clear();
}

// Log and access blocks carry their number in body bytes 3 and 4.
std::optional<SimReader::ReplyFault> SimReader::takeFault(const QByteArray& body) {
    const int block = body.size() >= 5 ? word(body, 3) : -1;
    for (auto it = m_replyFaults.begin(); it != m_replyFaults.end(); ++it) {
        if (!body.mid(1).startsWith(it->head) || (it->block >= 0 && it->block != block)) continue;
        const ReplyFault f = *it;
        if (--it->times <= 0) m_replyFaults.erase(it);
        return f;
    }
    return std::nullopt;
}

QByteArray SimReader::faultyAnswer(const ReplyFault& f, const QByteArray& body) {
    switch (f.kind) {
        case ReplyFault::Kind::Silent:
            return {};
        case ReplyFault::Kind::Short:
            return acknowledge(body);
        case ReplyFault::Kind::Wrong:
            break;
    }
    if (uint8_t(body[1]) == 0x0A && body.size() >= 5) {
        const int block = word(body, 3);
        QByteArray other = body.left(3);
        const int before = block == 0 ? 1 : block - 1;
        other.append(char(before & 0xFF)).append(char(before >> 8));
        return logBlockReply(other, before);
    }
    static const QByteArray getClock("\x00\x01", 2);
    static const QByteArray getLine1("\x00\x07\x00", 3);
    return handle(body.startsWith(getLine1) ? getClock : getLine1);
}

bool SimReader::takeDropRequest() {
    return std::exchange(m_dropRequested, false);
}

QDateTime SimReader::now() const {
    return QDateTime::currentDateTime().addSecs(m_clockOffsetSecs);
}

uint32_t SimReader::stamp() const {
    return encodeStamp(now());
}

bool SimReader::store(const StoredRecord& r) {
    if (int(m_log.size()) >= kMaxRecords) return false;
    m_log.push_back(r);
    return true;
}

// Every command the reader knows nothing more about is answered with its own code, so the
// console always gets a well-formed reply.
QByteArray SimReader::acknowledge(const QByteArray& body) {
    return replyFrame(body.left(2));
}

// 00 00 01|00 [pl ph]: with a control PIN set, a lock or unlock without it gets no answer.
QByteArray SimReader::setLock(const QByteArray& body) {
    if (body.size() < 3) return acknowledge(body);
    const uint16_t given = body.size() >= 5 ? word(body, 3) : 0;
    if (m_controlPin != 0 && given != m_controlPin) return {};
    m_locked = body[2] != 0;
    return acknowledge(body);
}

QByteArray SimReader::getClock(const QByteArray& body) {
    const QDateTime t = now();
    QByteArray reply = body.left(2);
    for (int v : {t.time().second(), t.time().minute(), t.time().hour()})
        reply.append(char(toBcd(v)));
    reply.append(char(readerDayOfWeek(t.date())));
    // A clock that lost its setting reads month 13.
    for (int v : {t.date().day(), m_clockInvalid ? 13 : t.date().month(), t.date().year() % 100})
        reply.append(char(toBcd(v)));
    return replyFrame(reply);
}

// Body 00 02 ss mm hh dw DD MM YY; an impossible date leaves the clock as it was.
QByteArray SimReader::setClock(const QByteArray& body) {
    if (body.size() >= 9) {
        auto at = [&](int i) { return fromBcd(uint8_t(body[i])); };
        const QDateTime set(QDate(2000 + at(8), at(7), at(6)), QTime(at(4), at(3), at(2)));
        if (set.isValid()) {
            m_clockOffsetSecs = QDateTime::currentDateTime().secsTo(set);
            m_clockInvalid = false;
        }
    }
    return acknowledge(body);
}

// 00 03 00 ml mh cl ch: the capacity mark and the number of stored records.
QByteArray SimReader::getCapacity(const QByteArray& body) {
    int count = m_announced >= 0 ? m_announced : int(std::min<size_t>(m_log.size(), 0xFFFF));
    if (m_capacityFault && ++m_capacityReads % 2 == 0) ++count;  // every second read differs
    QByteArray reply = body.left(3).leftJustified(3, '\0');
    reply.append(char(m_mark & 0xFF)).append(char(m_mark >> 8));
    reply.append(char(count & 0xFF)).append(char(count >> 8));
    return replyFrame(reply);
}

// 00 05 00 ml mh: only the mark the reader gave clears its records.
QByteArray SimReader::clearRecords(const QByteArray& body) {
    if (body.size() >= 5 && word(body, 3) == m_mark) m_log.clear();
    return acknowledge(body);
}

QByteArray SimReader::getSetting(const QByteArray& body) {
    if (body.size() < 3) return acknowledge(body);
    QByteArray reply = body.left(3);
    switch (uint8_t(body[2])) {
        case 0x00:
            return replyFrame(reply + m_line1);
        case 0x01:
            return replyFrame(reply + m_line2);
        case 0x04:
            return replyFrame(reply + char(m_options));
        case 0x05:
            return replyFrame(reply + char(m_mode));
        case 0x06:
            return replyFrame(reply + m_timetable);
        default:
            return acknowledge(body);
    }
}

QByteArray SimReader::putSetting(const QByteArray& body) {
    if (body.size() < 4) return acknowledge(body);
    const QByteArray value = body.mid(3);
    switch (uint8_t(body[2])) {
        case 0x00:
            m_line1 = lcd(value);
            break;
        case 0x01:
            m_line2 = lcd(value);
            break;
        case 0x04:
            m_options = uint8_t(value[0]);
            break;
        case 0x05:
            m_mode = uint8_t(value[0]);
            break;
        case 0x06:
            m_timetable = value.left(24).leftJustified(24, '\0');
            break;
        case 0x07:
            m_lockTime = uint8_t(value[0]);
            break;
        case 0x08:
        case 0x09:
        case 0x0A:
            if (value.size() >= 2) {
                const uint16_t pin = word(body, 3);
                (body[2] == 0x08 ? m_pin : body[2] == 0x09 ? m_accessPin : m_controlPin) = pin;
            }
            break;
        default:
            break;
    }
    return acknowledge(body);
}

// 00 09 01 bl bh + 264 bytes; block 0 starts a new table.
QByteArray SimReader::uploadAccess(const QByteArray& body) {
    if (body.size() >= 5) {
        const int block = word(body, 3);
        if (block == 0) m_access.clear();
        m_access[block] = body.mid(5, kAccessBlockSize);
    }
    return acknowledge(body);
}

// 00 0A 00 bl bh: 5 header bytes, then 33 records; record i of a block carries i modulo 32 in
// its low five bits. Past the stored records the bits are off by one, which ends the data.
QByteArray SimReader::readLogBlock(const QByteArray& body) {
    const int block = body.size() >= 5 ? word(body, 3) : 0;
    if (block == m_dropAtBlock) {
        m_dropAtBlock = -1;
        m_dropRequested = true;
        return {};
    }
    return logBlockReply(body, block);
}

QByteArray SimReader::logBlockReply(const QByteArray& body, int block) const {
    return longReplyFrame(body.left(kLogBlockHeader).leftJustified(kLogBlockHeader, '\0') +
                          logBlock(block));
}

QByteArray SimReader::logBlock(int block) const {
    QByteArray out;
    for (int i = 0; i < kRecordsPerBlock; ++i) {
        const size_t at = size_t(block) * kRecordsPerBlock + size_t(i);
        if (at >= m_log.size()) {
            out.append(char((i + 1) % 32));
            out.append(QByteArray(kLogRecordSize - 1, char(0xFF)));
            continue;
        }
        const StoredRecord& r = m_log[at];
        out.append(char((r.kind & 0x03) << 6 | (i % 32)));
        for (int shift : {16, 8, 0}) out.append(char((r.card >> shift) & 0xFF));
        for (int shift : {0, 8, 16, 24}) out.append(char((r.stamp >> shift) & 0xFF));
    }
    return out;
}

QStringList SimReader::describeState() const {
    const auto hex = [](uint32_t v) { return QStringLiteral("0x%1").arg(v, 2, 16, QChar(u'0')); };
    return {
        QStringLiteral("clock=%1")
            .arg(m_clockInvalid ? QStringLiteral("invalid") : now().toString(Qt::ISODate)),
        QStringLiteral("line1=\"%1\"").arg(QString::fromLatin1(m_line1)),
        QStringLiteral("line2=\"%1\"").arg(QString::fromLatin1(m_line2)),
        QStringLiteral("options=%1").arg(hex(m_options)),
        QStringLiteral("mode=%1").arg(hex(m_mode)),
        QStringLiteral("timetable=%1").arg(toHex(m_timetable)),
        QStringLiteral("locktime=%1").arg(m_lockTime),
        QStringLiteral("pin=%1").arg(m_pin),
        QStringLiteral("accesspin=%1").arg(m_accessPin),
        QStringLiteral("controlpin=%1").arg(m_controlPin),
        QStringLiteral("locked=%1").arg(m_locked ? "yes" : "no"),
        QStringLiteral("mark=%1").arg(m_mark),
        QStringLiteral("records=%1").arg(m_log.size()),
    };
}

std::optional<QString> SimReader::set(const QString& name, const QString& value) {
    if (name == u"clock") {
        if (value == u"invalid") return m_clockInvalid = true, std::nullopt;
        const QDateTime t = QDateTime::fromString(value, Qt::ISODate);
        if (!t.isValid()) return QStringLiteral("bad time ") + value;
        m_clockOffsetSecs = QDateTime::currentDateTime().secsTo(t);
        m_clockInvalid = false;
        return std::nullopt;
    }
    if (name == u"line1" || name == u"line2") {
        (name == u"line1" ? m_line1 : m_line2) = lcd(value.toLatin1());
        return std::nullopt;
    }
    const std::map<QString, std::pair<uint32_t, std::function<void(uint32_t)>>> numbers{
        {"options", {0xFF, [this](uint32_t v) { m_options = uint8_t(v); }}},
        {"mode", {0xFF, [this](uint32_t v) { m_mode = uint8_t(v); }}},
        {"locktime", {0xFF, [this](uint32_t v) { m_lockTime = uint8_t(v); }}},
        {"pin", {0xFFFF, [this](uint32_t v) { m_pin = uint16_t(v); }}},
        {"accesspin", {0xFFFF, [this](uint32_t v) { m_accessPin = uint16_t(v); }}},
        {"controlpin", {0xFFFF, [this](uint32_t v) { m_controlPin = uint16_t(v); }}},
        {"mark", {0xFFFF, [this](uint32_t v) { m_mark = uint16_t(v); }}},
    };
    const auto it = numbers.find(name);
    if (it == numbers.end()) return QStringLiteral("unknown setting ") + name;
    const auto v = parseNumber(value, it->second.first);
    if (!v) return QStringLiteral("bad value for %1: %2").arg(name, value);
    it->second.second(*v);
    return std::nullopt;
}

}  // namespace tallyport::readersim
