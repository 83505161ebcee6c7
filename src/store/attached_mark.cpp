#include "store/attached_mark.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tallyport {
namespace {

// No link is followed (a shared folder); made readable and writable by the folder's group so
// that every user of a shared folder locks the same file.
int openMark(const QString& folder) {
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(kAttachedMarkFile));
    constexpr int kFlags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(path.constData(), kFlags | O_CREAT, 0660);
    if (fd < 0) fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

QString consolesAttachedText(const QString& folder) {
    return QStringLiteral(
               "A Tallyport console attached to the data folder %1 has its files open: close it "
               "first.")
        .arg(QDir::toNativeSeparators(folder));
}

AttachedMark AttachedMark::take(const QString& folder) {
    AttachedMark mark;
    const int fd = openMark(folder);
    if (fd < 0) return mark;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        return mark;
    }
    mark.m_fd = fd;
    return mark;
}

AttachedMark::AttachedMark(AttachedMark&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

AttachedMark& AttachedMark::operator=(AttachedMark&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

AttachedMark::~AttachedMark() {
    if (m_fd >= 0) ::close(m_fd);
}

bool consolesAttached(const QString& folder) {
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(kAttachedMarkFile));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;  // never made: nobody ever attached
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // closing lets go of the test lock
    return held;
}

}  // namespace tallyport
