#include "app/export_jobs.h"

#include "store/messages.h"
#include "store/output_guard.h"
#include "store/schema.h"
#include "workbook/log_workbook.h"

#include <QDir>
#include <QFileInfo>

namespace tallyport {

QString logExportCaption(LogExportKind kind, qint64 records) {
    const QString lead = kind == LogExportKind::Text ? QStringLiteral("Export to text file (")
                                                     : QStringLiteral("Export to EXCEL file (");
    return lead + QString::number(records) + QStringLiteral(" records)");
}

LogExportKind workbookKindOf(const QString& path) {
    return workbookFormatOf(path) == WorkbookFormat::Xlsx ? LogExportKind::Xlsx
                                                          : LogExportKind::Xls;
}

QString exportCompletedText(qint64 rows, const QStringList& sheets) {
    if (sheets.size() <= 1) return msg::Completed;
    return msg::Completed + QStringLiteral("\n%1 rows on %2 sheets, \"%3\" to \"%4\".")
                                .arg(rows)
                                .arg(sheets.size())
                                .arg(sheets.first(), sheets.last());
}

Result<Database> openDataFileReadOnly(const QString& dataFolder, const QString& name,
                                      const QByteArray& key) {
    const QString path = QDir(dataFolder).filePath(name);
    if (!QFileInfo(path).isFile()) return fail(msg::CannotOpen(path));
    auto db = Database::open(path, key, Database::Mode::ReadOnly);
    if (!db) return fail(msg::CannotOpen(path) + QLatin1Char('\n') + db.error().text);
    return db;
}

namespace {

struct Connections {
    Database att;
    Database src;
};

Result<Connections> openBoth(const QString& dataFolder) {
    auto att = openDataFileReadOnly(dataFolder, kLogFile, kLogKey);
    if (!att) return std::unexpected(att.error());
    auto src = openDataFileReadOnly(dataFolder, kSystemFile, kSystemKey);
    if (!src) return std::unexpected(src.error());
    return Connections{std::move(*att), std::move(*src)};
}

}  // namespace

Result<LogExportDone> exportLog(const QString& dataFolder, LogExportKind kind, const QString& path,
                                const std::optional<LogDays>& days, qint64 total,
                                WorkContext* work) {
    // The workbook refuses it too, but as a file it cannot write: say why.
    if (auto own = checkOutputTarget(path); !own) return std::unexpected(own.error());
    auto db = openBoth(dataFolder);
    if (!db) return std::unexpected(db.error());
    if (kind == LogExportKind::Text) {
        const auto rows = writeLogText(db->att, db->src, path, days, total, work);
        if (!rows) return std::unexpected(rows.error());
        return LogExportDone{*rows, {}};
    }
    const WorkbookFormat format =
        kind == LogExportKind::Xlsx ? WorkbookFormat::Xlsx : WorkbookFormat::Xls;
    const auto done = writeLogWorkbook(db->att, db->src, path, format, days, total, work);
    if (!done) return std::unexpected(done.error());
    // For other programs to fill; the export itself does not need it, so a data folder that
    // cannot take it does not fail the export.
    (void)ensureBlankWorkbook(dataFolder);
    return LogExportDone{done->rows, done->sheets};
}

Result<SheetReportDone> exportSheetReport(const QString& dataFolder, const SheetReportJob& job,
                                          WorkContext* work) {
    // A sheet per person and nobody in the scope: no sheet, so no workbook either.
    if (job.scope.newPage && job.persons.empty()) return SheetReportDone{};
    // The workbook refuses it too, but as a file it cannot write: say why.
    if (auto own = checkOutputTarget(job.path); !own) return std::unexpected(own.error());
    auto db = openBoth(dataFolder);
    if (!db) return std::unexpected(db.error());
    // The sheet for everybody can be long: its rows go to disk as they come.
    auto wb = Workbook::create(job.path, job.format, !job.scope.newPage);
    if (!wb) return fail(fileInUse(job.path));
    auto done = writeSheetReport(job.report, job.scope, job.persons, job.today, db->att, db->src,
                                 **wb, work);
    if (!done) return done;
    if (!(*wb)->commit()) return fail(fileInUse(job.path));
    return done;
}

}  // namespace tallyport
