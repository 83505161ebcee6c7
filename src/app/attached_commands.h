#pragma once

#include <QString>

namespace tallyport {

class Console;

// What a console attached to a recorder does in place of the commands that need the readers
// or replace the recorder's files.

// True, and said, when the console is attached: `command` ("Restore", "Format", "Erase")
// replaces files the recorder has open.
bool refusedWhileAttached(Console& console, const QString& command);

// Import Transaction Logs / Staff Records carried out by the recorder: the same file question,
// then the recorder imports a copy placed in the data folder (the service may not read the
// person's own folders) and says its counts. True when it ran to its end.
bool importOnRecorder(Console& console, bool log);

}  // namespace tallyport
