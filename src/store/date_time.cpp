#include "store/date_time.h"

namespace tallyport {

QString dateTimeText(const QDateTime& t) {
    const QString base = t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const int ms = t.time().msec();
    return ms == 0 ? base : base + QStringLiteral(".%1").arg(ms, 3, 10, QLatin1Char('0'));
}

QDateTime parseDateTimeText(const QString& text) {
    const QString format = text.size() > 19 ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                            : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return QDateTime::fromString(text, format);
}

QString timeOfDayText(const QTime& t) {
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QTime parseTimeOfDayText(const QString& text) {
    return QTime::fromString(text, QStringLiteral("HH:mm:ss"));
}

QDateTime WholeSeconds(const QDateTime& t) {
    QDateTime out = t;
    const QTime time = t.time();
    out.setTime(QTime(time.hour(), time.minute(), time.second()));
    return out;
}

QString SqlDate(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

std::pair<QString, QString> wholeDayRange(const QDate& first, const QDate& last, int startHour) {
    // Built from the dates alone: a midnight that a clock change skips still bounds the day.
    const QString start = QStringLiteral(" %1:00:00").arg(startHour, 2, 10, QLatin1Char('0'));
    return {SqlDate(first) + start, SqlDate(last.addDays(1)) + start};
}

}  // namespace tallyport
