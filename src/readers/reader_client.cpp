#include "readers/reader_client.h"

#include "base/clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <algorithm>

namespace tallyport {

using namespace readers;

namespace {
constexpr qint64 kReadLimit = 2048;  // one read per poll, the size of the reader's own buffer
constexpr size_t kMaxQueuedClockSettings = 8;

QDateTime wholeSeconds(QDateTime t) {
    t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
    return t;
}
}  // namespace

// Counts the client's own operations on the stack, so that a clock setting asked for by a
// frame runs only from a poll that nothing else of this client is inside.
class ReaderClient::Busy {
public:
    explicit Busy(ReaderClient& r) : m_r(r) { ++m_r.m_busy; }
    ~Busy() { --m_r.m_busy; }
    bool outermost() const { return m_r.m_busy == 1; }

private:
    ReaderClient& m_r;
};

ReaderClient::ReaderClient(QObject* owner)
    : QObject(owner), m_socket(new QTcpSocket(this)), m_lastActivity(appClock().now()) {
    m_replyTimer.setSingleShot(true);
    m_retryTimer.setSingleShot(true);
    m_connectTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, &ReaderClient::onReplyTimeout);
    connect(&m_retryTimer, &QTimer::timeout, this, &ReaderClient::startConnect);
    connect(&m_connectTimer, &QTimer::timeout, this, &ReaderClient::onConnectTimeout);
    connect(m_socket, &QTcpSocket::connected, this, &ReaderClient::onSocketConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &ReaderClient::inputArrived);
    connect(m_socket, &QTcpSocket::disconnected, this, &ReaderClient::onSocketDropped);
    connect(m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { onSocketError(int(e)); });
}

ReaderClient::~ReaderClient() {
    m_socket->disconnect(this);  // no link-lost report from our own teardown
    m_socket->abort();
}

bool ReaderClient::HeartBeat() {
    const QDateTime now = appClock().now();
    const auto minuteOf = [](const QDateTime& t) {
        return std::tuple(t.date(), t.time().hour(), t.time().minute());
    };
    if (minuteOf(now) == minuteOf(m_lastActivity)) return false;
    m_lastActivity = now;
    return true;
}

void ReaderClient::touch() {
    m_lastActivity = appClock().now();
}

void ReaderClient::Poll() {
    if (!m_enable) return;
    Busy busy(*this);
    const bool got = takeWaiting(kReadLimit);
    // A heartbeat while a reply is awaited, or between the commands of a sequence, would have
    // its echo taken for a reply.
    if (!isConnected())
        m_backout = true;
    else if (!got && !m_pktMode && !held() && HeartBeat())
        SendHeartbeat();
    if (busy.outermost()) runQueuedClockSettings();
}

// Reads what is waiting and feeds it to the receiver; true when something was read.
bool ReaderClient::takeWaiting(qint64 limit) {
    const bool got = readWaiting(limit);
    if (got || m_inputPos < m_input.size()) {
        consumeInput();
        touch();
    }
    return got;
}

