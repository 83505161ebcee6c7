#include "workbook/log_workbook.h"

#include "store/log_texts.h"
#include "store/messages.h"
#include "workbook/xls_workbook.h"

#include <QDir>
#include <QFileInfo>

namespace tallyport {

const QStringList& logSheetColumns() {
    static const QStringList columns = {QStringLiteral("DATE"),   QStringLiteral("TIME"),
                                        QStringLiteral("CARDNO"), QStringLiteral("NAME"),
                                        QStringLiteral("GROUP"),  QStringLiteral("MODE"),
                                        QStringLiteral("READER"), QStringLiteral("LOCK")};
    return columns;
}

Result<void> ensureBlankWorkbook(const QString& dataFolder) {
    const QString path = QDir(dataFolder).filePath(kBlankWorkbook);
    if (QFileInfo::exists(path)) return {};
    // One of the console's own files, which Workbook::create refuses as an output.
    auto wb = XlsWorkbook::create(path);
    if (!wb) return std::unexpected(wb.error());
    if (auto r = (*wb)->addSheet(kLogSheet, logSheetColumns()); !r) return r;
    return (*wb)->commit();
}

void setLogRow(Workbook& wb, const LogExportRow& row, const LogNames& names) {
    enum Column { Date, Time, CardNo, Name, Group, Mode, Reader, Lock };
    const auto when = parseStoredTime(row.sysTime);
    if (when && when->date().isValid()) {
        wb.setDate(Date, when->date());
        wb.setTime(Time, when->msOfDay);
    } else {
        wb.setText(Date, row.sysTime);  // not a date-time: kept as it is stored
    }
    wb.setNumber(CardNo, row.cardNo);
    const LogNames::Holder* h = names.holder(row.cardNo);
    wb.setText(Name, h ? h->name : kNoName);
    wb.setText(Group, h ? h->group : kNoGroup);
    wb.setText(Mode, modeText(row.mode));
    wb.setText(Reader, names.lockText(row.reader));
    wb.setText(Lock, names.lockText(row.lock));
}

Result<LogWorkbookDone> writeLogWorkbook(Database& att, Database& src, const QString& path,
                                         WorkbookFormat format, const std::optional<LogDays>& days,
                                         qint64 total, WorkContext* work) {
    const auto names = LogNames::read(src);
    if (!names) return std::unexpected(names.error());
    auto wb = Workbook::create(path, format, true);
    if (!wb) return fail(cannotReplaceFile(path));
    Workbook& book = **wb;
    if (!book.addSheet(kLogSheet, logSheetColumns())) return fail(cannotReplaceFile(path));
    const auto rows = walkLog(att, days, total, work, [&](const LogExportRow& row) {
        if (!book.newRow()) return Result<void>(fail(msg::UpdateFailed));
        setLogRow(book, row, *names);
        return Result<void>{};
    });
    if (!rows) return std::unexpected(rows.error());
    if (*rows == 0) return fail(msg::NoRecord);
    if (!book.commit()) return fail(cannotReplaceFile(path));
    return LogWorkbookDone{*rows, book.sheetNames()};
}

}  // namespace tallyport
