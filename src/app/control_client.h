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

// How far the recorder is with a long step: caption, position, maximum.
using ProgressLine = std::function<void(const QString&, int, int)>;
// Asked now and then while the answer is awaited: true ends the wait (the recorder carries on:
// a request is never cancelled by its client going away).
using StopAsking = std::function<bool()>;

// Sends `command ARGS` to the recorder of `dataFolder`; the lines it answers go to `out` as
// they come, its progress to `progress`.
RecorderAnswer askRecorder(const QString& dataFolder, const QString& command,
                           const QStringList& args, const OutputLine& out = printOutputLine,
                           const ProgressLine& progress = {}, const StopAsking& stop = {});

}  // namespace tallyport
