#pragma once

#include "web/file_watch.h"
#include "web/web_listener.h"
#include "web/web_log_reader.h"
#include "web/web_request.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace tallyport {

// The HTTP side of the web reporter. Lives on the reporter's own thread and reads the store
// through its own read-only connections; it never touches an object of the user-interface
// thread. Every request gets one page of the newest log records (or the JSON API's answer).
//
// A page is the same for every request but its time line until another connection commits to
// one of the files, the day changes or the title does, so pages are kept per path and query and
// made again only then (up to a total of bytes, the oldest dropped first); the title and the
// token are read again whenever the settings file changes.
//
// Guessing the token is slow: an address that failed kMaxFailedTokens times within a minute is
// answered "429 Too Many Requests" for a minute.
class WebServer final : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit WebServer(const QString& dataFolder, QObject* parent = nullptr);

    // The socket that hands this server its connections, which knows what HTTP version each
    // spoke last; without one every connection is HTTP/1.1.
    void setListener(WebListener* listener) { m_listener = listener; }

    // Opens the connections ahead of the first request.
    void openConnections();
    // Before a database file is replaced: the connections close and stay closed (requests
    // fail) until resumed.
    void closeConnections();
    void resumeConnections();

Q_SIGNALS:
    // The store could not be read for a request: said once until a request succeeds or the
    // reason changes.
    void storeFailed(const QString& reason);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Reply;
    void respond(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply);
    Reply page(const QHttpServerRequest& request);
    Reply api(const QHttpServerRequest& request);
    Result<QByteArray> records(const PageRequest& r);
    Result<RecordFilter> pageFilter(const PageRequest& r);
    Result<void> checkStamps();
    void noteFailure(const Error& e);
    void readSettingsWhenChanged();
    bool authorized(const QHttpServerRequest& request) const;
    bool busy(const QHttpServerRequest& request) const;
    std::optional<int> blockedSeconds(const QByteArray& address);
    void noteFailedToken(const QByteArray& address);
    const QByteArray& opening();
    void keep(const QByteArray& key, QByteArray head, QByteArray tail);
    void dropKept();

    // A page as kept: what comes before the current time, and after it. An API answer is
    // all tail.
    struct Kept {
        QByteArray head;
        QByteArray tail;
    };

    WebListener* m_listener = nullptr;
    WebLogReader m_reader;
    bool m_paused = false;
    QHash<QByteArray, Kept> m_cache;  // by the request's path and query
    QList<QByteArray> m_cacheOrder;   // keys, oldest first
    qint64 m_cacheBytes = 0;
    struct Failures {
        qint64 sinceMs = 0;  // the first of the minute counted
        int count = 0;
        qint64 blockedUntilMs = 0;
    };
    QHash<QByteArray, Failures> m_failures;  // by client address
    QElapsedTimer m_monotonic;
    std::optional<StoreStamps> m_stamps;
    QDate m_day;
    FileWatch m_settings;
    QString m_title;
    QByteArray m_token;
    QDateTime m_now;  // of the request being answered
    QDate m_openingDay;
    QTime m_openingTime;
    QByteArray m_opening;
    QString m_lastFailure;
};

}  // namespace tallyport
