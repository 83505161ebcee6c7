#include "readers/reader_bank.h"

#include "store/messages.h"

namespace tallyport {
namespace {

const QString kControlPinKey = QStringLiteral("CONTROLPIN");

struct ReaderRow {
    int portNo = 0;
    bool enable = false;
    QString ipaddr, ipport, desc;
    int mode = 0, lockTime = 0;
    bool capture = false;
};

// The reader rows in table order.
Result<std::vector<ReaderRow>> readRows(Database& src) {
    return src.query(
        QStringLiteral("SELECT PortNo, enable, ipaddr, ipport, \"desc\", mode, locktime, "
                       "capture FROM reader ORDER BY rowid"),
        [](const Statement& st) {
            return ReaderRow{st.integer(0),        st.yesNo(1), st.text(2).trimmed(),
                             st.text(3).trimmed(), st.text(4),  st.integer(5),
                             st.integer(6),        st.yesNo(7)};
        });
}

bool validAddress(const ReaderRow& r) {
    bool ok = false;
    const int port = r.ipport.toInt(&ok, 10);
    return !r.ipaddr.isEmpty() && ok && port > 0 && port <= 65535;
}

}  // namespace

ReaderBank::ReaderBank(DataModule& data, Operator& op, QObject* parent)
    : QObject(parent), m_data(data), m_op(op) {
    for (int port = 1; port <= 8; ++port) {
        m_readers[size_t(port - 1)] = std::make_unique<ReaderClient>();
        attach(port);
    }
    m_poll.setInterval(kPollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &ReaderBank::pollAll);
    m_poll.start();
}

// Polling stops before the clients go, so no tick reaches a freed client.
ReaderBank::~ReaderBank() {
    m_poll.stop();
    for (auto& r : m_readers) r->disconnectReader();
}

void ReaderBank::attach(int port) {
    ReaderClient& r = reader(port);
    r.setPortNo(port);
    r.setDesc(QStringLiteral("COM%1").arg(port));
    r.setControlPinProvider(
        [this] { return m_data.isOpen() ? m_data.GetKeyInt(kControlPinKey) : 0; });
    connect(&r, &ReaderClient::OnCardCode, this, &ReaderBank::cardCode);
    connect(&r, &ReaderClient::OnBypass, this, &ReaderBank::bypass);
    connect(&r, &ReaderClient::OnPowerup, this, &ReaderBank::powerup);
    // A frame is handled when it arrives, not up to a poll interval later; queued, so the
    // socket's own signal has returned before the client reads.
    connect(&r, &ReaderClient::inputArrived, &r, &ReaderClient::Poll, Qt::QueuedConnection);
    connect(&r, &ReaderClient::statusChanged, this,
            [this, port](const QString& text) { Q_EMIT readerStatus(port, text); });
    connect(&r, &ReaderClient::connectedChanged, this, [this, port](bool connected) {
        if (connected) Q_EMIT readerConnected(port);
    });
}

void ReaderBank::pollAll() {
    for (auto& r : m_readers) r->Poll();
}

void ReaderBank::ConfigureReaders(bool link) {
    if (!m_data.isOpen()) return m_op.error(msg::ReformatDatabase);
    const auto rows = readRows(m_data.src());
    if (!rows) return m_op.errorDetail(msg::ReformatDatabase, rows.error().text);
    if (rows->size() != 8) return m_op.error(msg::ReformatDatabase);
    for (int port = 1; port <= 8; ++port) ConfigureReader(port, link);
}

bool ReaderBank::ConfigureReader(int port, bool link) {
    if (!validPort(port) || !m_data.isOpen()) return false;
    const auto rows = readRows(m_data.src());
    if (!rows) {
        m_data.reportFailure(rows.error());
        return false;
    }
    const auto row = std::find_if(rows->begin(), rows->end(),
                                  [port](const ReaderRow& r) { return r.portNo == port; });
    if (row == rows->end()) return false;
    ReaderClient& r = reader(port);
    r.disconnectReader();
    r.setPortNo(port);
    r.setDesc(row->desc);
    r.setMode(row->mode);
    r.setLockTime(row->lockTime);
    r.setAPB(false);
    r.setCapture(row->capture);
    r.setRemoteHost(row->ipaddr);
    r.setRemotePort(row->ipport);
    // Enable comes true when the connection stands; until then the reader is retried.
    const bool wanted = link && row->enable && validAddress(*row);
    r.setAutoReconnect(wanted);
    if (wanted) r.startConnect();
    return true;
}

void ReaderBank::DisconnectReaders() {
    for (auto& r : m_readers) r->disconnectReader();
}

}  // namespace tallyport
