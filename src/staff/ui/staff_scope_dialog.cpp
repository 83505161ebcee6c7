#include "staff/ui/staff_scope_dialog.h"

#include "staff/groups.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "ui/persons_group.h"

#include <QButtonGroup>
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

StaffScopeChoice scopeFromControls(Database& src, const QWidget* container) {
    if (checked(container, "rballstaff")) return {StaffScope::All, 0};
    if (checked(container, "rbgroup")) {
        auto* combo = child<QComboBox>(container, "cbgroup");
        const QString name = combo ? combo->currentText() : QString();
        return {StaffScope::Group, name.isEmpty() ? 0 : GroupId(src, name)};
    }
    return {StaffScope::PickList, 0};
}

std::optional<Statement> SelectStaffByScope(Database& src, Operator& op, const QWidget* container) {
    const StaffScopeChoice c = scopeFromControls(src, container);
    return SelectStaffByScope(src, op, c.scope, c.groupId);
}

TdlgStaffs::TdlgStaffs(Database& src, Operator& op, QWidget* parent) : QDialog(parent), m_src(src) {
    setObjectName(QStringLiteral("TdlgStaffs"));
    setWindowTitle(QStringLiteral("Select Staffs"));
    m_persons = buildPersonsGroup(this, src,
                                  [&src, &op](QWidget* window) { OpenPickList(src, op, window); });

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
    all->addWidget(m_persons.box);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);
    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const StaffScope stored = staffScopeFromInt(ReadSettingInt(setting::ScopePersons, 0));
    m_persons.choice->button(int(stored))->setChecked(true);
}

TdlgStaffs::~TdlgStaffs() {
    WriteSettingInt(setting::ScopePersons, m_persons.choice->checkedId());
}

StaffScopeChoice TdlgStaffs::choice() const {
    return scopeFromControls(m_src, m_persons.box);
}

bool TdlgStaffs::preview() const {
    return m_preview->isChecked();
}

}  // namespace tallyport
