#pragma once

#include "base/error.h"
#include "store/work_steps.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tallyport {

// What a restore, a format or an erase replaces or removes is first kept here, in the data
// folder, for as long as the next few such changes: a file to take back with a restore.
inline const QString kReplacedFolder = QStringLiteral("replaced");
inline constexpr int kReplacedKept = 3;  // of each kind

// The name of the copy of `liveFile` ("attend.db") made at `when`: "attend-20240305-171502.db".
QString replacedCopyName(const QString& liveFile, const QDateTime& when);

// Whether a live file that does not open whole may be kept byte for byte instead. Only when
// nothing has it open: a file being written is never copied byte for byte.
enum class DamagedLive { Refuse, KeepBytes };

// Keeps a copy of the live database `live` (keyed with `key`) in the replaced folder beside it,
// named after its kind and `when` (a later name when that one is taken). The copy is taken
// through the engine and checked like a backup, and is in place before this answers. A live
// file that is missing leaves nothing to keep: the answer is empty. With KeepBytes, a live
// file that does not open whole is kept as its bytes, with its write-ahead file. A failure
// means that no copy is there, and the caller changes nothing.
Result<QString> keepReplacedCopy(const QString& live, const QByteArray& key, const QDateTime& when,
                                 DamagedLive damaged, const WorkSteps& step = {});

// Removes the oldest copies of the kind of `liveFile` but the newest kReplacedKept; `justMade`
// stays whatever its name says (a clock set back would otherwise make it the oldest).
void pruneReplacedCopies(const QString& dataFolder, const QString& liveFile,
                         const QString& justMade = {});

}  // namespace tallyport
