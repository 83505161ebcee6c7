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
