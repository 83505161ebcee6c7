#pragma once

namespace tallyport {

class Console;
class MainWindow;

// Connects the maintenance and import commands of the Database menu: backup and restore of
// both databases, Erase Log Database, Erase Staff Records, Format Database, Import Log Records
// and Import Staff Records.
void connectMaintenanceCommands(MainWindow& window, Console& console);

}  // namespace tallyport