// Moves up to `limit` bytes (all for 0) that are already waiting into the input, without blocking.
// Bytes a reader sent just before it dropped the line are still taken.
bool ReaderClient::readWaiting(qint64 limit) {
    if (m_socket->bytesAvailable() == 0 && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->waitForReadyRead(0);
    const QByteArray bytes = limit > 0 ? m_socket->read(limit) : m_socket->readAll();
    m_input.append(bytes);
    return !bytes.isEmpty();
}

// Feeds every byte read, in order, dispatching each frame it completes. Nested calls (a signal
// handler that sends a command) go on from the same position, so no byte is fed twice.
void ReaderClient::consumeInput() {
    while (m_inputPos < m_input.size()) {
        const auto byte = quint8(m_input[m_inputPos++]);
        if (m_rx.push(byte, m_pktMode)) dispatchFrame();
    }
    m_input.clear();
    m_inputPos = 0;
}

void ReaderClient::dispatchFrame() {
    if (m_rx.frameIsReply()) {
        // Not awaited any more (its time ran out meanwhile), or the reply of some other command
        // (a late one, a stray acknowledgement): the wait goes on for this command's own.
        if (!m_pktMode || !replyFits(m_expected, m_rx.frameIsLong(), m_rx.replyBody())) return;
        takeReply();
        endReplyWait(true);
        return;
    }
    const EventFrame ev = decodeEventFrame(m_rx);
    if (const auto* card = std::get_if<CardRead>(&ev)) {
        const QDateTime stamp = card->stamped ? card->stamp : wholeSeconds(appClock().now());
        Q_EMIT OnCardCode(card->offline, m_portNo, card->card, stamp, card->mode);
    } else if (const auto* code = std::get_if<StatusCode>(&ev)) {
        dispatchCode(code->code);
    } else if (std::holds_alternative<HeartbeatEcho>(ev)) {
        m_backout = false;
    }
}

void ReaderClient::dispatchCode(char code) {
    switch (code) {
        case '0':
            m_model = QStringLiteral("RX305");
            break;
        case '1':
            m_model = QStringLiteral("KT11");
            break;
        case '2':
            m_model = QStringLiteral("KT12");
            break;
        case 'C':
            return queueClockSetting(false);
        case 'R':
            return queueClockSetting(true);
        case 'P':
            Q_EMIT OnBypass(m_portNo, 0);
            return;
        case 'p':
            Q_EMIT OnBypass(m_portNo, 1);
            return;
        default:
            break;
    }
    m_responsed = true;
    m_acknowledged = code != 'B';
}

// The clock is set after the read that asked for it has been fed: the sends it takes read
// from the same connection, and must not run inside the dispatch of a frame.
void ReaderClient::queueClockSetting(bool powerup) {
    if (!powerup && !m_clockQueue.empty()) return;  // a setting already queued answers it
    if (m_clockQueue.size() >= kMaxQueuedClockSettings) return;
    m_clockQueue.push_back(powerup);
}

void ReaderClient::runQueuedClockSettings() {
    if (m_syncing) return;
    m_syncing = true;
    // Not while a command's reply is awaited (its caller still has to read it), nor inside a
    // sequence: its unlock would come between the sequence's commands.
    while (!m_clockQueue.empty() && !m_pktMode && !held()) {
        const bool powerup = m_clockQueue.front();
        m_clockQueue.pop_front();
        SyncClock();
        if (powerup) Q_EMIT OnPowerup(m_portNo);
    }
    m_syncing = false;
}

void ReaderClient::SendFrame(const QByteArray& frame) {
    Busy busy(*this);
    Poll();
    transmit(frame);
    Poll();
}

void ReaderClient::transmit(const QByteArray& frame) {
    if (!isConnected()) return;
    // A failed send is reported by the socket's error signal, which notices the lost link.
    m_socket->write(frame);
    m_socket->flush();
}

// A copy, so that the frames read after the reply (in the same read, or before its caller
// runs) cannot overwrite the bytes the caller is about to read.
void ReaderClient::takeReply() {
    const int length = m_rx.frameIsLong() ? kLongReplyBody + 1 : m_rx.frameLength();
    m_replyLength = std::clamp(length, 0, int(m_reply.size()));
    std::copy_n(m_rx.buffer().begin(), m_replyLength, m_reply.begin());
}

bool ReaderClient::exchange(const QByteArray& frame, const QByteArray& remembered, int code, int ms,
                            const ReplyForm& reply) {
    Busy busy(*this);
    m_responsed = false;
    if (!isConnected()) return false;
    Drain();
    if (!isConnected()) {
        // The line dropped while the previous reply was drained: nothing went out, and no
        // earlier reply may pass for this command's.
        m_pktGood = false;
        return false;
    }
    m_replyTimer.stop();
    m_lastCommand = remembered;
    m_lastCode = code;
    m_expected = reply;
    m_pktMode = true;
    m_pktTimeout = false;
    m_pktGood = false;
    ResetParser();
    m_replyTimer.start(m_replyWaitMs > 0 ? m_replyWaitMs : ms);
    SendFrame(frame);
    return true;
}

namespace {
int commandCode(const QByteArray& body) {
    return body.size() > 1 ? quint8(body[1]) : 0;
}
}  // namespace

bool ReaderClient::SendCommand(const QByteArray& body, const ReplyForm& reply) {
    const auto frame = frameCommand(body);
    if (!frame) {
        m_responsed = false;  // too long to frame: nothing is sent
        return false;
    }
    return exchange(*frame, body, commandCode(body), kReplyTimeMs, reply);
}

bool ReaderClient::SendCommandTimed(const QByteArray& body, int ms, const ReplyForm& reply) {
    const auto frame = frameCommand(body);
    if (!frame) {
        m_responsed = false;
        return false;
    }
    return exchange(*frame, *frame, commandCode(body), ms < 1 ? kReplyTimeMs : ms, reply);
}

bool ReaderClient::SendBlock(const QByteArray& body, const ReplyForm& reply) {
    const auto frame = frameLongCommand(body);
    if (!frame) {
        m_responsed = false;
        return false;
    }
    return exchange(*frame, body, commandCode(body), kBlockReplyTimeMs, reply);
}

void ReaderClient::SetControl(bool locked) {
    SendCommand(lockBody(locked, m_controlPin ? m_controlPin() : 0));
}

void ReaderClient::SetControlPin(int pin) {
    SendCommand(lockBody(true, pin));
}

void ReaderClient::SyncClock() {
    Busy busy(*this);
    SetControl(true);
    SendCommand(setClockBody(appClock().now()));
    SetControl(false);
}

void ReaderClient::SendHeartbeat() {
    SendFrame(*frameCommand(heartbeatBody()));
}

// Waits only while the last command's reply may still come; what is waiting besides is fed
// to the receiver like any read (a late reply fails the event rules; a card read is kept).
void ReaderClient::Drain() {
    Busy busy(*this);
    const QDeadlineTimer deadline(m_drainWaitMs);
    for (;;) {
        takeWaiting(0);
        if (!m_pktMode || !isConnected() || deadline.hasExpired()) return;
        if (!m_socket->waitForReadyRead(int(deadline.remainingTime()))) return;
    }
}

bool ReaderClient::awaitReply() {
    Busy busy(*this);
    while (m_pktMode) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        takeWaiting(kReadLimit);
    }
    return m_pktGood;
}

