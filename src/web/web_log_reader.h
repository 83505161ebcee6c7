#pragma once

#include "base/error.h"
#include "store/sqlcipher_db.h"
#include "web/web_page.h"

#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace tallyport {

// Which records a page or an API call lists: all, a card's, a range of days, or both.
struct RecordFilter {
    std::optional<int> card;
    std::optional<QDate> from;  // whole days, from 00:00:00 of `from`
    std::optional<QDate> to;    // up to the end of `to`
    int rows = 20;              // how many to read, newest first (at least one is read)
    bool count = true;          // whether N, the number of records found, is wanted
};

struct RecordSet {
    qint64 found = 0;  // N; 0 when not asked for
    std::vector<WebRow> rows;
};

// Stamps that change whenever another connection committed to a file: pages made under the
// same stamps are the same.
struct StoreStamps {
    qint64 log = 0;
    qint64 system = 0;
    bool operator==(const StoreStamps&) const = default;
};

// The web server's own read-only connections to the log and the system database, opened once
// (a keyed open costs about 30 ms) and kept. Lives on the server's thread.
class WebLogReader {
public:
    explicit WebLogReader(QString dataFolder);

    // Opens both files when they are not open; a failed open is tried again at most once a
    // second, so a missing file costs no key derivation per request.
    Result<void> open();
    void close();
    bool isOpen() const { return m_att.isOpen() && m_src.isOpen(); }

    Result<StoreStamps> stamps();
    // The card of the first holder, in name order, whose name begins with `prefix`; 0 when none.
    Result<int> cardByName(const QString& prefix);
    // The records newest first with their holders and readers, and N from the kept count or an
    // indexed count, read in one snapshot of the log.
    Result<RecordSet> records(const RecordFilter& f);

private:
    class Snapshot;
    class InUse;

    Result<void> readHolders(std::vector<WebRow>& rows);
    Result<QHash<int, QString>> readerTexts();
    Result<qint64> stampOf(Database& db);
    // A statement of one of the two connections, prepared on first use and kept while the
    // connection is open (every page would otherwise prepare the same few again).
    Result<Statement*> kept(Database& db, const QString& sql);
    Result<void> runKept(Database& db, const QString& sql);

    QString m_folder;
    Database m_att;
    Database m_src;
    std::map<QString, Statement> m_attKept;
    std::map<QString, Statement> m_srcKept;
    QElapsedTimer m_lastTry;
    Error m_lastOpenError;
};

}  // namespace tallyport
