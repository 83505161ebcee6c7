#include "app/command_line.h"

#include "app/subcommands.h"

#include <QDir>
#include <QStandardPaths>

namespace tallyport {

QString defaultDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Tallyport"));
}

namespace {
QString subcommandLines() {
    QString out;
    for (const Subcommand& s : subcommands())
        out +=
            QStringLiteral("  %1%2\n")
                .arg(QString::fromLatin1(s.name).leftJustified(16), QString::fromUtf8(s.summary));
    return out;
}
}  // namespace

QString usageText() {
    return QStringLiteral(
               "Usage: tallyport [--data-dir DIR] [--headless] [--demo] [--help] [--version]\n"
               "\n"
               "Time-attendance and access-control console for up to eight networked card "
               "readers.\n"
               "\n"
               "  --data-dir DIR  folder of the databases, templates and photos\n"
               "                  (default: ~/.local/share/Tallyport)\n"
               "  --headless      run without any window; texts for the operator go to standard\n"
               "                  error, questions get the safe answer; SIGINT/SIGTERM stop it\n"
               "  --demo          try it without hardware: a throw-away data folder with a few "
               "card\n"
               "                  holders and a simulated reader 1 that presents a card every\n"
               "                  few seconds; both go when the console ends\n"
               "  --help          show this text\n"
               "  --version       show the version\n"
               "\n"
               "Batch jobs (tallyport COMMAND --help for each):\n"
               "  report          a printed report as text or PDF\n"
               "  cards           the card holders' identity cards as PDF\n"
               "  member-list     the member list as PDF\n") +
           subcommandLines() +
           QStringLiteral(
               "\nExit codes: 0 done, 1 failed, 2 bad usage, 3 another process holds the data folder.\n");
}

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine cl;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--headless")) {
            cl.headless = true;
        } else if (a == QLatin1String("--demo")) {
            cl.demo = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.help = true;
        } else if (a == QLatin1String("--version")) {
            cl.version = true;
        } else if (a == QLatin1String("--data-dir") && i + 1 < args.size()) {
            cl.dataDir = args[++i];
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            cl.dataDir = a.mid(11);
        } else {
            cl.error = a == QLatin1String("--data-dir")
                           ? QStringLiteral("--data-dir needs a folder")
                           : QStringLiteral("Unknown option: ") + a;
            return cl;
        }
    }
    if (cl.dataDir.isEmpty()) cl.dataDir = defaultDataFolder();
    cl.dataDir = QDir(cl.dataDir).absolutePath();
    return cl;
}

bool noDisplayAvailable() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")) &&
        !platform.startsWith(QLatin1String("wayland")))
        return false;  // offscreen, vnc, eglfs … need no display server
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace tallyport
