#include "store/data_folder_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tallyport {

QString dataFolderInUseText(const QString& folder, qint64 pid) {
    const QString who = pid > 0 ? QString::number(pid) : QStringLiteral("unknown");
    return QStringLiteral("The data folder %1 is in use by another Tallyport console (process %2).")
        .arg(QDir::toNativeSeparators(folder), who);
}

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString cannotLock(const QString& folder, const QString& file, int error) {
    return QStringLiteral("The data folder %1 cannot be locked: %2: %3")
        .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(file),
             systemReason(error));
}

// A lock file just made is shared the way the folder is: in a group-writable folder every
// member of its group must be able to open it for writing, whatever their umask.
void shareLikeFolder(int fd, const QByteArray& folder) {
    struct stat dir {};
    if (::stat(folder.constData(), &dir) != 0) return;
    const bool groupShared = (dir.st_mode & S_IWGRP) != 0;
    if (groupShared) (void)::fchown(fd, uid_t(-1), dir.st_gid);
    (void)::fchmod(fd, groupShared ? 0664 : 0644);
}

// The holder writes its number right after it took the lock: a moment's wait covers a
// holder that has just started.
qint64 readHolder(int fd) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        char text[32] = {};
        const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
        if (n > 0) {
            const qint64 pid = QByteArray(text, int(n)).trimmed().toLongLong();
            if (pid > 0) return pid;
        }
        QThread::msleep(10);
    }
    return 0;
}

void writeHolder(int fd) {
    const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0) (void)::pwrite(fd, text.constData(), size_t(text.size()), 0);
}

}  // namespace

DataFolderLock DataFolderLock::take(const QString& folder, Missing missing) {
    DataFolderLock lock;
    lock.m_folder = QDir(folder).absolutePath();
    const QString file = QDir(lock.m_folder).filePath(kDataFolderLockFile);
    if (missing == Missing::Fail && !QFileInfo(lock.m_folder).isDir()) {
        lock.m_failure = QStringLiteral("The data folder %1 does not exist.")
                             .arg(QDir::toNativeSeparators(lock.m_folder));
        return lock;
    }
    if (!QDir().mkpath(lock.m_folder)) {
        lock.m_failure = QStringLiteral("Cannot create directory: ") + lock.m_folder;
        return lock;
    }
    const QByteArray path = QFile::encodeName(file);
    // No link is followed: a link planted in a shared folder must not make a privileged
    // command truncate whatever it points to.
    constexpr int kFlags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(path.constData(), kFlags | O_CREAT | O_EXCL, 0644);
    if (fd >= 0)
        shareLikeFolder(fd, QFile::encodeName(lock.m_folder));
    else if (errno == EEXIST)
        fd = ::open(path.constData(), kFlags);
    if (fd < 0) {
        lock.m_failure = cannotLock(lock.m_folder, file, errno);
        return lock;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        lock.m_failure = cannotLock(lock.m_folder, file, EINVAL);
        return lock;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            lock.m_state = State::HeldElsewhere;
            lock.m_holder = readHolder(fd);
        } else {
            lock.m_failure = cannotLock(lock.m_folder, file, error);
        }
        ::close(fd);
        return lock;
    }
    writeHolder(fd);
    lock.m_fd = fd;
    lock.m_state = State::Held;
    return lock;
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept
    : m_state(other.m_state),
      m_fd(std::exchange(other.m_fd, -1)),
      m_holder(other.m_holder),
      m_folder(std::move(other.m_folder)),
      m_failure(std::move(other.m_failure)) {
    other.m_state = State::Failed;
}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
    if (this != &other) {
        release();
        m_state = std::exchange(other.m_state, State::Failed);
        m_fd = std::exchange(other.m_fd, -1);
        m_holder = other.m_holder;
        m_folder = std::move(other.m_folder);
        m_failure = std::move(other.m_failure);
    }
    return *this;
}

DataFolderLock::~DataFolderLock() {
    release();
}

QString DataFolderLock::refusal() const {
    return m_state == State::HeldElsewhere ? dataFolderInUseText(m_folder, m_holder) : m_failure;
}

void DataFolderLock::release() {
    if (m_fd < 0) return;
    (void)::ftruncate(m_fd, 0);  // still held: nobody reads a number that is going
    ::close(m_fd);
    m_fd = -1;
    m_state = State::Failed;
    m_failure = QStringLiteral("The data folder lock was let go.");
}

}  // namespace tallyport
