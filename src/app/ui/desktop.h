#pragma once

#include <QString>

namespace tallyport {

// The console on the desktop, called by main once the QApplication exists and the instance
// guard is taken: splash, operator, console and main window, then the event loop. Returns the
// program's exit code; 1 without entering the loop when start-up failed (its messages shown).
int runDesktopConsole(const QString& dataFolder);

// A second launch: tells the person that the console runs already.
void showAnotherInstance();
// A console that may not start (the data folder is held by another process): says why.
void showStartRefused(const QString& text);

}  // namespace tallyport
