#pragma once

class QWidget;

namespace tallyport {

class Console;
class MainWindow;

// Runs the card editor for a card, its access boxes captioned with the readers'
// descriptions. True when the card's row was stored or deleted; the console then says that
// holders changed.
bool runCardEditor(Console& console, QWidget* parent, int cardNo);

// The log grid's double click on a card: refused with "Feature disabled. Please Login to use
// it." while logged out. True when the card's row was stored or deleted.
bool openCardEditor(Console& console, QWidget* parent, int cardNo);

// "Edit Card Information": the card information list, modal, with the log grid hidden
// while it is open.
void openCardInfo(Console& console, MainWindow* window);

// Connects actcardinfo of the main window.
void connectCardCommands(MainWindow& window, Console& console);

}  // namespace tallyport
