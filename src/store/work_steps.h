#pragma once

#include "base/error.h"
#include "base/long_work.h"
#include "base/operator.h"
#include "store/sqlcipher_db.h"

#include <QString>
#include <functional>
#include <optional>

namespace tallyport {

// How far a long job of the store is: `done` of `total` units. Answering false stops it.
using WorkSteps = std::function<bool(qint64 done, qint64 total)>;

// The steps of a job running on a worker: they move its bar and hear its Cancel.
inline WorkSteps stepsOf(WorkContext& work) {
    return [&work](qint64 done, qint64 total) {
        work.setProgress(done, total);
        return !work.cancelled();
    };
}

// After a batch that held a live file's write lock for `heldMs`, a worker leaves the lock to
// the live recording: for a few milliseconds, and for as long as the recording goes on
// committing rows (up to four batches' time), so card events that queued up behind the batch
// are stored before the next one. A long job runs at full speed while the readers are quiet
// and gives way while they are busy. True when the recording committed meanwhile.
bool yieldToLiveWriter(Database& db, qint64 heldMs);

// Runs a job of the store on a worker behind a progress window named `caption`. A failure is
// said as `failure` with the engine's or the system's reason under it. Nothing when it failed
// or was cancelled (then nothing is said).
template <typename T, typename Job>
std::optional<T> runStoreJob(Operator& op, const QString& caption, const QString& failure,
                             Job&& job) {
    auto done = runLongWork<Result<T>>(
        op, caption, [&](WorkContext& work) -> Result<Result<T>> { return job(work); });
    if (!done) return std::nullopt;  // cancelled, or an escaped exception already said
    if (!*done) {
        op.errorDetail(failure, done->error().text);
        return std::nullopt;
    }
    return std::move(**done);
}

}  // namespace tallyport
