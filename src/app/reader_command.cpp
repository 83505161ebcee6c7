#include "app/reader_command.h"

#include "admin/access_manager.h"
#include "admin/reader_setup.h"
#include "app/auto_inout.h"
#include "app/card_events.h"
#include "app/command_line.h"
#include "app/export_jobs.h"
#include "app/subcommands.h"
#include "app/terminal_operator.h"
#include "base/clock.h"
#include "readers/reader_client.h"
#include "store/data_module.h"
#include "store/log_texts.h"
#include "store/messages.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <map>
#include <optional>

namespace tallyport {
namespace {

const QString kCardReadsStoredText = QStringLiteral("Card reads stored meanwhile: %1");

const std::map<QString, ReaderAction> kActions{
    {QStringLiteral("show"), ReaderAction::Show},
    {QStringLiteral("sync-clock"), ReaderAction::SyncClock},
    {QStringLiteral("download"), ReaderAction::Download},
    {QStringLiteral("clear"), ReaderAction::Clear},
    {QStringLiteral("upload"), ReaderAction::Upload},
    {QStringLiteral("pins"), ReaderAction::Pins},
};

// A system PIN: a 16-bit word, as the Access Manager's fields take it.
bool parsePin(const QString& text, int& pin) {
    bool ok = false;
    pin = text.toInt(&ok, 10);
    return ok && pin >= 0 && pin <= 65535;
}

bool needsValue(const QStringList& args, qsizetype i) {
    return i + 1 < args.size();
}

}  // namespace

ReaderRequest parseReaderArguments(const QStringList& args) {
    ReaderRequest r;
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--help" || a == u"-h") {
            r.help = true;
        } else if (a == u"--clear") {
            r.clearAfter = true;
        } else if (a == u"--yes") {
            r.yes = true;
        } else if (a == u"--data-dir" && needsValue(args, i)) {
            r.dataDir = args[++i];
        } else if (a == u"--reply-wait" && needsValue(args, i)) {
            bool ok = false;
            r.replyWaitMs = args[++i].toInt(&ok);
            if (!ok || r.replyWaitMs < 1 || r.replyWaitMs > 600000)
                r.error = QStringLiteral("--reply-wait needs milliseconds, 1 to 600000");
        } else if (a.startsWith(u"--")) {
            r.error = QStringLiteral("Unknown option or missing value: ") + a;
        } else {
            words << a;
        }
    }
    if (r.help || !r.error.isEmpty()) return r;
    bool ok = false;
    r.port = words.value(0).toInt(&ok);
    const bool pins = words.value(1) == u"pins";
    if (words.size() != (pins ? 4 : 2) || !ok || r.port < 1 || r.port > 8)
        r.error = pins ? QStringLiteral("pins takes the access PIN and the control PIN")
                       : QStringLiteral("Give the reader's port number 1 to 8 and one action");
    else if (!kActions.count(words[1]))
        r.error = QStringLiteral("Unknown action: ") + words[1];
    else
        r.action = kActions.at(words[1]);
    if (pins && r.error.isEmpty() &&
        (!parsePin(words[2], r.accessPin) || !parsePin(words[3], r.controlPin)))
        r.error = QStringLiteral("A PIN is a number from 0 to 65535");
    if (r.clearAfter && r.action != ReaderAction::Download && r.error.isEmpty())
        r.error = QStringLiteral("--clear goes with download");
    if (r.error.isEmpty() && r.yes != (r.action == ReaderAction::Clear))
        r.error = r.yes ? QStringLiteral("--yes goes with clear")
                        : QStringLiteral("Nothing is asked here: add --yes to clear.");
    if (r.dataDir.isEmpty()) r.dataDir = defaultDataFolder();
    return r;
}

bool isReaderRowCommand(const QStringList& args) {
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--data-dir" || args[i] == u"--desc" || args[i] == u"--address" ||
            args[i] == u"--mode" || args[i] == u"--reply-wait")
            ++i;
        else if (!args[i].startsWith(u"--"))
            words << args[i];
    }
    return words.value(0) == u"list" || words.value(1) == u"set";
}

