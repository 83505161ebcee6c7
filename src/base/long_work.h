#pragma once

// Long work off the user-interface thread.
//
// The user-interface thread reads the readers: a card frame must become a stored row within
// milliseconds whatever else the console does. So every piece of work that takes longer than a
// moment (building and laying out a report, printing it, exports, imports, backups, log
// downloads) runs through runLongWork():
//
//   auto pages = runLongWork<ReportDocument>(op, caption, [=](WorkContext& work) {
//       auto db = Database::open(path, key, Database::Mode::ReadOnly);  // its own connection
//       ...
//       work.setProgress(done, total);
//       if (work.cancelled()) return ...;  // anything: a cancelled result is dropped
//   });
//   if (!pages) return;  // cancelled, or failed and already shown
//
// The function runs on a worker thread. The calling thread runs a local event loop meanwhile,
// so reader polling, reply timers and card events go on; the operator's progress window stays
// live, is modal (no second command can start) and offers Cancel.
//
// What the worker may touch: its own copies of the values it needs, connections it opens
// itself (read-only for readers of the store; a writer commits in short batches on its own
// connection), paint devices that no other thread uses (QImage, QPrinter, QPdfWriter), and the
// WorkContext. Never an object of the user-interface thread: no widget, no Operator, no
// connection of the data module, no QObject living there. What the work produces goes back as
// its result, and the caller shows it.
//
// The work checks cancelled() often (every person, every few thousand lines, every page), so
// Cancel and a shutdown are answered within a moment.
//
// Cancelling is a normal outcome: the result says cancelled() and nothing is shown. A failure's
// text is shown to the operator (Operator::error) before the result is handed back. When the
// application quits while work runs (the window closed, SIGTERM), the local loop ends, the work
// is cancelled and waited for, and the result is cancelled: the caller then unwinds as after
// Cancel and the shutdown goes on in order.

#include "base/error.h"
#include "base/operator.h"

#include <QString>
#include <atomic>
#include <exception>
#include <functional>
#include <optional>

namespace tallyport {

// The worker's side of a long work: whether to stop, and how far it is. Safe to call from the
// worker while the user-interface thread reads it.
class WorkContext {
public:
    bool cancelled() const {
        return m_cancelled.load(std::memory_order_relaxed) && !m_runsToEnd.load();
    }
    // From here on the work runs to its end whatever is asked (it replaces a file: stopping
    // half-way is not possible, and dropping its result would hide what it did): Cancel is
    // not heard, and the result is handed back.
    void runToEnd() { m_runsToEnd.store(true); }
    // `done` of `total` steps of the current part (see setPart).
    void setProgress(qint64 done, qint64 total);
    // The share of the whole bar, in percent, that the next setProgress calls fill: a work of
    // several parts (build, then lay out) moves the bar once from 0 to 100.
    void setPart(int fromPercent, int toPercent);

    // The runner's side.
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    int percent() const { return m_percent.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_runsToEnd{false};
    std::atomic<int> m_percent{0};
    int m_from = 0;
    int m_to = 100;
};

// What a long work handed back: its Result, or cancelled (then also an error, with the text
// kWorkCancelled, which is never shown).
inline const QString kWorkCancelled = QStringLiteral("Cancelled.");

template <typename T>
class WorkResult : public Result<T> {
public:
    explicit WorkResult(Result<T> r) : Result<T>(std::move(r)) {}
    static WorkResult makeCancelled() {
        WorkResult r{Result<T>(fail(kWorkCancelled))};
        r.m_cancelled = true;
        return r;
    }
    bool cancelled() const { return m_cancelled; }

private:
    bool m_cancelled = false;
};

namespace long_work_detail {
// Runs `body` on a new thread and returns when it has ended; the calling thread's loop runs
// meanwhile. False when the work was cancelled.
bool runOnWorker(Operator& op, const QString& caption,
                 const std::function<void(WorkContext&)>& body);
// The text of an exception that escaped a work: shown like any failure.
QString escapedText(const std::exception_ptr& e);
}  // namespace long_work_detail

// Runs `work` on a worker thread with a progress window named `caption` (the operator's
// workProgress), and hands its result back. Call it from the user-interface thread.
template <typename T, typename Work>
WorkResult<T> runLongWork(Operator& op, const QString& caption, Work&& work) {
    std::optional<Result<T>> out;
    const bool finished = long_work_detail::runOnWorker(op, caption, [&](WorkContext& context) {
        try {
            out.emplace(work(context));
        } catch (...) {
            out.emplace(fail(long_work_detail::escapedText(std::current_exception())));
        }
    });
    if (!finished || !out) return WorkResult<T>::makeCancelled();
    if (!*out) op.error(out->error().text);
    return WorkResult<T>(std::move(*out));
}

}  // namespace tallyport
