#pragma once

#include "base/error.h"
#include "reports/attendance.h"
#include "store/sqlcipher_db.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

// What a report is asked for (whose records, which days, which kinds, how laid out) and the
// operations that turn it into data: the persons, the days, and one person's records.
namespace tallyport {

enum class PersonsChoice { All = 0, Group = 1, List = 2 };
enum class DateChoice { ThisWeek = 0, LastWeek, ThisMonth, LastMonth, All, Range };
enum class RecordsOfInterest { All = 0, Clock = 1, InOut = 2 };

// The scope dialogs; each remembers its own subset of the settings.
enum class ScopeDialog { Scope, Who, OneSession, TwoSession };
// The one- and two-session dialogs, with working hours.
constexpr bool isLateDialog(ScopeDialog d) {
    return d == ScopeDialog::OneSession || d == ScopeDialog::TwoSession;
}

struct ReportScope {
    PersonsChoice persons = PersonsChoice::All;
    QString groupName;
    DateChoice dateChoice = DateChoice::ThisWeek;
    QDate from, to;   // the range pickers
    QDate singleDay;  // the one-day reports
    RecordsOfInterest records = RecordsOfInterest::All;
    bool blankLines = false;
    bool newPage = false;
    bool enhanced = true;
    bool previewOnly = true;
    bool firstInLastOutOnly = false;
    int recordsPerLine = 4;  // 2, 4, 6 or 8
    int recordFormat = 0;    // index into the record formats
    WorkingHours hours;      // as entered
};

// A scope as the dialog opens: the remembered settings, the persons on "All" where the dialog
// does not remember them, the range pickers on the range last confirmed with "Range" (today
// while none is), the group last confirmed with "Group", the single day on today.
ReportScope readScopeDefaults(ScopeDialog dialog, const QDate& today);
// What a dialog remembers on Confirm, each dialog its own subset of the settings.
void writeScopeSettings(ScopeDialog dialog, const ReportScope& s);

// What a late dialog's Confirm refuses: the range ("From" after "To"), a one-session day or
// Saturday, either weekday session, Saturday session 2 without session 1 (the check box), or
// either Saturday session.
enum class ScopeField {
    From,
    Standard,
    Saturday,
    Session1,
    Session2,
    Saturday1,
    Saturday1Check,
    Saturday2
};
// The first field refused, in the order the dialog checks; nothing when the scope is
// acceptable. The range counts only while "Range" is chosen (the pickers are disabled
// otherwise), and only its calendar dates; times equal within a millisecond are not "after".
// The other two dialogs accept anything.
std::optional<ScopeField> firstInvalidField(ScopeDialog dialog, const ReportScope& s);
// What the operator is told when `field` of `s` is refused: the field by name, and what is
// wrong with it ("The end of session 1 is before its start.").
QString scopeRefusalText(const ReportScope& s, ScopeField field);

// The days a scope covers. For all dates the first and last record of the whole log (whole
// seconds), and no date condition anywhere.
struct DateRange {
    Stamp firstDay = 0;
    Stamp lastDay = 0;
    bool allDates = false;
};
// Weeks start on Monday. `att` is read only for all dates; an empty log gives an empty range.
Result<DateRange> ResolveDates(const ReportScope& scope, const QDate& today, Database& att);

// One person of a report.
struct PersonRow {
    int cardNo = 0;
    QString name;
    int groupId = 0;
    QString groupName;  // empty when the holder's group does not exist
};

// The persons of a scope, from the system database, chosen as every scope of holders is
// (everybody or a group's members by name, or the picked holders in the store's order). A
// group name that matches no group selects nobody.
Result<std::vector<PersonRow>> selectReportPersons(Database& src, PersonsChoice persons,
                                                   const QString& groupName);
// The group's hours into `hours` (one-session or two-session form); false when no such group.
Result<bool> readGroupHours(Database& src, const QString& groupName, ScopeDialog dialog,
                            WorkingHours& hours);

// One person's records in time order, milliseconds dropped, read `shiftHours` earlier (the
// overnight report; 0 for none). The range covers whole days from the first day's midnight up
// to, not including, the midnight after the last day.
Result<RecordCursor> OpenPersonRecords(Database& att, int cardNo, RecordsOfInterest records,
                                       const DateRange& range, int shiftHours = 0);

}  // namespace tallyport
