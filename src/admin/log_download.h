#pragma once

#include "admin/log_writer.h"
#include "admin/task.h"
#include "base/error.h"
#include "readers/protocol.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace tallyport {

class Progress;
class ReaderExchange;

// "Added = a, Duplicated = d, Invalid = i"
QString summaryText(const DownloadCounts& c);

enum class DownloadEnd {
    Done,           // summary shown
    NothingStored,  // "No record to download."
    Unreliable,     // two capacity reads differed
    Failed,         // an exchange failed and said so
    StoreFailed,    // a batch could not be written: "Database Error."
    Cancelled,      // Cancel in the progress window
    NotCleared,     // clearing was asked, but not all the reader announced was read: kept
};

struct DownloadResult {
    DownloadEnd end = DownloadEnd::Failed;
    DownloadCounts counts;
};

struct DownloadRequest {
    QString logPath;  // the log's file and key: the rows are written on a connection of their own
    QByteArray logKey;
    int port = 0;  // READER of the rows
    bool clearAfter = false;
    // The progress window for `count` announced records; none when empty.
    std::function<std::unique_ptr<Progress>(int count)> openProgress;
};

// The download shared by the Access Manager, the command line and the automatic download:
// lock, two capacity reads that must agree, blocks until the sequence bits break (2048 at
// most), the rows merged by a LogWriter while the next blocks are read, the records cleared
// when asked, unlock. The reader is cleared only once every row is in, the records taken are
// as many as it announced, and a third capacity read finds mark and count unchanged;
// otherwise it keeps its records and the summary comes with "N of M records read; the reader
// was not cleared." Messages go to the exchange's operator (none for the automatic download).
Task<DownloadResult> downloadLogs(ReaderExchange& ex, DownloadRequest request);

}  // namespace tallyport
