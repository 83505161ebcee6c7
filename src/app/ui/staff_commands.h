#pragma once

namespace tallyport {

class Console;
class TTimeRec;

// Connects the main window's group and time table commands to their dialogs.
void connectStaffCommands(TTimeRec& window, Console& console);

}  // namespace tallyport
