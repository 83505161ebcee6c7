#include "staff/ui/group_editor_dialog.h"

#include "ui/time_pickers.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QValidator>

namespace tallyport {

namespace {

// Letters turn to upper case as they are typed.
class UpperCase : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

QSpinBox* numberBox(const char* name, int maximum, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(0, maximum);
    return s;
}

// "start to end" on one row, with an optional check box in front.
QHBoxLayout* session(QWidget* lead, QTimeEdit* from, QTimeEdit* to) {
    auto* row = new QHBoxLayout;
    if (lead) row->addWidget(lead);
    row->addWidget(from);
    row->addWidget(new QLabel(QStringLiteral("to")));
    row->addWidget(to);
    return row;
}

QHBoxLayout* numberRow(const QString& caption, QSpinBox* box) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(caption));
    row->addWidget(box);
    row->addWidget(new QLabel(QStringLiteral("Minutes")));
    return row;
}

}  // namespace

GroupEditorDialog::GroupEditorDialog(Check check, QWidget* parent)
    : QDialog(parent), m_check(std::move(check)) {
    setObjectName(QStringLiteral("GroupEditorDialog"));
    setWindowTitle(QStringLiteral("Work Group Information"));
    edname = new QLineEdit(this);
    edname->setObjectName(QStringLiteral("edname"));
    edname->setMaxLength(kGroupNameLength);
    edname->setValidator(new UpperCase(edname));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Group name")));
    nameRow->addWidget(edname);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("Confirm"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &GroupEditorDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(buildHours());
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setGroup(WorkGroup{});
    edname->setFocus();
}

QWidget* GroupEditorDialog::buildHours() {
    auto* hours = new QGroupBox(QStringLiteral("Working Hours"), this);
    dtpSTDstart1 = hourPicker("dtpSTDstart1", hours);
    dtpSTDend1 = hourPicker("dtpSTDend1", hours);
    dtpSTDstart2 = hourPicker("dtpSTDstart2", hours);
    dtpSTDend2 = hourPicker("dtpSTDend2", hours);
    dtpSATstart1 = hourPicker("dtpSATstart1", hours);
    dtpSATend1 = hourPicker("dtpSATend1", hours);
    dtpSATstart2 = hourPicker("dtpSATstart2", hours);
    dtpSATend2 = hourPicker("dtpSATend2", hours);
    cbsat1 = new QCheckBox(hours);
    cbsat1->setObjectName(QStringLiteral("cbsat1"));
    cbsat2 = new QCheckBox(hours);
    cbsat2->setObjectName(QStringLiteral("cbsat2"));
    seOTmin = numberBox("seOTmin", 120, hours);
    seOTmul = numberBox("seOTmul", 60, hours);

    auto* standard = new QGroupBox(QStringLiteral("Standard Time"), hours);
    auto* stdLayout = new QVBoxLayout(standard);
    stdLayout->addLayout(session(nullptr, dtpSTDstart1, dtpSTDend1));
    stdLayout->addLayout(session(nullptr, dtpSTDstart2, dtpSTDend2));
    auto* saturday = new QGroupBox(QStringLiteral("Saturday"), hours);
    auto* satLayout = new QVBoxLayout(saturday);
    satLayout->addLayout(session(cbsat1, dtpSATstart1, dtpSATend1));
    satLayout->addLayout(session(cbsat2, dtpSATstart2, dtpSATend2));
    auto* overtime = new QGroupBox(QStringLiteral("Overtime Options"), hours);
    auto* otLayout = new QVBoxLayout(overtime);
    otLayout->addLayout(numberRow(QStringLiteral("Min. O.T."), seOTmin));
    otLayout->addLayout(numberRow(QStringLiteral("O.T. Multiple"), seOTmul));

    auto* layout = new QVBoxLayout(hours);
    layout->addWidget(standard);
    layout->addWidget(saturday);
    layout->addWidget(overtime);
    return hours;
}

WorkGroup GroupEditorDialog::group() const {
    WorkGroup g;
    g.id = m_id;
    g.name = edname->text();
    g.wdFrom1 = dtpSTDstart1->time();
    g.wdTo1 = dtpSTDend1->time();
    g.wdFrom2 = dtpSTDstart2->time();
    g.wdTo2 = dtpSTDend2->time();
    g.satEnable1 = cbsat1->isChecked();
    g.satFrom1 = dtpSATstart1->time();
    g.satTo1 = dtpSATend1->time();
    g.satEnable2 = cbsat2->isChecked();
    g.satFrom2 = dtpSATstart2->time();
    g.satTo2 = dtpSATend2->time();
    g.otMin = seOTmin->value();
    g.otMulti = seOTmul->value();
    return g;
}

void GroupEditorDialog::setGroup(const WorkGroup& g) {
    m_id = g.id;
    edname->setText(g.name);
    dtpSTDstart1->setTime(g.wdFrom1);
    dtpSTDend1->setTime(g.wdTo1);
    dtpSTDstart2->setTime(g.wdFrom2);
    dtpSTDend2->setTime(g.wdTo2);
    cbsat1->setChecked(g.satEnable1);
    dtpSATstart1->setTime(g.satFrom1);
    dtpSATend1->setTime(g.satTo1);
    cbsat2->setChecked(g.satEnable2);
    dtpSATstart2->setTime(g.satFrom2);
    dtpSATend2->setTime(g.satTo2);
    seOTmin->setValue(g.otMin);
    seOTmul->setValue(g.otMulti);
}

QWidget* GroupEditorDialog::control(GroupField field) const {
    switch (field) {
        case GroupField::Name:
            return edname;
        case GroupField::WdStart1:
            return dtpSTDstart1;
        case GroupField::WdStart2:
            return dtpSTDstart2;
        case GroupField::Sat1Check:
            return cbsat1;
        case GroupField::SatStart1:
            return dtpSATstart1;
        case GroupField::SatStart2:
            return dtpSATstart2;
    }
    return edname;
}

void GroupEditorDialog::confirm() {
    WorkGroup g = group();
    const auto refused = m_check ? m_check(g) : std::nullopt;
    edname->setText(g.name);  // the check trims the name; the person sees what is stored
    if (refused) {
        control(*refused)->setFocus();
        return;
    }
    accept();
}

}  // namespace tallyport
