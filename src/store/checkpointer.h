#pragma once

#include "store/sqlcipher_db.h"

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tallyport {

// Copies what the write-ahead file of a database holds into the database, on a thread of its
// own, every few seconds, so that the live recording's connection never does it inside a card
// event: after an import's batch that copy was megabytes long and held the card event for
// 10-20 ms. It never waits for a writer or a reader (the engine's passive checkpoint). A job
// that writes in bulk still copies its own pages as it goes; checkpointing them here twice a
// second as well slowed an import beside the recording by a fifth.
class Checkpointer {
public:
    Checkpointer() = default;
    ~Checkpointer();
    Checkpointer(const Checkpointer&) = delete;
    Checkpointer& operator=(const Checkpointer&) = delete;

    void start(const QString& path, const QByteArray& key);
    // Returns once the thread has let go of the file.
    void stop();

private:
    void run(QString path, QByteArray key);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
};

}  // namespace tallyport
