#include "app/subcommands.h"

#include "store/data_module.h"

#include "app/control_client.h"
#include "app/export_command.h"
#include "app/holder_command.h"
#include "app/mail_command.h"
#include "app/maintenance_command.h"
#include "app/reader_command.h"
#include "app/status_command.h"

#include <cstdio>
#include <cstring>

namespace tallyport {

// Each batch job adds its line here; `report` is handled by the program itself, since its PDF
// pages need the GUI library.
const std::vector<Subcommand>& subcommands() {
    static const std::vector<Subcommand> table = {
        {"reader", "administer a reader: show, sync-clock, download, clear, upload, set, list",
         &runReaderCommand},
        {"holder", "register, list or remove card holders; import them from a CSV file",
         &runHolderCommand},
        {"status", "what the recorder of the data folder is doing", runStatusCommand},
        {"export", "write the log to a text file or a workbook", runExportCommand},
        {"backup", "copy the log or system database to a file, also while a console records",
         runBackupCommand},
        {"restore", "replace the log or system database by a backup", runRestoreCommand},
        {"import", "add the log rows or card holders of another database", runImportCommand},
        {"erase", "erase the log, or its rows before a date", runEraseCommand},
        {"format", "replace both databases by blank ones, empty the photo folder",
         runFormatCommand},
        {"mail", "send a test message with the e-mail settings", runMailCommand},
    };
    return table;
}

const Subcommand* findSubcommand(const char* name) {
    for (const Subcommand& s : subcommands())
        if (std::strcmp(s.name, name) == 0) return &s;
    return nullptr;
}

bool openSettingUp(DataModule& data, Operator& op) {
    if (auto made = data.prepareDataFolder(); !made) {
        op.error(made.error().text);
        return false;
    }
    return data.OpenDatabases();
}

DataFolderLock holdDataFolderOrSay(const QString& folder) {
    DataFolderLock lock = DataFolderLock::take(folder, DataFolderLock::Missing::Fail);
    if (!lock.held()) std::fprintf(stderr, "%s\n", qPrintable(lock.refusal()));
    return lock;
}

int refusedExitCode(const DataFolderLock& lock) {
    return lock.state() == DataFolderLock::State::HeldElsewhere ? kExitConsoleRunning : kExitFailed;
}

int askRecorderOrRefuse(const DataFolderLock& lock, const QString& command,
                        const QStringList& args) {
    // A lock file this user may not open can still hide a recorder this user may ask.
    if (lock.state() != DataFolderLock::State::Held) {
        const RecorderAnswer answer = askRecorder(lock.folder(), command, args);
        switch (answer.kind) {
            case RecorderAnswer::Kind::Answered:
                return answer.exitCode;
            case RecorderAnswer::Kind::Refused:
                std::fprintf(stderr, "%s\n", qPrintable(answer.text));
                return kExitConsoleRunning;
            case RecorderAnswer::Kind::Failed:
                std::fprintf(stderr, "%s\n", qPrintable(answer.text));
                return kExitFailed;
            case RecorderAnswer::Kind::NoRecorder:
                break;
        }
    }
    std::fprintf(stderr, "%s\n", qPrintable(lock.refusal()));
    return refusedExitCode(lock);
}

}  // namespace tallyport
