#pragma once

#include "readers/protocol.h"
#include "readers/receiver.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>

class QTcpSocket;

namespace tallyport {

class Operator;

// "Failed to connect reader (desc). Please retry later!"
QString connectFailedText(const QString& desc);

// The console's end of the link to one card reader: its settings, the TCP connection, the
// receiver, the events it raises and the commands it sends. Everything runs on the thread that
// owns the object (the user-interface thread); nothing blocks longer than the connect timeout
// (Reconnect) or the short wait for an outstanding reply (Drain).
class ReaderClient : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enable READ Enable WRITE setEnable)
    Q_PROPERTY(int PortNo READ PortNo WRITE setPortNo)
    Q_PROPERTY(int ID READ PortNo WRITE setPortNo)
    Q_PROPERTY(QString Desc READ Desc WRITE setDesc)
    Q_PROPERTY(QString Port READ Port)
    Q_PROPERTY(int Mode READ Mode WRITE setMode)
    Q_PROPERTY(int LockTime READ LockTime WRITE setLockTime)
    Q_PROPERTY(bool Capture READ Capture WRITE setCapture)
    Q_PROPERTY(int Lock READ Lock WRITE setLock)
    Q_PROPERTY(int Bypass READ Bypass WRITE setBypass)
    Q_PROPERTY(bool APB READ APB WRITE setAPB)
    Q_PROPERTY(int Motion READ Motion WRITE setMotion)
    Q_PROPERTY(bool MotionCapture READ MotionCapture WRITE setMotionCapture)
    Q_PROPERTY(bool MultipleShot READ MultipleShot WRITE setMultipleShot)
    Q_PROPERTY(bool Backout READ Backout)
    Q_PROPERTY(bool Responsed READ Responsed)
    Q_PROPERTY(bool PktMode READ PktMode)
    Q_PROPERTY(bool PktGood READ PktGood)
    Q_PROPERTY(bool PktTimeout READ PktTimeout)

