#pragma once

#include "admin/task.h"
#include "base/error.h"
#include "readers/protocol.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tallyport {

struct DownloadCounts {
    int added = 0;
    int duplicated = 0;
    int invalid = 0;
    int taken() const { return added + duplicated + invalid; }
};

class Database;

// Merges valid records into the log: a record whose time and card are already in the log (or
// earlier in the same batch) is a duplicate and is not added again. One batch is one short
// transaction; `added` and `duplicated` grow as batches are written.
class LogMerger {
public:
    LogMerger(Database& att, int port) : m_att(att), m_port(port) {}
    Result<void> merge(const std::vector<readers::LogRecord>& batch, DownloadCounts& counts);

private:
    Database& m_att;
    int m_port;
};

// Writes a download's records into the log from a thread of its own, on a connection of its
// own, in transactions of a few thousand rows at most: the exchanges with the reader go on
// meanwhile, and the user-interface thread's own writes (live card events of the other
// readers) wait at most for one such transaction. The connection is opened with the first
// batch and closed when the writer goes. Call everything but the thread's own work from the
// thread that made the writer.
class LogWriter : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxTransactionRows = 2048;

    LogWriter(QString logPath, QByteArray key, int port);
    ~LogWriter() override;  // waits for the batch being written

    void submit(std::vector<readers::LogRecord> batch);
    // Ends once every batch submitted so far is written, or one failed.
    Task<void> drained();
    const DownloadCounts& counts() const { return m_counts; }  // added and duplicated
    const std::optional<Error>& failure() const { return m_failure; }

Q_SIGNALS:
    void batchDone();

private:
    void run();
    void done(DownloadCounts counts, std::optional<Error> failure);

    QString m_path;
    QByteArray m_key;
    int m_port;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::vector<readers::LogRecord>> m_queue;  // guarded by m_mutex
    bool m_stop = false;                                  // guarded by m_mutex
    std::thread m_thread;
    // The user-interface thread's view.
    int m_outstanding = 0;
    DownloadCounts m_counts;
    std::optional<Error> m_failure;
};

}  // namespace tallyport
