#pragma once

#include "base/error.h"
#include "web/web_listener.h"

#include <QAbstractSocket>
#include <QObject>
#include <QString>
#include <QThread>

namespace tallyport {

class WebServer;

// What the operator is told when the port cannot be opened, with the system's reason; below
// 1024 the way out too.
QString webListenFailure(int port, QAbstractSocket::SocketError error, const QString& reason);

// The web reporter: an HTTP server on a thread of its own, on all local addresses. Lives on
// the user-interface thread and starts, stops and pauses the server there; the server never
// touches this side's objects.
class WebReporter : public QObject {
    Q_OBJECT
public:
    explicit WebReporter(QString dataFolder, QObject* parent = nullptr);
    ~WebReporter() override;

    // Listens on `port` (0: any free port); the port listened on, or why it cannot be opened.
    Result<quint16> start(int port);
    // What connections may take; for the servers started afterwards.
    void setLimits(const WebLimits& limits) { m_limits = limits; }
    void stop();
    bool listening() const { return m_port != 0; }
    quint16 port() const { return m_port; }

    // From the settings: stopped, then started on "WebPortNo" when "WebEnabled" is on.
    // At start-up and after the settings dialog.
    Result<void> applySettings();

    // Around the replacement of a database file: the server's connections close, and open
    // again afterwards.
    void closeConnections();
    void reopenConnections();

Q_SIGNALS:
    // "Web Reporter listening on port N", "Web Reporter stopped".
    void stateChanged(const QString& text);
    // The store could not be read for a request (said once per reason).
    void storeFailed(const QString& reason);

private:
    template <typename F>
    void onServerThread(F&& f);

    QString m_folder;
    QThread m_thread;
    QObject* m_anchor = nullptr;  // lives on m_thread: calls are queued to it
    WebServer* m_server = nullptr;
    quint16 m_port = 0;
    WebLimits m_limits;
};

}  // namespace tallyport
