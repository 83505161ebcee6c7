#pragma once

// A fresh data folder whose reader 1 ("Front door", mode IN) is at 127.0.0.1:port: what a test
// of the live recording starts a console on.
#include "support/recorder_folder.h"

namespace tallyport::test {

inline void pointReaderAt(const QString& folder, quint16 port) {
    prepareRecorderFolder(folder, port, {});
}

}  // namespace tallyport::test