void ReaderClient::onReplyTimeout() {
    endReplyWait(false);
}

void ReaderClient::endReplyWait(bool good) {
    m_replyTimer.stop();
    const bool awaited = m_pktMode;
    m_pktMode = false;
    (good ? m_pktGood : m_pktTimeout) = true;
    if (awaited) Q_EMIT replyFinished(good);
}

void ReaderClient::release() {
    if (m_holds == 0) return;
    if (--m_holds > 0) return;
    Q_EMIT released();
    // A clock setting asked for meanwhile goes out now, not a poll later.
    if (!m_clockQueue.empty() && m_busy == 0 && m_enable) Poll();
}

quint16 ReaderClient::FrameWord(int position) const {
    return quint16(FrameByte(position) + 256 * FrameByte(position + 1));
}

QString ReaderClient::FrameText(int position) const {
    QString text;
    for (int i = 0; i < 16; ++i) text.append(QChar(FrameByte(position + i)));
    return text;
}

QTime ReaderClient::FrameTimeOfDay(int position) const {
    int hours = decodeBcd(FrameByte(position));
    int minutes = decodeBcd(FrameByte(position + 1));
    if (hours >= 24) hours = 0;
    if (minutes >= 60) minutes = 0;
    return QTime(hours, minutes, 0);
}

LogRecord ReaderClient::logRecordAt(int position) const {
    std::array<quint8, 8> r{};
    for (int i = 0; i < 8; ++i) r[size_t(i)] = FrameByte(position + i);
    return readers::DecodeLogRecord(r);
}

bool ReaderClient::CheckLogIndex(int index) const {
    return index % 32 == (FrameByte(5 + 8 * index) & 0x1F);
}

AccessEntry ReaderClient::DecodeAccessEntry() const {
    std::array<quint8, 22> e{};
    for (int i = 0; i < 22; ++i) e[size_t(i)] = FrameByte(6 + i);
    return readers::DecodeAccessEntry(e);
}

}  // namespace tallyport
