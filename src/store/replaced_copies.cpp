#include "store/replaced_copies.h"

#include "store/db_copy.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace tallyport {
namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");
const QString kCopySuffix = QStringLiteral(".db");

QString kindOf(const QString& liveFile) {
    return QFileInfo(liveFile).completeBaseName();
}

// The n-th name for one second: "attend-20240305-171502.db", then "…-2.db" and on.
QString nameFor(const QString& kind, const QDateTime& when, int n) {
    QString name = kind + u'-' + when.toString(kStampFormat);
    if (n > 1) name += u'-' + QString::number(n);
    return name + kCopySuffix;
}

// A copy's place in time: its stamp, then its number within that second. Nothing for a file
// that is not a copy of this kind.
std::optional<std::pair<QString, int>> orderOf(const QString& kind, const QString& name) {
    static const QRegularExpression shape(
        QStringLiteral("^(.+)-(\\d{8}-\\d{6})(?:-(\\d+))?\\.db$"));
    const auto m = shape.match(name);
    if (!m.hasMatch() || m.captured(1) != kind) return std::nullopt;
    return std::pair{m.captured(2), m.capturedLength(3) > 0 ? m.captured(3).toInt() : 1};
}

// Made like the data folder (its group and mode), so every user of a shared folder can keep
// copies in it and take out the old ones.
Result<QString> replacedFolderOf(const QString& dataFolder) {
    const QString folder = QDir(dataFolder).filePath(kReplacedFolder);
    if (QFileInfo(folder).isDir()) return folder;
    if (!QDir().mkdir(folder)) return fail(QStringLiteral("Cannot create directory: ") + folder);
    struct stat data {};
    const QByteArray path = QFile::encodeName(folder);
    if (::stat(QFile::encodeName(dataFolder).constData(), &data) == 0) {
        (void)::chown(path.constData(), uid_t(-1), data.st_gid);
        (void)::chmod(path.constData(), data.st_mode & 07777);
    }
    return folder;
}

void removeCopy(const QString& path) {
    QFile::remove(path);
    for (const char* journal : {"-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(journal));
}

}  // namespace

QString replacedCopyName(const QString& liveFile, const QDateTime& when) {
    return nameFor(kindOf(liveFile), when, 1);
}

Result<QString> keepReplacedCopy(const QString& live, const QByteArray& key, const QDateTime& when,
                                 DamagedLive damaged, const WorkSteps& step) {
    const QFileInfo info(live);
    if (!info.exists()) return QString();
    auto folder = replacedFolderOf(info.absolutePath());
    if (!folder) return std::unexpected(folder.error());
    const QDir dir(*folder);
    QString target;
    for (int n = 1; target.isEmpty() || QFileInfo::exists(target); ++n)
        target = dir.filePath(nameFor(kindOf(live), when, n));
    auto checked = backupDatabaseFile(live, key, target, step);
    if (checked) return target;
    if (damaged == DamagedLive::Refuse) return std::unexpected(checked.error());
    // What does not open whole is still what is replaced: its bytes are kept, with the frames
    // of its write-ahead file under the name the engine looks for beside the copy.
    if (auto r = copyFileReplacing(live, target); !r) return std::unexpected(r.error());
    const QString wal = live + QStringLiteral("-wal");
    if (QFileInfo::exists(wal))
        if (auto r = copyFileReplacing(wal, target + QStringLiteral("-wal")); !r) {
            removeCopy(target);
            return std::unexpected(r.error());
        }
    return target;
}

void pruneReplacedCopies(const QString& dataFolder, const QString& liveFile,
                         const QString& justMade) {
    const QDir dir(QDir(dataFolder).filePath(kReplacedFolder));
    const QString kind = kindOf(liveFile);
    std::vector<std::pair<std::pair<QString, int>, QString>> copies;
    for (const QString& name :
         dir.entryList({kind + QStringLiteral("-*") + kCopySuffix}, QDir::Files | QDir::Hidden))
        if (const auto order = orderOf(kind, name)) copies.emplace_back(*order, dir.filePath(name));
    std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) { return a > b; });
    const QString made = justMade.isEmpty() ? QString() : QFileInfo(justMade).absoluteFilePath();
    int kept =
        std::any_of(copies.begin(), copies.end(), [&](const auto& c) { return c.second == made; })
            ? 1
            : 0;
    for (const auto& [order, path] : copies) {
        if (path == made) continue;
        if (kept < kReplacedKept)
            ++kept;
        else
            removeCopy(path);
    }
}

}  // namespace tallyport
