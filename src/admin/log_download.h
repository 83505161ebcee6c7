#pragma once

#include "admin/task.h"
#include "base/error.h"
#include "readers/protocol.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace tallyport {

class Database;
class Progress;
class ReaderExchange;

struct DownloadCounts {
    int added = 0;
    int duplicated = 0;
    int invalid = 0;
    int taken() const { return added + duplicated + invalid; }
};
// "Added = a, Duplicated = d, Invalid = i"
QString summaryText(const DownloadCounts& c);

// Merges a reader's stored records into the log, a batch at a time in one short transaction:
// a record whose time and card are already in the log is a duplicate and is not added again.
// The caller writes between two reader exchanges, so a batch never spans a turn of the event
// loop and live card events stay in transactions of their own.
class LogMerger {
public:
    static constexpr int kBatch = 1024;

    LogMerger(Database& att, int port) : m_att(att), m_port(port) {}
    // Takes a record; an invalid one is counted at once.
    void take(const readers::LogRecord& r);
    bool batchFull() const { return int(m_pending.size()) >= kBatch; }
    // Writes what is pending; on failure nothing of this batch is in the log.
    Result<void> flush();
    const DownloadCounts& counts() const { return m_counts; }

private:
    Database& m_att;
    int m_port;
    std::vector<readers::LogRecord> m_pending;
    DownloadCounts m_counts;
};

enum class DownloadEnd {
    Done,           // summary shown
    NothingStored,  // "No record to download."
    Unreliable,     // two capacity reads differed
    Failed,         // an exchange failed and said so
    StoreFailed,    // a batch could not be written: "Database Error."
    Cancelled,      // Cancel in the progress window
};

struct DownloadResult {
    DownloadEnd end = DownloadEnd::Failed;
    DownloadCounts counts;
};

struct DownloadRequest {
    Database& att;
    int port = 0;  // READER of the rows
    bool clearAfter = false;
    // The progress window for `count` announced records; none when empty.
    std::function<std::unique_ptr<Progress>(int count)> openProgress;
};

// The download shared by the Access Manager, the command line and the automatic download:
// lock, two capacity reads that must agree, blocks until the sequence bits break (2048 at
// most), the rows merged, the records cleared when asked, unlock. Messages go to the
// exchange's operator (none for the automatic download).
Task<DownloadResult> downloadLogs(ReaderExchange& ex, DownloadRequest request);

}  // namespace tallyport
