#pragma once

#include "admin/reader_setup.h"
#include "admin/task.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tallyport {

class AccessManager;

inline const QString kReaderCommand = QStringLiteral("reader");

// `tallyport reader N ACTION`: the Access Manager's workflows for scripts and for consoles
// run as a service, on the same code as the dialog. N is the port number 1..8 of the reader
// setup; the command talks to that row's address.
enum class ReaderAction { Show, SyncClock, Download, Clear, Upload, Pins };

struct ReaderRequest {
    int port = 0;
    ReaderAction action = ReaderAction::Show;
    bool clearAfter = false;  // download --clear
    bool yes = false;         // clear --yes: it asks nothing
    int accessPin = 0;        // pins ACCESS CONTROL
    int controlPin = 0;
    QString dataDir;
    int replyWaitMs = 0;  // 0: the usual reply times
    bool help = false;
    QString error;  // not empty when the arguments are wrong
};

// `tallyport reader list [--json]` and `tallyport reader N set [--address HOST:PORT]
// [--mode clock|in|out] [--desc TEXT] [--enable|--disable]`: the rows of the reader setup, read
// and changed as the Reader Setup dialog does, without the readers.
struct ReaderRowRequest {
    bool list = false;
    int port = 0;
    bool json = false;
    ReaderRowChange change;
    QString dataDir;
    QString error;
};
// True for the words of list and set (the words after "reader").
bool isReaderRowCommand(const QStringList& args);
ReaderRowRequest parseReaderRowArguments(const QStringList& args);
// A row as `reader list` prints it: port, enabled, address, mode, description, tab-separated.
QString rowLine(const ReaderRow& r);
// The arguments without `--data-dir DIR`: what a recorder is asked.
QStringList withoutDataDir(const QStringList& args);
int runReaderRowCommand(const QStringList& args);

ReaderRequest parseReaderArguments(const QStringList& args);  // the words after "reader"
QString readerUsageText();
// The action's workflow; the lines it prints go to `out`. `quietInformation` is the
// operator's: `show` prints its own lines instead of the workflow's information.
using LineOut = std::function<void(const QString&)>;
Task<bool> runReaderAction(ReaderRequest q, AccessManager& m, bool& quietInformation, LineOut out);
// "Card reads stored meanwhile: N"
QString cardReadsStoredText(int count);
// The words the recorder is sent: the command's own, without the folder.
QStringList recorderReaderArguments(const ReaderRequest& q);

// Exit codes as every sub-command's: 0 done, 1 failed, 2 bad usage, 3 a console runs.
int runReaderCommand(int argc, char** argv);

}  // namespace tallyport
