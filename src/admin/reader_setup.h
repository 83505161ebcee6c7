#pragma once

#include "admin/task.h"
#include "base/error.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tallyport {

class Database;
class Operator;
class ReaderBank;
class ReaderClient;
class DataModule;

// A row of table `reader`.
struct ReaderRow {
    int portNo = 0;
    bool enable = false;
    QString ipaddr;
    int ipport = 0;
    QString desc;
    int mode = 0;
    int lockTime = 0;
    int outport = 0;
    int bpport = 0;
    bool apb = false;
    int motion = 0;
};
// The rows in table order.
Result<std::vector<ReaderRow>> readReaderRows(Database& src);

// What the reader editor changes of a row.
struct ReaderEdit {
    bool enable = true;
    QString ipaddr;
    int ipport = 1668;
    QString desc;
    int mode = 0;
    int lockTime = 0;
};

// What a person is told of a reader's link, in the Reader Setup's State column and the status
// bar's indicator: a row not enabled, connected, waiting for the next try, or not connected;
// `reason` is why the last connect or line failed.
enum class ReaderLinkKind { Disabled, Connected, Retrying, NotConnected };
struct ReaderLinkState {
    ReaderLinkKind kind = ReaderLinkKind::Disabled;
    QString text;
    QString reason;
};
ReaderLinkState readerLinkState(const ReaderClient& r, bool rowEnabled);

// "3 readers found, 5 not answering": the end of Scan All.
QString scanSummary(int found, int silent);

// A change of one row from the command line: only what is given changes. The checks are the
// editor's: an address that names a host and a TCP port 1..65535 before a row is enabled, a
// mode 0..2, a blank description stored as "COM" and the port.
struct ReaderRowChange {
    std::optional<QString> ipaddr;
    std::optional<int> ipport;
    std::optional<int> mode;
    std::optional<QString> desc;
    std::optional<bool> enable;
};
// The row as stored after the change; nothing is stored when a check refuses.
Result<ReaderRow> changeReaderRow(Database& src, int port, const ReaderRowChange& change);

// The reader setup: edits of the `reader` rows reach the running clients at once, Scan All
// probes every reader, and the ports touched are remembered so that the console configures
// them afresh when the setup closes.
class ReaderSetup {
public:
    ReaderSetup(DataModule& data, ReaderBank& bank, Operator& op);

    // Port p's flag is changed()[p - 1].
    const std::array<bool, 8>& changed() const { return m_changed; }

    // Before the editor opens: the client reconnected without a message, then the row as
    // stored; nothing (said) when it cannot be read.
    Task<std::optional<ReaderEdit>> beginEdit(int port);
    // After OK: the row stored as edited (a blank description becomes "COM" and the port,
    // the address as typed), the client given the row's values and, when enabled, connected
    // again with the message on failure.
    Task<void> finishEdit(int port, ReaderEdit edit);
    // After "This action may take several minutes. Are you sure to proceed?": each client
    // in port order reconnected without a message and its row's `enable` set to the outcome;
    // `showing` gets each reader's address first. False when not confirmed.
    // The counts of readers found and not answering are foundInScan().
    Task<bool> ScanAll(std::function<void(const QString& host)> showing);
    std::pair<int, int> foundInScan() const { return m_scanCounts; }

private:
    Result<void> storeRow(int port, const ReaderEdit& e);
    Result<void> storeEnable(int port, bool enable);
    void copyIntoClient(int port);
    void mark(int port);

    DataModule& m_data;
    ReaderBank& m_bank;
    Operator& m_op;
    std::array<bool, 8> m_changed{};
    std::pair<int, int> m_scanCounts{};
};

// After the setup: every changed port taken out of use and configured afresh from its row,
// in port order.
void reconfigureChanged(ReaderBank& bank, const std::array<bool, 8>& changed);

}  // namespace tallyport
