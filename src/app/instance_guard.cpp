#include "app/instance_guard.h"

#include <QDir>

namespace tallyport {

QString InstanceGuard::lockPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("TallyportTime.lock"));
}

InstanceGuard::InstanceGuard() : m_lock(std::make_unique<QLockFile>(lockPath())) {
    // A lock whose process is gone is removed by tryLock; a living one is never stale.
    m_lock->setStaleLockTime(0);
    m_acquired = m_lock->tryLock(0);
}

}  // namespace tallyport
