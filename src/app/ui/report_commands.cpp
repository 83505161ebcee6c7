#include "app/ui/report_commands.h"

#include "app/commands.h"
#include "app/console.h"
#include "app/ui/ttimerec.h"
#include "base/clock.h"
#include "reports/ui/late_scope_dialog.h"
#include "reports/ui/report_pages.h"
#include "reports/ui/scope_dialog.h"
#include "reports/ui/two_session_scope_dialog.h"
#include "reports/ui/who_scope_dialog.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/messages.h"

#include <QAction>
#include <QPrintPreviewDialog>
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

void preview(const ReportContents& rc, const QDateTime& printedOn, Operator& op, QWidget* owner) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(reportPageLayout());
    printer.setDocName(rc.title);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(rc.title);
    dialog.setWindowState(Qt::WindowMaximized);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) {
        auto progress = op.progress(rc.title, 100);
        if (auto pages = paintReportPages(rc, *p, printedOn, progress.get()); !pages)
            op.error(pages.error().text);
    });
    dialog.exec();
}

void print(const ReportContents& rc, const QDateTime& printedOn, Operator& op) {
    std::unique_ptr<QPrinter> printer = makePrinter();
    if (!printer->isValid() ||
        (printer->printerName().isEmpty() && printer->outputFileName().isEmpty()))
        return op.error(kNoPrinter);
    printer->setPageLayout(reportPageLayout());
    printer->setDocName(rc.title);
    auto progress = op.progress(rc.title, 100);
    if (auto pages = paintReportPages(rc, *printer, printedOn, progress.get()); !pages)
        op.error(pages.error().text);
}

void runReport(ReportKind kind, const ReportScope& scope, Console& console, QWidget* owner) {
    Operator& op = console.op();
    Result<ReportContents> rc = [&] {
        auto wait = op.waitCursor();
        return buildReport(kind, scope, appClock().now().date(), console.data().att(),
                           console.data().src());
    }();
    if (!rc) return op.error(rc.error().text);
    if (rc->lines.empty()) return;  // nobody in the scope: nothing to print
    const QDateTime printedOn = appClock().now();
    if (scope.previewOnly)
        preview(*rc, printedOn, op, owner);
    else
        print(*rc, printedOn, op);
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
            dialog = std::make_unique<TSetScope>(src, op, owner);
            break;
        case ScopeDialog::Who:
            dialog = std::make_unique<Twhoscope>(src, op, owner);
            break;
        case ScopeDialog::OneSession:
            dialog = std::make_unique<TSetLateScope>(src, op, owner,
                                                     action.kind == ReportKind::FiloOvernight);
            break;
        case ScopeDialog::TwoSession:
            dialog = std::make_unique<TSetnLateScope>(src, op, owner);
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
        runReport(action.kind, dialog->scope(), console, owner);
    }
}

void connectReportCommands(TTimeRec& window, Console& console) {
    for (const ReportAction& a : reportActions()) {
        QObject::connect(window.action(QString::fromLatin1(a.command)), &QAction::triggered,
                         &window,
                         [&a, &window, &console] { runReportAction(a, console, &window); });
    }
}

void setReportPrinterFactory(ReportPrinterFactory factory) {
    printerFactory() = std::move(factory);
}

}  // namespace tallyport
