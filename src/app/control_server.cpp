#include "app/control_server.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QJsonArray>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tallyport {
namespace {

const QString kNotAllowedText =
    QStringLiteral("Refused: user %1 is neither root, the recorder's user nor in the group of %2.");
const QString kUnknownCommandText = QStringLiteral("The recorder does not carry out \"%1\".");
const QString kBadRequestText = QStringLiteral("The recorder could not read the request.");
const QString kRequestTooLongText = QStringLiteral("The request is longer than %1 bytes.");
const QString kTooManyText = QStringLiteral("The recorder is answering too many requests; retry.");
const QString kEndedUnansweredText = QStringLiteral("The recorder ended the request unanswered.");
const QString kCannotListenText = QStringLiteral("The control socket %1 could not be made: %2");
constexpr int kMaxOpenConnections = 32;
constexpr int kExitFailedCode = 1;
constexpr int kExitUsageCode = 2;

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The supplementary groups of a process, as its status in /proc gives them; the user's groups
// from the group database when it cannot be read.
std::vector<gid_t> groupsOf(qint64 pid, uid_t uid, gid_t gid) {
    std::vector<gid_t> out;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    // Files in /proc tell no size: read to the end rather than up to it.
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (!line.startsWith("Groups:")) continue;
            for (const QByteArray& g : line.mid(7).simplified().split(' '))
                if (!g.isEmpty()) out.push_back(gid_t(g.toUInt()));
            return out;
        }
    }
    if (const passwd* pw = ::getpwuid(uid)) {
        int n = 64;
        out.resize(size_t(n));
        if (::getgrouplist(pw->pw_name, gid, out.data(), &n) < 0) {
            out.resize(size_t(n));
            ::getgrouplist(pw->pw_name, gid, out.data(), &n);
        }
        out.resize(size_t(std::max(n, 0)));
    }
    return out;
}

std::optional<PeerCredentials> credentialsOf(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return std::nullopt;
    PeerCredentials peer;
    peer.pid = cred.pid;
    peer.uid = cred.uid;
    peer.gid = cred.gid;
    peer.groups = groupsOf(cred.pid, cred.uid, cred.gid);
    return peer;
}

QString userName(uid_t uid) {
    if (const passwd* pw = ::getpwuid(uid)) return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

}  // namespace

bool PeerCredentials::inGroup(gid_t g) const {
    return gid == g || std::find(groups.begin(), groups.end(), g) != groups.end();
}

bool peerMayControl(const PeerCredentials& peer, uid_t recorderUid, gid_t socketGid) {
    return peer.uid == 0 || peer.uid == recorderUid || peer.inGroup(socketGid);
}

bool peerMayRead(const PeerCredentials& peer, const QString& path) {
    if (peer.uid == 0) return true;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return true;  // its open says why
    if (st.st_uid == peer.uid) return (st.st_mode & S_IRUSR) != 0;
    if (peer.inGroup(st.st_gid)) return (st.st_mode & S_IRGRP) != 0;
    return (st.st_mode & S_IROTH) != 0;
}

// --- ControlCall

ControlCall::ControlCall(QLocalSocket* socket, QString command, QStringList args,
                         PeerCredentials peer)
    : m_socket(socket),
      m_command(std::move(command)),
      m_args(std::move(args)),
      m_peer(std::move(peer)) {
    m_alive.setInterval(kAliveIntervalMs);
    QObject::connect(&m_alive, &QTimer::timeout, [this] {
        send({{control::Type, control::Alive}});
    });
    m_alive.start();
}

ControlCall::~ControlCall() {
    if (!m_finished) {
        say(OutputStream::Err, kEndedUnansweredText);
        finish(kExitFailedCode);
    }
}

bool ControlCall::clientGone() const {
    return !m_socket || m_socket->state() != QLocalSocket::ConnectedState;
}

void ControlCall::send(const QJsonObject& message) {
    if (clientGone()) return;
    m_socket->write(controlLine(message));
}

void ControlCall::say(OutputStream stream, const QString& text) {
    QString t = text;
    while (t.endsWith(u'\n') || t.endsWith(u'\r')) t.chop(1);
    send(outputMessage(stream, t));
}

void ControlCall::progress(const QString& caption, int position, int maximum) {
    send(progressMessage(caption, position, maximum));
}

void ControlCall::finish(int exitCode) {
    if (m_finished) return;
    m_finished = true;
    m_alive.stop();
    send(resultMessage(exitCode));
    if (!clientGone()) m_socket->disconnectFromServer();  // after what is written has gone
}

// --- ControlServer

ControlServer::ControlServer(QString dataFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(dataFolder)), m_path(controlSocketPath(m_folder)) {}

ControlServer::~ControlServer() {
    close();
}

