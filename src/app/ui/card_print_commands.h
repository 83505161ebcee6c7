#pragma once

class QWidget;

namespace tallyport {

class Console;
class MainWindow;

// "Print Cards": the card dialog comes back after each sheet until it is cancelled. Each
// sheet's holders (with their photos) are read on a worker with a connection of its own, then
// the sheet is previewed (printing from there) or, without "Print Preview", printed straight
// on a worker.
void runCardPrinting(Console& console, QWidget* owner);

// "Print Member List": "Select Staffs" comes back after each list until it is cancelled; the
// list is read and laid out on a worker, then previewed or printed as the dialog says.
void runMemberList(Console& console, QWidget* owner);

// Connects actmemberlist, actlistmem and actmemlist of the main window.
void connectCardPrintCommands(MainWindow& window, Console& console);

}  // namespace tallyport
