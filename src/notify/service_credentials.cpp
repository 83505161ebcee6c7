#include "notify/service_credentials.h"

#include "store/settings.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallyport {

std::optional<QString> serviceCredential(const QString& name) {
    const QString folder = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    if (folder.isEmpty()) return std::nullopt;
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QString text = QString::fromUtf8(file.readAll());
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
    return text;
}

void keepSettingsFilePrivate() {
    const QString path = settingsFilePath();
    struct stat folder {};
    const bool shared =
        ::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &folder) == 0 &&
        (folder.st_mode & S_ISGID);
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (shared) p |= QFile::ReadGroup | QFile::WriteGroup;
    QFile::setPermissions(path, p);
}

}  // namespace tallyport
