#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace tallyport {

// A second launch, said where the running console's icon can be clicked...
inline const QString kAnotherInstance = QStringLiteral(
    "You have run another instance of this program already. Click it on the system tray to "
    "activite.");
// ...and where there is no notification area to point to (or no screen at all).
inline const QString kAlreadyRunning = QStringLiteral(
    "The Tallyport console is already running. Only one console runs for each user.");

inline const QString& anotherInstanceText(bool trayAvailable) {
    return trayAvailable ? kAnotherInstance : kAlreadyRunning;
}

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
