#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>

namespace tallyport {

class Console;
struct DownloadResult;
struct LogRecord;

inline const QString kStatusCommand = QStringLiteral("status");

// The names of the status's fields (docs/control-protocol.md).
namespace status_key {
inline const QString Recorder = QStringLiteral("recorder");
inline const QString Pid = QStringLiteral("pid");
inline const QString User = QStringLiteral("user");
inline const QString Since = QStringLiteral("since");
inline const QString Version = QStringLiteral("version");
inline const QString DataFolder = QStringLiteral("dataFolder");
inline const QString Readers = QStringLiteral("readers");
inline const QString Port = QStringLiteral("port");
inline const QString Description = QStringLiteral("description");
inline const QString Address = QStringLiteral("address");
inline const QString State = QStringLiteral("state");
inline const QString RetryIn = QStringLiteral("retryInSeconds");
inline const QString LastPunch = QStringLiteral("lastPunch");
inline const QString LastDownload = QStringLiteral("lastDownload");
inline const QString MailsWaiting = QStringLiteral("mailsWaiting");
inline const QString WebReporter = QStringLiteral("webReporter");
inline const QString LogRows = QStringLiteral("logRows");
inline const QString LastBackup = QStringLiteral("lastBackup");
inline const QString File = QStringLiteral("file");
inline const QString Time = QStringLiteral("time");
inline const QString Problems = QStringLiteral("problems");
inline const QString HeldBy = QStringLiteral("heldByPid");
}  // namespace status_key

// A reader's state in the status.
inline const QString kConnected = QStringLiteral("connected");
inline const QString kRetrying = QStringLiteral("retrying");
inline const QString kConnecting = QStringLiteral("connecting");

// What the recorder is doing, for `tallyport status`: kept by the recorder from its start on
// (the last punch and the last automatic download of each reader), read out on request.
class RecorderStatus : public QObject {
    Q_OBJECT
public:
    explicit RecorderStatus(Console& console, QObject* parent = nullptr);

    QJsonObject snapshot();

private:
    Console& m_console;
    QDateTime m_since;
    std::map<int, QString> m_lastPunch;     // port -> "TIME card N"
    std::map<int, QString> m_lastDownload;  // port -> "TIME Added = …"
};

// What the files of `dataFolder` tell without a recorder: the enabled readers of the setup,
// the log's rows, the mails waiting, the last backups. Fields that cannot be read are left
// out, and why is in "problems".
QJsonObject statusFromFiles(const QString& dataFolder);
// The status as lines for a person.
QStringList statusLines(const QJsonObject& status);

// `tallyport status [--json] [--data-dir DIR]`: exit 0 with the recorder's status, 3 when no
// recorder holds the folder (what the files tell is printed all the same).
int runStatusCommand(int argc, char** argv);

}  // namespace tallyport
