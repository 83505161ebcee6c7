#include "base/time_texts.h"

namespace tallyport {

QString amPmTimeText(const QTime& t, bool spaced) {
    if (!t.isValid()) return {};
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1%2%3:%4")
        .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"))
        .arg(spaced ? QStringLiteral(" ") : QString())
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'));
}

}  // namespace tallyport
