#pragma once

#include "app/control_protocol.h"
#include "base/error.h"

#include <sys/types.h>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QLocalSocket;
class QSocketNotifier;

namespace tallyport {

// Who is at the other end of a connection, as the kernel tells it (SO_PEERCRED), with the
// groups of that process.
struct PeerCredentials {
    qint64 pid = 0;
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    bool inGroup(gid_t g) const;
};

// Root, the recorder's own user, or a member of the socket's group may ask; nobody else.
bool peerMayControl(const PeerCredentials& peer, uid_t recorderUid, gid_t socketGid);
// Whether the peer could read `path` itself (owner, group and other bits of the file): the
// recorder opens files on its behalf only when it could.
bool peerMayRead(const PeerCredentials& peer, const QString& path);

// One request being answered. Lines and progress go out as they come; finish() sends the
// result and closes the connection. A client that went away hears nothing more, and the
// request goes on to its end: nothing it started is cut short. A call dropped without
// finish() answers that the recorder ended it.
class ControlCall {
public:
    ControlCall(QLocalSocket* socket, QString command, QStringList args, PeerCredentials peer);
    ~ControlCall();
    ControlCall(const ControlCall&) = delete;
    ControlCall& operator=(const ControlCall&) = delete;

    const QString& command() const { return m_command; }
    const QStringList& args() const { return m_args; }
    const PeerCredentials& peer() const { return m_peer; }

    void say(OutputStream stream, const QString& text);
    void progress(const QString& caption, int position, int maximum);
    void finish(int exitCode);
    bool finished() const { return m_finished; }
    bool clientGone() const;

private:
    void send(const QJsonObject& message);

    QPointer<QLocalSocket> m_socket;
    QString m_command;
    QStringList m_args;
    PeerCredentials m_peer;
    QTimer m_alive;
    bool m_finished = false;
};

using ControlHandler = std::function<void(std::shared_ptr<ControlCall>)>;

// The recorder's end of the control channel: the socket in the data folder, made with the
// folder's group and mode 0660 under a name of its own and renamed into place, so no client
// ever finds it half made. Each accepted connection is checked against peerMayControl, reads
// one bounded request line and goes to the handler of its command.
class ControlServer : public QObject {
    Q_OBJECT
public:
    explicit ControlServer(QString dataFolder, QObject* parent = nullptr);
    ~ControlServer() override;

    Result<void> listen();
    // Closes the socket and removes its file (only the one this server made).
    void close();
    const QString& path() const { return m_path; }

    void handle(const QString& command, ControlHandler handler);

private:
    void acceptAll();
    void readRequest(QLocalSocket* socket, const PeerCredentials& peer);
    void refuse(QLocalSocket* socket, int exitCode, const QString& text);

    QString m_folder;
    QString m_path;
    int m_fd = -1;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    gid_t m_gid = 0;
    QSocketNotifier* m_notifier = nullptr;
    std::map<QString, ControlHandler> m_handlers;
    int m_open = 0;  // connections not yet closed
};

}  // namespace tallyport
