#pragma once

#include "base/operator.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

namespace tallyport {

// The recorder an attached desktop works beside, as its status names it.
struct AttachedRecorder {
    qint64 pid = 0;
    QString user;
};

// "attached to the recorder, process N, user U": the attached window's title says so.
QString attachedText(const AttachedRecorder& r);
// What a command that replaces the recorder's open files is told while attached.
QString stopRecorderFirstText(const AttachedRecorder& r, const QString& command);

// The recorder's status, asked over the folder's control socket; nothing when no recorder
// answers (none listens, or this user may not ask it).
std::optional<QJsonObject> askRecorderStatus(const QString& dataFolder);
std::optional<AttachedRecorder> recorderOf(const QJsonObject& status);

// `command ARGS` carried out by the recorder while the desktop waits with a progress window
// (the recorder's own progress moves its bar; Cancel stops waiting, the recorder carries on).
// What the recorder printed is shown: its error lines as an error, the rest as information.
// True when it ended with exit code 0.
bool carryOutOnRecorder(Operator& op, const QString& dataFolder, const QString& caption,
                        const QString& command, const QStringList& args);

// The recorder's status every couple of seconds, asked on a thread of its own so that a slow or
// vanished recorder never holds up the window.
class RecorderWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 2000;
    explicit RecorderWatch(QString dataFolder, QObject* parent = nullptr);
    ~RecorderWatch() override;

    const QJsonObject& latest() const { return m_latest; }
    bool answering() const { return m_answering; }

Q_SIGNALS:
    // A new status; or the recorder stopped answering (`answering()` false, `latest` kept).
    void updated();

private:
    void deliver(std::optional<QJsonObject> status);

    QString m_folder;
    QJsonObject m_latest;
    bool m_answering = true;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::thread m_thread;
};

}  // namespace tallyport
