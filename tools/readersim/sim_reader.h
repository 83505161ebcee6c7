#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace tallyport::readersim {

struct ReceivedFrame;

// A past event the reader keeps while no console is connected.
struct StoredRecord {
    uint8_t kind = 0;  // the two high bits of the record: 0 IN, 1 OUT, 2 clock, 3 clock+timetable
    uint32_t card = 0;
    uint32_t stamp = 0;  // 0 does not decode: an invalid record
};

// One simulated reader's own state and its answers to the console's commands, free of
// sockets: each command is one handler in the table and its piece of state here.
class SimReader {
public:
    static constexpr int kLogBlocks = 2048;
    static constexpr int kRecordsPerBlock = 33;
    static constexpr int kMaxRecords = kLogBlocks * kRecordsPerBlock;  // 67,584

    SimReader();

    // The frame the reader puts on the wire in answer, or nothing while it does not answer
    // (silent, a lock with a wrong control PIN, a drop asked for).
    QByteArray answer(const ReceivedFrame& frame);
    // True once after an answer that asked for the connection to drop.
    bool takeDropRequest();

    bool answering() const { return m_answering; }
    void setAnswering(bool on) { m_answering = on; }
    int replyDelayMs() const { return m_replyDelayMs; }
    void setReplyDelayMs(int ms) { m_replyDelayMs = ms; }

    QDateTime now() const;  // the reader's clock: the host's, moved by Set Clock
    uint32_t stamp() const;
    bool locked() const { return m_locked; }

    // The stored log.
    const std::vector<StoredRecord>& log() const { return m_log; }
    // False when the log is full.
    bool store(const StoredRecord& r);
    void clearLog() { m_log.clear(); }
    uint16_t mark() const { return m_mark; }

    // Settings as control lines read and change them: clock (ISO or "invalid"), line1,
    // line2, options, mode, locktime, pin, accesspin, controlpin, mark.
    QStringList describeState() const;
    std::optional<QString> set(const QString& name, const QString& value);  // error text

    // The access table as uploaded: blocks by number, 264 bytes each.
    const std::map<int, QByteArray>& accessTable() const { return m_access; }

    // Faults on request.
    void setCapacityFault(bool on) {
        m_capacityFault = on;
        m_capacityReads = 0;
    }
    void setDropAtBlock(int block) { m_dropAtBlock = block; }  // -1: none; once
    // Capacity reads announce this many records whatever the log holds (-1: the log's count).
    void setAnnouncedCount(int count) { m_announced = count; }
    // A command answered amiss, `times` times: by its two-byte acknowledgement (Short), by a
    // well-formed reply to another command (Wrong: a log block by the block before it, block 1
    // for block 0; Get Line 1 by the reply to Get Clock; any other command by the reply to Get
    // Line 1), or not at all (Silent, the command not carried out). The fault takes the
    // commands whose body after its leading 00 begins with `head` (the code, maybe the
    // sub-code); `block` >= 0 picks one log or access block.
    struct ReplyFault {
        enum class Kind { Short, Wrong, Silent } kind = Kind::Short;
        QByteArray head;
        int block = -1;
        int times = 1;
    };
    void addReplyFault(const ReplyFault& f) { m_replyFaults.push_back(f); }
    void clearFaults();

private:
    using Handler = QByteArray (SimReader::*)(const QByteArray& body);
    static const std::map<uint8_t, Handler>& handlers();  // by command code, body byte 1

    QByteArray handle(const QByteArray& body);  // body: at least two bytes
    QByteArray acknowledge(const QByteArray& body);
    QByteArray setLock(const QByteArray& body);
    QByteArray getClock(const QByteArray& body);
    QByteArray setClock(const QByteArray& body);
    QByteArray getCapacity(const QByteArray& body);
    QByteArray clearRecords(const QByteArray& body);
    QByteArray getSetting(const QByteArray& body);
    QByteArray putSetting(const QByteArray& body);
    QByteArray uploadAccess(const QByteArray& body);
    QByteArray readLogBlock(const QByteArray& body);
    QByteArray logBlock(int block) const;
    QByteArray logBlockReply(const QByteArray& body, int block) const;
    // The fault that takes this command, used up once; nothing when none does.
    std::optional<ReplyFault> takeFault(const QByteArray& body);
    QByteArray faultyAnswer(const ReplyFault& f, const QByteArray& body);

    bool m_answering = true;
    int m_replyDelayMs = 0;
    bool m_locked = false;
    qint64 m_clockOffsetSecs = 0;
    bool m_clockInvalid = false;

    std::vector<StoredRecord> m_log;
    uint16_t m_mark = 0x5A3C;
    QByteArray m_line1;
    QByteArray m_line2;
    uint8_t m_options = 0;
    uint8_t m_mode = 0;
    QByteArray m_timetable;  // 8 x (mode, hh, mm)
    uint8_t m_lockTime = 1;
    uint16_t m_pin = 0;
    uint16_t m_accessPin = 0;
    uint16_t m_controlPin = 0;
    std::map<int, QByteArray> m_access;

    bool m_capacityFault = false;
    int m_capacityReads = 0;
    int m_dropAtBlock = -1;
    int m_announced = -1;
    bool m_dropRequested = false;
    std::vector<ReplyFault> m_replyFaults;
};

}  // namespace tallyport::readersim
