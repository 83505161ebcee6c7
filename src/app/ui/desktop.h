#pragma once

#include "app/recorder_link.h"

#include <QString>
#include <chrono>
#include <optional>

namespace tallyport {

// The console on the desktop, called by main once the QApplication exists and the instance
// guard is taken: splash, operator, console and main window, then the event loop. Returns the
// program's exit code; 1 without entering the loop when start-up failed (its messages shown).
// With a recorder the console opens attached to it instead of recording.
int runDesktopConsole(const QString& dataFolder,
                      const std::optional<AttachedRecorder>& recorder = std::nullopt);

// A second launch: tells the person that the console runs already, on standard error too. The
// box closes itself after `closeAfter` when nobody answers it, so a script that started the
// launch gets its exit code (second_instance.cpp).
inline constexpr std::chrono::seconds kAnotherInstanceWait{10};
void showAnotherInstance(std::chrono::milliseconds closeAfter = kAnotherInstanceWait);
// A console that may not start (the data folder is held by another process): says why.
void showStartRefused(const QString& text);

}  // namespace tallyport
