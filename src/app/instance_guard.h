#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace tallyport {

inline const QString kAnotherInstance = QStringLiteral(
    "You have run another instance of this program already. Click it on the system tray to "
    "activite.");

// One console per user: a lock file "TallyportTime.lock" in the user's runtime folder
// ($XDG_RUNTIME_DIR, or the temporary folder when unset). A lock left by a crashed console is
// stale and taken over.
class InstanceGuard {
public:
    InstanceGuard();
    bool acquired() const { return m_acquired; }
    static QString lockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

}  // namespace tallyport
