#include "app/card_print_command.h"

#include "app/command_line.h"
#include "app/subcommands.h"
#include "staff/groups.h"
#include "store/messages.h"
#include "store/output_guard.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

namespace tallyport {

namespace {

const char* const kCards = "cards";
const char* const kMemberList = "member-list";

void printErr(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

bool setPersons(HolderPrintRequest& r, const QString& v) {
    if (v == QLatin1String("all")) {
        r.scope = StaffScope::All;
    } else if (v == QLatin1String("list")) {
        r.scope = StaffScope::PickList;
    } else if (v.startsWith(QLatin1String("group:")) && v.size() > 6) {
        r.scope = StaffScope::Group;
        r.groupName = v.mid(6);
    } else {
        return false;
    }
    return true;
}

bool setStyle(HolderPrintRequest& r, const QString& v) {
    if (v == QLatin1String("horizontal"))
        r.style = CardStyle::Horizontal;
    else if (v == QLatin1String("vertical"))
        r.style = CardStyle::Vertical;
    else
        return false;
    return true;
}

// One option with its value; false with the request's error set when it is refused.
bool applyOption(HolderPrintRequest& r, const QString& opt, const QString& v) {
    const auto bad = [&](const QString& text) {
        r.error = QStringLiteral("Bad value for %1 (\"%2\"): %3").arg(opt, v, text);
        return false;
    };
    if (opt == QLatin1String("--data-dir")) {
        r.dataDir = v;
    } else if (opt == QLatin1String("--pdf")) {
        r.pdfFile = v;
    } else if (opt == QLatin1String("--persons")) {
        if (!setPersons(r, v)) return bad(QStringLiteral("all, group:NAME or list"));
    } else if (opt == QLatin1String("--style") && r.cards) {
        if (!setStyle(r, v)) return bad(QStringLiteral("horizontal or vertical"));
    } else {
        r.error = opt + QStringLiteral(": unknown option");
        return false;
    }
    return true;
}

Result<Database> openHolders(const QString& folder) {
    const QString path = QDir(folder).filePath(kSystemFile);
    if (!QFileInfo(path).isFile()) return fail(msg::CannotOpen(path));
    auto db = Database::open(path, kSystemKey, Database::Mode::ReadOnly);
    if (!db) return fail(msg::CannotOpen(path) + QLatin1Char('\n') + db.error().text);
    return db;
}

// The group's id for the group scope (the first group when none is named), 0 otherwise. A
// group that does not exist is an error: an empty sheet would read as a group without members.
Result<int> groupIdOf(const HolderPrintRequest& r, StaffScope scope, Database& src) {
    if (scope != StaffScope::Group) return 0;
    QString name = r.groupName;
    if (name.isEmpty()) {
        const auto first = firstGroupName(src);
        if (!first) return std::unexpected(first.error());
        name = *first;
    }
    const auto id = GroupId(src, name);
    if (!id) return std::unexpected(id.error());
    if (*id == 0) return fail(QStringLiteral("--persons: there is no work group \"%1\"").arg(name));
    return *id;
}

Result<void> writePages(const HolderPrintRequest& r, StaffScope scope, int groupId, Database& src,
                        const HolderPdfWriters& writers) {
    if (!r.cards) {
        const auto rows = selectMembers(src, scope, groupId);
        if (!rows) return std::unexpected(rows.error());
        if (rows->empty()) printErr(QStringLiteral("Nobody in the scope: the list is empty."));
        return writers.memberList(*rows, r.pdfFile);
    }
    CardPrintJob job{readCardSettings(), loadCardPictures(r.dataDir), {}};
    for (const QString& path : job.pictures.unreadable) printErr(unreadableCardPictureText(path));
    if (r.style) job.settings.style = *r.style;
    auto holders = selectCardHolders(src, scope, groupId);
    if (!holders) return std::unexpected(holders.error());
    if (holders->empty()) printErr(QStringLiteral("Nobody in the scope: the sheet is empty."));
    job.holders = std::move(*holders);
    return writers.cards(job, r.pdfFile);
}

int run(const HolderPrintRequest& r, const HolderPdfWriters& writers) {
    protectDataFolder(r.dataDir);  // no file of it is ever the output
    auto src = openHolders(r.dataDir);
    if (!src) return printErr(src.error().text), kExitFailed;
    // The dialogs open on: the cards on everybody, "Select Staffs" on its remembered choice.
    const StaffScope scope =
        r.scope ? *r.scope
                : (r.cards ? StaffScope::All
                           : staffScopeFromInt(ReadSettingInt(setting::ScopePersons, 0)));
    const auto id = groupIdOf(r, scope, *src);
    if (!id) return printErr(id.error().text), kExitFailed;
    const auto written = writePages(r, scope, *id, *src, writers);
    if (!written) return printErr(written.error().text), kExitFailed;
    return kExitDone;
}

}  // namespace

bool isHolderPrintCommand(const char* name) {
    return std::strcmp(name, kCards) == 0 || std::strcmp(name, kMemberList) == 0;
}

HolderPrintRequest parseHolderPrintArguments(bool cards, const QStringList& args) {
    HolderPrintRequest r;
    r.cards = cards;
    for (qsizetype i = 0; i < args.size() && r.error.isEmpty(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            r.help = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            r.error = a + QStringLiteral(": unknown argument");
            break;
        }
        if (i + 1 >= args.size()) {
            r.error = a + QStringLiteral(": needs a value");
            break;
        }
        applyOption(r, a, args[++i]);
    }
    if (r.error.isEmpty() && !r.help && r.pdfFile.isEmpty())
        r.error = QStringLiteral("--pdf: give the file to write");
    if (r.dataDir.isEmpty()) r.dataDir = defaultDataFolder();
    r.dataDir = QDir(r.dataDir).absolutePath();
    return r;
}

QString holderPrintUsageText(bool cards) {
    const QString common = QStringLiteral(
        "  --pdf FILE                 the PDF file to write (replaced only once complete)\n"
        "  --data-dir DIR             folder of the databases\n"
        "  --persons all | group:NAME | list\n");
    const QString exits = QStringLiteral(
        "  --help                     show this text\n"
        "\n"
        "Exit codes: 0 done, 1 the data could not be read or the file written, 2 bad options.\n");
    if (cards)
        return QStringLiteral(
                   "Usage: tallyport cards --pdf FILE [options]\n"
                   "\n"
                   "Writes the identity cards of the card holders as \"Print Cards\" prints them:\n"
                   "the remembered card settings, \"cardback.jpg\" and \"cardlogo.jpg\" of the "
                   "data\n"
                   "folder. Without --persons every holder gets a card.\n"
                   "\n") +
               common +
               QStringLiteral(
                   "  --style horizontal | vertical   the card style (default: the remembered "
                   "one)\n") +
               exits;
    return QStringLiteral(
               "Usage: tallyport member-list --pdf FILE [options]\n"
               "\n"
               "Writes the member list as \"Print Member List\" prints it. Without --persons the\n"
               "choice \"Select Staffs\" remembers is used.\n"
               "\n") +
           common + exits;
}

bool holderPrintWantsPdf(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (qstrcmp(argv[i], "--pdf") == 0) return true;
    return false;
}

int runHolderPrintCommand(int argc, char** argv, const HolderPdfWriters& writers) {
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance()) app.emplace(argc, argv);
    const bool cards = std::strcmp(argv[1], kCards) == 0;
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const HolderPrintRequest r = parseHolderPrintArguments(cards, args);
    if (r.help) return std::printf("%s", qPrintable(holderPrintUsageText(cards))), kExitDone;
    if (!r.error.isEmpty()) {
        printErr(r.error + QStringLiteral("\nSee: tallyport %1 --help")
                               .arg(QLatin1String(cards ? kCards : kMemberList)));
        return kExitUsage;
    }
    if (!(cards ? bool(writers.cards) : bool(writers.memberList)))
        return printErr(QStringLiteral("--pdf: PDF output is not available here")), kExitUsage;
    return run(r, writers);
}

}  // namespace tallyport
