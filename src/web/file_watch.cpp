#include "web/file_watch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tallyport {
namespace {

constexpr uint32_t kFolderEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                   IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kWatchLost = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

// The file's identity as it is now: it changes whenever the file is written or replaced.
QByteArray fileState(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return QByteArrayLiteral("absent");
    return QByteArray::number(qint64(st.st_ino)) + ':' + QByteArray::number(qint64(st.st_size)) +
           ':' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + ':' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec));
}

}  // namespace

FileWatch::FileWatch(const QString& path)
    : m_path(QFile::encodeName(path)),
      m_folder(QFile::encodeName(QFileInfo(path).absolutePath())),
      m_name(QFile::encodeName(QFileInfo(path).fileName())),
      m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FileWatch::~FileWatch() {
    if (m_fd >= 0) ::close(m_fd);
}

bool FileWatch::changed() {
    const bool first = std::exchange(m_first, false);
    if (m_watch >= 0) {
        const bool touched = readNotifications();
        if (m_watch >= 0) return touched || first;
    }
    // Unwatched: the file's identity tells, and a change of it is the moment to try watching
    // again (the folder may have been made meanwhile). Watching starts before the file is read
    // again, so nothing written after that read is missed.
    QByteArray state = fileState(m_path);
    const bool differs = state != m_state;
    m_state = std::move(state);
    if (differs || first) (void)startWatching();
    return differs || first;
}

bool FileWatch::startWatching() {
    // A link's target lives elsewhere, where the folder's notifications do not reach.
    struct stat st {};
    if (m_fd < 0 || (::lstat(m_path.constData(), &st) == 0 && S_ISLNK(st.st_mode))) return false;
    m_watch = ::inotify_add_watch(m_fd, m_folder.constData(), kFolderEvents);
    return m_watch >= 0;
}

bool FileWatch::readNotifications() {
    bool touched = false;
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t got = ::read(m_fd, buf, sizeof buf);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) continue;
            return touched;  // nothing more queued
        }
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
            at += ssize_t(sizeof(inotify_event) + e->len);
            if (e->mask & IN_Q_OVERFLOW) {
                touched = true;  // notifications were dropped: anything may have happened
            } else if (e->wd != m_watch) {
                continue;  // of a watch given up earlier
            } else if (e->mask & kWatchLost) {
                if (!(e->mask & IN_IGNORED)) (void)::inotify_rm_watch(m_fd, m_watch);
                m_watch = -1;
                m_state.clear();
                touched = true;
            } else if (e->len > 0 && std::strcmp(e->name, m_name.constData()) == 0) {
                touched = true;
            }
        }
    }
}

}  // namespace tallyport
