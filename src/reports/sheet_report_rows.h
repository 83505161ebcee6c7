#pragma once

// The rows of the spreadsheet reports, day by day: shared by the report walk and its rows.
#include "reports/attendance.h"
#include "reports/sheet_reports.h"

namespace tallyport::sheet_rows {

// Writes one person's rows: NAME and GROUP on the person's first row (sheet for everybody
// only), DATE, and the report's columns counted from 0 after DATE.
class Rows {
public:
    Rows(Workbook& wb, bool everybody) : m_wb(wb), m_everybody(everybody) {}
    void person(const PersonRow& p) {
        m_person = &p;
        m_first = true;
    }
    // A new row; `day` 0 leaves DATE empty (a long day's next row).
    Result<void> start(Stamp day);
    void text(int column, const QString& text);
    qint64 count() const { return m_count; }

private:
    Workbook& m_wb;
    bool m_everybody;
    const PersonRow* m_person = nullptr;
    bool m_first = true;
    qint64 m_count = 0;
};

// "HH:mm:ss" of a time of day or of an amount below a day.
QString clockText(qint64 ms);

// How a report fills the rows of one day; each consumes every record of the day `q`.
struct DayRows {
    int n = 2;           // records per line / 2
    bool strict = true;  // records of interest IN/OUT
    QString firstLabel, secondLabel;
    const std::vector<TimeSlot>* slots = nullptr;  // Late and Early Leave
};
Result<void> timeLogsDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d);
Result<void> firstLastDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d);
Result<void> pairsDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d);
Result<void> lateEarlyDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d);

// The rest of day `q`, if a row left any.
void skipDay(RecordCursor& cur, Stamp q);

}  // namespace tallyport::sheet_rows
