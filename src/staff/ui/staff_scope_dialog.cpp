#include "staff/ui/staff_scope_dialog.h"

#include "staff/groups.h"
#include "staff/ui/group_combo.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/setting_names.h"
#include "store/settings.h"

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

PersonsGroup BuildPersonsGroup(QWidget* parent, Database& src, Operator& op) {
    PersonsGroup g;
    g.box = new QGroupBox(QStringLiteral("Persons of interest"), parent);
    g.box->setObjectName(QStringLiteral("persons"));
    g.choice = new QButtonGroup(g.box);
    const auto radio = [&g](StaffScope id, const char* caption, const char* name) {
        auto* rb = new QRadioButton(QString::fromLatin1(caption), g.box);
        rb->setObjectName(QString::fromLatin1(name));
        g.choice->addButton(rb, int(id));
        return rb;
    };
    auto* all = radio(StaffScope::All, "&All", "rballstaff");
    auto* group = radio(StaffScope::Group, "&Group", "rbgroup");
    auto* list = radio(StaffScope::PickList, "Li&st", "rbstaff");
    g.groups = new QComboBox(g.box);
    g.groups->setObjectName(QStringLiteral("cbgroup"));
    g.pick = new QPushButton(QStringLiteral("&Pick List"), g.box);
    g.pick->setObjectName(QStringLiteral("bAdd"));
    g.pick->setAutoDefault(false);
    auto* grid = new QGridLayout(g.box);
    grid->addWidget(all, 0, 0);
    grid->addWidget(group, 1, 0);
    grid->addWidget(g.groups, 1, 1);
    grid->addWidget(list, 2, 0);
    grid->addWidget(g.pick, 2, 1);
    FillGroupCombo(g.groups, src, 0);
    all->setChecked(true);
    g.groups->setEnabled(false);
    g.pick->setEnabled(false);
    QObject::connect(g.choice, &QButtonGroup::idToggled, g.box, [g](int id, bool on) {
        if (id == int(StaffScope::Group)) g.groups->setEnabled(on);
        if (id == int(StaffScope::PickList)) g.pick->setEnabled(on);
    });
    QObject::connect(g.pick, &QPushButton::clicked, g.box,
                     [&src, &op, box = g.box] { OpenPickList(src, op, box->window()); });
    return g;
}

TdlgStaffs::TdlgStaffs(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src) {
    setObjectName(QStringLiteral("TdlgStaffs"));
    setWindowTitle(QStringLiteral("Select Staffs"));
    m_persons = BuildPersonsGroup(this, src, op);

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

    const StaffScope stored = StaffScopeFromInt(ReadSettingInt(setting::ScopePersons, 0));
    m_persons.choice->button(int(stored))->setChecked(true);
}

TdlgStaffs::~TdlgStaffs() {
    WriteSettingInt(setting::ScopePersons, m_persons.choice->checkedId());
}

StaffScopeChoice TdlgStaffs::choice() const {
    return ScopeFromControls(m_src, m_persons.box);
}

bool TdlgStaffs::preview() const {
    return m_preview->isChecked();
}

}  // namespace tallyport
