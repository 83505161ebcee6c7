#include "app/ui/export_commands.h"

#include "app/commands.h"
#include "app/console.h"
#include "app/export_jobs.h"
#include "app/ui/main_window.h"
#include "base/clock.h"
#include "base/long_work.h"
#include "reports/ui/general_scope_dialog.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/export_file.h"
#include "store/messages.h"

#include <QAction>

namespace tallyport {
namespace {

QString captionOf(const char* command) {
    const CommandInfo* c = findCommand(QString::fromLatin1(command));
    return c ? QString::fromLatin1(c->caption) : QString();
}

void exportLog(Console& console, const char* command, ExportFileKind fileKind) {
    Operator& op = console.op();
    const qint64 count = console.data().logCount();
    if (count <= 0) return op.error(msg::NoRecord);
    const auto path = ChooseExportFile(op, captionOf(command), fileKind, QStringLiteral("log"));
    if (!path) return;
    const LogExportKind kind =
        fileKind == ExportFileKind::Text ? LogExportKind::Text : workbookKindOf(*path);
    const QString folder = console.data().dataFolder();
    const auto done = runLongWork<LogExportDone>(
        op, logExportCaption(kind, count), [folder, kind, file = *path, count](WorkContext& work) {
            return tallyport::exportLog(folder, kind, file, std::nullopt, count, &work);
        });
    if (!done) return;  // cancelled, or failed and said
    op.information(exportCompletedText(done->rows, done->sheets));
}

const QString kEnhance = QStringLiteral("cbenhance");
const QString kPreview = QStringLiteral("cbpreview");
const QString kPerLine = QStringLiteral("rgrecord");
const QString kFormat = QStringLiteral("rgformat");
const QString kRecords = QStringLiteral("rgscope");

}  // namespace

void exportLogAsText(Console& console) {
    exportLog(console, "acttext", ExportFileKind::Text);
}

void exportLogAsWorkbook(Console& console) {
    exportLog(console, "actexcel", ExportFileKind::Spreadsheet);
}

const std::vector<SheetAction>& sheetActions() {
    static const std::vector<SheetAction> actions = {
        {"actexpfilo",
         SheetReport::FirstLast,
         "First In Last Out",
         {kEnhance, kPreview, kPerLine, kFormat},
         false},
        {"actAllinout",
         SheetReport::Pairs,
         "IN OUT pairs",
         {kEnhance, kPreview, kFormat, kRecords},
         true},
        {"actexpfix", SheetReport::TimeLogs, "Time Logs", {kEnhance, kPreview, kFormat}, false},
        {"actAttnPairs",
         SheetReport::LateEarly,
         "Late and Early Leave",
         {kEnhance, kPreview, kFormat, kRecords},
         true},
    };
    return actions;
}

std::unique_ptr<GeneralScopeDialog> makeSheetScopeDialog(const SheetAction& action,
                                                         Console& console, QWidget* owner) {
    Database& src = console.data().src();
    Operator& op = console.op();
    auto dialog = std::make_unique<GeneralScopeDialog>(src, op, owner);
    dialog->setWindowTitle(captionOf(action.command));
    for (const QString& name : action.hidden) dialog->hideControl(name);
    if (action.inOutOnly) {
        ReportScope s = dialog->scope();
        s.records = RecordsOfInterest::InOut;
        dialog->setScope(s);
    }
    dialog->setPickListOpener([&src, &op](QWidget* window) { OpenPickList(src, op, window); });
    return dialog;
}

void runSheetAction(const SheetAction& action, Console& console, QWidget* owner) {
    Operator& op = console.op();
    if (console.data().logCount() <= 0) return op.error(msg::NoRecord);
    ReportScope scope;
    {
        const auto dialog = makeSheetScopeDialog(action, console, owner);
        if (dialog->exec() != QDialog::Accepted) return;
        scope = dialog->scope();
    }
    const QString caption = captionOf(action.command);
    const auto path = ChooseExportFile(op, caption, ExportFileKind::Spreadsheet,
                                       QString::fromLatin1(action.proposedName));
    if (!path) return;
    auto persons = selectReportPersons(console.data().src(), scope.persons, scope.groupName);
    if (!persons) {
        op.errorDetail(msg::DatabaseError, persons.error().text);
        return op.error(msg::UpdateFailed);
    }
    const qsizetype count = qsizetype(persons->size());
    const SheetReportJob job{action.report,           scope, std::move(*persons),
                             appClock().now().date(), *path, workbookFormatOf(*path)};
    const QString folder = console.data().dataFolder();
    const auto done = runLongWork<SheetReportDone>(
        op, exportingCaption(count),
        [folder, job](WorkContext& work) { return exportSheetReport(folder, job, &work); });
    if (!done) return;
    if (done->sheets.isEmpty()) return op.information(kNobodyWritten);
    if (done->timeTableFailures > 0) op.error(msg::UpdateFailed);
    op.information(msg::Completed);
}

void connectExportCommands(MainWindow& window, Console& console) {
    QObject::connect(window.action(QStringLiteral("acttext")), &QAction::triggered, &window,
                     [&console] { exportLogAsText(console); });
    QObject::connect(window.action(QStringLiteral("actexcel")), &QAction::triggered, &window,
                     [&console] { exportLogAsWorkbook(console); });
    for (const SheetAction& a : sheetActions())
        QObject::connect(window.action(QString::fromLatin1(a.command)), &QAction::triggered,
                         &window, [&a, &window, &console] { runSheetAction(a, console, &window); });
}

}  // namespace tallyport
