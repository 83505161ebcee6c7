#pragma once

#include "base/error.h"
#include "store/work_steps.h"

#include <QDate>
#include <QString>
#include <functional>

namespace tallyport {

// Which log rows Erase Log Database takes.
struct EraseScope {
    bool all = true;
    QDate before;  // with `all` false: the rows dated before this day, whatever their time
};

// Keeps a copy of the file an erase is about to change, once it is known that rows will go
// and before any does; answers the copy's path. An erase whose copy failed changes nothing.
using KeepCopy = std::function<Result<QString>()>;

// Deletes the rows of the scope, oldest first, each with its snapshot file, in short
// batches on a connection of its own, so the live recording goes on meanwhile; only rows the
// log held when it began, and that `keep`'s copy holds, are taken. A row's snapshot goes once
// its deletion is committed. The number of rows deleted; a stop keeps the batches done.
Result<qint64> eraseLogRows(const QString& logPath, const QString& photoFolder,
                            const EraseScope& scope, const WorkSteps& step = {},
                            const KeepCopy& keep = {});

// Deletes every card holder in short batches, after `keep`; groups, readers, the log and every
// other table stay. The number of holders deleted.
Result<qint64> eraseStaffRows(const QString& systemPath, const WorkSteps& step = {},
                              const KeepCopy& keep = {});

// "yyMMdd-HHmmss-CARD.jpg", the name of a row's snapshot file, from its stored time text.
QString snapshotNameOf(const QString& sysTime, int cardNo);

}  // namespace tallyport
