#pragma once

#include <QObject>
#include <QTimer>

namespace tallyport {

class Database;

// Tells when another connection (another process: the recorder, an attached desktop) has
// committed to a database. The engine's data version of a connection moves only with commits
// made elsewhere, and asking it reads the shared WAL index, not the file: cheap enough to ask
// a few times a second.
class CommitWatch : public QObject {
    Q_OBJECT
public:
    CommitWatch(Database& db, int intervalMs, QObject* parent = nullptr);

    void start();
    void stop() { m_timer.stop(); }
    // Asks now; true (and `committed`) when another connection committed since the last time.
    bool check();

Q_SIGNALS:
    void committed();

private:
    Database& m_db;
    QTimer m_timer;
    qint64 m_version = -1;
};

}  // namespace tallyport
