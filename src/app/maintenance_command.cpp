#include "app/maintenance_command.h"

#include "store/attached_mark.h"

#include "app/command_line.h"
#include "app/subcommands.h"
#include "app/terminal_operator.h"
#include "store/data_module.h"
#include "store/log_import.h"
#include "store/maintenance.h"
#include "store/maintenance_texts.h"
#include "store/staff_import.h"
#include "version.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace tallyport {
namespace {

struct Arguments {
    QStringList words;  // what is not an option
    QString dataDir;
    bool help = false;
    bool yes = false;
    std::optional<QDate> before;
    QString error;
};

// Options every command takes, and the ones its usage names (--yes, --before).
Arguments parse(int argc, char** argv, const QString& usage) {
    Arguments a;
    for (int i = 2; i < argc && a.error.isEmpty(); ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a.help = true;
        } else if (arg == QLatin1String("--yes") && usage.contains(arg)) {
            a.yes = true;
        } else if (arg == QLatin1String("--data-dir") && hasValue) {
            a.dataDir = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--before") && hasValue && usage.contains(arg)) {
            const QString v = QString::fromLocal8Bit(argv[++i]);
            a.before = QDate::fromString(v, QStringLiteral("yyyy-MM-dd"));
            if (!a.before->isValid())
                a.error = QStringLiteral("--before: give a date as YYYY-MM-DD, not \"%1\"").arg(v);
        } else if (arg.startsWith(u'-')) {
            a.error = QStringLiteral("Unknown option or missing value: ") + arg;
        } else {
            a.words << arg;
        }
    }
    a.dataDir = QDir(a.dataDir.isEmpty() ? defaultDataFolder() : a.dataDir).absolutePath();
    return a;
}

// The exit code when the arguments end the command (help or a mistake), or nothing.
std::optional<int> answered(const Arguments& a, const QString& usage, qsizetype words,
                            const QString& why = {}) {
    if (a.help) return printLine(stdout, usage), kExitDone;
    QString error = a.error;
    if (error.isEmpty() && a.words.size() != words)
        error = QStringLiteral("Wrong number of arguments.");
    if (error.isEmpty()) error = why;
    if (error.isEmpty()) return std::nullopt;
    printLine(stderr, error + QStringLiteral("\n\n") + usage);
    return kExitUsage;
}

std::optional<DbKind> kindNamed(const QString& word, const QString& system) {
    if (word == QLatin1String("log")) return DbKind::Log;
    if (word == system) return DbKind::System;
    return std::nullopt;
}

// The data module of the command: not opened, the jobs open what they need.
struct Job {
    Job(int count, char** argv, const QString& dataDir) : argc(count), app(argc, argv), data(op) {
        QCoreApplication::setApplicationName(QStringLiteral(TALLYPORT_PRODUCT));
        data.setDataFolder(dataDir);
    }
    int argc;  // the application keeps a reference to it
    QCoreApplication app;
    TerminalOperator op{false};  // nothing is asked: the command line has said it all
    DataModule data;
};

const QString kCommon = QStringLiteral(
    "  --data-dir DIR  folder of the databases (default: ~/.local/share/Tallyport)\n"
    "  --help          show this text\n"
    "\n"
    "Exit codes: 0 done, 1 failed (the message is on standard error), 2 bad usage");
const QString kHeld = QStringLiteral(
    ", 3 another process (a console, a command) holds the data folder: nothing was touched.\n");

const QString kBackupUsage =
    QStringLiteral(
        "Usage: tallyport backup log|sys FILE [--data-dir DIR]\n"
        "\n"
        "Copies the log or the system database to FILE (replaced when it exists). The copy is\n"
        "taken with the online backup while a console goes on recording, checked with its key, "
        "and\n"
        "only then put in place: a copy that fails leaves an existing FILE as it was. A FILE\n"
        "that is one of the console's own files (a database, a template, the lock, the\n"
        "settings), under any name or link, is refused.\n"
        "\n") +
    kCommon + QStringLiteral(".\n");

const QString kKept = QStringLiteral(
    "A copy of each file it replaces or changes is kept first in DIR/replaced/ (named by kind\n"
    "and time; the newest three of each kind stay) and its path printed; when no copy can be\n"
    "kept, nothing is changed. A copy is taken back with `tallyport restore`.\n");

const QString kRestoreUsage =
    QStringLiteral(
        "Usage: tallyport restore log|sys FILE [--data-dir DIR]\n"
        "\n"
        "Replaces the log or the system database by FILE, a backup of the same kind, read\n"
        "through the database engine (what its write-ahead file holds is restored too). A file\n"
        "that does not open with the key of its kind, fails its integrity check or lacks a table\n"
        "or column of its kind is refused (\"Invalid Database\") and the live file stays as it\n"
        "was. Not while another process holds the data folder.\n"
        "\n") +
    kKept + QStringLiteral("\n") + kCommon + kHeld;

const QString kImportUsage =
    QStringLiteral(
        "Usage: tallyport import log|staff FILE [--data-dir DIR]\n"
        "\n"
        "Adds the log rows (log) or the card holders with their work groups (staff) of another\n"
        "database: rows already there are counted as duplicates and left alone. Prints the "
        "counts.\n"
        "When a recorder (the service, a console) holds the data folder, it imports the file\n"
        "beside its recording and this command prints what it answers.\n"
        "\n") +
    kCommon +
    QStringLiteral(
        ", 3 another process that is no recorder holds the data folder, or its\n"
        "recorder may not be asked by this user: nothing was touched.\n");

