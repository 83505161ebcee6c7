#include "app/holder_command.h"

#include "app/recorder_link.h"

#include "app/command_line.h"
#include "app/export_jobs.h"
#include "app/subcommands.h"
#include "app/terminal_operator.h"
#include "staff/holder_register.h"
#include "store/attached_mark.h"
#include "store/data_module.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <map>
#include <optional>

namespace tallyport {
namespace {

const QString kSeeHelp = QStringLiteral("\nSee: tallyport holder --help");
const QString kRemovedText = QStringLiteral("Card %1 (%2) removed.");
const QString kAddedText = QStringLiteral("Card %1 registered to %2.");

const std::map<QString, HolderAction> kActions{
    {QStringLiteral("list"), HolderAction::List},
    {QStringLiteral("add"), HolderAction::Add},
    {QStringLiteral("remove"), HolderAction::Remove},
    {QStringLiteral("import"), HolderAction::Import},
};

// The words each action takes after its name.
qsizetype wordsOf(HolderAction a) {
    switch (a) {
        case HolderAction::List:
            return 0;
        case HolderAction::Remove:
        case HolderAction::Import:
            return 1;
        case HolderAction::Add:
            return 2;
    }
    return 0;
}

QString checkOptions(const HolderRequest& r) {
    if (r.json && r.action != HolderAction::List) return QStringLiteral("--json goes with list");
    if (!r.group.isNull() && r.action != HolderAction::Add)
        return QStringLiteral("--group goes with add");
    if (r.yes != (r.action == HolderAction::Remove))
        return r.yes ? QStringLiteral("--yes goes with remove")
                     : QStringLiteral("Nothing is asked here: add --yes to remove.");
    return {};
}

}  // namespace

HolderRequest parseHolderArguments(const QStringList& args) {
    HolderRequest r;
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == u"--help" || a == u"-h") {
            r.help = true;
        } else if (a == u"--json") {
            r.json = true;
        } else if (a == u"--yes") {
            r.yes = true;
        } else if (a == u"--group" && hasValue) {
            r.group = args[++i];
        } else if (a == u"--data-dir" && hasValue) {
            r.dataDir = args[++i];
        } else if (a.startsWith(u"--")) {
            r.error = QStringLiteral("Unknown option or missing value: ") + a;
        } else {
            words << a;
        }
    }
    if (r.help || !r.error.isEmpty()) return r;
    if (words.isEmpty() || !kActions.count(words[0])) {
        r.error = words.isEmpty() ? QStringLiteral("Give an action: list, add, remove or import")
                                  : QStringLiteral("Unknown action: ") + words[0];
        return r;
    }
    r.action = kActions.at(words[0]);
    if (words.size() - 1 != wordsOf(r.action)) {
        r.error = QStringLiteral("Wrong number of arguments for ") + words[0];
        return r;
    }
    if (r.action == HolderAction::Add || r.action == HolderAction::Remove) {
        bool ok = false;
        r.cardNo = words[1].toInt(&ok, 10);
        if (!ok || r.cardNo < 1 || r.cardNo > kMaxCardNumber) r.error = msg::CardNumberRange;
    }
    if (r.action == HolderAction::Add) r.name = words[2];
    if (r.action == HolderAction::Import) r.file = words[1];
    if (r.error.isEmpty()) r.error = checkOptions(r);
    r.dataDir = QDir(r.dataDir.isEmpty() ? defaultDataFolder() : r.dataDir).absolutePath();
    return r;
}

QString holderUsageText() {
    return QStringLiteral(
        "Usage: tallyport holder ACTION [--data-dir DIR]\n"
        "Registers card holders before their card is read, with the checks of the card\n"
        "editor: a card number 1 to 16777215 that no holder has, a name of at most 16\n"
        "characters that no other holder has (letter case aside).\n"
        "\n"
        "  list [--json]             every holder: card, name, work group and the readers\n"
        "                            the card may pass\n"
        "  add CARD NAME [--group G] register CARD to NAME in work group G (default: the\n"
        "                            first group by name); the card may pass no reader yet\n"
        "  remove CARD --yes         delete the holder of CARD; asks nothing, so --yes is\n"
        "                            required\n"
        "  import FILE               add the holders of a CSV file, one CARD,NAME,GROUP a\n"
        "                            line (GROUP may be left out, a heading line is skipped);\n"
        "                            registered cards are left as they are. Prints the\n"
        "                            counts and the refused lines; all or nothing is stored\n"
        "                            when the database fails\n"
        "  --data-dir DIR            folder of the databases (default ~/.local/share/Tallyport)\n"
        "  --help                    show this text\n"
        "\n"
        "add, remove and import are refused while another process (a console, another\n"
        "command) holds the data folder; list reads beside it.\n"
        "\n"
        "Exit codes: 0 done, 1 failed (a check refused, an import refused a line while\n"
        "storing the others, or the data cannot be read or written), 2 bad usage,\n"
        "3 another process holds the data folder (nothing was touched).\n");
}

