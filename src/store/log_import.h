#pragma once

#include "base/operator.h"
#include "store/work_steps.h"

#include <QString>

namespace tallyport {

class DataModule;

// What an import of log rows did, counting committed rows only.
struct LogImportCounts {
    qint64 added = 0;
    qint64 duplicated = 0;  // a row with the same whole-second time and card was there
    qint64 errors = 0;      // rows that are no rows of a log, and are not stored
};

struct LogImport {
    LogImportCounts counts;
    bool foreignUnreadable = false;  // the foreign file could not be opened or read
    QString failure;                 // why the import ended before its end; empty otherwise
};

// Adds the rows of the foreign log at `foreignPath` to the log at `livePath`, in time order.
// A row's time is taken to whole seconds; a row whose (time, card) the log already holds,
// also one added earlier in this run, is a duplicate and left out. A row whose time is not a
// real date and time of the form "YYYY-MM-DD HH:MM:SS[.zzz]", or whose card, mode, reader or
// lock is not an integer in its range, is an error. Every row read is counted once: added +
// duplicated + errors is the number of foreign rows. Rows are committed in short
// batches on a connection of its own while the live recording goes on; `out` follows every
// commit, so an import stopped part-way keeps, and counts, what it added.
void importLogRows(const QString& foreignPath, const QString& livePath, LogImport& out,
                   const WorkSteps& step = {});

// "Added = n records", then "Duplicated = …" and "Error = …" when not zero; each line ends
// with a line feed and a carriage return.
QString logImportSummary(const LogImportCounts& counts);

// Import Log Records: the file chooser on "LogDbLastIn", then importLogFrom.
bool ImportLogRecords(DataModule& data, Operator& op);
// Checks the file with the log key, imports it on a worker behind a progress window and shows
// the summary. `remember` stores the file as "LogDbLastIn". True when it ran to its end.
bool importLogFrom(DataModule& data, Operator& op, const QString& path, bool remember);

}  // namespace tallyport
