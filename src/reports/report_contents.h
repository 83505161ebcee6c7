#pragma once

#include "base/error.h"
#include "reports/report_scope.h"

#include <QString>
#include <QStringList>
#include <vector>

// What a printed report says, band by band, before any page is laid out: the renderers (text,
// pages) and the tests read the same structure.
namespace tallyport {

class WorkContext;

enum class ReportKind {
    TimeLogs,       // "Time Logs"
    TotalHours,     // "Total Hours"
    Daily,          // "Daily Individual"
    Who,            // "Who's IN / OUT"
    Detail,         // "Total Hours Detail"
    Filo,           // "First In / Last Out"
    FiloOvernight,  // "First In / Last Out (Overnight)"
    TwoSession,     // "2-session"
};

// The scope dialog each report opens with.
ScopeDialog dialogOf(ReportKind kind);

enum class Band { Person, Detail, Total, Blank };
enum class BandColour { White, Yellow };

struct ReportLine {
    Band band = Band::Detail;
    QString text;
    BandColour colour = BandColour::White;
    bool newPage = false;  // this band starts a new page
};

struct ReportContents {
    QString leftLabel;        // page header, left
    QString rightLabel;       // page header, right: the range or the day
    QString title;            // centred below them
    QStringList headerLines;  // further left-aligned header lines (working hours)
    std::vector<ReportLine> lines;
};

// The overnight report reads the day from noon to noon.
inline constexpr int kOvernightShiftHours = 12;

// Runs a report over the log (`att`) and the holders (`src`); `today` anchors the date choices.
// Fails with the text to show when the holders or records cannot be read. `work`, when given
// (a report built on a worker), hears the progress person by person and may cancel.
Result<ReportContents> buildReport(ReportKind kind, const ReportScope& scope, const QDate& today,
                                   Database& att, Database& src, WorkContext* work = nullptr);

}  // namespace tallyport
