#include "store/output_guard.h"

#include "store/data_folder_lock.h"
#include "store/log_spool.h"
#include "store/schema.h"
#include "store/settings.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <optional>

namespace tallyport {
namespace {

QMutex g_mutex;
QStringList g_folders;  // absolute paths

struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
};

// The file a path names once every link is followed; nothing when there is none.
std::optional<Identity> identityOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

// The path with its folder's links and ".." resolved, and a link at the end followed (also
// one that points nowhere yet): the name a writer would create.
QString resolvedName(const QString& path) {
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    for (int hops = 0; info.isSymLink() && hops < 16; ++hops)
        info = QFileInfo(QDir::cleanPath(info.symLinkTarget()));
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

QStringList protectedPaths() {
    QStringList out{settingsFilePath()};
    const QMutexLocker hold(&g_mutex);
    for (const QString& folder : std::as_const(g_folders))
        for (const QString& name : dataFolderFileNames()) out << QDir(folder).filePath(name);
    return out;
}

QString refusedText(const QString& target, const QString& own) {
    const QString t = QDir::toNativeSeparators(target), o = QDir::toNativeSeparators(own);
    const QString what = t == o ? QStringLiteral("%1 is one of the console's own files").arg(t)
                                : QStringLiteral("%1 is the console's own file %2").arg(t, o);
    return what + QStringLiteral(": it is never replaced by an output file. Choose another file.");
}

}  // namespace

QStringList dataFolderFileNames() {
    QStringList names;
    for (const QString& db : {kLogFile, kSystemFile, kLogTemplate, kSystemTemplate, kLogSpoolFile})
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            names << db + QLatin1String(suffix);
    names << kDataFolderLockFile << kBlankWorkbook << kCardBackFile << kCardLogoFile;
    return names;
}

void protectDataFolder(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    const QMutexLocker hold(&g_mutex);
    if (!g_folders.contains(absolute)) g_folders << absolute;
}

Result<void> checkOutputTarget(const QString& path) {
    const QString name = resolvedName(path);
    const auto identity = identityOf(path);
    for (const QString& own : protectedPaths()) {
        if (name == resolvedName(own)) return fail(refusedText(path, own));
        if (identity && identity == identityOf(own)) return fail(refusedText(path, own));
    }
    return {};
}

}  // namespace tallyport
