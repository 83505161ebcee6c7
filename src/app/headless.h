#pragma once

#include <QString>

namespace tallyport {

// Runs the whole console without a window until SIGINT or SIGTERM: start-up, the event
// loop, the orderly shutdown. Texts for the operator go to standard error; questions get the
// safe answer. Prints "Tallyport VERSION ready: FOLDER" on standard output when started.
int RunHeadless(const QString& dataFolder);

QString ReadyLine(const QString& dataFolder);

}  // namespace tallyport