namespace {

QString readersText(const HolderRow& h) {
    QStringList ports;
    for (int p = 0; p < kCardReaderPorts; ++p)
        if (h.com[size_t(p)]) ports << QString::number(p + 1);
    return ports.join(u',');
}

int listHolderRows(const HolderRequest& q) {
    auto src = openDataFileReadOnly(q.dataDir, kSystemFile, kSystemKey);
    if (!src) return printLine(stderr, src.error().text), kExitFailed;
    const auto rows = listHolders(*src);
    if (!rows) return printLine(stderr, rows.error().text), kExitFailed;
    if (q.json) {
        QJsonArray out;
        for (const HolderRow& h : *rows) {
            QJsonArray readers;
            for (int p = 0; p < kCardReaderPorts; ++p)
                if (h.com[size_t(p)]) readers.append(p + 1);
            out.append(QJsonObject{{QStringLiteral("card"), h.cardNo},
                                   {QStringLiteral("name"), h.name},
                                   {QStringLiteral("group"), h.group},
                                   {QStringLiteral("readers"), readers}});
        }
        std::printf("%s", QJsonDocument(out).toJson(QJsonDocument::Indented).constData());
        return kExitDone;
    }
    for (const HolderRow& h : *rows)
        printLine(
            stdout,
            QStringList{QString::number(h.cardNo), h.name, h.group, readersText(h)}.join(u'\t'));
    return kExitDone;
}

int changeHolders(const HolderRequest& q) {
    const DataFolderLock held = DataFolderLock::take(q.dataDir, DataFolderLock::Missing::Fail);
    // Beside a recorder holders are edited as an attached desktop edits them: on a connection
    // of this process; the recorder's next card event reads them. A folder held for a restore
    // or a format is not to be written.
    const bool besideRecorder = held.state() == DataFolderLock::State::HeldElsewhere &&
                                askRecorderStatus(q.dataDir).has_value();
    if (!held.held() && !besideRecorder) {
        printLine(stderr, held.refusal());
        return refusedExitCode(held);
    }
    const AttachedMark mark =
        besideRecorder ? AttachedMark::take(q.dataDir) : AttachedMark();
    TerminalOperator op(false);
    DataModule data(op);
    data.setAttached(besideRecorder);
    data.setDataFolder(q.dataDir);
    if (!openSettingUp(data, op)) return kExitFailed;
    Database& src = data.src();
    switch (q.action) {
        case HolderAction::Add: {
            const auto added = addHolder(src, q.cardNo, q.name, q.group);
            if (!added) return printLine(stderr, added.error().text), kExitFailed;
            printLine(stdout, kAddedText.arg(q.cardNo).arg(q.name.trimmed()));
            return kExitDone;
        }
        case HolderAction::Remove: {
            const auto removed = removeHolder(src, q.cardNo);
            if (!removed) return printLine(stderr, removed.error().text), kExitFailed;
            printLine(stdout, kRemovedText.arg(q.cardNo).arg(*removed));
            return kExitDone;
        }
        case HolderAction::Import: {
            const auto counts = importHolderFile(src, q.file);
            if (!counts) return printLine(stderr, counts.error().text), kExitFailed;
            std::printf("%s", qPrintable(holderFileSummary(*counts)));
            for (const QString& p : counts->problems) printLine(stderr, p);
            return counts->errors ? kExitFailed : kExitDone;
        }
        case HolderAction::List:
            break;
    }
    return kExitFailed;
}

}  // namespace

int runHolderCommand(int argc, char** argv) {
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance()) app.emplace(argc, argv);
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const HolderRequest q = parseHolderArguments(args);
    if (q.help) return std::printf("%s", qPrintable(holderUsageText())), kExitDone;
    if (!q.error.isEmpty()) return printLine(stderr, q.error + kSeeHelp), kExitUsage;
    return q.action == HolderAction::List ? listHolderRows(q) : changeHolders(q);
}

}  // namespace tallyport
