#pragma once

#include <QTime>

class QTimeEdit;
class QWidget;

namespace tallyport {

// A time-of-day picker of the dialogs: named for tests and scripts, hours and minutes
// ("HH:mm"), starting at `start`.
QTimeEdit* hourPicker(const char* name, QWidget* parent, QTime start = QTime(0, 0));
// The picked time as milliseconds since midnight, and the other way round.
qint64 pickedTime(const QTimeEdit* picker);
void showTime(QTimeEdit* picker, qint64 timeOfDayMs);

}  // namespace tallyport
