// The connection of a reader client: bounded connects, noticing a dropped line, and the
// background reconnect of a reader that is in use.
#include "base/operator.h"
#include "readers/reader_client.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace tallyport {

namespace {
const QString kConnectFailedText =
    QStringLiteral("Failed to connect reader (%1). Please retry later!");
const QString kConnectedText = QStringLiteral("Reader (%1) connected.");
const QString kLinkLostText = QStringLiteral("Reader (%1) lost its connection.");
const QString kRetryText = QStringLiteral("Reader (%1) not reachable; next try in %2 s.");

std::optional<quint16> portNumber(const QString& text) {
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) return std::nullopt;
    return quint16(port);
}
}  // namespace

bool ReaderClient::isConnected() const {
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

QString ReaderClient::linkError() const {
    return m_socket->error() == QAbstractSocket::UnknownSocketError ? QString()
                                                                    : m_socket->errorString();
}

void ReaderClient::setEnable(bool on) {
    m_enable = on;
    if (!wantsLink()) m_retryTimer.stop();
}

void ReaderClient::setAutoReconnect(bool on) {
    m_autoReconnect = on;
    if (!wantsLink()) m_retryTimer.stop();
}

void ReaderClient::setRetryDelays(int firstMs, int maxMs) {
    m_firstRetryMs = std::max(1, firstMs);
    m_maxRetryMs = std::max(m_firstRetryMs, maxMs);
    m_retryMs = m_firstRetryMs;
}

QString connectFailedText(const QString& desc) {
    return kConnectFailedText.arg(desc);
}

bool ReaderClient::Reconnect(Operator& op) {
    Operator* const before = m_operator;
    m_operator = &op;
    const bool ok = Reconnect(true);
    m_operator = before;
    return ok;
}

void ReaderClient::beginReconnect() {
    m_retryTimer.stop();
    m_connectTimer.stop();
    if (m_pktMode) endReplyWait(false);
    m_linkUp = false;  // our own close is no lost link
    m_attempt = false;
    m_socket->abort();
    m_reconnecting = true;
    const auto port = portNumber(m_remotePort);
    if (!port || m_host.isEmpty()) {
        // Told from the event loop, like every other outcome.
        QTimer::singleShot(0, this, [this] {
            if (m_reconnecting) finishReconnect(false);
        });
        return;
    }
    m_attempt = true;
    m_connectTimer.start(m_connectTimeoutMs);
    m_socket->connectToHost(m_host, *port);
}

void ReaderClient::finishReconnect(bool connected) {
    m_reconnecting = false;
    m_enable = connected;
    if (!connected) {
        Q_EMIT statusChanged(kConnectFailedText.arg(m_desc));
        scheduleRetry();
    }
    Q_EMIT reconnectEnded(connected);
}

bool ReaderClient::Reconnect(bool showError) {
    m_retryTimer.stop();
    if (m_pktMode) endReplyWait(false);
    m_reconnecting = false;
    const bool ok = connectNow();
    m_enable = ok;
    if (ok) return true;
    const QString text = kConnectFailedText.arg(m_desc);
    if (showError && m_operator) m_operator->error(text);
    Q_EMIT statusChanged(text);
    scheduleRetry();
    return false;
}

// Blocks for at most the connect timeout: an absent reader must not freeze the console.
bool ReaderClient::connectNow() {
    m_connectTimer.stop();
    m_attempt = false;
    m_linkUp = false;
    m_socket->abort();
    const auto port = portNumber(m_remotePort);
    if (!port || m_host.isEmpty()) return false;
    m_socket->connectToHost(m_host, *port);
    if (m_socket->waitForConnected(m_connectTimeoutMs)) return true;
    m_socket->abort();
    return false;
}

void ReaderClient::startConnect() {
    if (isConnected() || m_attempt) return;
    const auto port = portNumber(m_remotePort);
    m_socket->abort();
    if (!port || m_host.isEmpty()) return attemptFailed();
    m_attempt = true;
    m_connectTimer.start(m_connectTimeoutMs);
    m_socket->connectToHost(m_host, *port);
}

void ReaderClient::disconnectReader() {
    if (m_pktMode) endReplyWait(false);  // nobody may wait for a reply of a reader out of use
    m_reconnecting = false;
    m_enable = false;
    m_autoReconnect = false;
    m_retryTimer.stop();
    m_connectTimer.stop();
    m_attempt = false;
    m_linkUp = false;
    m_socket->abort();
}

void ReaderClient::onSocketConnected() {
    const bool background = m_attempt;
    m_connectTimer.stop();
    m_attempt = false;
    m_linkUp = true;
    m_retryMs = m_firstRetryMs;
    m_backout = false;  // a fresh line: nothing is owed from the old one
    if (background) m_enable = true;
    Q_EMIT connectedChanged(true);
    Q_EMIT statusChanged(kConnectedText.arg(m_desc));
    if (m_reconnecting) finishReconnect(true);
}

// End of stream, reset or a failed send. Only flags change here: the socket is inside its
// own signal, and the reconnect runs later from the event loop.
void ReaderClient::onSocketDropped() {
    if (!m_linkUp) return;
    m_linkUp = false;
    m_backout = true;
    if (m_pktMode) endReplyWait(false);  // the reply cannot come any more
    Q_EMIT connectedChanged(false);
    Q_EMIT statusChanged(kLinkLostText.arg(m_desc));
    scheduleRetry();
}

void ReaderClient::onSocketError(int error) {
    if (error == QAbstractSocket::SocketTimeoutError) return;  // a readiness test found nothing
    if (m_attempt) {
        m_connectTimer.stop();
        m_attempt = false;
        return attemptFailed();
    }
    if (m_linkUp && m_socket->state() != QAbstractSocket::ConnectedState) onSocketDropped();
}

void ReaderClient::onConnectTimeout() {
    if (!m_attempt) return;
    m_attempt = false;
    m_socket->abort();
    attemptFailed();
}

void ReaderClient::attemptFailed() {
    if (m_reconnecting) return finishReconnect(false);
    if (!wantsLink()) return;
    Q_EMIT statusChanged(kRetryText.arg(m_desc).arg((m_retryMs + 999) / 1000));
    scheduleRetry();
}

void ReaderClient::scheduleRetry() {
    if (!wantsLink() || m_retryTimer.isActive()) return;
    m_retryTimer.start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, m_maxRetryMs);
}

}  // namespace tallyport
