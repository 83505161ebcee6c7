#include "app/report_command.h"

#include "app/command_line.h"
#include "app/export_jobs.h"
#include "base/clock.h"
#include "reports/report_text.h"
#include "reports/report_texts.h"
#include "staff/groups.h"
#include "store/messages.h"
#include "store/output_guard.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <map>
#include <optional>

namespace tallyport {
namespace {

const std::map<QString, ReportKind> kKinds{
    {QStringLiteral("time-logs"), ReportKind::TimeLogs},
    {QStringLiteral("total-hours"), ReportKind::TotalHours},
    {QStringLiteral("daily"), ReportKind::Daily},
    {QStringLiteral("who"), ReportKind::Who},
    {QStringLiteral("detail"), ReportKind::Detail},
    {QStringLiteral("filo"), ReportKind::Filo},
    {QStringLiteral("filo-overnight"), ReportKind::FiloOvernight},
    {QStringLiteral("two-session"), ReportKind::TwoSession},
};

const std::map<QString, SheetReport> kSheetKinds{
    {QStringLiteral("filo-sheet"), SheetReport::FirstLast},
    {QStringLiteral("pairs-sheet"), SheetReport::Pairs},
    {QStringLiteral("logs-sheet"), SheetReport::TimeLogs},
    {QStringLiteral("late-early-sheet"), SheetReport::LateEarly},
};

const std::map<QString, DateChoice> kDates{
    {QStringLiteral("this-week"), DateChoice::ThisWeek},
    {QStringLiteral("last-week"), DateChoice::LastWeek},
    {QStringLiteral("this-month"), DateChoice::ThisMonth},
    {QStringLiteral("last-month"), DateChoice::LastMonth},
    {QStringLiteral("all"), DateChoice::All},
};

const std::map<QString, RecordsOfInterest> kRecords{
    {QStringLiteral("all"), RecordsOfInterest::All},
    {QStringLiteral("clock"), RecordsOfInterest::Clock},
    {QStringLiteral("inout"), RecordsOfInterest::InOut},
};

// The parser's state: the request, what was given, and the option being read.
struct Parse {
    ReportRequest r;
    bool hoursGiven = false;
    bool saturdayGiven = false;
    bool dayGiven = false;
    bool rangeGiven = false;
    QStringList given;  // the options, as given
    QString value;      // the value being read, quoted in its error
    QString error(const QString& option, const QString& text) {
        if (r.error.isEmpty())
            r.error =
                value.isEmpty()
                    ? option + QStringLiteral(": ") + text
                    : QStringLiteral("Bad value for %1 (\"%2\"): %3").arg(option, value, text);
        return r.error;
    }
};

std::optional<Session> parseSpan(const QString& text) {
    const QStringList ends = text.split(u'-');
    if (ends.size() != 2) return std::nullopt;
    const QTime a = QTime::fromString(ends[0], QStringLiteral("H:mm"));
    const QTime b = QTime::fromString(ends[1], QStringLiteral("H:mm"));
    if (!a.isValid() || !b.isValid()) return std::nullopt;
    return Session{timeOfDayMs(a), timeOfDayMs(b)};
}

std::optional<std::vector<Session>> parseSpans(const QString& text) {
    std::vector<Session> out;
    for (const QString& part : text.split(u',')) {
        const auto s = parseSpan(part);
        if (!s) return std::nullopt;
        out.push_back(*s);
    }
    if (out.size() > 2) return std::nullopt;
    return out;
}

bool isLate(ReportKind k) {
    return isLateDialog(dialogOf(k));
}

void applyHours(Parse& p, const QString& opt, const QString& v, bool saturday) {
    const auto spans = parseSpans(v);
    const bool two = p.r.kind == ReportKind::TwoSession;
    if (!isLate(p.r.kind))
        return void(p.error(opt, QStringLiteral("only for filo, filo-overnight and two-session")));
    if (!spans || (!two && spans->size() != 1) || (two && !saturday && spans->size() != 2))
        return void(p.error(opt, two ? QStringLiteral("give HH:MM-HH:MM,HH:MM-HH:MM")
                                     : QStringLiteral("give HH:MM-HH:MM")));
    WorkingHours& h = p.r.scope.hours;
    if (!two && !saturday) h.standard = spans->at(0);
    if (!two && saturday) h.satOn = true, h.saturday = spans->at(0);
    if (two && !saturday) h.session1 = spans->at(0), h.session2 = spans->at(1);
    if (two && saturday) {
        h.sat1On = true;
        h.sat1 = spans->at(0);
        h.sat2On = spans->size() == 2;
        if (h.sat2On) h.sat2 = spans->at(1);
    }
    (saturday ? p.saturdayGiven : p.hoursGiven) = true;
}

std::optional<int> nonNegative(const QString& v) {
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n >= 0 ? std::optional<int>(n) : std::nullopt;
}

std::optional<QDate> isoDate(const QString& v) {
    const QDate d = QDate::fromString(v, QStringLiteral("yyyy-MM-dd"));
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

void setPersons(Parse& p, const QString& opt, const QString& v) {
    ReportScope& s = p.r.scope;
    if (v == QLatin1String("all")) {
        s.persons = PersonsChoice::All;
    } else if (v == QLatin1String("list")) {
        s.persons = PersonsChoice::List;
    } else if (v.startsWith(QLatin1String("group:")) && v.size() > 6) {
        s.persons = PersonsChoice::Group;
        s.groupName = v.mid(6);
    } else {
        p.error(opt, QStringLiteral("all, group:NAME or list"));
    }
}

template <typename T>
void setFromTable(Parse& p, const QString& opt, const QString& v, const std::map<QString, T>& table,
                  T& field, const QString& choices) {
    const auto it = table.find(v);
    if (it == table.end())
        p.error(opt, choices);
    else
        field = it->second;
}

void setDate(Parse& p, const QString& opt, const QString& v) {
    const auto d = isoDate(v);
    if (!d) return void(p.error(opt, QStringLiteral("give a date as YYYY-MM-DD")));
    ReportScope& s = p.r.scope;
    if (opt == QLatin1String("--day")) {
        s.singleDay = *d;
        p.dayGiven = true;
        return;
    }
    (opt == QLatin1String("--from") ? s.from : s.to) = *d;
    s.dateChoice = DateChoice::Range;
    p.rangeGiven = true;
}

void setNumber(Parse& p, const QString& opt, const QString& v) {
    const auto n = nonNegative(v);
    ReportScope& s = p.r.scope;
    if (opt == QLatin1String("--per-line")) {
        if (!n || *n < 2 || *n > 8 || *n % 2)
            return void(p.error(opt, QStringLiteral("2, 4, 6 or 8")));
        s.recordsPerLine = *n;
    } else if (opt == QLatin1String("--time-format")) {
        if (!n || *n >= kRecordFormatCount)
            return void(p.error(opt, QStringLiteral("0, 1, 2 or 3")));
        s.recordFormat = *n;
    } else {
        if (!n) return void(p.error(opt, QStringLiteral("give whole minutes, 0 or more")));
        int& field = opt == QLatin1String("--ot-min")        ? s.hours.otMinimum
                     : opt == QLatin1String("--ot-multiple") ? s.hours.otMultiple
                                                             : s.hours.otFree;
        field = *n;
    }
}

using ValueHandler = void (*)(Parse&, const QString&, const QString&);

const std::map<QString, ValueHandler> kValueOptions{
    {QStringLiteral("--data-dir"),
     [](Parse& p, const QString&, const QString& v) { p.r.dataDir = v; }},
    {QStringLiteral("--pdf"), [](Parse& p, const QString&, const QString& v) { p.r.pdfFile = v; }},
    {QStringLiteral("--xls"),
     [](Parse& p, const QString&, const QString& v) {
         p.r.sheetFile = v;
         p.r.sheetFormat = WorkbookFormat::Xls;
     }},
    {QStringLiteral("--xlsx"),
     [](Parse& p, const QString&, const QString& v) {
         p.r.sheetFile = v;
         p.r.sheetFormat = WorkbookFormat::Xlsx;
     }},
    {QStringLiteral("--persons"), setPersons},
    {QStringLiteral("--dates"),
     [](Parse& p, const QString& o, const QString& v) {
         setFromTable(p, o, v, kDates, p.r.scope.dateChoice,
                      QStringLiteral("this-week, last-week, this-month, last-month or all"));
     }},
    {QStringLiteral("--records"),
     [](Parse& p, const QString& o, const QString& v) {
         setFromTable(p, o, v, kRecords, p.r.scope.records, QStringLiteral("all, clock or inout"));
     }},
    {QStringLiteral("--from"), setDate},
    {QStringLiteral("--to"), setDate},
    {QStringLiteral("--day"), setDate},
    {QStringLiteral("--per-line"), setNumber},
    {QStringLiteral("--time-format"), setNumber},
    {QStringLiteral("--ot-min"), setNumber},
    {QStringLiteral("--ot-multiple"), setNumber},
    {QStringLiteral("--ot-free"), setNumber},
    {QStringLiteral("--hours"),
     [](Parse& p, const QString& o, const QString& v) { applyHours(p, o, v, false); }},
    {QStringLiteral("--saturday"),
     [](Parse& p, const QString& o, const QString& v) { applyHours(p, o, v, true); }},
};

bool flagOption(Parse& p, const QString& opt) {
    ReportScope& s = p.r.scope;
    if (opt == QLatin1String("--blank-lines"))
        s.blankLines = true;
    else if (opt == QLatin1String("--new-page") || opt == QLatin1String("--sheet-per-person"))
        s.newPage = true;
    else if (opt == QLatin1String("--plain"))
        s.enhanced = false;
    else if (opt == QLatin1String("--help") || opt == QLatin1String("-h"))
        p.r.help = true;
    else
        return false;
    return true;
}

// The hours as the late dialogs check them on Confirm (not in overnight mode), told in terms
// of the options.
QString hoursProblem(const ReportRequest& r) {
    const auto field = firstInvalidField(dialogOf(r.kind), r.scope);
    if (!field) return {};
    switch (*field) {
        case ScopeField::From:
            return QStringLiteral("--to: the range ends before it starts");
        case ScopeField::Standard:
            return QStringLiteral("--hours: the end must be after the start");
        case ScopeField::Saturday:
            return QStringLiteral("--saturday: the end must be after the start");
        case ScopeField::Session1:
        case ScopeField::Session2:
            return QStringLiteral(
                "--hours: each session must end after it starts, session 2 "
                "starting no earlier than session 1");
        case ScopeField::Saturday1Check:
            return QStringLiteral("--saturday: session 2 needs session 1");
        case ScopeField::Saturday1:
        case ScopeField::Saturday2:
            break;
    }
    return QStringLiteral(
        "--saturday: each session must end after it starts, session 2 "
        "starting after session 1 ends");
}

// The spreadsheet reports take the options of their scope dialog that are shown for them.
QString sheetProblem(const Parse& p) {
    const bool sheetOnly = p.given.contains(QStringLiteral("--xls")) ||
                           p.given.contains(QStringLiteral("--xlsx")) ||
                           p.given.contains(QStringLiteral("--sheet-per-person"));
    if (!p.r.sheet)
        return sheetOnly ? QStringLiteral(
                               "--xls, --xlsx, --sheet-per-person: only for the "
                               "-sheet kinds")
                         : QString();
    if (p.given.count(QStringLiteral("--xls")) + p.given.count(QStringLiteral("--xlsx")) != 1)
        return QStringLiteral("--xls FILE or --xlsx FILE: give one workbook to write");
    QStringList refused = {"--pdf",    "--day",         "--hours",   "--saturday",
                           "--ot-min", "--ot-multiple", "--ot-free", "--time-format",
                           "--plain",  "--new-page"};
    if (*p.r.sheet == SheetReport::FirstLast) refused << QStringLiteral("--per-line");
    if (*p.r.sheet == SheetReport::Pairs || *p.r.sheet == SheetReport::LateEarly)
        refused << QStringLiteral("--records");
    for (const QString& opt : refused)
        if (p.given.contains(opt)) return opt + QStringLiteral(": not for this spreadsheet report");
    return {};
}

QString finalCheck(const Parse& p) {
    if (const QString e = sheetProblem(p); !e.isEmpty()) return e;
    const ReportKind k = p.r.kind;
    const bool oneDay = k == ReportKind::Daily || k == ReportKind::Who;
    if (p.dayGiven && !oneDay) return QStringLiteral("--day: only for daily and who");
    if (p.rangeGiven && oneDay) return QStringLiteral("--from/--to: use --day for daily and who");
    if (k == ReportKind::Filo || k == ReportKind::TwoSession) return hoursProblem(p.r);
    return {};
}

}  // namespace

ReportRequest parseReportArguments(const QStringList& args, const QDate& today) {
    Parse p;
    if (args.isEmpty() || args[0].startsWith(u'-')) {
        p.r.help = args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
        if (!p.r.help) p.r.error = QStringLiteral("Which report? Give KIND first.");
        return p.r;
    }
    const auto kind = kKinds.find(args[0]);
    const auto sheet = kSheetKinds.find(args[0]);
    if (kind == kKinds.end() && sheet == kSheetKinds.end())
        return p.error(QStringLiteral("report"), QStringLiteral("unknown KIND ") + args[0]), p.r;
    // A spreadsheet report opens the general scope dialog, like the printed time logs.
    p.r.kind = kind != kKinds.end() ? kind->second : ReportKind::TimeLogs;
    p.r.scope = readScopeDefaults(dialogOf(p.r.kind), today);
    if (sheet != kSheetKinds.end()) {
        p.r.sheet = sheet->second;
        p.r.scope.newPage = false;  // one sheet for everybody unless asked
        if (p.r.sheet == SheetReport::Pairs || p.r.sheet == SheetReport::LateEarly)
            p.r.scope.records = RecordsOfInterest::InOut;
    }
    p.r.scope.hours.satOn = p.r.scope.hours.sat1On = p.r.scope.hours.sat2On = false;
    for (qsizetype i = 1; i < args.size() && p.r.error.isEmpty(); ++i) {
        const QString& a = args[i];
        p.given << a;
        if (flagOption(p, a)) continue;
        const auto it = kValueOptions.find(a);
        if (it == kValueOptions.end()) return p.error(a, QStringLiteral("unknown option")), p.r;
        if (i + 1 >= args.size()) return p.error(a, QStringLiteral("needs a value")), p.r;
        p.value = args[++i];
        it->second(p, a, p.value);
        p.value.clear();
    }
    if (p.r.error.isEmpty()) {
        if (const QString e = finalCheck(p); !e.isEmpty()) p.r.error = e;
    }
    if (p.r.dataDir.isEmpty()) p.r.dataDir = defaultDataFolder();
    p.r.dataDir = QDir(p.r.dataDir).absolutePath();
    p.r.hoursFromGroup = !p.hoursGiven && !p.saturdayGiven && p.r.kind != ReportKind::FiloOvernight;
    return p.r;
}

QString reportUsageText() {
    return QStringLiteral(
        "Usage: tallyport report KIND [options]\n"
        "\n"
        "Writes a printed report as text on standard output (page header once at the top, then\n"
        "one line per printed line). Options not given take the values the report's scope\n"
        "dialog remembers.\n"
        "\n"
        "  KIND: time-logs | total-hours | daily | who | detail | filo | filo-overnight |\n"
        "        two-session\n"
        "        or a spreadsheet report, written to a workbook: filo-sheet | pairs-sheet |\n"
        "        logs-sheet | late-early-sheet\n"
        "  --data-dir DIR                        folder of the databases\n"
        "  --persons all | group:NAME | list\n"
        "  --dates this-week | last-week | this-month | last-month | all\n"
        "  --from YYYY-MM-DD --to YYYY-MM-DD     a range of days instead of --dates\n"
        "  --day YYYY-MM-DD                      the day of daily and who (default today)\n"
        "  --records all | clock | inout\n"
        "  --per-line 2|4|6|8   --time-format 0|1|2|3   --blank-lines   --new-page\n"
        "  --plain                               no enhanced colours\n"
        "  --hours HH:MM-HH:MM[,HH:MM-HH:MM]     filo: standard start-end; two-session: two\n"
        "                                        sessions (without it a group scope uses the\n"
        "                                        group's hours)\n"
        "  --saturday HH:MM-HH:MM[,HH:MM-HH:MM]  Saturday hours; absent = Saturday off\n"
        "  --ot-min N   --ot-multiple N   --ot-free N   overtime minutes\n"
        "  --xls FILE | --xlsx FILE              the workbook of a -sheet KIND\n"
        "  --sheet-per-person                    a sheet per person instead of one\n"
        "                                        \"all_records\" sheet\n"
        "  --help                                show this text\n"
        "\n"
        "Exit codes: 0 done, 1 the data could not be read, 2 bad options.\n");
}

namespace {

void printErr(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

Result<Database> openFile(const QString& folder, const QString& name, const QByteArray& key) {
    const QString path = QDir(folder).filePath(name);
    if (!QFileInfo(path).isFile()) return fail(msg::CannotOpen(path));
    auto db = Database::open(path, key, Database::Mode::ReadOnly);
    if (!db) return fail(msg::CannotOpen(path) + QLatin1Char('\n') + db.error().text);
    return db;
}

Result<bool> logIsEmpty(Database& att) {
    auto n = att.scalarInt(QStringLiteral("SELECT 1 FROM recorder LIMIT 1"));
    if (!n) return std::unexpected(n.error());
    return !n->has_value();
}

// What the scope dialog does with a group: the first group when none is named, and the
// group's hours in place of the remembered ones. A group that does not exist is an error: an
// empty report would read as a day nobody worked.
Result<void> applyGroup(ReportRequest& r, Database& src) {
    ReportScope& s = r.scope;
    if (s.persons != PersonsChoice::Group) return {};
    if (s.groupName.isEmpty()) {
        const auto first = firstGroupName(src);
        if (!first) return std::unexpected(first.error());
        s.groupName = *first;
    }
    const auto id = GroupId(src, s.groupName);
    if (!id) return std::unexpected(id.error());
    if (*id == 0)
        return fail(QStringLiteral("--persons: there is no work group \"%1\"").arg(s.groupName));
    if (!isLate(r.kind) || !r.hoursFromGroup) return {};
    const auto loaded = readGroupHours(src, s.groupName, dialogOf(r.kind), s.hours);
    if (!loaded) return std::unexpected(loaded.error());
    return {};
}

// The spreadsheet reports: the same export as the Spreadsheet menu's, without its windows.
int runSheet(ReportRequest& r, Database& src) {
    auto persons = selectReportPersons(src, r.scope.persons, r.scope.groupName);
    if (!persons) {
        printErr(msg::DatabaseError + QLatin1Char('\n') + persons.error().text);
        return printErr(msg::UpdateFailed), 1;
    }
    const SheetReportJob job{*r.sheet,
                             r.scope,
                             std::move(*persons),
                             appClock().now().date(),
                             QDir::current().absoluteFilePath(r.sheetFile),
                             r.sheetFormat};
    const auto done = exportSheetReport(r.dataDir, job, nullptr);
    if (!done) return printErr(done.error().text), 1;
    if (done->sheets.isEmpty()) return printErr(kNobodyWritten), 0;
    std::printf("%lld rows written to %s on %lld sheet(s)\n", qlonglong(done->rows),
                qPrintable(job.path), qlonglong(done->sheets.size()));
    // Persons whose time table could not be read have no rows: the file is not the report.
    if (done->timeTableFailures > 0) return printErr(msg::UpdateFailed), 1;
    return 0;
}

int run(ReportRequest& r, const ReportPdfWriter& writePdf) {
    protectDataFolder(r.dataDir);  // no file of it is ever the output
    auto att = openFile(r.dataDir, kLogFile, kLogKey);
    if (!att) return printErr(att.error().text), 1;
    auto src = openFile(r.dataDir, kSystemFile, kSystemKey);
    if (!src) return printErr(src.error().text), 1;
    const auto empty = logIsEmpty(*att);
    if (!empty) return printErr(empty.error().text), 1;
    if (*empty) return printErr(msg::NoRecord), 1;
    if (const auto group = applyGroup(r, *src); !group) return printErr(group.error().text), 1;
    if (r.sheet) return runSheet(r, *src);
    if (r.kind == ReportKind::Filo || r.kind == ReportKind::TwoSession) {
        if (const QString e = hoursProblem(r); !e.isEmpty()) return printErr(e), 2;
    }
    auto rc = buildReport(r.kind, r.scope, appClock().now().date(), *att, *src);
    if (!rc) return printErr(rc.error().text), 1;
    if (rc->lines.empty())
        return printErr(QStringLiteral("Nobody in the scope: nothing printed.")), 0;
    if (!r.pdfFile.isEmpty()) {
        const auto written = writePdf(*rc, r.pdfFile);
        return written ? 0 : (printErr(written.error().text), 1);
    }
    const QByteArray out = reportText(*rc).toUtf8();
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

bool reportWantsPdf(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (qstrcmp(argv[i], "--pdf") == 0) return true;
    return false;
}

int runReportCommand(int argc, char** argv, const ReportPdfWriter& writePdf) {
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance()) app.emplace(argc, argv);
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    ReportRequest r = parseReportArguments(args, appClock().now().date());
    if (r.help) return std::printf("%s", qPrintable(reportUsageText())), 0;
    if (!r.error.isEmpty()) {
        printErr(r.error + QStringLiteral("\nSee: tallyport report --help"));
        return 2;
    }
    if (!r.pdfFile.isEmpty() && !writePdf)
        return printErr(QStringLiteral("--pdf: PDF output is not available here")), 2;
    return run(r, writePdf);
}

}  // namespace tallyport
