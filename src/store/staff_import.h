#pragma once

#include "base/operator.h"
#include "store/work_steps.h"

#include <QString>

namespace tallyport {

class DataModule;

// What an import of card holders did, counting committed rows only.
struct StaffImportCounts {
    qint64 groupsAdded = 0;
    qint64 staffAdded = 0;
    qint64 duplicated = 0;  // the card was registered already
    qint64 errors = 0;      // holders that could not be stored
};

struct StaffImport {
    StaffImportCounts counts;
    bool foreignUnreadable = false;  // the foreign file could not be opened or read
    QString failure;                 // why the import ended before its end; empty otherwise
};

// Adds the card holders of the foreign system database at `foreignPath` to the one at
// `livePath`, in card order. A known card is left as it is, whatever its name or photo. A
// holder's work group is found by name (letter case aside, the same spelling first); a group
// that is not there is created once, with the foreign group's hours, and one that cannot be
// created gives way to the default group. Names are not checked here. Committed in short
// batches on a connection of its own; `out` follows every commit.
void importStaffRows(const QString& foreignPath, const QString& livePath, StaffImport& out,
                     const WorkSteps& step = {});

// "Group Added = n records" when not zero, "Staff Added = n records", then "Duplicated = …" and
// "Error = …" when not zero; each line ends with a line feed and a carriage return.
QString staffImportSummary(const StaffImportCounts& counts);

// Import Staff Records: the file chooser on "SysDbLastIn", then importStaffFrom.
bool ImportStaffRecords(DataModule& data, Operator& op);
// Checks the file with the system key, imports it on a worker behind a progress window and
// shows the summary. `remember` stores the file as "SysDbLastIn". True when it ran to its end.
bool importStaffFrom(DataModule& data, Operator& op, const QString& path, bool remember);

}  // namespace tallyport
