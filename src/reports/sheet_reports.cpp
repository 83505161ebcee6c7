#include "reports/sheet_reports.h"

#include "base/long_work.h"
#include "reports/report_texts.h"
#include "reports/sheet_report_rows.h"
#include "reports/time_table.h"
#include "store/messages.h"

namespace tallyport {

using sheet_rows::DayRows;
using sheet_rows::Rows;

namespace {

int pairsPerRow(const ReportScope& s) {
    return std::clamp(s.recordsPerLine / 2, 1, 4);
}

// "IN" and "OUT" when the records are read by direction, "FIRST" and "LAST" otherwise.
std::pair<QString, QString> labels(const ReportScope& s) {
    if (s.records == RecordsOfInterest::InOut) return {QStringLiteral("IN"), QStringLiteral("OUT")};
    return {QStringLiteral("FIRST"), QStringLiteral("LAST")};
}

QStringList reportColumns(SheetReport report, const ReportScope& s) {
    const int n = pairsPerRow(s);
    QStringList out;
    auto numbered = [&out, n](std::initializer_list<const char*> names) {
        for (int k = 1; k <= n; ++k)
            for (const char* name : names) out << QString::fromLatin1(name) + QString::number(k);
    };
    switch (report) {
        case SheetReport::TimeLogs:
            for (int k = 1; k <= 2 * n; ++k) out << QStringLiteral("TIME") + QString::number(k);
            break;
        case SheetReport::FirstLast:
            out << labels(s).first << labels(s).second << QStringLiteral("STATUS");
            break;
        case SheetReport::Pairs:
            numbered({"IN", "OUT"});
            out << QStringLiteral("STATUS");
            break;
        case SheetReport::LateEarly:
            numbered({"IN", "LT", "OUT", "EL"});
            break;
    }
    return out;
}

// What a day without records shows besides its date.
bool statusOnBlankRows(SheetReport r) {
    return r == SheetReport::FirstLast || r == SheetReport::Pairs;
}
// Which sheets give blank rows to the days after a person's last record.
bool blankRowsToTheEnd(SheetReport r) {
    return r == SheetReport::FirstLast || r == SheetReport::TimeLogs;
}

struct Walk {
    SheetReport report;
    const ReportScope& scope;
    DateRange range;
    DayRows day;
    Rows& rows;
};

Result<void> blankRow(Walk& w, Stamp day) {
    if (auto r = w.rows.start(day); !r) return r;
    if (statusOnBlankRows(w.report))
        w.rows.text(w.report == SheetReport::Pairs ? 2 * w.day.n : 2, QStringLiteral("No record"));
    return {};
}

Result<void> dayRows(Walk& w, RecordCursor& cur, Stamp q) {
    switch (w.report) {
        case SheetReport::TimeLogs:
            return sheet_rows::timeLogsDay(w.rows, cur, q, w.day);
        case SheetReport::FirstLast:
            return sheet_rows::firstLastDay(w.rows, cur, q, w.day);
        case SheetReport::Pairs:
            return sheet_rows::pairsDay(w.rows, cur, q, w.day);
        case SheetReport::LateEarly:
            break;
    }
    return sheet_rows::lateEarlyDay(w.rows, cur, q, w.day);
}

// The day walk: with blank rows, each day from the first without records gets a row of its
// own before the next day with records; a data day moves the walk to the day after it.
Result<void> walkPerson(Walk& w, RecordCursor& cur) {
    Stamp next = dayStart(w.range.firstDay);
    while (!cur.atEnd()) {
        const Stamp q = cur.current().time;
        if (!w.scope.blankLines) next = dayStart(q);
        if (dayBefore(next, q)) {
            if (auto r = blankRow(w, next); !r) return r;
            next += kDayMs;
            continue;
        }
        if (auto r = dayRows(w, cur, q); !r) return r;
        sheet_rows::skipDay(cur, q);
        next = dayStart(q) + kDayMs;
    }
    if (!w.scope.blankLines || !blankRowsToTheEnd(w.report)) return {};
    for (; !dayBefore(w.range.lastDay, next); next += kDayMs)
        if (auto r = blankRow(w, next); !r) return r;
    return {};
}

Result<std::vector<TimeSlot>> timeSlots(Database& src, int groupId) {
    auto periods = loadTimeTable(src, groupId);
    if (!periods) return std::unexpected(periods.error());
    std::vector<TimeSlot> slots;
    for (const TimePeriod& p : *periods) slots.push_back({timeOfDayMs(p.in), timeOfDayMs(p.out)});
    return slots;
}

RecordsOfInterest recordsOf(SheetReport report, const ReportScope& s) {
    return report == SheetReport::Pairs || report == SheetReport::LateEarly
               ? RecordsOfInterest::InOut
               : s.records;
}

}  // namespace

QStringList sheetColumns(SheetReport report, const ReportScope& scope, bool everybody) {
    QStringList out;
    if (everybody) out << QStringLiteral("NAME") << QStringLiteral("GROUP");
    return out << QStringLiteral("DATE") << reportColumns(report, scope);
}

Result<SheetReportDone> writeSheetReport(SheetReport report, const ReportScope& scope,
                                         const std::vector<PersonRow>& persons, const QDate& today,
                                         Database& att, Database& src, Workbook& wb,
                                         WorkContext* work) {
    const auto range = ResolveDates(scope, today, att);
    if (!range) return fail(msg::DatabaseError + QLatin1Char('\n') + range.error().text);
    const bool everybody = !scope.newPage;
    const QStringList columns = sheetColumns(report, scope, everybody);
    if (everybody)
        if (auto r = wb.addSheet(kEverybodySheet, columns); !r) return std::unexpected(r.error());
    Rows rows(wb, everybody);
    const RecordsOfInterest records = recordsOf(report, scope);
    Walk w{report, scope, *range, {}, rows};
    w.day.n = pairsPerRow(scope);
    w.day.strict = records == RecordsOfInterest::InOut;
    std::tie(w.day.firstLabel, w.day.secondLabel) = labels(scope);
    SheetReportDone done;
    for (size_t i = 0; i < persons.size(); ++i) {
        if (work) {
            work->setProgress(qint64(i), qint64(persons.size()));
            if (work->cancelled()) return fail(kWorkCancelled);
        }
        const PersonRow& p = persons[i];
        auto cur = OpenPersonRecords(att, p.cardNo, records, *range);
        if (!cur) return fail(msg::DatabaseError + QLatin1Char('\n') + cur.error().text);
        if (!everybody)
            if (auto r = wb.addSheet(SheetName(p.name), columns); !r)
                return std::unexpected(r.error());
        std::vector<TimeSlot> slots;
        if (report == SheetReport::LateEarly) {
            auto read = timeSlots(src, p.groupId);
            if (!read) {
                ++done.timeTableFailures;
                continue;
            }
            slots = std::move(*read);
        }
        w.day.slots = &slots;
        rows.person(p);
        if (auto r = walkPerson(w, *cur); !r) return std::unexpected(r.error());
    }
    done.rows = rows.count();
    done.sheets = wb.sheetNames();
    return done;
}

}  // namespace tallyport
