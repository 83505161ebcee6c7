#pragma once

#include "base/error.h"
#include "store/sqlcipher_db.h"

#include <QString>

namespace tallyport {

// The spool's file in the data folder, keyed like the log.
inline const QString kLogSpoolFile = QStringLiteral("attend-spool.db");

// A card event that finds the log's write lock held by a long job of the console (an import's
// batch, a download, an erase) is stored here instead of waiting behind it: a small file of
// log rows beside the log, synced at every row as the log is, and moved into the log as soon
// as its lock is free. A row here is stored: a crash keeps it, and the next start moves it.
class LogSpool {
public:
    // Opens the spool, making it when missing.
    Result<void> open(const QString& path);
    void close();
    bool isOpen() const { return m_db.isOpen(); }
    // Rows waiting to be moved into the log.
    qint64 pending() const { return m_pending; }

    Result<void> add(const QString& sysTime, int card, int mode, int reader, int lock);

    // Moves every waiting row into `log`, in the order they came, in one transaction of `log`
    // that waits at most `waitMs` for its write lock; the rows moved (0 when the lock stayed
    // held). A row moved before a crash (or a failure) kept the spool from forgetting it is not
    // added a second time.
    Result<qint64> moveInto(Database& log, int waitMs);

    LogSpool() = default;
    LogSpool(const LogSpool&) = delete;
    LogSpool& operator=(const LogSpool&) = delete;
    ~LogSpool();

private:
    void setPending(qint64 n);

    Database m_db;
    qint64 m_pending = 0;
    // Rows may be in the log already: after a start (a crash between the log's commit and the
    // spool's), or after the spool could not forget the rows it moved.
    bool m_mayBeMoved = true;
};

// Whether a spool of this process holds rows: a long job that leaves the log's lock to the
// live recording waits for them to be moved.
bool logSpoolPending();

}  // namespace tallyport