namespace {

const std::map<QString, int> kModes{
    {QStringLiteral("clock"), ModeClock},
    {QStringLiteral("in"), ModeIn},
    {QStringLiteral("out"), ModeOut},
};

// HOST:PORT, the port 1..65535.
bool parseAddress(const QString& text, ReaderRowChange& c) {
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0) return false;
    bool ok = false;
    const int port = text.mid(colon + 1).toInt(&ok, 10);
    if (!ok || port < 1 || port > 65535) return false;
    c.ipaddr = text.left(colon).trimmed();
    c.ipport = port;
    return !c.ipaddr->isEmpty();
}

}  // namespace

ReaderRowRequest parseReaderRowArguments(const QStringList& args) {
    ReaderRowRequest r;
    QStringList words;
    for (qsizetype i = 0; i < args.size() && r.error.isEmpty(); ++i) {
        const QString& a = args[i];
        const bool hasValue = needsValue(args, i);
        if (a == u"--json") {
            r.json = true;
        } else if (a == u"--enable" || a == u"--disable") {
            if (r.change.enable) r.error = QStringLiteral("Give one of --enable and --disable");
            r.change.enable = a == u"--enable";
        } else if (a == u"--data-dir" && hasValue) {
            r.dataDir = args[++i];
        } else if (a == u"--desc" && hasValue) {
            r.change.desc = args[++i];
        } else if (a == u"--address" && hasValue) {
            if (!parseAddress(args[++i], r.change))
                r.error = QStringLiteral("--address needs HOST:PORT, the port 1 to 65535");
        } else if (a == u"--mode" && hasValue) {
            const auto m = kModes.find(args[++i].toLower());
            if (m == kModes.end())
                r.error = QStringLiteral("--mode is clock, in or out");
            else
                r.change.mode = m->second;
        } else if (a.startsWith(u"--")) {
            r.error = QStringLiteral("Unknown option or missing value: ") + a;
        } else {
            words << a;
        }
    }
    if (r.dataDir.isEmpty()) r.dataDir = defaultDataFolder();
    if (!r.error.isEmpty()) return r;
    r.list = words.value(0) == u"list";
    const bool changes = r.change.ipaddr || r.change.mode || r.change.desc || r.change.enable;
    if (r.list) {
        if (words.size() != 1 || changes) r.error = QStringLiteral("list takes only --json");
        return r;
    }
    bool ok = false;
    r.port = words.value(0).toInt(&ok);
    if (words.size() != 2 || !ok || r.port < 1 || r.port > 8)
        r.error = QStringLiteral("Give the reader's port number 1 to 8 before set");
    else if (r.json)
        r.error = QStringLiteral("--json goes with list");
    else if (!changes)
        r.error = QStringLiteral(
            "Nothing to set: give --address, --mode, --desc, --enable or "
            "--disable");
    return r;
}

namespace {

QString addressText(const ReaderRow& r) {
    return r.ipaddr.isEmpty() ? QString() : QStringLiteral("%1:%2").arg(r.ipaddr).arg(r.ipport);
}

int listReaderRows(const ReaderRowRequest& q) {
    auto src = openDataFileReadOnly(q.dataDir, kSystemFile, kSystemKey);
    if (!src) return printLine(stderr, src.error().text), kExitFailed;
    const auto rows = readReaderRows(*src);
    if (!rows) return printLine(stderr, rows.error().text), kExitFailed;
    if (!q.json) {
        for (const ReaderRow& r : *rows) printLine(stdout, rowLine(r));
        return kExitDone;
    }
    QJsonArray out;
    for (const ReaderRow& r : *rows)
        out.append(QJsonObject{{QStringLiteral("reader"), r.portNo},
                               {QStringLiteral("enabled"), r.enable},
                               {QStringLiteral("host"), r.ipaddr},
                               {QStringLiteral("port"), r.ipport},
                               {QStringLiteral("mode"), modeText(r.mode).toLower()},
                               {QStringLiteral("description"), r.desc}});
    std::printf("%s", QJsonDocument(out).toJson(QJsonDocument::Indented).constData());
    return kExitDone;
}

}  // namespace

