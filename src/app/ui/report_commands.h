#pragma once

#include "reports/report_contents.h"

#include <QStringList>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace tallyport {

class Console;
class Operator;
class ReportScopeDialog;
class MainWindow;

// How a printed report's action opens its scope dialog: which controls it hides and how it
// sets the hidden "First In and Last Out Only" switch after each confirmation.
struct ReportAction {
    const char* command;
    ReportKind kind;
    QStringList hidden;
    bool (*firstInLastOutOnly)(const ReportScope&);  // null: the switch is not used
};
const std::vector<ReportAction>& reportActions();

// The scope dialog of an action, titled with the action's caption and its controls hidden.
std::unique_ptr<ReportScopeDialog> makeScopeDialog(const ReportAction& action, Console& console,
                                                   QWidget* owner);

// Runs one action: "No record." on an empty log before any dialog; then the dialog comes back
// after each report until it is cancelled. Each report is built and laid out on a worker with
// connections of its own (a progress window that can cancel, the readers read meanwhile), then
// shown in a modal preview (printing from there) or, without "Preview Only", printed straight
// on a worker.
void runReportAction(const ReportAction& action, Console& console, QWidget* owner);

// Connects the Reports menu's printed reports of the main window.
void connectReportCommands(MainWindow& window, Console& console);

// The printer that "straight to the printer" uses: the system's default printer unless a test
// puts its own (a PDF file) in place. Null restores the default.
using ReportPrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
void setReportPrinterFactory(ReportPrinterFactory factory);
// That printer, or null after "No printer is available." when there is none.
std::unique_ptr<QPrinter> readyReportPrinter(Operator& op);

}  // namespace tallyport
