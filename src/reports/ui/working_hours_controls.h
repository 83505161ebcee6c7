#pragma once

#include "reports/attendance.h"
#include "ui/time_pickers.h"

class QCheckBox;
class QGroupBox;
class QSpinBox;
class QTimeEdit;
class QWidget;

// The controls of the late dialogs' "Working Hours": time pickers and the overtime options.
namespace tallyport {

// "start" to "end" in one row of a grid, as a session is entered.
struct SessionPickers {
    QTimeEdit* start = nullptr;
    QTimeEdit* end = nullptr;
    Session read() const { return {pickedTime(start), pickedTime(end)}; }
    void show(const Session& s) const;
};

// "Overtime Options": "Min. O.T.", "O.T. Multiple" and "No pay O.T.", each in minutes and
// without limits.
struct OvertimeFields {
    QSpinBox* minimum = nullptr;
    QSpinBox* multiple = nullptr;
    QSpinBox* noPay = nullptr;
    void read(WorkingHours& h) const;
    void show(const WorkingHours& h) const;
};
QGroupBox* buildOvertimeOptions(QWidget* parent, OvertimeFields& fields);

}  // namespace tallyport
