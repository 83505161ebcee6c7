#pragma once

namespace tallyport {

class Console;
class MainWindow;

// Connects "Email" and "Web Reporter" to their dialogs, the sending timer and the server, and
// shows the mailing's state in the status bar's second panel.
void connectNotifyCommands(MainWindow& window, Console& console);

}  // namespace tallyport
