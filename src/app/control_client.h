#pragma once

#include "app/control_protocol.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tallyport {

// How asking the recorder ended.
struct RecorderAnswer {
    enum class Kind {
        Answered,    // the recorder carried the command out: exitCode is its exit code
        NoRecorder,  // nothing listens on the folder's control socket
        Refused,     // the socket is not ours to use (permission): `text` says so
        Failed,      // the recorder went silent or away mid-request: `text` says so
    };
    Kind kind = Kind::NoRecorder;
    int exitCode = 1;
    QString text;
};

using OutputLine = std::function<void(OutputStream, const QString&)>;
// Prints a line as the command itself would: on standard output or standard error.
void printOutputLine(OutputStream stream, const QString& text);

// Sends `command ARGS` to the recorder of `dataFolder`; the lines it answers go to `out` as
// they come.
RecorderAnswer askRecorder(const QString& dataFolder, const QString& command,
                           const QStringList& args, const OutputLine& out = printOutputLine);

}  // namespace tallyport
