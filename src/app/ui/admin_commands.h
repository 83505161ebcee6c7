#pragma once

namespace tallyport {

class Console;
class MainWindow;

// "Access Manager" (and "Offline Access Table"): the manager on the first enabled reader, the
// log grid hidden meanwhile and shown again afterwards with what was downloaded.
void openAccessManager(Console& console, MainWindow* window);
// "System PINs": the manager in its system PIN layout.
void openSystemPins(Console& console, MainWindow* window);
// "Setup Readers": the reader setup; the readers it touched are configured afresh after it.
void openReaderSetup(Console& console, MainWindow* window);
// The door button as start-up leaves it: shown when enabled, captioned "DESC -> OPEN".
void showDoorButton(MainWindow& window, Console& console);

// Connects actreaders, actOfflineManager, actoffline, actmasterpin, actDoorOpen and the door
// button bDoorOpen of the main window.
void connectAdminCommands(MainWindow& window, Console& console);

}  // namespace tallyport
