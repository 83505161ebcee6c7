#include "staff/ui/staff_scope_dialog.h"

#include "staff/groups.h"
#include "staff/ui/group_combo.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tallyport {
namespace {

template <typename T>
T* child(const QWidget* container, const char* name) {
    return container->findChild<T*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

bool checked(const QWidget* container, const char* name) {
    auto* rb = child<QRadioButton>(container, name);
    return rb && rb->isChecked();
}

}  // namespace

StaffScopeChoice ScopeFromControls(Database& src, const QWidget* container) {
    if (checked(container, "rballstaff")) return {StaffScope::All, 0};
    if (checked(container, "rbgroup")) {
        auto* combo = child<QComboBox>(container, "cbgroup");
        const QString name = combo ? combo->currentText() : QString();
        return {StaffScope::Group, name.isEmpty() ? 0 : GroupId(src, name)};
    }
    return {StaffScope::PickList, 0};
}

std::optional<Statement> SelectStaffByScope(Database& src, Operator& op, const QWidget* container) {
    const StaffScopeChoice c = ScopeFromControls(src, container);
    return SelectStaffByScope(src, op, c.scope, c.groupId);
}

TdlgStaffs::TdlgStaffs(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op) {
    setObjectName(QStringLiteral("TdlgStaffs"));
    setWindowTitle(QStringLiteral("Select Staffs"));
    auto* persons = new QGroupBox(QStringLiteral("Persons of interest"), this);
    persons->setObjectName(QStringLiteral("persons"));
    m_persons = persons;
    m_all = new QRadioButton(QStringLiteral("&All"), persons);
    m_all->setObjectName(QStringLiteral("rballstaff"));
    m_group = new QRadioButton(QStringLiteral("&Group"), persons);
    m_group->setObjectName(QStringLiteral("rbgroup"));
    m_groups = new QComboBox(persons);
    m_groups->setObjectName(QStringLiteral("cbgroup"));
    m_list = new QRadioButton(QStringLiteral("Li&st"), persons);
    m_list->setObjectName(QStringLiteral("rbstaff"));
    m_pick = new QPushButton(QStringLiteral("&Pick List"), persons);
    m_pick->setObjectName(QStringLiteral("bAdd"));
    m_pick->setAutoDefault(false);
    auto* grid = new QGridLayout(persons);
    grid->addWidget(m_all, 0, 0);
    grid->addWidget(m_group, 1, 0);
    grid->addWidget(m_groups, 1, 1);
    grid->addWidget(m_list, 2, 0);
    grid->addWidget(m_pick, 2, 1);

    m_preview = new QCheckBox(QStringLiteral("Pre&view"), this);
    m_preview->setObjectName(QStringLiteral("cbpreview"));
    m_preview->setChecked(true);
    auto* confirm = new QPushButton(QStringLiteral("&Confirm"), this);
    confirm->setObjectName(QStringLiteral("Button1"));
    confirm->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_preview);
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(persons);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);

    FillGroupCombo(m_groups, src, 0);
    for (QRadioButton* rb : {m_all, m_group, m_list})
        connect(rb, &QRadioButton::toggled, this, &TdlgStaffs::followScope);
    connect(m_pick, &QPushButton::clicked, this, [this] { OpenPickList(m_src, m_op, this); });
    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const StaffScope stored = StaffScopeFromInt(ReadSettingInt(setting::ScopePersons, 0));
    (stored == StaffScope::Group      ? m_group
     : stored == StaffScope::PickList ? m_list
                                      : m_all)
        ->setChecked(true);
    followScope();
}

TdlgStaffs::~TdlgStaffs() {
    WriteSettingInt(setting::ScopePersons, m_group->isChecked() ? 1 : m_list->isChecked() ? 2 : 0);
}

void TdlgStaffs::followScope() {
    m_groups->setEnabled(m_group->isChecked());
    m_pick->setEnabled(m_list->isChecked());
}

StaffScopeChoice TdlgStaffs::choice() const {
    return ScopeFromControls(m_src, m_persons);
}

bool TdlgStaffs::preview() const {
    return m_preview->isChecked();
}

}  // namespace tallyport
