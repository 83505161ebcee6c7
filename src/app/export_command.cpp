#include "app/export_command.h"

#include "app/command_line.h"
#include "app/subcommands.h"
#include "store/messages.h"
#include "store/output_guard.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <optional>

namespace tallyport {
namespace {

std::optional<LogExportKind> kindOf(const QString& word) {
    if (word == QLatin1String("text")) return LogExportKind::Text;
    if (word == QLatin1String("xls")) return LogExportKind::Xls;
    if (word == QLatin1String("xlsx")) return LogExportKind::Xlsx;
    return std::nullopt;
}

bool takesValue(const QString& opt) {
    return opt == QLatin1String("--from") || opt == QLatin1String("--to") ||
           opt == QLatin1String("--data-dir");
}

void setValue(ExportRequest& r, const QString& opt, const QString& value) {
    if (opt == QLatin1String("--data-dir")) {
        r.dataDir = value;
        return;
    }
    const QDate d = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid()) {
        r.error =
            QStringLiteral("Bad value for %1 (\"%2\"): give a date as YYYY-MM-DD").arg(opt, value);
        return;
    }
    if (!r.days) r.days = LogDays{};
    (opt == QLatin1String("--from") ? r.days->from : r.days->to) = d;
}

void printErr(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace

ExportRequest parseExportArguments(const QStringList& args) {
    ExportRequest r;
    QStringList words;
    for (qsizetype i = 0; i < args.size() && r.error.isEmpty(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            r.help = true;
        else if (takesValue(a) && i + 1 < args.size())
            setValue(r, a, args[++i]);
        else if (takesValue(a))
            r.error = a + QStringLiteral(": needs a value");
        else if (a.startsWith(u'-') && a.size() > 1)
            r.error = a + QStringLiteral(": unknown option");
        else
            words << a;
    }
    if (r.help || !r.error.isEmpty()) return r;
    const auto kind = words.isEmpty() ? std::nullopt : kindOf(words[0]);
    if (!kind) {
        r.error = QStringLiteral("Which export? Give text, xls or xlsx first.");
        return r;
    }
    if (words.size() != 2) {
        r.error = QStringLiteral("Give one FILE to write.");
        return r;
    }
    r.kind = *kind;
    r.file = QDir::current().absoluteFilePath(words[1]);
    if (r.days && r.days->from.isValid() && r.days->to.isValid() && r.days->to < r.days->from)
        r.error = QStringLiteral("--to: the range ends before it starts");
    r.dataDir = QDir(r.dataDir.isEmpty() ? defaultDataFolder() : r.dataDir).absolutePath();
    return r;
}

QString exportUsageText() {
    return QStringLiteral(
        "Usage: tallyport export text|xls|xlsx FILE [options]\n"
        "\n"
        "Writes the log, oldest row first, as the Database menu's export commands do: text\n"
        "lines, or the sheet \"RECORDS\" of an Excel 97-2003 (xls) or Office Open XML (xlsx)\n"
        "workbook; a log longer than a sheet goes on in \"RECORDS (2)\", ...\n"
        "\n"
        "  --from YYYY-MM-DD   the first day to write (default: the first in the log)\n"
        "  --to YYYY-MM-DD     the last day to write (default: the last in the log)\n"
        "  --data-dir DIR      folder of the databases\n"
        "  --help              show this text\n"
        "\n"
        "Exit codes: 0 written, 1 failed (nothing written), 2 bad options.\n");
}

int runExportCommand(int argc, char** argv) {
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance()) app.emplace(argc, argv);
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const ExportRequest r = parseExportArguments(args);
    if (r.help) return std::printf("%s", qPrintable(exportUsageText())), kExitDone;
    if (!r.error.isEmpty()) {
        printErr(r.error + QStringLiteral("\nSee: tallyport export --help"));
        return kExitUsage;
    }
    protectDataFolder(r.dataDir);  // no file of it is ever the output
    const auto done = exportLog(r.dataDir, r.kind, r.file, r.days, 0, nullptr);
    if (!done) return printErr(done.error().text), kExitFailed;
    std::printf("%lld records written to %s", qlonglong(done->rows), qPrintable(r.file));
    if (done->sheets.size() > 1)
        std::printf(" on %lld sheets (\"%s\" to \"%s\")", qlonglong(done->sheets.size()),
                    qPrintable(done->sheets.first()), qPrintable(done->sheets.last()));
    std::printf("\n");
    return kExitDone;
}

}  // namespace tallyport
