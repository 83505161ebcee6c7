#include "reports/ui/one_session_scope_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace tallyport {

OneSessionScopeDialog::OneSessionScopeDialog(Database& src, Operator& op, QWidget* parent,
                                             bool overnight)
    : ReportScopeDialog(ScopeDialog::OneSession, src, op, parent) {
    setObjectName(QStringLiteral("OneSessionScopeDialog"));
    setOvernightMode(overnight);
    finishLate(buildHours());
}

QGroupBox* OneSessionScopeDialog::buildHours() {
    auto* g = new QGroupBox(QStringLiteral("Working Hours"), this);
    auto* standard = new QGroupBox(QStringLiteral("Standard Time"), g);
    m_standard = {hourPicker("dtpSTDstart", standard), hourPicker("dtpSTDend", standard)};
    auto* row = new QGridLayout(standard);
    row->addWidget(m_standard.start, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("to"), standard), 0, 1);
    row->addWidget(m_standard.end, 0, 2);
    auto* saturday = new QGroupBox(QStringLiteral("Saturday"), g);
    m_sat = new QCheckBox(saturday);
    m_sat->setObjectName(QStringLiteral("cbsat"));
    m_saturday = {hourPicker("dtpSATstart", saturday), hourPicker("dtpSATend", saturday)};
    auto* satRow = new QGridLayout(saturday);
    satRow->addWidget(m_sat, 0, 0);
    satRow->addWidget(m_saturday.start, 0, 1);
    satRow->addWidget(new QLabel(QStringLiteral("to"), saturday), 0, 2);
    satRow->addWidget(m_saturday.end, 0, 3);
    auto* col = new QVBoxLayout(g);
    col->addWidget(standard);
    col->addWidget(saturday);
    col->addWidget(buildOvertimeOptions(g, m_overtime));
    return g;
}

void OneSessionScopeDialog::readHours(WorkingHours& h) const {
    h.standard = m_standard.read();
    h.satOn = m_sat->isChecked();
    h.saturday = m_saturday.read();
    m_overtime.read(h);
}

void OneSessionScopeDialog::showHours(const WorkingHours& h) {
    m_standard.show(h.standard);
    m_sat->setChecked(h.satOn);
    m_saturday.show(h.saturday);
    m_overtime.show(h);
}

}  // namespace tallyport
