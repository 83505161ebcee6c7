#pragma once

#include <QString>
#include <sys/types.h>

namespace tallyport {

// The lock file in the data folder. It is never removed: two processes must always lock the
// same file.
inline const QString kDataFolderLockFile = QStringLiteral("tallyport.lock");

// "The data folder DIR is in use by another Tallyport console (process N)."
QString dataFolderInUseText(const QString& folder, qint64 pid);

// The data folder has one writer, whatever its user or runtime folder: the process that holds
// an advisory lock on the folder's lock file. The lock goes with the process (a crash frees
// it), so nothing stale is ever left to clear; the holder writes its process number into the
// file for the messages of the others.
class DataFolderLock {
public:
    enum class State {
        Held,           // this process holds the folder
        HeldElsewhere,  // another process does: holderPid() names it
        Failed,         // the lock file could not be made or opened: failure() says why
    };

    // Takes the lock of `folder` without waiting; a missing folder is made (MakeFolder) or is a
    // failure. The lock file is made readable and writable by the folder's group when the
    // folder is group-writable, so the users of a shared folder lock the same file.
    enum class Missing { MakeFolder, Fail };
    static DataFolderLock take(const QString& folder, Missing missing = Missing::MakeFolder);

    DataFolderLock() = default;
    DataFolderLock(DataFolderLock&& other) noexcept;
    DataFolderLock& operator=(DataFolderLock&& other) noexcept;
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;
    ~DataFolderLock();

    State state() const { return m_state; }
    bool held() const { return m_state == State::Held; }
    // The process that holds the folder (HeldElsewhere); 0 when it has not written its number yet.
    qint64 holderPid() const { return m_holder; }
    const QString& failure() const { return m_failure; }
    const QString& folder() const { return m_folder; }
    // What to tell a person who was refused: the in-use text, or the failure.
    QString refusal() const;

    // Lets go of the lock (it is also let go when the object goes or the process ends).
    void release();

private:
    State m_state = State::Failed;
    int m_fd = -1;
    qint64 m_holder = 0;
    QString m_folder;
    QString m_failure;
};

}  // namespace tallyport
