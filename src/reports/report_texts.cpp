#include "reports/report_texts.h"

#include "base/time_texts.h"

namespace tallyport {
namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// Two digits at least, without a locale: reports format half a million of these.
void two(QString& out, qint64 v) {
    if (v < 10) out += QLatin1Char('0');
    out += QString::number(v);
}

QString clockText(qint64 ms) {
    QString out;
    if (ms < 0) {
        out += QLatin1Char('-');
        ms = -ms;
    }
    const qint64 s = ms / 1000;
    two(out, s / 3600);
    out += QLatin1Char(':');
    two(out, s / 60 % 60);
    out += QLatin1Char(':');
    two(out, s % 60);
    return out;
}

}  // namespace

QString DurationText(qint64 ms) {
    return clockText(ms) + QLatin1Char(' ');
}

QString amountText(qint64 ms) {
    return QLatin1Char('(') + clockText(ms % kDayMs) + QLatin1Char(')');
}

QString ElapsedText(Stamp later, Stamp earlier) {
    return amountText(timeDiff(later, earlier));
}

QString PadRight(const QString& s, int length) {
    return s.size() >= length ? s : s + QString(length - s.size(), QLatin1Char(' '));
}

QString SheetName(const QString& name) {
    QString out = name;
    return out.replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString recordTimeText(Stamp t, int format) {
    const qint64 secs = stampTimeOfDay(t) / 1000;
    const bool withSeconds = format == 0 || format == 1;
    if (format == 0 || format == 2)
        return QLatin1Char(' ') +
               amPmTimeText(QTime::fromMSecsSinceStartOfDay(int(secs * 1000)), AmPmGap::Joined,
                            withSeconds ? AmPmPrecision::Seconds : AmPmPrecision::Minutes);
    QString out(QLatin1Char(' '));
    two(out, secs / 3600);
    out += QLatin1Char(':');
    two(out, secs / 60 % 60);
    if (withSeconds) {
        out += QLatin1Char(':');
        two(out, secs % 60);
    }
    return out;
}

int recordFormatWidth(int format) {
    return int(recordTimeText(0, format).size());
}

QString dayColumnText(Stamp day) {
    const QDate d = dateOfStamp(day);
    QString out = QLatin1String(kMonths[d.month() - 1]) + QLatin1Char(' ');
    two(out, d.day());
    return out + QStringLiteral(", %1 ").arg(d.year(), 4, 10, QLatin1Char('0')) +
           QLatin1String(kDays[d.dayOfWeek() - 1]) + QStringLiteral(" -");
}

QString rangeDateText(Stamp day) {
    const QDate d = dateOfStamp(day);
    return QStringLiteral("%1/%2/%3")
        .arg(d.day())
        .arg(QLatin1String(kMonths[d.month() - 1]))
        .arg(d.year());
}

QString hourMinuteText(qint64 timeOfDay) {
    QString out;
    two(out, timeOfDay / kHourMs);
    out += QLatin1Char(':');
    two(out, timeOfDay / kMinuteMs % 60);
    return out;
}

}  // namespace tallyport