const QString kEraseUsage =
    QStringLiteral(
        "Usage: tallyport erase log [--before YYYY-MM-DD] --yes [--data-dir DIR]\n"
        "\n"
        "Erases every log row, or with --before those dated before that day, each with its\n"
        "snapshot picture. Asks nothing: --yes is required. Not while another process holds\n"
        "the data folder.\n"
        "\n") +
    kKept + QStringLiteral("\n") + kCommon + kHeld;

const QString kFormatUsage =
    QStringLiteral(
        "Usage: tallyport format --yes [--data-dir DIR]\n"
        "\n"
        "Replaces both databases by their blank templates and, once both are replaced, empties\n"
        "the photo folder of its pictures: every log row, card holder, group, reader setting,\n"
        "password and PIN is gone from the live files. Asks nothing: --yes is required. Not\n"
        "while another process holds the data folder.\n"
        "\n") +
    kKept + QStringLiteral("\n") + kCommon + kHeld;

void sayKept(Operator& op, const QString& path) {
    if (!path.isEmpty()) op.information(msg::KeptCopy + QDir::toNativeSeparators(path));
}

// Consoles attached to the folder (a desktop beside a recorder that was stopped since) still
// have the files open: what replaces them waits until they are closed.
bool attachedConsolesSaid(const QString& folder) {
    if (!consolesAttached(folder)) return false;
    std::fprintf(stderr, "%s\n", qPrintable(consolesAttachedText(folder)));
    return true;
}

}  // namespace

int runBackupCommand(int argc, char** argv) {
    const Arguments a = parse(argc, argv, kBackupUsage);
    const auto kind = kindNamed(a.words.value(0), QStringLiteral("sys"));
    if (const auto code =
            answered(a, kBackupUsage, 2, kind ? QString() : QStringLiteral("log or sys?")))
        return *code;
    Job job(argc, argv, a.dataDir);
    if (!backupDatabaseTo(job.data, job.op, *kind, a.words[1])) return kExitFailed;
    job.op.information(msg::Completed);
    return kExitDone;
}

int runRestoreCommand(int argc, char** argv) {
    const Arguments a = parse(argc, argv, kRestoreUsage);
    const auto kind = kindNamed(a.words.value(0), QStringLiteral("sys"));
    if (const auto code =
            answered(a, kRestoreUsage, 2, kind ? QString() : QStringLiteral("log or sys?")))
        return *code;
    Job job(argc, argv, a.dataDir);
    const DataFolderLock held = holdDataFolderOrSay(a.dataDir);
    if (!held.held()) return refusedExitCode(held);
    if (attachedConsolesSaid(a.dataDir)) return kExitConsoleRunning;
    const auto kept = restoreDatabaseFrom(job.data, job.op, *kind, a.words[1]);
    if (!kept) return kExitFailed;
    sayKept(job.op, *kept);
    job.op.information(msg::Completed);
    return kExitDone;
}

int runImportCommand(int argc, char** argv) {
    const Arguments a = parse(argc, argv, kImportUsage);
    const auto kind = kindNamed(a.words.value(0), kImportStaff);
    if (const auto code =
            answered(a, kImportUsage, 2, kind ? QString() : QStringLiteral("log or staff?")))
        return *code;
    Job job(argc, argv, a.dataDir);
    // A recorder that holds the folder imports on its own connection, beside its recording.
    const DataFolderLock held = DataFolderLock::take(a.dataDir, DataFolderLock::Missing::Fail);
    if (!held.held())
        return askRecorderOrRefuse(held, kImportCommand,
                                   {a.words[0], QFileInfo(a.words[1]).absoluteFilePath()});
    const bool done = *kind == DbKind::Log ? importLogFrom(job.data, job.op, a.words[1], false)
                                           : importStaffFrom(job.data, job.op, a.words[1], false);
    return done ? kExitDone : kExitFailed;
}

int runEraseCommand(int argc, char** argv) {
    const Arguments a = parse(argc, argv, kEraseUsage);
    const QString why = a.words.value(0) != QLatin1String("log")
                            ? QStringLiteral("Only the log is erased here: erase log.")
                        : !a.yes ? QStringLiteral("Nothing is asked here: add --yes to erase.")
                                 : QString();
    if (const auto code = answered(a, kEraseUsage, 1, why)) return *code;
    Job job(argc, argv, a.dataDir);
    const DataFolderLock held = holdDataFolderOrSay(a.dataDir);
    if (!held.held()) return refusedExitCode(held);
    const EraseScope scope = a.before ? EraseScope{false, *a.before} : EraseScope{};
    const auto erased = eraseLog(job.data, job.op, scope);
    if (!erased) return kExitFailed;
    sayKept(job.op, erased->kept);
    job.op.information(QStringLiteral("Erased %1 records.").arg(erased->rows));
    return kExitDone;
}

int runFormatCommand(int argc, char** argv) {
    const Arguments a = parse(argc, argv, kFormatUsage);
    const QString why =
        a.yes ? QString() : QStringLiteral("Nothing is asked here: add --yes to format.");
    if (const auto code = answered(a, kFormatUsage, 0, why)) return *code;
    Job job(argc, argv, a.dataDir);
    const DataFolderLock held = holdDataFolderOrSay(a.dataDir);
    if (!held.held()) return refusedExitCode(held);
    if (attachedConsolesSaid(a.dataDir)) return kExitConsoleRunning;
    const FormatOutcome formatted = formatDataFolder(job.data, job.op);
    for (const QString& kept : formatted.kept) sayKept(job.op, kept);
    if (!formatted.formatted) return kExitFailed;
    job.op.information(msg::DatabaseFormatted);
    return kExitDone;
}

}  // namespace tallyport
