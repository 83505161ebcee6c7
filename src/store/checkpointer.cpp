#include "store/checkpointer.h"

#include <chrono>

namespace tallyport {
namespace {

constexpr auto kEvery = std::chrono::seconds(5);

}  // namespace

Checkpointer::~Checkpointer() {
    stop();
}

void Checkpointer::start(const QString& path, const QByteArray& key) {
    stop();
    m_stop = false;
    m_thread = std::thread([this, path, key] { run(path, key); });
}

void Checkpointer::stop() {
    if (!m_thread.joinable()) return;
    {
        const std::lock_guard hold(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

// A checkpoint that cannot run now (the file is busy, or cannot be opened) is tried at the
// next turn; what it would copy stays safe in the write-ahead file meanwhile.
void Checkpointer::run(QString path, QByteArray key) {
    auto db = Database::open(path, key, Database::Mode::ReadWrite);
    if (!db) return;
    db->setBusyTimeout(0);
    std::unique_lock hold(m_mutex);
    while (!m_wake.wait_for(hold, kEvery, [this] { return m_stop; }))
        (void)db->exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

}  // namespace tallyport
