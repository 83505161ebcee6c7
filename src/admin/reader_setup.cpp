#include "admin/reader_setup.h"

#include "admin/admin_texts.h"
#include "admin/reader_exchange.h"
#include "base/operator.h"
#include "readers/reader_bank.h"
#include "readers/reader_client.h"
#include "store/data_module.h"
#include "store/log_texts.h"
#include "store/messages.h"

namespace tallyport {

Result<std::vector<ReaderRow>> readReaderRows(Database& src) {
    return src.query(QStringLiteral("SELECT PortNo, enable, ipaddr, ipport, \"desc\", mode, "
                                    "locktime, outport, bpport, apb, motion FROM reader "
                                    "ORDER BY rowid"),
                     [](const Statement& st) {
                         return ReaderRow{st.integer(0), st.yesNo(1),   st.text(2),
                                          st.integer(3), st.text(4),    st.integer(5),
                                          st.integer(6), st.integer(7), st.integer(8),
                                          st.yesNo(9),   st.integer(10)};
                     });
}

namespace {

std::optional<ReaderRow> rowOf(const std::vector<ReaderRow>& rows, int port) {
    for (const ReaderRow& r : rows)
        if (r.portNo == port) return r;
    return std::nullopt;
}

// Closes and connects again, waiting without blocking; true when connected.
Task<bool> reconnect(ReaderClient& r) {
    co_await nextSignal(&r, &ReaderClient::reconnectEnded, [&r] { r.beginReconnect(); });
    co_return r.isConnected();
}

}  // namespace

ReaderLinkState readerLinkState(const ReaderClient& r, bool rowEnabled) {
    if (r.isConnected()) return {ReaderLinkKind::Connected, admin_text::LinkConnected, {}};
    if (!rowEnabled) return {ReaderLinkKind::Disabled, admin_text::LinkDisabled, {}};
    const QString reason = r.linkError();
    if (const int ms = r.retryInMs(); ms >= 0)
        return {ReaderLinkKind::Retrying, admin_text::LinkRetrying.arg((ms + 999) / 1000), reason};
    return {ReaderLinkKind::NotConnected, admin_text::LinkDown, reason};
}

QString scanSummary(int found, int silent) {
    return admin_text::ScanSummary.arg(found).arg(silent);
}

Result<ReaderRow> changeReaderRow(Database& src, int port, const ReaderRowChange& c) {
    if (!ReaderBank::validPort(port)) return fail(admin_text::ReaderPortRange);
    const auto rows = readReaderRows(src);
    if (!rows) return std::unexpected(rows.error());
    auto row = rowOf(*rows, port);
    if (!row) return fail(msg::ReformatDatabase);
    if (c.ipaddr) row->ipaddr = c.ipaddr->trimmed();
    if (c.ipport) row->ipport = *c.ipport;
    if (c.mode) row->mode = *c.mode;
    if (c.desc) row->desc = c.desc->trimmed();
    if (c.enable) row->enable = *c.enable;
    if (row->desc.isEmpty()) row->desc = QStringLiteral("COM%1").arg(port);
    if (row->mode < ModeClock || row->mode > ModeOut) return fail(admin_text::ReaderModeRange);
    if (row->enable && (row->ipaddr.isEmpty() || row->ipport < 1 || row->ipport > 65535))
        return fail(admin_text::EnableNeedsAddress.arg(port));
    const auto stored =
        src.run(QStringLiteral("UPDATE reader SET ipaddr = ?, ipport = ?, enable = ?, mode = ?, "
                               "\"desc\" = ? WHERE PortNo = ?"),
                row->ipaddr, row->ipport, row->enable, row->mode, row->desc, port);
    if (!stored) return std::unexpected(stored.error());
    return *row;
}

ReaderSetup::ReaderSetup(DataModule& data, ReaderBank& bank, Operator& op)
    : m_data(data), m_bank(bank), m_op(op) {}

void ReaderSetup::mark(int port) {
    if (ReaderBank::validPort(port)) m_changed[size_t(port - 1)] = true;
}

Task<std::optional<ReaderEdit>> ReaderSetup::beginEdit(int port) {
    if (!ReaderBank::validPort(port)) co_return std::nullopt;
    ReaderClient& r = m_bank.reader(port);
    const auto rows = readReaderRows(m_data.src());
    if (!rows) {
        m_op.errorDetail(msg::DatabaseError, rows.error().text);
        co_return std::nullopt;
    }
    const auto row = rowOf(*rows, port);
    if (!row) co_return std::nullopt;
    // A row that is not in use has nothing to connect: trying would only report a failure
    // nobody asked about.
    if (row->enable) {
        co_await whenFree(r);
        ReaderHold hold(r);
        co_await reconnect(r);
    }
    co_return ReaderEdit{row->enable, row->ipaddr, row->ipport,
                         row->desc,   row->mode,   row->lockTime};
}

Result<void> ReaderSetup::storeRow(int port, const ReaderEdit& e) {
    return m_data.src().run(
        QStringLiteral("UPDATE reader SET ipaddr = ?, ipport = ?, enable = ?, mode = ?, "
                       "\"desc\" = ?, locktime = ? WHERE PortNo = ?"),
        e.ipaddr, e.ipport, e.enable, e.mode, e.desc, e.lockTime, port);
}

// The client follows the row as it is stored, also when storing the edit failed.
void ReaderSetup::copyIntoClient(int port) {
    const auto rows = readReaderRows(m_data.src());
    if (!rows) return m_data.reportFailure(rows.error());
    const auto row = rowOf(*rows, port);
    if (!row) return;
    ReaderClient& r = m_bank.reader(port);
    r.setEnable(row->enable);
    r.setDesc(row->desc);
    r.setMode(row->mode);
    r.setLockTime(row->lockTime);
    r.setRemoteHost(row->ipaddr.trimmed());
    r.setRemotePort(QString::number(row->ipport));
    r.setAutoReconnect(row->enable);
    if (row->ipaddr.trimmed().isEmpty() || row->ipport <= 0 || row->ipport > 65535)
        r.setEnable(false);
}

Task<void> ReaderSetup::finishEdit(int port, ReaderEdit edit) {
    if (!ReaderBank::validPort(port)) co_return;
    mark(port);
    if (edit.desc.trimmed().isEmpty()) edit.desc = QStringLiteral("COM%1").arg(port);
    if (const auto stored = storeRow(port, edit); !stored)
        m_op.errorDetail(msg::DatabaseError, stored.error().text);
    copyIntoClient(port);
    ReaderClient& r = m_bank.reader(port);
    if (!r.Enable()) co_return;
    co_await whenFree(r);
    ReaderHold hold(r);
    if (const bool ok = co_await reconnect(r); !ok) m_op.error(connectFailedText(r.Desc()));
}

Result<void> ReaderSetup::storeEnable(int port, bool enable) {
    return m_data.src().run(QStringLiteral("UPDATE reader SET enable = ? WHERE PortNo = ?"), enable,
                            port);
}

// Rows are matched to the clients by their port number, whatever order the table keeps.
Task<bool> ReaderSetup::ScanAll(std::function<void(const QString& host)> showing) {
    if (!m_op.confirm(admin_text::ConfirmScan)) co_return false;
    const auto cursor = m_op.waitCursor();
    m_scanCounts = {};
    for (int port = 1; port <= 8; ++port) {
        ReaderClient& r = m_bank.reader(port);
        if (showing) showing(r.remoteHost());
        co_await after(0);  // the status bar shows the address before the connect
        co_await whenFree(r);
        bool connected = false;
        {
            ReaderHold hold(r);
            connected = co_await reconnect(r);
        }
        mark(port);
        const auto rows = readReaderRows(m_data.src());
        if (!rows) {
            m_op.errorDetail(msg::DatabaseError, rows.error().text);
            co_return true;
        }
        if (!rowOf(*rows, port)) continue;
        ++(connected ? m_scanCounts.first : m_scanCounts.second);
        if (const auto stored = storeEnable(port, connected); !stored)
            m_op.errorDetail(msg::DatabaseError, stored.error().text);
    }
    m_op.information(scanSummary(m_scanCounts.first, m_scanCounts.second));
    co_return true;
}

void reconfigureChanged(ReaderBank& bank, const std::array<bool, 8>& changed) {
    for (int port = 1; port <= 8; ++port) {
        if (!changed[size_t(port - 1)]) continue;
        bank.reader(port).disconnectReader();
        bank.ConfigureReader(port);
    }
}

}  // namespace tallyport
