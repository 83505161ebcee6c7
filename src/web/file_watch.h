#pragma once

#include <QByteArray>
#include <QString>

namespace tallyport {

// Tells whether a file may have changed since it was last asked, cheaply enough to be asked on
// every request: while the file's folder can be watched, the answer is a non-blocking read of
// the kernel's notifications for that folder (no path is looked up); while it cannot (it does
// not exist yet, say), the file's identity from stat() is compared. A change completed before
// the question is always seen: the kernel queues the notification before the writer's call
// returns. Whole-file replacement (write aside and rename), writes in place and removal all
// count; other files of the folder do not. A file that is a symbolic link is always compared
// by stat(), which follows the link.
class FileWatch {
public:
    explicit FileWatch(const QString& path);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // True on the first call and whenever the file may have changed since the last call.
    bool changed();

private:
    bool startWatching();
    bool readNotifications();  // true when one concerns the file or the watch was lost

    QByteArray m_path;
    QByteArray m_folder;
    QByteArray m_name;
    int m_fd = -1;       // the notification queue
    int m_watch = -1;    // the folder's watch in it; -1 while unwatched
    QByteArray m_state;  // the file's identity, compared while unwatched
    bool m_first = true;
};

}  // namespace tallyport
