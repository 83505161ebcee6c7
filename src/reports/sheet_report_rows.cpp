// The day rows of the four spreadsheet reports.
#include "reports/sheet_report_rows.h"

namespace tallyport::sheet_rows {
namespace {

const QString kStatusOk = QStringLiteral("OK");
const QString kIncorrect = QStringLiteral("Incorrect");
const QString kNoMatched = QStringLiteral("No matched");
const QString kIncomplete = QStringLiteral("Incomplete");
const QString kTooMuch = QStringLiteral("Too much");

bool dayGoesOn(const RecordCursor& cur, Stamp q) {
    return !cur.atEnd() && sameDay(cur.current().time, q);
}

}  // namespace

Result<void> Rows::start(Stamp day) {
    if (auto r = m_wb.newRow(); !r) return r;
    ++m_count;
    if (m_everybody && m_first) {
        m_wb.setText(0, m_person->name);
        m_wb.setText(1, m_person->groupName);
    }
    m_first = false;
    if (day != 0) m_wb.setDate(m_everybody ? 2 : 0, dateOfStamp(day));
    return {};
}

void Rows::text(int column, const QString& text) {
    m_wb.setText(column + (m_everybody ? 3 : 1), text);
}

QString clockText(qint64 ms) {
    const int s = int(ms / 1000);
    const int parts[] = {s / 3600 % 100, s / 60 % 60, s % 60};
    char text[8];
    for (int i = 0; i < 3; ++i) {
        text[3 * i] = char('0' + parts[i] / 10);
        text[3 * i + 1] = char('0' + parts[i] % 10);
        if (i < 2) text[3 * i + 2] = ':';
    }
    return QString::fromLatin1(text, 8);
}

void skipDay(RecordCursor& cur, Stamp q) {
    while (dayGoesOn(cur, q)) cur.next();
}

// Every time of the day in order, 2n to a row; a row goes on only while times remain, DATE on
// the day's first row only.
Result<void> timeLogsDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d) {
    if (auto r = rows.start(q); !r) return r;
    for (int k = 0; dayGoesOn(cur, q); cur.next(), ++k) {
        if (k == 2 * d.n) {
            if (auto r = rows.start(0); !r) return r;
            k = 0;
        }
        rows.text(k, clockText(stampTimeOfDay(cur.current().time)));
    }
    return {};
}

Result<void> firstLastDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d) {
    if (auto r = rows.start(q); !r) return r;
    Stamp pos = q;
    const PairRecord p = DayFirstLast(cur, pos, d.strict);
    if (p.empty()) {
        rows.text(2, kNoMatched);
        return {};
    }
    rows.text(
        0, p.inTime ? clockText(stampTimeOfDay(p.inTime)) : QStringLiteral("No ") + d.firstLabel);
    rows.text(1, p.outTime ? clockText(stampTimeOfDay(p.outTime))
                           : QStringLiteral("No ") + d.secondLabel);
    if (p.complete()) rows.text(2, timeAfter(p.outTime, p.inTime) ? kStatusOk : kIncorrect);
    return {};
}

// Up to n pairs by direction: all n found and the day over is OK, more records that day are
// too much (and skipped), anything less is incomplete.
Result<void> pairsDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d) {
    if (auto r = rows.start(q); !r) return r;
    const int status = 2 * d.n;
    for (int k = 0; k < d.n; ++k) {
        Stamp pos = q;
        const PairRecord p = NextPair(cur, pos, true);
        if (p.inTime) rows.text(2 * k, clockText(stampTimeOfDay(p.inTime)));
        if (p.outTime) rows.text(2 * k + 1, clockText(stampTimeOfDay(p.outTime)));
        if (!p.complete() || (k + 1 < d.n && !dayGoesOn(cur, q))) {
            rows.text(status, kIncomplete);
            return {};
        }
    }
    rows.text(status, dayGoesOn(cur, q) ? kTooMuch : kStatusOk);
    return {};
}

// Up to n pairs by direction, each placed in the time table period it falls in: IN, late, OUT
// and early leave under that period's number. A pair in a period at or before one already
// filled on the row is dropped, and so is one past the n periods the row has room for.
Result<void> lateEarlyDay(Rows& rows, RecordCursor& cur, Stamp q, const DayRows& d) {
    if (auto r = rows.start(q); !r) return r;
    int filled = 0;
    for (int round = 0; round < d.n && dayGoesOn(cur, q); ++round) {
        Stamp pos = q;
        const PairRecord p = NextPair(cur, pos, true);
        if (!p.complete()) break;
        const auto match = MatchTimeSlot(p, *d.slots);
        if (!match) break;
        if (match->slot > filled) {
            if (match->slot <= d.n) {
                const int at = 4 * (match->slot - 1);
                rows.text(at, clockText(stampTimeOfDay(p.inTime)));
                rows.text(at + 1, clockText(match->late));
                rows.text(at + 2, clockText(stampTimeOfDay(p.outTime)));
                rows.text(at + 3, clockText(match->early));
            }
            filled = match->slot;
        }
    }
    return {};
}

}  // namespace tallyport::sheet_rows
