#include "app/attached_commands.h"

#include "app/console.h"
#include "app/maintenance_command.h"
#include "store/maintenance.h"
#include "store/maintenance_texts.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <unistd.h>
#include <QFile>
#include <QFileInfo>

namespace tallyport {
namespace {

const QString kCopyFailedText =
    QStringLiteral("%1 could not be copied into the data folder for the recorder: %2");
const QString kImportCopyName = QStringLiteral("import-%1-%2");

// The copy goes when the import is over, whatever its outcome.
class ImportCopy {
public:
    ImportCopy(const QString& dataFolder, const QString& source)
        : m_path(dataFolder + u'/' +
                 kImportCopyName.arg(::getpid()).arg(QFileInfo(source).fileName())) {
        QFile::remove(m_path);
        QFile in(source);
        m_made = in.copy(m_path);
        if (!m_made) m_error = in.errorString();
        // Read by the recorder's user through the folder's group.
        if (m_made)
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }
    ~ImportCopy() {
        if (m_made) QFile::remove(m_path);
    }
    bool made() const { return m_made; }
    const QString& path() const { return m_path; }
    const QString& error() const { return m_error; }

private:
    QString m_path;
    QString m_error;
    bool m_made = false;
};

}  // namespace

bool refusedWhileAttached(Console& console, const QString& command) {
    const auto& recorder = console.attachedTo();
    if (!recorder) return false;
    console.op().error(stopRecorderFirstText(*recorder, command));
    return true;
}

bool importOnRecorder(Console& console, bool log) {
    DataModule& data = console.data();
    Operator& op = console.op();
    const QString& setting = log ? setting::LogDbLastIn : setting::SysDbLastIn;
    const auto path = op.chooseOpenFile(
        log ? msg::ImportLogTitle : msg::ImportStaffTitle,
        ReadSettingText(setting, data.filePath(log ? kLogBackupName : kSystemBackupName)),
        msg::DatabaseChooserFilter);
    if (!path) return false;
    WriteSettingText(setting, *path);
    const ImportCopy copy(data.dataFolder(), *path);
    if (!copy.made()) {
        op.error(kCopyFailedText.arg(*path, copy.error()));
        return false;
    }
    return carryOutOnRecorder(op, data.dataFolder(),
                              log ? msg::ImportingLog : msg::ImportingStaff,
                              kImportCommand, {log ? kImportLog : kImportStaff, copy.path()});
}

}  // namespace tallyport
