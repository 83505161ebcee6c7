#include "app/control_protocol.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonParseError>

namespace tallyport {

QString controlSocketPath(const QString& dataFolder) {
    return QDir(dataFolder).absoluteFilePath(kControlSocketFile);
}

QByteArray controlLine(QJsonObject message) {
    message.insert(control::Protocol, kControlProtocolVersion);
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> parseControlLine(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    return doc.object();
}

QJsonObject outputMessage(OutputStream stream, const QString& text) {
    return {{control::Type, control::Line},
            {control::Stream, stream == OutputStream::Out ? control::Out : control::Err},
            {control::Text, text}};
}

QJsonObject progressMessage(const QString& caption, int position, int maximum) {
    return {{control::Type, control::ProgressType},
            {control::Caption, caption},
            {control::Position, position},
            {control::Maximum, maximum}};
}

QJsonObject resultMessage(int exitCode) {
    return {{control::Type, control::ResultType}, {control::Exit, exitCode}};
}

QString protocolMismatchText(int theirs, int ours) {
    return QStringLiteral(
               "The recorder speaks control protocol %1; this command speaks %2. Run the "
               "command of the recorder's Tallyport version.")
        .arg(theirs)
        .arg(ours);
}

}  // namespace tallyport

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFileInfo>
#include <cstring>

namespace tallyport {

bool unixSocketAddress(const QString& path, sockaddr_un& address, int& folderFd) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    folderFd = -1;
    QByteArray name = QFile::encodeName(path);
    if (size_t(name.size()) >= sizeof address.sun_path) {
        const QFileInfo info(path);
        folderFd = ::open(QFile::encodeName(info.absolutePath()).constData(),
                          O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0) return false;
        name = "/proc/self/fd/" + QByteArray::number(folderFd) + '/' +
               QFile::encodeName(info.fileName());
        if (size_t(name.size()) >= sizeof address.sun_path) {
            ::close(folderFd);
            folderFd = -1;
            return false;
        }
    }
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

}  // namespace tallyport
