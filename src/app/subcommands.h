#pragma once

#include "store/data_folder_lock.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tallyport {

// The exit codes of every `tallyport` sub-command.
enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,          // the system's message is on standard error
    kExitUsage = 2,           // bad arguments; the usage is on standard error
    kExitConsoleRunning = 3,  // another process holds the data folder: nothing was touched
};

// A batch job of the menus as a command of its own: `tallyport NAME ARGS...`. `run` gets the
// whole command line (argv[1] is NAME) and answers an ExitCode; it makes its own application
// object when it needs one.
class DataModule;
class Operator;

struct Subcommand {
    const char* name;
    const char* summary;  // one line for `tallyport --help`
    int (*run)(int argc, char** argv);
};
const std::vector<Subcommand>& subcommands();
const Subcommand* findSubcommand(const char* name);

// The folder's databases opened for a command that sets a folder up (holders, reader rows): a
// folder holding none of them is a new installation and is made first, as the console makes
// it. False when they did not open (said).
bool openSettingUp(DataModule& data, Operator& op);

// For commands that change the data: the data folder's lock, held for as long as the returned
// object lives, so no console or other command writes the folder meanwhile. When it is not
// held the refusal has been said on standard error, and the command ends with
// refusedExitCode(): kExitConsoleRunning when another process holds the folder, kExitFailed
// when it cannot be locked at all (a missing folder, no permission).
DataFolderLock holdDataFolderOrSay(const QString& folder);
int refusedExitCode(const DataFolderLock& lock);

// For a command the recorder carries out (reader, import) that found the folder held: the
// recorder's exit code once it carried the command out, its lines printed as they came.
// Without a recorder to ask (another command holds the folder) the refusal is said as
// holdDataFolderOrSay says it, with the same exit code.
int askRecorderOrRefuse(const DataFolderLock& lock, const QString& command,
                        const QStringList& args);

}  // namespace tallyport
