#include "app/ui/card_print_commands.h"

#include "app/console.h"
#include "app/ui/main_window.h"
#include "app/ui/report_commands.h"
#include "base/clock.h"
#include "base/long_work.h"
#include "reports/card_print.h"
#include "reports/member_list.h"
#include "reports/ui/card_pages.h"
#include "reports/ui/card_print_dialog.h"
#include "reports/ui/member_list_pages.h"
#include "reports/ui/report_preview.h"
#include "reports/ui/report_printing.h"
#include "staff/groups.h"
#include "staff/ui/pick_list_dialog.h"
#include "staff/ui/staff_scope_dialog.h"
#include "store/messages.h"
#include "store/schema.h"

#include <QAction>
#include <QDir>
#include <QPrinter>

namespace tallyport {

namespace {

using Pages = std::unique_ptr<PagedDocument>;

// The worker's own read-only connection to the holders.
Result<Database> openHolders(const QString& folder) {
    const QString path = QDir(folder).filePath(kSystemFile);
    auto db = Database::open(path, kSystemKey, Database::Mode::ReadOnly);
    if (!db) return fail(msg::CannotOpen(path));
    return db;
}

// Into the preview (printing from there), or straight to `printer` when there is one.
void deliver(Pages doc, std::unique_ptr<QPrinter> printer, Operator& op, QWidget* owner) {
    if (printer) {
        prepareReportPrinter(*printer, *doc);
        printReport(*doc, *printer, op);
        return;
    }
    ReportPreview preview(std::move(doc), op, owner);
    preview.exec();
}

Result<Pages> buildCardSheet(const QString& folder, StaffScope scope, const QString& group,
                             CardPrintJob& job, WorkContext& work) {
    auto src = openHolders(folder);
    if (!src) return std::unexpected(src.error());
    const auto id = scope == StaffScope::Group ? GroupId(*src, group) : Result<int>(0);
    if (!id) return fail(msg::DatabaseError);
    auto holders = selectCardHolders(*src, scope, *id, &work);
    if (!holders) return std::unexpected(holders.error());
    job.holders = std::move(*holders);
    return std::make_unique<CardSheetDocument>(std::move(job));
}

void printCards(const CardPrintDialog& dialog, Console& console, QWidget* owner) {
    Operator& op = console.op();
    CardPrintJob job{dialog.settings(), dialog.pictures(), {}};
    std::unique_ptr<QPrinter> printer;
    if (!job.settings.preview && !(printer = readyReportPrinter(op))) return;
    auto doc = runLongWork<Pages>(
        op, kCardSheetTitle,
        [folder = console.data().dataFolder(), scope = dialog.persons(), group = dialog.groupName(),
         job = std::move(job)](WorkContext& work) mutable {
            return buildCardSheet(folder, scope, group, job, work);
        });
    if (!doc) return;  // cancelled, or failed and said
    deliver(std::move(*doc), std::move(printer), op, owner);
}

Result<Pages> buildMemberList(const QString& folder, StaffScopeChoice choice, WorkContext& work) {
    auto src = openHolders(folder);
    if (!src) return std::unexpected(src.error());
    const auto rows = selectMembers(*src, choice.scope, choice.groupId);
    if (!rows) return std::unexpected(rows.error());
    auto doc = layoutMemberList(*rows, QDateTime(), &work);
    if (!doc) return std::unexpected(doc.error());
    return std::make_unique<MemberListDocument>(std::move(*doc));
}

void printMemberList(const StaffScopeDialog& dialog, Console& console, QWidget* owner) {
    Operator& op = console.op();
    const auto choice = dialog.choice();
    if (!choice) return op.errorDetail(msg::DatabaseError, choice.error().text);
    std::unique_ptr<QPrinter> printer;
    if (!dialog.preview() && !(printer = readyReportPrinter(op))) return;
    auto doc =
        runLongWork<Pages>(op, kMemberListTitle,
                           [folder = console.data().dataFolder(), c = *choice](WorkContext& work) {
                               return buildMemberList(folder, c, work);
                           });
    if (!doc) return;
    (*doc)->setPrintedOn(appClock().now());
    deliver(std::move(*doc), std::move(printer), op, owner);
}

}  // namespace

void runCardPrinting(Console& console, QWidget* owner) {
    Database& src = console.data().src();
    Operator& op = console.op();
    CardPrintDialog dialog(src, op, console.data().dataFolder(), owner);
    dialog.setPickListOpener([&src, &op](QWidget* window) { OpenPickList(src, op, window); });
    while (dialog.exec() == QDialog::Accepted) printCards(dialog, console, owner);
}

void runMemberList(Console& console, QWidget* owner) {
    StaffScopeDialog dialog(console.data().src(), console.op(), owner);
    while (dialog.exec() == QDialog::Accepted) printMemberList(dialog, console, owner);
}

void connectCardPrintCommands(MainWindow& window, Console& console) {
    const auto connectTo = [&](const char* name, void (*run)(Console&, QWidget*)) {
        if (QAction* a = window.action(QLatin1String(name)))
            QObject::connect(a, &QAction::triggered, &window,
                             [run, &window, &console] { run(console, &window); });
    };
    connectTo("actmemberlist", runCardPrinting);
    connectTo("actlistmem", runMemberList);
    connectTo("actmemlist", runMemberList);  // the same list, outside the menus
}

}  // namespace tallyport
