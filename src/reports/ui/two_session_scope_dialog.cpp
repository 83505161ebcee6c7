#include "reports/ui/two_session_scope_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace tallyport {

namespace {

// One session in a row of the grid: [check box] start "to" end.
void addSession(QGridLayout* grid, int row, QCheckBox* check, const SessionPickers& s) {
    QWidget* parent = grid->parentWidget();
    if (check) grid->addWidget(check, row, 0);
    grid->addWidget(s.start, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("to"), parent), row, 2);
    grid->addWidget(s.end, row, 3);
}

QCheckBox* satCheck(const char* name, QWidget* parent) {
    auto* c = new QCheckBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

}  // namespace

TwoSessionScopeDialog::TwoSessionScopeDialog(Database& src, Operator& op, QWidget* parent)
    : ReportScopeDialog(ScopeDialog::TwoSession, src, op, parent) {
    setObjectName(QStringLiteral("TwoSessionScopeDialog"));
    finishLate(buildHours());
}

QGroupBox* TwoSessionScopeDialog::buildHours() {
    auto* g = new QGroupBox(QStringLiteral("Working Hours"), this);
    auto* standard = new QGroupBox(QStringLiteral("Standard Time"), g);
    m_session1 = {hourPicker("dtpSTDstart1", standard), hourPicker("dtpSTDend1", standard)};
    m_session2 = {hourPicker("dtpSTDstart2", standard), hourPicker("dtpSTDend2", standard)};
    auto* stdGrid = new QGridLayout(standard);
    addSession(stdGrid, 0, nullptr, m_session1);
    addSession(stdGrid, 1, nullptr, m_session2);
    auto* saturday = new QGroupBox(QStringLiteral("Saturday"), g);
    m_sat1 = satCheck("cbsat1", saturday);
    m_sat2 = satCheck("cbsat2", saturday);
    m_saturday1 = {hourPicker("dtpSATstart1", saturday), hourPicker("dtpSATend1", saturday)};
    m_saturday2 = {hourPicker("dtpSATstart2", saturday), hourPicker("dtpSATend2", saturday)};
    auto* satGrid = new QGridLayout(saturday);
    addSession(satGrid, 0, m_sat1, m_saturday1);
    addSession(satGrid, 1, m_sat2, m_saturday2);
    auto* col = new QVBoxLayout(g);
    col->addWidget(standard);
    col->addWidget(saturday);
    col->addWidget(buildOvertimeOptions(g, m_overtime));
    return g;
}

void TwoSessionScopeDialog::readHours(WorkingHours& h) const {
    h.session1 = m_session1.read();
    h.session2 = m_session2.read();
    h.sat1On = m_sat1->isChecked();
    h.sat1 = m_saturday1.read();
    h.sat2On = m_sat2->isChecked();
    h.sat2 = m_saturday2.read();
    m_overtime.read(h);
}

void TwoSessionScopeDialog::showHours(const WorkingHours& h) {
    m_session1.show(h.session1);
    m_session2.show(h.session2);
    m_sat1->setChecked(h.sat1On);
    m_saturday1.show(h.sat1);
    m_sat2->setChecked(h.sat2On);
    m_saturday2.show(h.sat2);
    m_overtime.show(h);
}

}  // namespace tallyport
