#include "store/work_steps.h"

#include <QElapsedTimer>
#include <chrono>
#include <thread>

namespace tallyport {
namespace {

// A card event is stored within a few milliseconds: a recording quiet for this long has no
// event waiting.
constexpr auto kQuiet = std::chrono::milliseconds(5);

// Changes whenever another connection commits to the file.
qint64 dataVersion(Database& db) {
    const auto v = db.scalarInt(QStringLiteral("PRAGMA data_version"));
    return v ? v->value_or(0) : 0;
}

}  // namespace

bool yieldToLiveWriter(Database& db, qint64 heldMs) {
    QElapsedTimer waited;
    waited.start();
    const qint64 first = dataVersion(db);
    qint64 seen = first;
    std::this_thread::sleep_for(kQuiet);
    while (waited.elapsed() < 4 * heldMs) {
        const qint64 now = dataVersion(db);
        if (now == seen) break;
        seen = now;
        std::this_thread::sleep_for(kQuiet);
    }
    return seen != first;
}

}  // namespace tallyport