QString rowLine(const ReaderRow& r) {
    return QStringList{QString::number(r.portNo),
                       r.enable ? QStringLiteral("enabled") : QStringLiteral("disabled"),
                       addressText(r), modeText(r.mode).toLower(), r.desc}
        .join(u'\t');
}

QStringList withoutDataDir(const QStringList& args) {
    QStringList out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--data-dir")
            ++i;
        else
            out << args[i];
    }
    return out;
}

int runReaderRowCommand(const QStringList& args) {
    const ReaderRowRequest q = parseReaderRowArguments(args);
    if (!q.error.isEmpty()) {
        printLine(stderr, q.error + QStringLiteral("\nSee: tallyport reader --help"));
        return kExitUsage;
    }
    if (q.list) return listReaderRows(q);
    // A recorder that holds the folder changes the row and configures its reader at once.
    const DataFolderLock held = DataFolderLock::take(q.dataDir, DataFolderLock::Missing::Fail);
    if (!held.held()) return askRecorderOrRefuse(held, kReaderCommand, withoutDataDir(args));
    TerminalOperator op(false);
    DataModule data(op);
    data.setDataFolder(q.dataDir);
    if (!openSettingUp(data, op)) return kExitFailed;
    const auto row = changeReaderRow(data.src(), q.port, q.change);
    if (!row) return printLine(stderr, row.error().text), kExitFailed;
    printLine(stdout, rowLine(*row));
    return kExitDone;
}

QString readerUsageText() {
    return QStringLiteral(
        "Usage: tallyport reader N ACTION [--data-dir DIR] [--reply-wait MS]\n"
        "       tallyport reader N set [--address HOST:PORT] [--mode clock|in|out]\n"
        "                              [--desc TEXT] [--enable|--disable] [--data-dir DIR]\n"
        "       tallyport reader list [--json] [--data-dir DIR]\n"
        "\n"
        "set changes row N of the reader setup as the Reader Setup dialog does (a blank\n"
        "description becomes COMn; a row is enabled only with an address) and prints it;\n"
        "list prints every row: number, enabled or disabled, address, mode, description.\n"
        "\n"
        "Administers reader N (its port number 1 to 8 in the reader setup) at that row's\n"
        "address, as the Access Manager does. While a console records on the data folder,\n"
        "it carries the action (and set) out on the reader it runs; refused while another\n"
        "command holds the folder.\n"
        "\n"
        "  show                the reader's clock, display lines, options, mode, timetable\n"
        "                      and the number of records it stores\n"
        "  sync-clock          set the reader's clock from this computer's\n"
        "  download [--clear]  merge the records the reader stored into the log and print\n"
        "                      \"Added = a, Duplicated = d, Invalid = i\"; with --clear the\n"
        "                      reader's records are cleared afterwards, but only when every\n"
        "                      record it announced was read and it stored none meanwhile;\n"
        "                      otherwise it keeps them all (\"N of M records read; the\n"
        "                      reader was not cleared.\", exit code 1)\n"
        "  clear --yes         clear the records the reader stored; asks nothing, so --yes\n"
        "                      is required\n"
        "  upload              send the access table: every card holder and whether the\n"
        "                      card may pass reader N\n"
        "  pins ACCESS CONTROL send the system PINs (0 to 65535) and keep them\n"
        "  --data-dir DIR      folder of the databases (default ~/.local/share/Tallyport)\n"
        "  --reply-wait MS     wait MS for each reply instead of 3 s (4 s for a block of the\n"
        "                      access table, 8 s for clearing)\n"
        "  --help              show this text\n"
        "\n"
        "Card reads that the reader sends meanwhile are stored in the log as a console\n"
        "stores them (the row with its mode), and counted: \"Card reads stored meanwhile: N\".\n"
        "\n"
        "Exit codes: 0 done, 1 failed (the reader is absent or does not answer, a download\n"
        "with --clear left the reader uncleared, or the data cannot be read), 2 bad usage,\n"
        "3 another command holds the data folder (nothing was touched).\n");
}

