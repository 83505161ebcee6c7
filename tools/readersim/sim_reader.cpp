#include "sim_reader.h"

#include "command_receiver.h"
#include "frames.h"

namespace tallyport::readersim {

namespace {

constexpr int kLogRecordsPerBlock = 33;
constexpr int kLogRecordSize = 8;
constexpr int kLogBlockHeader = 5;

// Day of the week as the reader counts it: 1 Sunday .. 7 Saturday.
int readerDayOfWeek(const QDate& d) {
    return d.dayOfWeek() % 7 + 1;
}

}  // namespace

const std::map<uint8_t, SimReader::Handler>& SimReader::handlers() {
    static const std::map<uint8_t, Handler> table{
        {0x00, &SimReader::setLock},
        {0x01, &SimReader::getClock},
        {0x02, &SimReader::setClock},
        {0x0A, &SimReader::readLogBlock},
        // The heartbeat's acknowledgement is its own echo: F5 04 00 0C F0 FA.
        {0x0C, &SimReader::acknowledge},
    };
    return table;
}

QByteArray SimReader::answer(const ReceivedFrame& frame) {
    if (!m_answering) return {};
    if (frame.body.size() < 2) return replyFrame(frame.body);
    const auto it = handlers().find(uint8_t(frame.body[1]));
    return it == handlers().end() ? acknowledge(frame.body) : (this->*it->second)(frame.body);
}

QDateTime SimReader::now() const {
    return QDateTime::currentDateTime().addSecs(m_clockOffsetSecs);
}

uint32_t SimReader::stamp() const {
    return encodeStamp(now());
}

// Every command the reader knows nothing more about is answered with its own code, so the
// console always gets a well-formed reply.
QByteArray SimReader::acknowledge(const QByteArray& body) {
    return replyFrame(body.left(2));
}

QByteArray SimReader::setLock(const QByteArray& body) {
    if (body.size() >= 3) m_locked = body[2] != 0;
    return acknowledge(body);
}

QByteArray SimReader::getClock(const QByteArray& body) {
    const QDateTime t = now();
    QByteArray reply = body.left(2);
    for (int v : {t.time().second(), t.time().minute(), t.time().hour()})
        reply.append(char(toBcd(v)));
    reply.append(char(readerDayOfWeek(t.date())));
    for (int v : {t.date().day(), t.date().month(), t.date().year() % 100})
        reply.append(char(toBcd(v)));
    return replyFrame(reply);
}

// Body 00 02 ss mm hh dw DD MM YY; an impossible date leaves the clock as it was.
QByteArray SimReader::setClock(const QByteArray& body) {
    if (body.size() >= 9) {
        auto at = [&](int i) { return fromBcd(uint8_t(body[i])); };
        const QDateTime set(QDate(2000 + at(8), at(7), at(6)), QTime(at(4), at(3), at(2)));
        if (set.isValid()) m_clockOffsetSecs = QDateTime::currentDateTime().secsTo(set);
    }
    return acknowledge(body);
}

// An empty stored log: the first record's sequence bits (all ones) do not match index 0.
QByteArray SimReader::readLogBlock(const QByteArray& body) {
    QByteArray block = body.left(kLogBlockHeader);
    block.append(QByteArray(kLogBlockHeader - block.size(), '\0'));
    block.append(QByteArray(kLogRecordsPerBlock * kLogRecordSize, char(0xFF)));
    return longReplyFrame(block);
}

}  // namespace tallyport::readersim
