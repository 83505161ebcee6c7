// Total Hours Detail, First In / Last Out (and its overnight form) and 2-session: a line per
// pair or per day, judged against the working hours where the report has them.
#include "reports/report_build.h"
#include "reports/report_texts.h"
#include "store/log_texts.h"

namespace tallyport::report_build {
namespace {

struct DetailRun {
    ReportKind kind;
    bool strict;
    int format;
    int width;           // a formatted time plus a mode tag
    qint64 shift;        // ms the records were read earlier; added back for showing
    WorkingHours hours;  // shifted like the records
};

bool isFilo(ReportKind k) {
    return k == ReportKind::Filo || k == ReportKind::FiloOvernight;
}
bool isSessions(ReportKind k) {
    return isFilo(k) || k == ReportKind::TwoSession;
}

QString timeText(const DetailRun& r, Stamp t) {
    return recordTimeText(t + r.shift, r.format);
}

// Total Hours Detail paired by order: the in part, and the out part with the time between.
QString orderPart(const DetailRun& r, const PairRecord& p, PersonCounters& c) {
    QString out = timeText(r, p.inTime) + u' ' + ModeTag(p.inMode);
    if (p.outTime == 0) return out;
    c.totalTime += timeDiff(p.outTime, p.inTime);
    return out + timeText(r, p.outTime) + u' ' + ModeTag(p.outMode) + QStringLiteral("  ") +
           amountText(timeDiff(p.outTime, p.inTime));
}

QString remarks(const LineVerdict& v) {
    if (v.excessive) return QStringLiteral(" Excessive");
    QStringList parts;
    if (v.late > 0) parts << QStringLiteral("L") + amountText(v.late);
    if (v.early > 0) parts << QStringLiteral("E") + amountText(v.early);
    if (v.overtime > 0) parts << QStringLiteral("OT") + amountText(v.overtime);
    QString out;
    if (!parts.isEmpty()) out = QStringLiteral(" [") + parts.join(u',') + u']';
    if (v.missing) out += QStringLiteral(" Missing");
    return out;
}

QString judgedPart(const DetailRun& r, RecordCursor& cur, Stamp q, PersonCounters& c) {
    Stamp pos = q;
    const PairRecord p =
        isFilo(r.kind) ? DayFirstLast(cur, pos, r.strict) : NextPair(cur, pos, r.strict);
    if (p.empty()) return QStringLiteral(" No record matched");
    QString out = p.inTime > 0 ? timeText(r, p.inTime) + ModeTag(p.inMode)
                               : PadRight(QStringLiteral(" No IN"), r.width);
    out += p.outTime > 0 ? timeText(r, p.outTime) + ModeTag(p.outMode)
                         : PadRight(QStringLiteral(" No OUT"), r.width);
    LineVerdict v;
    if (isSessions(r.kind)) {
        const SessionKind k = isFilo(r.kind) ? SessionKind::One : SessionKind::Two;
        v = EvaluateSessionLine(p, k, pos, cur.atEnd(), r.hours, c);
    }
    if (!p.complete() || timeAfter(p.inTime, p.outTime)) return out + QStringLiteral(" Incorrect");
    if (!isSessions(r.kind)) {
        c.totalTime += timeDiff(p.outTime, p.inTime);
        return out + u' ' + ElapsedText(p.outTime, p.inTime);
    }
    out += remarks(v);
    if (v.error) out += QStringLiteral(" Error");
    return out;
}

QString detailPart(const DetailRun& r, RecordCursor& cur, Stamp q, PersonCounters& c) {
    if (r.kind == ReportKind::Detail && !r.strict) {
        Stamp pos = q;
        return orderPart(r, NextPair(cur, pos, false), c);
    }
    return judgedPart(r, cur, q, c);
}

QString count(const QString& label, int n, qint64 total) {
    return label + QString::number(n) + u'(' + DurationText(total) + u')';
}

QString totalLine(ReportKind kind, const PersonCounters& c) {
    const QString days = QString::number(c.days);
    if (!isSessions(kind))
        return QStringLiteral(" No of day(s) = ") + days + QStringLiteral(" ") +
               QStringLiteral("  Total Time=") + DurationText(c.totalTime);
    const bool filo = isFilo(kind);
    const int errorDays = c.days - (filo ? c.goodDays : c.completeDays);
    return QStringLiteral(" Clocked day=") + days + QStringLiteral(", ") +
           (filo ? QStringLiteral("Error day=") : QStringLiteral("Error Day=")) +
           QString::number(errorDays) + QStringLiteral(", ") +
           count(filo ? QStringLiteral("Late day=") : QStringLiteral("Late="), c.lateCount,
                 c.lateTotal) +
           QStringLiteral(", ") +
           count(filo ? QStringLiteral("Early Leave day=") : QStringLiteral("Early Leave="),
                 c.earlyCount, c.earlyTotal) +
           QStringLiteral(", ") +
           count(QStringLiteral("Overtime day="), c.overtimeCount, c.overtimeTotal) + u' ';
}

QString titleOf(ReportKind kind) {
    switch (kind) {
        case ReportKind::Filo:
            return QStringLiteral("First In Last Out");
        case ReportKind::FiloOvernight:
            return QStringLiteral("First In Last Out (Overnight)");
        case ReportKind::TwoSession:
            return QStringLiteral("2-Session");
        default:
            return QStringLiteral("Total Hours Detail");
    }
}

QString span(const Session& s, const QString& between) {
    return hourMinuteText(s.start) + between + hourMinuteText(s.end);
}

// The page header: product, no-pay minutes, range, title and the hours judged against.
void header(ReportContents& rc, ReportKind kind, const ReportScope& s, const DateRange& range) {
    const WorkingHours& h = s.hours;
    rc.leftLabel = QStringLiteral("Tallyport");
    if (isSessions(kind) && h.otFree > 0)
        rc.leftLabel += QStringLiteral(" (No pay O.T.=%1minutes)").arg(h.otFree);
    rc.rightLabel = rangeLabel(range, 0);
    rc.title = titleOf(kind) + recordsText(s.records);
    if (isFilo(kind)) {
        rc.headerLines << QStringLiteral("Standard: ") + span(h.standard, QStringLiteral(" to "))
                       << (h.satOn ? QStringLiteral("Saturday: ") +
                                         span(h.saturday, QStringLiteral(" to "))
                                   : QString());
    } else if (kind == ReportKind::TwoSession) {
        const QString dash = QStringLiteral("-");
        QString sat;
        if (h.sat1On) sat = QStringLiteral("Saturday: ") + span(h.sat1, dash);
        if (h.sat2On) sat += u' ' + span(h.sat2, dash);
        rc.headerLines << QStringLiteral("Standard: ") + span(h.session1, dash) + u' ' +
                              span(h.session2, dash)
                       << sat;
    } else {
        rc.headerLines << QString() << QString();
    }
}

}  // namespace

Result<ReportContents> buildDetail(ReportKind kind, const ReportScope& s, const Setup& setup,
                                   Database& att, WorkContext* work) {
    const int shiftHours = kind == ReportKind::FiloOvernight ? kOvernightShiftHours : 0;
    const qint64 shift = shiftHours * kHourMs;
    const DetailRun run{kind,           s.records == RecordsOfInterest::InOut,
                        s.recordFormat, recordFormatWidth(s.recordFormat) + 7,
                        shift,          shiftWorkingHours(s.hours, shiftHours)};
    ReportContents rc;
    header(rc, kind, s, setup.range);
    // With all dates the range is the first and last record, read shifted like the records.
    const Stamp firstDay =
        setup.range.allDates ? setup.range.firstDay - shift : setup.range.firstDay;
    Writer w(rc, s);
    const bool counted = kind == ReportKind::Detail && !run.strict;
    const PersonLines lines{firstDay, shiftHours,
                            [counted](const PersonRow& p, const RecordCursor& cur) {
                                return personLine(p) +
                                       (counted ? recordCountText(qint64(cur.size())) : QString());
                            },
                            [&run](RecordCursor& cur, Stamp q, PersonCounters& c) {
                                return detailPart(run, cur, q, c);
                            },
                            [kind](const PersonCounters& c) { return totalLine(kind, c); }};
    if (auto r = writePersons(w, s, setup, att, lines, work); !r) return std::unexpected(r.error());
    return rc;
}

}  // namespace tallyport::report_build