public:
    static constexpr int kReplyTimeMs = 3000;
    static constexpr int kBlockReplyTimeMs = 4000;
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kDrainWaitMs = 200;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kMaxRetryMs = 60000;

    explicit ReaderClient(QObject* owner = nullptr);
    ~ReaderClient() override;

    // The reader's address, as text like the rest of the settings.
    QString remoteHost() const { return m_host; }
    void setRemoteHost(const QString& host) { m_host = host; }
    QString remotePort() const { return m_remotePort; }
    void setRemotePort(const QString& port) { m_remotePort = port; }

    bool Enable() const { return m_enable; }
    void setEnable(bool on);
    int PortNo() const { return m_portNo; }
    void setPortNo(int port) { m_portNo = port; }
    int ID() const { return m_portNo; }
    QString Desc() const { return m_desc; }
    void setDesc(const QString& desc) { m_desc = desc; }
    QString Port() const { return QStringLiteral("COM%1").arg(m_portNo); }
    int Mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }
    int LockTime() const { return m_lockTime; }
    void setLockTime(int secs) { m_lockTime = secs; }
    bool Capture() const { return m_capture; }
    void setCapture(bool on) { m_capture = on; }
    int Lock() const { return m_lock; }
    void setLock(int port) { m_lock = port; }
    int Bypass() const { return m_bypass; }
    void setBypass(int port) { m_bypass = port; }
    bool APB() const { return m_apb; }
    void setAPB(bool on) { m_apb = on; }
    int Motion() const { return m_motion; }
    void setMotion(int secs) { m_motion = secs; }
    bool MotionCapture() const { return m_motionCapture; }
    void setMotionCapture(bool on) { m_motionCapture = on; }
    bool MultipleShot() const { return m_multipleShot; }
    void setMultipleShot(bool on) { m_multipleShot = on; }

    bool Backout() const { return m_backout; }
    bool Responsed() const { return m_responsed; }
    bool PktMode() const { return m_pktMode; }
    bool PktGood() const { return m_pktGood; }
    bool PktTimeout() const { return m_pktTimeout; }
    // True when the console clock's minute differs from that of the last activity; a true
    // answer makes now the last activity, so it is true at most once a minute.
    bool HeartBeat();

    QString model() const { return m_model; }  // "RX305", "KT11", "KT12" or empty
    bool acknowledged() const { return m_acknowledged; }
    QByteArray lastCommand() const { return m_lastCommand; }
    int lastCommandCode() const { return m_lastCode; }
    int replyTime() const { return m_replyTimer.interval(); }

    // The link beyond the published properties.
    bool isConnected() const;
    // Until the next background try, -1 when none waits; why the last connect or line failed.
    int retryInMs() const { return m_retryTimer.isActive() ? m_retryTimer.remainingTime() : -1; }
    QString linkError() const;
    int connectTimeout() const { return m_connectTimeoutMs; }
    void setConnectTimeout(int ms) { m_connectTimeoutMs = ms; }
    // Keep trying to connect in the background while not connected (the reader is in use).
    bool autoReconnect() const { return m_autoReconnect; }
    void setAutoReconnect(bool on);
    void setRetryDelays(int firstMs, int maxMs);
    // Milliseconds until the next connect attempt; -1 when none is waiting.
    int retryRemainingMs() const {
        return m_retryTimer.isActive() ? m_retryTimer.remainingTime() : -1;
    }
    void setDrainWait(int ms) { m_drainWaitMs = ms; }
    // Where the stored control PIN comes from; without one the PIN is 0.
    void setControlPinProvider(std::function<int()> provider) {
        m_controlPin = std::move(provider);
    }
    // Who shows Reconnect's failure box; without one it is only reported by statusChanged.
    void setOperator(Operator* op) { m_operator = op; }
    // Every reply wait lasts `ms` instead of 3000/4000 ms and the caller's times (0: as usual).
    // For slow links, and for tests that must not wait seconds for a silent reader.
    void setReplyWait(int ms) { m_replyWaitMs = ms; }

    // An administration sequence holds the reader while its commands go out one after another:
    // meanwhile the client sends no heartbeat and no clock setting of its own, whose replies
    // would be taken for the sequence's. Holds nest; `released` tells when the last one ended.
    void hold() { ++m_holds; }
    void release();
    bool held() const { return m_holds > 0; }

    void Poll();
    // Closes and connects again, waiting at most the connect timeout. Enable <- connected.
    bool Reconnect(bool showError);
    // As Reconnect, the failure shown to `op`: "Failed to connect reader (Desc). Please retry
    // later!".
    bool Reconnect(Operator& op);
    // As Reconnect(false) without waiting: reconnectEnded tells the outcome.
    void beginReconnect();
    // Starts a connect without waiting; the outcome comes as connectedChanged/statusChanged.
    void startConnect();
    // The reader is no longer in use: Enable and AutoReconnect off, the connection closed.
    void disconnectReader();

    void SendFrame(const QByteArray& frame);
    // The command sends: false when nothing went out (not connected, too long, or the line
    // dropped while the previous reply was drained). Only a complete frame that fits `reply`
    // ends the wait as the reply; any other is passed over and the wait goes on.
    bool SendCommand(const QByteArray& body, const readers::ReplyForm& reply = {});
    bool SendCommandTimed(const QByteArray& body, int ms, const readers::ReplyForm& reply = {});
    bool SendBlock(const QByteArray& body, const readers::ReplyForm& reply = {});
    void SetControl(bool locked);
    void SetControlPin(int pin);
    void SyncClock();
    void SendHeartbeat();
    void Drain();
    void ResetParser() { m_rx.reset(); }
    void ReleaseLock() {}  // the readers have no door command
    // Lets the event loop run until the reply of the last command arrives or its time runs
    // out; true when it arrived.
    bool awaitReply();

    // The accessors read the last reply taken, kept as it arrived: frames that come after it
    // (a card read right behind a block) never change it. Positions are those of the frame
    // buffer; outside the reply they read 0.
    quint8 FrameByte(int position) const {
        return position >= 0 && position < m_replyLength ? m_reply[size_t(position)] : 0;
    }
    quint16 FrameWord(int position) const;
    QString FrameText(int position) const;
    QTime FrameTimeOfDay(int position) const;
    readers::LogRecord DecodeLogRecord() const { return logRecordAt(6); }
    readers::LogRecord DecodeLogRecord(int index) const { return logRecordAt(5 + 8 * index); }
    bool CheckLogIndex(int index) const;
    readers::AccessEntry DecodeAccessEntry() const;

