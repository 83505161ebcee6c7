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

// After a batch that held a live file's write lock, a worker leaves the lock to the live
// recording for a few milliseconds: a card event that waits takes it, and the card events the
// batch sent to the spool of this process go into the log. True when the recording committed
// meanwhile: the worker then keeps its batches short, so what is spooled waits little.
bool yieldToLiveWriter(Database& db);

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
