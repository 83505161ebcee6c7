#include "app/ui/report_commands.h"

#include "app/commands.h"
#include "app/console.h"
#include "app/ui/main_window.h"
#include "base/clock.h"
#include "base/long_work.h"
#include "reports/ui/general_scope_dialog.h"
#include "reports/ui/one_session_scope_dialog.h"
#include "reports/ui/report_pages.h"
#include "reports/ui/report_preview.h"
#include "reports/ui/report_printing.h"
#include "reports/ui/two_session_scope_dialog.h"
#include "reports/ui/who_scope_dialog.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/messages.h"
#include "store/schema.h"

#include <QAction>
#include <QDir>
#include <QPrinter>

namespace tallyport {

namespace {

bool filoSet(const ReportScope&) {
    return true;
}
bool filoCleared(const ReportScope&) {
    return false;
}
bool filoForInOut(const ReportScope& s) {
    return s.records == RecordsOfInterest::InOut;
}

const QString kPerLine = QStringLiteral("rgrecord");

ReportPrinterFactory& printerFactory() {
    static ReportPrinterFactory factory;
    return factory;
}

std::unique_ptr<QPrinter> makePrinter() {
    if (printerFactory()) return printerFactory()();
    return std::make_unique<QPrinter>(QPrinter::HighResolution);
}

const QString kNoPrinter = QStringLiteral("No printer is available.");

Result<Database> openReadOnly(const QString& folder, const QString& name, const QByteArray& key) {
    const QString path = QDir(folder).filePath(name);
    auto db = Database::open(path, key, Database::Mode::ReadOnly);
    if (!db) return fail(msg::CannotOpen(path));
    return db;
}

// On the worker: connections of its own to the data folder's files, the contents, the pages.
Result<ReportDocument> buildPages(ReportKind kind, const ReportScope& scope, const QDate& today,
                                  const QString& folder, WorkContext& work) {
    auto att = openReadOnly(folder, kLogFile, kLogKey);
    if (!att) return std::unexpected(att.error());
    auto src = openReadOnly(folder, kSystemFile, kSystemKey);
    if (!src) return std::unexpected(src.error());
    work.setPart(0, 90);
    auto rc = buildReport(kind, scope, today, *att, *src, &work);
    if (!rc) return std::unexpected(rc.error());
    work.setPart(90, 100);
    return layoutReportPages(std::move(*rc), QDateTime(), &work);
}

void runReport(ReportKind kind, const ReportScope& scope, const QString& caption, Console& console,
               QWidget* owner) {
    Operator& op = console.op();
    std::unique_ptr<QPrinter> printer;
    if (!scope.previewOnly && !(printer = readyReportPrinter(op))) return;
    const QString folder = console.data().dataFolder();
    const QDate today = appClock().now().date();
    auto doc = runLongWork<ReportDocument>(op, caption, [=](WorkContext& work) {
        return buildPages(kind, scope, today, folder, work);
    });
    if (!doc) return;                           // cancelled, or failed and said
    if (doc->contents().lines.empty()) return;  // nobody in the scope: nothing to print
    doc->setPrintedOn(appClock().now());
    if (printer) {
        prepareReportPrinter(*printer, *doc);
        printReport(*doc, *printer, op);
        return;
    }
    ReportPreview preview(std::move(*doc), op, owner);
    preview.exec();
}

}  // namespace

const std::vector<ReportAction>& reportActions() {
    static const std::vector<ReportAction> actions = {
        {"actlogs", ReportKind::TimeLogs, {}, filoCleared},
        {"actlifo", ReportKind::TotalHours, {kPerLine}, filoSet},
        {"actdetailtotal", ReportKind::Detail, {kPerLine}, filoForInOut},
        {"actinout", ReportKind::Daily, {}, nullptr},
        {"actwho", ReportKind::Who, {kPerLine}, nullptr},
        {"actlate", ReportKind::Filo, {}, filoSet},
        {"actNsess", ReportKind::TwoSession, {}, filoSet},
        {"actFiloOn", ReportKind::FiloOvernight, {}, filoSet},
    };
    return actions;
}

std::unique_ptr<ReportScopeDialog> makeScopeDialog(const ReportAction& action, Console& console,
                                                   QWidget* owner) {
    Database& src = console.data().src();
    Operator& op = console.op();
    std::unique_ptr<ReportScopeDialog> dialog;
    switch (dialogOf(action.kind)) {
        case ScopeDialog::Scope:
            dialog = std::make_unique<GeneralScopeDialog>(src, op, owner);
            break;
        case ScopeDialog::Who:
            dialog = std::make_unique<WhoScopeDialog>(src, op, owner);
            break;
        case ScopeDialog::OneSession:
            dialog = std::make_unique<OneSessionScopeDialog>(
                src, op, owner, action.kind == ReportKind::FiloOvernight);
            break;
        case ScopeDialog::TwoSession:
            dialog = std::make_unique<TwoSessionScopeDialog>(src, op, owner);
            break;
    }
    if (const CommandInfo* c = findCommand(QString::fromLatin1(action.command)))
        dialog->setWindowTitle(QString::fromLatin1(c->caption));
    for (const QString& name : action.hidden) dialog->hideControl(name);
    dialog->setPickListOpener([&src, &op](QWidget* window) { OpenPickList(src, op, window); });
    return dialog;
}

void runReportAction(const ReportAction& action, Console& console, QWidget* owner) {
    if (console.data().logCount() <= 0) return console.op().error(msg::NoRecord);
    const auto dialog = makeScopeDialog(action, console, owner);
    while (dialog->exec() == QDialog::Accepted) {
        if (action.firstInLastOutOnly)
            dialog->setFirstInLastOutOnly(action.firstInLastOutOnly(dialog->scope()));
        runReport(action.kind, dialog->scope(), dialog->windowTitle(), console, owner);
    }
}

void connectReportCommands(MainWindow& window, Console& console) {
    for (const ReportAction& a : reportActions()) {
        QObject::connect(window.action(QString::fromLatin1(a.command)), &QAction::triggered,
                         &window,
                         [&a, &window, &console] { runReportAction(a, console, &window); });
    }
}

void setReportPrinterFactory(ReportPrinterFactory factory) {
    printerFactory() = std::move(factory);
}

std::unique_ptr<QPrinter> readyReportPrinter(Operator& op) {
    auto printer = makePrinter();
    if (printer->isValid() &&
        !(printer->printerName().isEmpty() && printer->outputFileName().isEmpty()))
        return printer;
    op.error(kNoPrinter);
    return nullptr;
}

}  // namespace tallyport
