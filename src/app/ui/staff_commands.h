#pragma once

namespace tallyport {

class Console;
class MainWindow;

// Connects the main window's group and time table commands to their dialogs.
void connectStaffCommands(MainWindow& window, Console& console);

}  // namespace tallyport
