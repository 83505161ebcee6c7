#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace tallyport {

// The recorder's control channel: a Unix-domain socket in the data folder, one request per
// connection, one JSON object per line (docs/control-protocol.md).
inline const QString kControlSocketFile = QStringLiteral("tallyport.control");
inline constexpr int kControlProtocolVersion = 1;
// The settings and the reader table read again (as SIGHUP does).
inline const QString kReloadCommand = QStringLiteral("reload");
// A request is a few words and a path or two; anything longer is not one of ours.
inline constexpr qsizetype kMaxRequestBytes = 64 * 1024;
// A line the recorder sends carries one text; a client bounds what it buffers the same way.
inline constexpr qsizetype kMaxReplyLineBytes = 1024 * 1024;
// While a request runs the recorder says it is alive this often; a client that hears nothing
// for kReplySilenceMs takes the recorder for gone.
inline constexpr int kAliveIntervalMs = 5000;
inline constexpr int kReplySilenceMs = 30000;
// A connection that has not sent its whole request by then is closed.
inline constexpr int kRequestWaitMs = 10000;

namespace control {
inline const QString Protocol = QStringLiteral("protocol");
inline const QString Type = QStringLiteral("type");
inline const QString Command = QStringLiteral("command");
inline const QString Args = QStringLiteral("args");
inline const QString Stream = QStringLiteral("stream");
inline const QString Text = QStringLiteral("text");
inline const QString Caption = QStringLiteral("caption");
inline const QString Position = QStringLiteral("position");
inline const QString Maximum = QStringLiteral("maximum");
inline const QString Exit = QStringLiteral("exit");
inline const QString Line = QStringLiteral("line");
inline const QString ProgressType = QStringLiteral("progress");
inline const QString Alive = QStringLiteral("alive");
inline const QString ResultType = QStringLiteral("result");
inline const QString Out = QStringLiteral("out");
inline const QString Err = QStringLiteral("err");
}  // namespace control

enum class OutputStream { Out, Err };

QString controlSocketPath(const QString& dataFolder);

// One message as its line: compact JSON, the protocol version added, a line feed at the end.
QByteArray controlLine(QJsonObject message);
// A line back into its object; nothing when it is no JSON object.
std::optional<QJsonObject> parseControlLine(const QByteArray& line);

QJsonObject outputMessage(OutputStream stream, const QString& text);
QJsonObject progressMessage(const QString& caption, int position, int maximum);
QJsonObject resultMessage(int exitCode);

// "The recorder speaks control protocol A; this command speaks B. …"
QString protocolMismatchText(int theirs, int ours);

}  // namespace tallyport

struct sockaddr_un;

namespace tallyport {

// The address of a socket file. A path too long for an address is reached through its
// folder, opened for the purpose (`folderFd`, to be closed once bound or connected; -1 when
// not needed). False when even that is too long.
bool unixSocketAddress(const QString& path, sockaddr_un& address, int& folderFd);

}  // namespace tallyport
