#include "reports/report_pdf_file.h"

#include "store/export_file.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallyport {

namespace {

const QString kWritten = QStringLiteral("The PDF file %1 is written.");
const QString kSuffix = QStringLiteral(".pdf");

QString startFolder() {
    const QString stored = ReadSettingText(setting::PrintPdfFolder, QString());
    if (!stored.isEmpty() && QFileInfo(stored).isDir()) return stored;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

}  // namespace

QString pdfWrittenText(const QString& path) {
    return kWritten.arg(QDir::toNativeSeparators(path));
}

QString pdfFileName(const QString& title) {
    QString name = title.trimmed();
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20) c = u'-';
    if (name.isEmpty() || name.startsWith(u'.')) name.prepend(QStringLiteral("report"));
    return name + kSuffix;
}

std::optional<QString> choosePdfFile(Operator& op, const QString& title) {
    const QString proposed = QDir(startFolder()).filePath(pdfFileName(title));
    const auto chosen = op.chooseSaveFile(kSaveAsPdf, proposed, kPdfFilter);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    QString path = QFileInfo(*chosen).absoluteFilePath();
    WriteSettingText(setting::PrintPdfFolder, QFileInfo(path).absolutePath());
    if (!path.endsWith(kSuffix, Qt::CaseInsensitive)) {
        path += kSuffix;
        if (QFileInfo::exists(path) && !op.askYesNo(fileExistsQuestion(path))) return std::nullopt;
    }
    return path;
}

}  // namespace tallyport