namespace {

QString optionNames(const ReaderOptions& o, int mode) {
    QStringList names;
    if (o.backLight) names << QStringLiteral("Back Light On");
    if (o.bypassAllowed)
        names << (mode == ModeOut ? QStringLiteral("Keypad Bypass")
                                  : QStringLiteral("Bypass Allowed"));
    if (o.anyCardBypass) names << QStringLiteral("Any Card Bypass");
    if (o.doorMagnet) names << QStringLiteral("Door Magnet");
    if (o.lockReverse) names << QStringLiteral("Lock Reverse");
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

// The rows in use; their modes read as the reader's mode gives them meaning.
QString timetableText(const Timetable& t, int mode) {
    const QStringList kinds = mode == ModeIn ? QStringList{"Not Used", "No PIN", "PIN"}
                                             : QStringList{"Not Used", "IN", "OUT"};
    QStringList rows;
    for (int i = 0; i < kTimetableRows; ++i) {
        const TimetableEntry& e = t[size_t(i)];
        if (e.mode == 0) continue;
        rows << QStringLiteral("%1 %2 %3")
                    .arg(i + 1)
                    .arg(e.time.toString(QStringLiteral("HH:mm")))
                    .arg(kinds.value(e.mode, QStringLiteral("mode %1").arg(e.mode)));
    }
    return rows.isEmpty() ? QStringLiteral("not used") : rows.join(QStringLiteral("; "));
}

void printReader(const ReaderClient& r, const ManagerForm& f, int stored, const LineOut& out) {
    out(QStringLiteral("Reader %1 (%2) at %3:%4")
            .arg(r.PortNo())
            .arg(r.Desc(), r.remoteHost(), r.remotePort()));
    out(QStringLiteral("Clock: ") + f.clock.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    out(QStringLiteral("Line 1: \"%1\"").arg(f.line1));
    out(QStringLiteral("Line 2: \"%1\"").arg(f.line2));
    out(QStringLiteral("Options: ") + optionNames(f.options, r.Mode()));
    out(QStringLiteral("Mode: ") + modeText(r.Mode()));
    out(QStringLiteral("Timetable: ") + timetableText(f.timetable, r.Mode()));
    out(QStringLiteral("Stored records: %1").arg(stored));
}

// The command holds the reader's link: nobody else hears the cards read at it meanwhile.
class CardReads {
public:
    CardReads(ReaderClient& r, DataModule& data) : m_data(data), m_auto(data) {
        QObject::connect(&r, &ReaderClient::OnCardCode, &r,
                         [this, &r](bool, int port, int code, const QDateTime& t, qint8 cmode) {
                             m_auto.Evaluate(appClock().now().time());
                             if (storeCardEvent(m_data, m_auto, r.Mode(), port, code, t, cmode).row)
                                 ++m_stored;
                         });
    }
    int stored() const { return m_stored; }

private:
    DataModule& m_data;
    AutoInOut m_auto;
    int m_stored = 0;
};

bool configure(ReaderClient& r, DataModule& data, TerminalOperator& op, int port) {
    const auto rows = readReaderRows(data.src());
    if (!rows) return op.errorDetail(msg::DatabaseError, rows.error().text), false;
    const auto row = std::find_if(rows->begin(), rows->end(),
                                  [port](const ReaderRow& x) { return x.portNo == port; });
    if (row == rows->end()) return op.error(msg::ReformatDatabase), false;
    r.setPortNo(port);
    r.setDesc(row->desc);
    r.setMode(row->mode);
    r.setLockTime(row->lockTime);
    r.setRemoteHost(row->ipaddr.trimmed());
    r.setRemotePort(QString::number(row->ipport));
    r.setControlPinProvider([&data] { return data.GetKeyInt(kControlPinKey); });
    // Nobody else polls this client: it reads as soon as bytes arrive.
    QObject::connect(&r, &ReaderClient::inputArrived, &r, &ReaderClient::Poll,
                     Qt::QueuedConnection);
    return true;
}

}  // namespace

Task<bool> runReaderAction(ReaderRequest q, AccessManager& m, bool& quietInformation, LineOut out) {
    switch (q.action) {
        case ReaderAction::Show: {
            ManagerForm form;
            int stored = 0;
            quietInformation = true;
            const bool ok = co_await m.Get(form, &stored);
            if (ok) printReader(m.reader(), form, stored, out);
            co_return ok;
        }
        case ReaderAction::SyncClock:
            co_return co_await m.SyncClock();
        case ReaderAction::Download: {
            // NotCleared: the rows are in, but the reader was not cleared as asked.
            const DownloadResult r = co_await m.Download(q.clearAfter);
            co_return r.end == DownloadEnd::Done || r.end == DownloadEnd::NothingStored;
        }
        case ReaderAction::Clear:
            co_return co_await m.Clear();
        case ReaderAction::Upload:
            co_return co_await m.Upload();
        case ReaderAction::Pins:
            co_return co_await m.PutSystemPins(q.accessPin, q.controlPin);
    }
    co_return false;
}

QString cardReadsStoredText(int count) {
    return kCardReadsStoredText.arg(count);
}

QStringList recorderReaderArguments(const ReaderRequest& q) {
    QStringList args{QString::number(q.port)};
    for (const auto& [word, action] : kActions)
        if (action == q.action) args << word;
    if (q.action == ReaderAction::Pins)
        args << QString::number(q.accessPin) << QString::number(q.controlPin);
    if (q.clearAfter) args << QStringLiteral("--clear");
    if (q.yes) args << QStringLiteral("--yes");
    return args;
}

int runReaderCommand(int argc, char** argv) {
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance()) app.emplace(argc, argv);
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (!args.contains(QStringLiteral("--help")) && isReaderRowCommand(args))
        return runReaderRowCommand(args);
    const ReaderRequest q = parseReaderArguments(args);
    if (q.help) return std::printf("%s", qPrintable(readerUsageText())), kExitDone;
    if (!q.error.isEmpty()) {
        printLine(stderr, q.error + QStringLiteral("\nSee: tallyport reader --help"));
        return kExitUsage;
    }
    // A recorder that holds the folder carries the command out on the reader it runs.
    const DataFolderLock held = DataFolderLock::take(q.dataDir, DataFolderLock::Missing::Fail);
    if (!held.held()) return askRecorderOrRefuse(held, kReaderCommand, recorderReaderArguments(q));
    TerminalOperator op(true);  // the command line is the answer: a workflow's questions get yes
    DataModule data(op);
    data.setDataFolder(q.dataDir);
    if (!data.OpenDatabases()) return kExitFailed;
    ReaderClient reader;
    if (!configure(reader, data, op, q.port)) return kExitFailed;
    reader.setReplyWait(q.replyWaitMs);
    CardReads cards(reader, data);
    if (!reader.Reconnect(op)) return kExitFailed;
    NoStepView view;
    AccessManager manager(reader, data, op, view);
    const LineOut out = [](const QString& line) { printLine(stdout, line); };
    const auto done = runToEnd(runReaderAction(q, manager, op.quietInformation, out));
    reader.Poll();  // a card read that came with the last reply
    reader.disconnectReader();
    if (cards.stored() > 0) printLine(stdout, cardReadsStoredText(cards.stored()));
    return done.value_or(false) ? kExitDone : kExitFailed;
}

}  // namespace tallyport
