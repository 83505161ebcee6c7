#pragma once

#include "reports/sheet_reports.h"

#include <QStringList>
#include <memory>
#include <vector>

class QWidget;

namespace tallyport {

class Console;
class GeneralScopeDialog;
class MainWindow;

// "Export to Text File" and "Export to Excel File": "No record." on an empty log, the export
// file dialog proposing "log", the whole log written on a worker (a progress window that can
// cancel; the readers are read meanwhile), then "Completed.".
void exportLogAsText(Console& console);
void exportLogAsWorkbook(Console& console);

// A spreadsheet report's action: the scope dialog without the controls it has no use for, the
// file, the persons, and the report written on a worker.
struct SheetAction {
    const char* command;
    SheetReport report;
    const char* proposedName;
    QStringList hidden;
    bool inOutOnly;  // "Records of interest" preset to IN/OUT (and hidden)
};
const std::vector<SheetAction>& sheetActions();

// The scope dialog of an action, titled with its caption, its controls hidden and preset.
std::unique_ptr<GeneralScopeDialog> makeSheetScopeDialog(const SheetAction& action,
                                                         Console& console, QWidget* owner);
void runSheetAction(const SheetAction& action, Console& console, QWidget* owner);

// Connects acttext, actexcel and the Spreadsheet menu's reports of the main window.
void connectExportCommands(MainWindow& window, Console& console);

}  // namespace tallyport
