#include "ui/time_pickers.h"

#include <QTimeEdit>

namespace tallyport {

QTimeEdit* hourPicker(const char* name, QWidget* parent, QTime start) {
    auto* t = new QTimeEdit(start, parent);
    if (name) t->setObjectName(QString::fromLatin1(name));
    t->setDisplayFormat(QStringLiteral("HH:mm"));
    return t;
}

qint64 pickedTime(const QTimeEdit* picker) {
    return picker->time().msecsSinceStartOfDay();
}

// A time of day beyond one day (a shifted session end) shows within the day.
void showTime(QTimeEdit* picker, qint64 timeOfDayMs) {
    constexpr qint64 kDay = 24 * 3600 * 1000;
    const qint64 ms = (timeOfDayMs % kDay + kDay) % kDay;
    picker->setTime(QTime::fromMSecsSinceStartOfDay(int(ms)));
}

}  // namespace tallyport
