#pragma once

// Shared pieces of the report builders: the band writer and the printed day walk.
#include "base/long_work.h"
#include "reports/report_contents.h"

#include <functional>

namespace tallyport::report_build {

// Appends bands with the colours and page marks of the scope: person bands yellow when
// enhanced, detail lines alternating white and yellow from white after each person band, a
// blank band between persons, a new page before every person band but the first when asked.
class Writer {
public:
    Writer(ReportContents& c, const ReportScope& s, bool colourDetails = true)
        : m_c(c), m_enhanced(s.enhanced), m_newPage(s.newPage), m_colourDetails(colourDetails) {}
    void person(const QString& text);
    void detail(const QString& text);
    void total(const QString& text) { add(Band::Total, text, BandColour::White, false); }

private:
    void add(Band band, const QString& text, BandColour colour, bool newPage);
    ReportContents& m_c;
    bool m_enhanced;
    bool m_newPage;
    bool m_colourDetails;
    bool m_yellowNext = false;
    int m_persons = 0;
};

enum class LineStart { BlankDay, NewDay, Continuation };

// The day walk of one person's printed lines: which kind of line the current record starts.
class DayWalk {
public:
    DayWalk(Stamp firstDay, bool blankLines) : m_cursor(dayStart(firstDay)), m_blank(blankLines) {}
    // Moves the counters' days and pair index as the line requires.
    LineStart begin(Stamp q, PersonCounters& c);
    Stamp blankDay() const { return m_blankDay; }

private:
    Stamp m_cursor;
    bool m_blank;
    Stamp m_current = 0;
    Stamp m_blankDay = 0;
};

// "  " and the date column of the line ("Jan 05, 2026 Mon -", 18 blanks, or the blank day's
// date and " No record"); `shift` puts the overnight hours back for showing.
QString dayPart(LineStart start, Stamp q, Stamp blankDay, qint64 shift);

QString rangeLabel(const DateRange& r, qint64 shift);
QString recordsText(RecordsOfInterest r);  // " (All)", " (Clock)", " (IN/OUT)"
QString personLine(const PersonRow& p);    // " [CARDNO] NAME"
QString recordCountText(qint64 n);         // " (n record(s))"

// What the reports with a line per day (or per pair) make of each person, in one walk: the
// person band, the person's records day by day (with "No record" lines for days without any
// when blank lines are asked for), a line for each, and the person's total. `shiftHours`: the
// records are read that much earlier (the overnight report), and shown back in place.
struct PersonLines {
    Stamp firstDay = 0;
    int shiftHours = 0;
    std::function<QString(const PersonRow&, const RecordCursor&)> personText;
    std::function<QString(RecordCursor&, Stamp day, PersonCounters&)> linePart;
    std::function<QString(const PersonCounters&)> totalText;
};
struct Setup;
// Stops early, failing with kWorkCancelled, when the work is cancelled.
Result<void> writePersons(Writer& w, const ReportScope& s, const Setup& setup, Database& att,
                          const PersonLines& lines, WorkContext* work);

// The range of a report; cancels (nothing) on an empty log with all dates.
struct Setup {
    DateRange range;
    std::vector<PersonRow> persons;
    QString groupName;  // the group's own name when the persons are a group's; empty otherwise
};
Result<Setup> prepareReport(const ReportScope& scope, const QDate& today, Database& att,
                            Database& src);

// The progress at person `done` of the setup's; true when the work is to stop (the builder
// then fails with kWorkCancelled).
bool stopAt(WorkContext* work, size_t done, const Setup& setup);

Result<ReportContents> buildLogs(ReportKind kind, const ReportScope& s, const Setup& setup,
                                 Database& att, WorkContext* work);
Result<ReportContents> buildDetail(ReportKind kind, const ReportScope& s, const Setup& setup,
                                   Database& att, WorkContext* work);
Result<ReportContents> buildDaily(const ReportScope& s, const std::vector<PersonRow>& persons,
                                  Database& att);
Result<ReportContents> buildWho(const ReportScope& s, const std::vector<PersonRow>& persons,
                                Database& att);

}  // namespace tallyport::report_build
