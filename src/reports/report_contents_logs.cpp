// Time Logs and Total Hours: every record of a day, or its first and last record.
#include "reports/report_build.h"
#include "reports/report_texts.h"
#include "store/log_texts.h"

namespace tallyport::report_build {
namespace {

QString shortTag(int mode) {
    switch (mode) {
        case 0:
            return QStringLiteral("[C]");
        case 1:
            return QStringLiteral("[I]");
        case 2:
            return QStringLiteral("[O]");
        default:
            return {};
    }
}

// Up to n records of the day, a blank after every second.
QString timeLogPart(RecordCursor& cur, Stamp q, int n, int format) {
    QString out;
    for (int k = 0; k < n && !cur.atEnd() && sameDay(cur.current().time, q); cur.next()) {
        out += recordTimeText(cur.current().time, format) + shortTag(cur.current().mode);
        if (++k % 2 == 0) out += QLatin1Char(' ');
    }
    return out;
}

QString totalHoursPart(RecordCursor& cur, Stamp q, bool strict, int format, PersonCounters& c) {
    Stamp pos = q;
    const PairRecord p = DayFirstLast(cur, pos, strict);
    if (p.empty()) return QStringLiteral(" No record matched");
    const int width = recordFormatWidth(format) + 7;
    QString out = p.inTime > 0 ? recordTimeText(p.inTime, format) + ModeTag(p.inMode)
                               : PadRight(QStringLiteral(" No IN"), width);
    if (p.outTime == 0)
        out += PadRight(QStringLiteral(" No OUT"), width);
    else if (timeAfter(p.outTime, p.inTime))
        out += recordTimeText(p.outTime, format) + ModeTag(p.outMode);
    if (!p.complete()) return out;
    if (timeAfter(p.outTime, p.inTime)) {
        c.totalTime += timeDiff(p.outTime, p.inTime);
        out += QLatin1Char(' ') + ElapsedText(p.outTime, p.inTime);
    } else if (timeAfter(p.inTime, p.outTime)) {
        out += QStringLiteral(" Incorrect");
    }
    return out;
}

}  // namespace

Result<ReportContents> buildLogs(ReportKind kind, const ReportScope& s, const Setup& setup,
                                 Database& att, WorkContext* work) {
    const bool totals = kind == ReportKind::TotalHours;
    const bool strict = s.records == RecordsOfInterest::InOut;
    ReportContents rc;
    rc.leftLabel = QStringLiteral("Time Attendance");
    rc.rightLabel = rangeLabel(setup.range, 0);
    rc.title = (totals ? QStringLiteral("Total Hours") : QStringLiteral("Time Logs")) +
               recordsText(s.records);
    Writer w(rc, s);
    const PersonLines lines{
        setup.range.firstDay, 0,
        [totals](const PersonRow& p, const RecordCursor& cur) {
            return personLine(p) + (totals ? QString() : recordCountText(qint64(cur.size())));
        },
        [&s, totals, strict](RecordCursor& cur, Stamp q, PersonCounters& c) {
            return totals ? totalHoursPart(cur, q, strict, s.recordFormat, c)
                          : timeLogPart(cur, q, s.recordsPerLine, s.recordFormat);
        },
        [totals](const PersonCounters& c) {
            QString total = QStringLiteral(" No of day(s) = ") + QString::number(c.days) + u' ';
            if (totals) total += QStringLiteral("  Total Time=") + DurationText(c.totalTime);
            return total;
        }};
    if (auto r = writePersons(w, s, setup, att, lines, work); !r) return std::unexpected(r.error());
    return rc;
}

}  // namespace tallyport::report_build
