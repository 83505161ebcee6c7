#include "store/work_steps.h"

#include "store/log_spool.h"

#include <QElapsedTimer>
#include <chrono>
#include <thread>

namespace tallyport {
namespace {

// Long enough for a card event that waits for the lock to take it: the live recording polls
// for it every millisecond.
constexpr auto kPause = std::chrono::milliseconds(5);
// The longest a batch waits for the spool of the live recording to be emptied.
constexpr qint64 kSpoolWaitMs = 100;

// Changes whenever another connection commits to the file.
qint64 dataVersion(Database& db) {
    const auto v = db.scalarInt(QStringLiteral("PRAGMA data_version"));
    return v ? v->value_or(0) : 0;
}

}  // namespace

bool yieldToLiveWriter(Database& db) {
    const qint64 first = dataVersion(db);
    std::this_thread::sleep_for(kPause);
    QElapsedTimer waited;
    waited.start();
    while (logSpoolPending() && waited.elapsed() < kSpoolWaitMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return dataVersion(db) != first;
}

}  // namespace tallyport
