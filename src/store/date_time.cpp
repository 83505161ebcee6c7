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

std::optional<std::pair<QDate, QTime>> splitDateTimeText(const QString& text) {
    // "YYYY-MM-DD HH:MM:SS" and, optionally, ".zzz"
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd.ddd";
    if (text.size() != 19 && text.size() != 23) return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (kShape[i] == 'd' ? (c < u'0' || c > u'9') : c != char16_t(kShape[i]))
            return std::nullopt;
    }
    const auto number = [&](qsizetype at, qsizetype digits) {
        int v = 0;
        for (qsizetype i = at; i < at + digits; ++i) v = v * 10 + (text[i].unicode() - u'0');
        return v;
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2),
                     text.size() == 23 ? number(20, 3) : 0);
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return std::pair{date, time};
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
