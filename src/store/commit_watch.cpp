#include "store/commit_watch.h"

#include "store/sqlcipher_db.h"

namespace tallyport {

CommitWatch::CommitWatch(Database& db, int intervalMs, QObject* parent)
    : QObject(parent), m_db(db) {
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CommitWatch::check);
}

void CommitWatch::start() {
    m_version = -1;
    (void)check();  // the version to compare with; nothing is announced for it
    m_timer.start();
}

bool CommitWatch::check() {
    if (!m_db.isOpen()) return false;
    auto v = m_db.scalarInt(QStringLiteral("PRAGMA data_version"));
    // A closed or failing connection tells nothing; the next tick asks again.
    if (!v || !*v) return false;
    const qint64 now = **v;
    const bool changed = m_version >= 0 && now != m_version;
    m_version = now;
    if (changed) Q_EMIT committed();
    return changed;
}

}  // namespace tallyport