Q_SIGNALS:
    void OnCardCode(bool offline, int port, int code, const QDateTime& stamp, qint8 cmode);
    void OnBypass(int port, int state);
    void OnPowerup(int port);
    void connectedChanged(bool connected);
    // Bytes came in: the owner may poll at once instead of at its next tick.
    void inputArrived();
    // A line for the operator's status view or the headless log, never a message box.
    void statusChanged(const QString& text);
    // The awaited reply came (true), or can no longer come: its time ran out, the line dropped
    // or the reader was taken out of use (false).
    void replyFinished(bool good);
    void reconnectEnded(bool connected);
    void released();

private:
    class Busy;

    bool exchange(const QByteArray& frame, const QByteArray& remembered, int code, int ms,
                  const readers::ReplyForm& reply);
    void takeReply();
    void transmit(const QByteArray& frame);
    bool takeWaiting(qint64 limit);
    bool readWaiting(qint64 limit);
    void consumeInput();
    void dispatchFrame();
    void dispatchCode(char code);
    void queueClockSetting(bool powerup);
    void runQueuedClockSettings();
    void touch();
    void onReplyTimeout();
    void endReplyWait(bool good);
    readers::LogRecord logRecordAt(int position) const;

    // reader_link.cpp
    bool connectNow();
    void onSocketConnected();
    void onSocketDropped();
    void onSocketError(int error);
    void onConnectTimeout();
    void attemptFailed();
    void finishReconnect(bool connected);
    void scheduleRetry();
    bool wantsLink() const { return m_enable || m_autoReconnect; }

    QTcpSocket* m_socket;
    QTimer m_replyTimer;
    QTimer m_retryTimer;
    QTimer m_connectTimer;
    readers::FrameReceiver m_rx;
    readers::ReplyForm m_expected;  // of the reply awaited
    // The last reply taken: the frame buffer's bytes of that frame (a long reply's 270).
    std::array<quint8, readers::kLongReplyBody + 1> m_reply{};
    int m_replyLength = 0;
    QByteArray m_input;  // bytes read but not yet fed to the receiver
    qsizetype m_inputPos = 0;
    QDateTime m_lastActivity;
    std::deque<bool> m_clockQueue;  // clock settings asked for; true: then raise OnPowerup
    int m_busy = 0;
    bool m_syncing = false;

    QString m_host;
    QString m_remotePort;
    bool m_enable = false;
    int m_portNo = 0;
    QString m_desc;
    int m_mode = 2;
    int m_lockTime = 1;
    bool m_capture = false;
    int m_lock = 0;
    int m_bypass = 0;
    bool m_apb = false;
    int m_motion = 0;
    bool m_motionCapture = false;
    bool m_multipleShot = false;
    bool m_backout = false;
    bool m_responsed = false;
    bool m_pktMode = false;
    bool m_pktGood = false;
    bool m_pktTimeout = false;
    QString m_model;
    bool m_acknowledged = false;
    QByteArray m_lastCommand;
    int m_lastCode = 0;

    bool m_linkUp = false;
    bool m_attempt = false;       // a background connect is under way
    bool m_reconnecting = false;  // ... started by beginReconnect
    bool m_autoReconnect = false;
    int m_connectTimeoutMs = kConnectTimeoutMs;
    int m_drainWaitMs = kDrainWaitMs;
    int m_firstRetryMs = kFirstRetryMs;
    int m_maxRetryMs = kMaxRetryMs;
    int m_retryMs = kFirstRetryMs;
    int m_replyWaitMs = 0;
    int m_holds = 0;
    std::function<int()> m_controlPin;
    Operator* m_operator = nullptr;
};

}  // namespace tallyport