void ControlServer::handle(const QString& command, ControlHandler handler) {
    m_handlers[command] = std::move(handler);
}

Result<void> ControlServer::listen() {
    const auto failed = [this](const QString& why) {
        return fail(kCannotListenText.arg(m_path, why));
    };
    struct stat folder {};
    if (::stat(QFile::encodeName(m_folder).constData(), &folder) != 0) return failed(errnoText());
    // Made under a name of its own, then renamed over whatever a crashed recorder left.
    const QString staged = m_path + QStringLiteral(".%1").arg(::getpid());
    sockaddr_un address{};
    int folderFd = -1;
    if (!unixSocketAddress(staged, address, folderFd))
        return failed(QStringLiteral("the path is too long"));
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const QByteArray stagedName = QFile::encodeName(staged);
    ::unlink(stagedName.constData());
    const bool bound =
        m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const QString bindError = errnoText();
    if (folderFd >= 0) ::close(folderFd);
    if (!bound) {
        close();
        return failed(bindError);
    }
    // The folder's group, when this user may give it; a set-group-id folder gave it already.
    struct stat made {};
    ::stat(stagedName.constData(), &made);
    if (made.st_gid != folder.st_gid)
        (void)::chown(stagedName.constData(), uid_t(-1), folder.st_gid);
    if (::chmod(stagedName.constData(), 0660) != 0 || ::listen(m_fd, 16) != 0 ||
        ::rename(stagedName.constData(), QFile::encodeName(m_path).constData()) != 0) {
        const QString why = errnoText();
        ::unlink(stagedName.constData());
        close();
        return failed(why);
    }
    ::stat(QFile::encodeName(m_path).constData(), &made);
    m_dev = made.st_dev;
    m_ino = made.st_ino;
    m_gid = made.st_gid;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ControlServer::acceptAll);
    return {};
}

void ControlServer::close() {
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd < 0) return;
    ::close(m_fd);
    m_fd = -1;
    // Only our own file: never one another recorder made since.
    struct stat now {};
    const QByteArray name = QFile::encodeName(m_path);
    if (m_ino != 0 && ::stat(name.constData(), &now) == 0 && now.st_dev == m_dev &&
        now.st_ino == m_ino)
        ::unlink(name.constData());
    m_ino = 0;
}

void ControlServer::acceptAll() {
    for (;;) {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        const auto peer = credentialsOf(fd);
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        ++m_open;
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            --m_open;
            socket->deleteLater();
        });
        if (!peer || !peerMayControl(*peer, ::getuid(), m_gid)) {
            refuse(socket, kExitFailedCode,
                   kNotAllowedText.arg(peer ? userName(peer->uid) : QStringLiteral("?"), m_path));
        } else if (m_open > kMaxOpenConnections) {
            refuse(socket, kExitFailedCode, kTooManyText);
        } else {
            readRequest(socket, *peer);
        }
    }
}

void ControlServer::refuse(QLocalSocket* socket, int exitCode, const QString& text) {
    socket->write(controlLine(outputMessage(OutputStream::Err, text)));
    socket->write(controlLine(resultMessage(exitCode)));
    socket->disconnectFromServer();
}

void ControlServer::readRequest(QLocalSocket* socket, const PeerCredentials& peer) {
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] { socket->abort(); });
    deadline->start(kRequestWaitMs);
    const auto onReadable = [this, socket, peer, deadline] {
        if (!deadline->isActive()) return;  // the request was taken already
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kMaxRequestBytes) {
                deadline->stop();
                refuse(socket, kExitUsageCode, kRequestTooLongText.arg(kMaxRequestBytes));
            }
            return;
        }
        deadline->stop();
        const QByteArray line = socket->readLine(kMaxRequestBytes + 1);
        const auto request = parseControlLine(line);
        if (!request) return refuse(socket, kExitUsageCode, kBadRequestText);
        const int version = request->value(control::Protocol).toInt(-1);
        if (version != kControlProtocolVersion)
            return refuse(socket, kExitUsageCode,
                          protocolMismatchText(kControlProtocolVersion, version));
        const QString command = request->value(control::Command).toString();
        const auto handler = m_handlers.find(command);
        if (handler == m_handlers.end())
            return refuse(socket, kExitUsageCode, kUnknownCommandText.arg(command));
        QStringList args;
        for (const auto& a : request->value(control::Args).toArray()) args << a.toString();
        // From here on the request runs to its end whatever the client does.
        socket->disconnect(this);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            --m_open;
            socket->deleteLater();
        });
        handler->second(std::make_shared<ControlCall>(socket, command, args, peer));
    };
    connect(socket, &QLocalSocket::readyRead, this, onReadable);
    onReadable();
}

}  // namespace tallyport
