#pragma once

#include "peripherals/peripherals.h"

#include <QString>

namespace tallyport {

// Runs the whole console without a window until SIGINT or SIGTERM: start-up, the event
// loop, the orderly shutdown. Texts for the operator go to standard error; questions get the
// safe answer. Prints "Tallyport VERSION ready: FOLDER" on standard output when started.
// The devices given (the voice, when the program has one) are installed in the console.
int runHeadlessConsole(const QString& dataFolder, const Peripherals& devices = {});

// Said at start when the reader setup enables no reader.
extern const QString kNoReaderEnabled;

QString readyLine(const QString& dataFolder);

}  // namespace tallyport
