#include "store/export_file.h"

#include "store/setting_names.h"
#include "store/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallyport {

QString exportFileFilter(ExportFileKind kind) {
    if (kind == ExportFileKind::Text) return QStringLiteral("Text File (*.txt);;All File (*)");
    return QStringLiteral("Excel File (*.xls);;Excel Workbook (*.xlsx);;All File (*)");
}

QString exportDefaultExtension(ExportFileKind kind) {
    return kind == ExportFileKind::Text ? QStringLiteral("txt") : QStringLiteral("xls");
}

namespace {

QString startFolder() {
    const QString stored = ReadSettingText(setting::LastDataPath, QString());
    if (!stored.isEmpty()) return stored;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

}  // namespace

std::optional<QString> ChooseExportFile(Operator& op, const QString& caption, ExportFileKind kind,
                                        const QString& proposedName) {
    const QString extension = exportDefaultExtension(kind);
    const QString proposed =
        QDir(startFolder()).filePath(proposedName + QLatin1Char('.') + extension);
    const auto chosen = op.chooseSaveFile(caption, proposed, exportFileFilter(kind));
    WriteSettingText(setting::LastDataPath, QFileInfo(chosen.value_or(proposed)).absolutePath());
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    QString path = QFileInfo(*chosen).absoluteFilePath();
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.'))) {
        path += QLatin1Char('.') + extension;
        if (QFileInfo::exists(path) && !op.askYesNo(fileExistsQuestion(path))) return std::nullopt;
    }
    return path;
}

}  // namespace tallyport
