#include "reports/ui/working_hours_controls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimeEdit>
#include <limits>

namespace tallyport {

void SessionPickers::show(const Session& s) const {
    showTime(start, s.start);
    showTime(end, s.end);
}

void OvertimeFields::read(WorkingHours& h) const {
    h.otMinimum = minimum->value();
    h.otMultiple = multiple->value();
    h.otFree = noPay->value();
}

void OvertimeFields::show(const WorkingHours& h) const {
    minimum->setValue(h.otMinimum);
    multiple->setValue(h.otMultiple);
    noPay->setValue(h.otFree);
}

namespace {

QSpinBox* minutesField(const char* name, const QString& hint, QWidget* parent) {
    auto* f = new QSpinBox(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    f->setToolTip(hint);
    return f;
}

}  // namespace

QGroupBox* buildOvertimeOptions(QWidget* parent, OvertimeFields& fields) {
    auto* g = new QGroupBox(QStringLiteral("Overtime Options"), parent);
    g->setObjectName(QStringLiteral("gbOvertime"));
    fields.minimum =
        minutesField("seOTmin", QStringLiteral("Minimum OT time to start counting as OT"), g);
    fields.multiple =
        minutesField("seOTmul", QStringLiteral("OT time must be in multiple of the value"), g);
    fields.noPay = minutesField(
        "seOTfree", QStringLiteral("OT time that will be deducted from the actual OT"), g);
    auto* grid = new QGridLayout(g);
    const std::pair<const char*, QSpinBox*> rows[] = {{"Min. O.T.", fields.minimum},
                                                      {"O.T. Multiple", fields.multiple},
                                                      {"No pay O.T.", fields.noPay}};
    int r = 0;
    for (const auto& [caption, field] : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), g), r, 0);
        grid->addWidget(field, r, 1);
        grid->addWidget(new QLabel(QStringLiteral("Minutes"), g), r++, 2);
    }
    return g;
}

}  // namespace tallyport
