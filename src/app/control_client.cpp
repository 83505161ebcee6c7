#include "app/control_client.h"

#include "app/control_protocol.h"
#include "app/terminal_operator.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QJsonArray>
#include <cerrno>
#include <cstring>

namespace tallyport {
namespace {

const QString kNoAccessText = QStringLiteral(
    "You may not use the recorder of %1: %2 (ask to be made a member of its group).");
const QString kSilentText =
    QStringLiteral("The recorder did not answer for %1 s: the command's outcome is unknown.");
const QString kStoppedAskingText =
    QStringLiteral("No longer waiting: the recorder carries the command out to its end.");
const QString kClosedText =
    QStringLiteral("The recorder closed the connection before the command ended.");
constexpr int kStopCheckMs = 100;
const QString kGarbledText = QStringLiteral("The recorder sent a line this command cannot read.");

class Connection {
public:
    ~Connection() {
        if (m_fd >= 0) ::close(m_fd);
    }
    // 0 when connected, otherwise the errno of the failure.
    int open(const QString& path) {
        sockaddr_un address{};
        int folderFd = -1;
        if (!unixSocketAddress(path, address, folderFd)) return ENAMETOOLONG;
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int error = m_fd < 0 ? errno : 0;
        if (!error && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            error = errno;
        if (folderFd >= 0) ::close(folderFd);
        return error;
    }
    bool sendAll(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += n;
        }
        return true;
    }
    // The next line without its line feed; nothing at the end or after kReplySilenceMs
    // (`silent` tells which).
    std::optional<QByteArray> readLine(bool& silent, const StopAsking& stop) {
        silent = false;
        QElapsedTimer quiet;
        quiet.start();
        for (;;) {
            if (const qsizetype nl = m_buffer.indexOf('\n'); nl >= 0) {
                QByteArray line = m_buffer.left(nl);
                m_buffer.remove(0, nl + 1);
                return line;
            }
            if (m_buffer.size() > kMaxReplyLineBytes) return std::nullopt;
            if (stop && stop()) return std::nullopt;
            pollfd p{m_fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, stop ? kStopCheckMs : kReplySilenceMs);
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0 && quiet.elapsed() < kReplySilenceMs) continue;
            if (ready == 0) {
                silent = true;
                return std::nullopt;
            }
            quiet.restart();
            char chunk[8192];
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return std::nullopt;
            m_buffer.append(chunk, n);
        }
    }

private:
    int m_fd = -1;
    QByteArray m_buffer;
};

}  // namespace

void printOutputLine(OutputStream stream, const QString& text) {
    printLine(stream == OutputStream::Err ? stderr : stdout, text);
}

RecorderAnswer askRecorder(const QString& dataFolder, const QString& command,
                           const QStringList& args, const OutputLine& out,
                           const ProgressLine& progress, const StopAsking& stop) {
    RecorderAnswer answer;
    const QString path = controlSocketPath(dataFolder);
    Connection c;
    if (const int error = c.open(path); error != 0) {
        if (error == EACCES || error == EPERM) {
            answer.kind = RecorderAnswer::Kind::Refused;
            answer.text =
                kNoAccessText.arg(dataFolder, QString::fromLocal8Bit(std::strerror(error)));
        }
        return answer;  // no socket, or nobody listening on it: no recorder
    }
    const QJsonObject request{{control::Command, command},
                              {control::Args, QJsonArray::fromStringList(args)}};
    answer.kind = RecorderAnswer::Kind::Failed;
    // A recorder that refuses this peer answers before it reads: what it said is read anyway.
    (void)c.sendAll(controlLine(request));
    for (;;) {
        bool silent = false;
        const auto line = c.readLine(silent, stop);
        if (!line && stop && stop()) return answer.text = kStoppedAskingText, answer;
        if (!line) {
            answer.text = silent ? kSilentText.arg(kReplySilenceMs / 1000) : kClosedText;
            return answer;
        }
        const auto message = parseControlLine(*line);
        if (!message) return answer.text = kGarbledText, answer;
        const int version = message->value(control::Protocol).toInt(-1);
        if (version != kControlProtocolVersion) {
            answer.text = protocolMismatchText(version, kControlProtocolVersion);
            return answer;
        }
        const QString type = message->value(control::Type).toString();
        if (type == control::Line) {
            const bool err = message->value(control::Stream).toString() == control::Err;
            out(err ? OutputStream::Err : OutputStream::Out,
                message->value(control::Text).toString());
        } else if (type == control::ResultType) {
            answer.kind = RecorderAnswer::Kind::Answered;
            answer.exitCode = message->value(control::Exit).toInt(1);
            return answer;
        } else if (type == control::ProgressType && progress) {
            progress(message->value(control::Caption).toString(),
                     message->value(control::Position).toInt(),
                     message->value(control::Maximum).toInt());
        }
        // The recorder's sign of life needs nothing; a command alone shows no progress.
    }
}

}  // namespace tallyport
