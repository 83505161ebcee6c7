#include "reports/report_contents.h"

#include "base/long_work.h"
#include "reports/report_build.h"
#include "reports/report_texts.h"
#include "staff/groups.h"
#include "store/messages.h"

namespace tallyport {

ScopeDialog dialogOf(ReportKind kind) {
    switch (kind) {
        case ReportKind::Daily:
        case ReportKind::Who:
            return ScopeDialog::Who;
        case ReportKind::Filo:
        case ReportKind::FiloOvernight:
            return ScopeDialog::OneSession;
        case ReportKind::TwoSession:
            return ScopeDialog::TwoSession;
        default:
            return ScopeDialog::Scope;
    }
}

namespace report_build {

void Writer::add(Band band, const QString& text, BandColour colour, bool newPage) {
    m_c.lines.push_back({band, text, colour, newPage});
}

void Writer::person(const QString& text) {
    if (m_persons++ > 0) add(Band::Blank, QString(), BandColour::White, false);
    add(Band::Person, text, m_enhanced ? BandColour::Yellow : BandColour::White,
        m_newPage && m_persons > 1);
    m_yellowNext = false;
}

void Writer::detail(const QString& text) {
    const bool yellow = m_enhanced && m_colourDetails && m_yellowNext;
    add(Band::Detail, text, yellow ? BandColour::Yellow : BandColour::White, false);
    m_yellowNext = !m_yellowNext;
}

LineStart DayWalk::begin(Stamp q, PersonCounters& c) {
    if (!m_blank) m_cursor = dayStart(q);
    if (dayBefore(m_cursor, q)) {
        m_blankDay = m_cursor;
        m_cursor += kDayMs;
        return LineStart::BlankDay;
    }
    if (m_current == 0 || !sameDay(q, m_current)) {
        m_current = q;
        // The day after the record's own day: a record before the first day (the overnight
        // report reads the first morning into the day before) must not push the walk ahead.
        m_cursor = dayStart(q) + kDayMs;
        ++c.days;
        c.pairIndex = 0;
        return LineStart::NewDay;
    }
    ++c.pairIndex;
    return LineStart::Continuation;
}

QString dayPart(LineStart start, Stamp q, Stamp blankDay, qint64 shift) {
    const QString lead = QStringLiteral("  ");
    switch (start) {
        case LineStart::BlankDay:
            return lead + dayColumnText(blankDay + shift) + QStringLiteral(" No record");
        case LineStart::NewDay:
            return lead + dayColumnText(dayStart(q) + shift);
        case LineStart::Continuation:
            break;
    }
    return lead + QString(kDayColumnWidth, QLatin1Char(' '));
}

Result<void> writePersons(Writer& w, const ReportScope& s, const Setup& setup, Database& att,
                          const PersonLines& lines, WorkContext* work) {
    const qint64 shift = lines.shiftHours * kHourMs;
    size_t done = 0;
    for (const PersonRow& person : setup.persons) {
        if (stopAt(work, done++, setup)) return fail(kWorkCancelled);
        auto cur = OpenPersonRecords(att, person.cardNo, s.records, setup.range, lines.shiftHours);
        if (!cur) return std::unexpected(cur.error());
        w.person(lines.personText(person, *cur));
        DayWalk walk(lines.firstDay, s.blankLines);
        PersonCounters c;
        while (!cur->atEnd()) {
            const Stamp q = cur->current().time;
            const LineStart start = walk.begin(q, c);
            QString line = dayPart(start, q, walk.blankDay(), shift);
            if (start != LineStart::BlankDay) line += lines.linePart(*cur, q, c);
            w.detail(line);
        }
        w.total(lines.totalText(c));
    }
    return {};
}

QString rangeLabel(const DateRange& r, qint64 shift) {
    return QStringLiteral("From: ") + rangeDateText(r.firstDay + shift) + QStringLiteral(" To: ") +
           rangeDateText(r.lastDay + shift);
}

QString recordsText(RecordsOfInterest r) {
    switch (r) {
        case RecordsOfInterest::Clock:
            return QStringLiteral(" (Clock)");
        case RecordsOfInterest::InOut:
            return QStringLiteral(" (IN/OUT)");
        case RecordsOfInterest::All:
            break;
    }
    return QStringLiteral(" (All)");
}

QString personLine(const PersonRow& p) {
    return QStringLiteral(" [") + QString::number(p.cardNo) + QStringLiteral("] ") + p.name;
}

QString recordCountText(qint64 n) {
    return QStringLiteral(" (") + QString::number(n) + QStringLiteral(" record(s))");
}

Result<Setup> prepareReport(const ReportScope& scope, const QDate& today, Database& att,
                            Database& src) {
    Setup s;
    auto range = ResolveDates(scope, today, att);
    if (!range) return std::unexpected(range.error());
    s.range = *range;
    auto persons = selectReportPersons(src, scope.persons, scope.groupName);
    if (!persons) return fail(msg::DatabaseError);
    s.persons = std::move(*persons);
    if (scope.persons == PersonsChoice::Group) {
        // As stored, whatever letter case the scope named it in.
        const auto id = GroupId(src, scope.groupName);
        const auto stored = id && *id ? GroupName(src, *id) : Result<QString>(QString());
        if (!id || !stored) return fail(msg::DatabaseError);
        s.groupName = stored->isEmpty() ? scope.groupName : *stored;
    }
    return s;
}

bool stopAt(WorkContext* work, size_t done, const Setup& setup) {
    if (!work) return false;
    work->setProgress(qint64(done), qint64(setup.persons.size()));
    return work->cancelled();
}

namespace {

const QString kGroupLine = QStringLiteral("Group: ");

Result<ReportContents> buildContents(ReportKind kind, const ReportScope& scope, const Setup& setup,
                                     Database& att, WorkContext* work) {
    switch (kind) {
        case ReportKind::TimeLogs:
        case ReportKind::TotalHours:
            return buildLogs(kind, scope, setup, att, work);
        case ReportKind::Daily:
            return buildDaily(scope, setup.persons, att);
        case ReportKind::Who:
            return buildWho(scope, setup.persons, att);
        default:
            return buildDetail(kind, scope, setup, att, work);
    }
}

}  // namespace

}  // namespace report_build

Result<ReportContents> buildReport(ReportKind kind, const ReportScope& scope, const QDate& today,
                                   Database& att, Database& src, WorkContext* work) {
    using namespace report_build;
    auto setup = prepareReport(scope, today, att, src);
    if (!setup) return std::unexpected(setup.error());
    auto rc = buildContents(kind, scope, *setup, att, work);
    // A group's report says whose it is, above the hours it was judged by.
    if (rc && !setup->groupName.isEmpty()) rc->headerLines.prepend(kGroupLine + setup->groupName);
    return rc;
}

}  // namespace tallyport
