#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace tallyport {

// The exit codes of every `tallyport` sub-command.
enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,          // the system's message is on standard error
    kExitUsage = 2,           // bad arguments; the usage is on standard error
    kExitConsoleRunning = 3,  // a console holds the data: nothing was touched
};

inline const QString kConsoleRunning = QStringLiteral(
    "A Tallyport console is running for this user; close it (or stop its service) first. "
    "Nothing was changed.");

// A batch job of the menus as a command of its own: `tallyport NAME ARGS...`. `run` gets the
// whole command line (argv[1] is NAME) and answers an ExitCode; it makes its own application
// object when it needs one.
struct Subcommand {
    const char* name;
    const char* summary;  // one line for `tallyport --help`
    int (*run)(int argc, char** argv);
};
const std::vector<Subcommand>& subcommands();
const Subcommand* findSubcommand(const char* name);

// For commands that change the data: takes the console's single-instance lock for as long as
// the returned object lives, so no console starts meanwhile. Empty (and kConsoleRunning said
// on standard error) when a console holds it: the command then exits kExitConsoleRunning.
class InstanceGuard;
std::unique_ptr<InstanceGuard> holdDataOrSay();

}  // namespace tallyport
