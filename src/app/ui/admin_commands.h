#pragma once

namespace tallyport {

class Console;
class TTimeRec;

// "Access Manager" (and "Offline Access Table"): the manager on the first enabled reader, the
// log grid hidden meanwhile and shown again afterwards with what was downloaded.
void openAccessManager(Console& console, TTimeRec* window);
// "System PINs": the manager in its system PIN layout.
void openSystemPins(Console& console, TTimeRec* window);
// "Setup Readers": the reader setup; the readers it touched are configured afresh after it.
void openReaderSetup(Console& console, TTimeRec* window);
// The door button as start-up leaves it: shown when enabled, captioned "DESC -> OPEN".
void showDoorButton(TTimeRec& window, Console& console);

// Connects actreaders, actOfflineManager, actoffline, actmasterpin, actDoorOpen and the door
// button bDoorOpen of the main window.
void connectAdminCommands(TTimeRec& window, Console& console);

}  // namespace tallyport
