#pragma once

#include "base/error.h"
#include "base/operator.h"
#include "store/checkpointer.h"
#include "store/log_record.h"
#include "store/log_spool.h"
#include "store/sqlcipher_db.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

namespace tallyport {

// The data module: owns the connections to the log ("attend.db") and the system database
// ("sysdat.db") for the whole run, and the small data operations many parts of the console use.
// Lives on the user-interface thread; other threads open read-only connections of their own.
class DataModule {
public:
    explicit DataModule(Operator& op);
    // Rows that still wait in the spool are moved into the log before the connections go.
    ~DataModule();
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;

    // The folder that holds the database files, templates and the photo folder.
    void setDataFolder(const QString& folder);
    const QString& dataFolder() const { return m_folder; }
    QString filePath(const QString& name) const;
    QString photoFolder() const;

    // A process beside the folder's recorder: the recorder's spool and the log's checkpoints
    // are the recorder's, so opening the files leaves both alone.
    void setAttached(bool attached) { m_attached = attached; }
    bool attached() const { return m_attached; }

    // A folder holding none of the database files is a new installation: the templates are
    // made from the schema and the live files copied from them.
    Result<bool> prepareDataFolder();

    // Opens both files, showing "System Error: Cannot open …" for each that fails.
    // False when the program must end.
    bool OpenDatabases();
    // Runs the close hook (readers are disconnected first), hides the log view, then closes
    // both connections.
    void CloseDatabases();
    // Opens again, shows the log view and runs the reopen hook (readers configured).
    bool ReopenDatabases();
    bool isOpen() const { return m_att.isOpen() && m_src.isOpen(); }

    // True when the file opens with the key and holds the tables of its kind; otherwise shows
    // "Invalid Database".
    bool CheckDatabaseFile(const QString& path, const QByteArray& key);

    void setCloseHook(std::function<void()> f) { m_onClose = std::move(f); }
    void setReopenHook(std::function<void()> f) { m_onReopen = std::move(f); }

    // The log view (the grid, the holder photo, the snapshot) is hidden while held: while the
    // files are closed, and while a maintenance job rewrites the log. Holds nest; the hook
    // hears the view go (true) and, when the last hold ends, come back (false).
    void setLogViewHook(std::function<void(bool hidden)> f) { m_onLogView = std::move(f); }
    void holdLogView();
    void releaseLogView();

    Database& att() { return m_att; }
    Database& src() { return m_src; }

    // Key/value store.
    std::pair<bool, QString> GetKeyValue(const QString& key);
    int GetKeyInt(const QString& key);
    // Shows "Database Error." with the engine's reason when the value cannot be stored.
    bool SetKeyValue(const QString& key, const QString& value);
    Result<void> storeKeyValue(const QString& key, const QString& value);
    bool SetKeyInt(const QString& key, int value);

    // Fills rec for a card; false (name "[card]", no group) when the card or its group is unknown.
    bool LookupStaff(int cardNo, StaffRecord& rec);
    // As LookupStaff, but a holder whose group is gone is still found, with an empty group:
    // what the live views show.
    bool lookupHolder(int cardNo, StaffRecord& rec);
    // The card of the first holder, in name order, whose name begins with text; 0 when none.
    int CardByName(const QString& text);

    // Stores a row of the live recording (its rowId is not read). A long job of the console
    // that holds the log's write lock (an import's batch, a download, an erase) does not hold it
    // up: the row goes to the spool beside the log and is moved into the log as soon as the
    // lock is free, and the answer is 0; otherwise it is the row's id in the log.
    Result<qint64> storeLogRow(const LogRecord& row);
    // Told when spooled rows were moved into the log.
    void setLogRowsMovedHook(std::function<void()> f) { m_onRowsMoved = std::move(f); }

    // The log: its kept row count and its newest row.
    qint64 logCount();
    std::optional<LogRecord> newestLog();

    // A read that failed where the caller can only go on as if nothing was found (a lookup
    // for a live view): "Database Error." with the reason, once, after the current event.
    void reportFailure(const Error& e);
    Operator& op() { return m_op; }

private:
    Result<Database> openLog();
    Result<Database> openSystem();
    void openSpool();
    void moveSpooledRows(int waitMs);
    bool lookupWith(const QString& sql, int cardNo, StaffRecord& rec);

    Operator& m_op;
    QString m_folder;
    Database m_att;
    Database m_src;
    std::function<void()> m_onClose;
    std::function<void()> m_onReopen;
    std::function<void(bool)> m_onLogView;
    std::function<void()> m_onRowsMoved;
    LogSpool m_spool;
    QTimer m_spoolTimer;
    Checkpointer m_logCheckpoints;
    int m_logViewHolds = 0;
    bool m_attached = false;
    QObject m_failureTimerOwner;  // cancels pending reports when the module goes
    QStringList m_failuresPending;
    QString m_failureShowing;
};

// Holds the log view for as long as it lives.
class LogViewHold {
public:
    explicit LogViewHold(DataModule& data) : m_data(data) { m_data.holdLogView(); }
    ~LogViewHold() { m_data.releaseLogView(); }
    LogViewHold(const LogViewHold&) = delete;
    LogViewHold& operator=(const LogViewHold&) = delete;

private:
    DataModule& m_data;
};

// Reads a log row from a statement whose columns are rowid, SYSTIME, CARDNO, MODE, READER, LOCK.
LogRecord logRecordFromRow(const Statement& st);
inline const QString kLogColumns = QStringLiteral("rowid, SYSTIME, CARDNO, MODE, READER, LOCK");

}  // namespace tallyport
