#include "staff/ui/staff_scope_dialog.h"

#include "staff/groups.h"
#include "staff/ui/pick_list_dialog.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "ui/persons_group.h"
#include "ui/widgets.h"

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

Result<StaffScopeChoice> scopeFromControls(Database& src, const QWidget* container) {
    if (checked(container, "rballstaff")) return StaffScopeChoice{StaffScope::All, 0};
    if (!checked(container, "rbgroup")) return StaffScopeChoice{StaffScope::PickList, 0};
    auto* combo = child<QComboBox>(container, "cbgroup");
    const QString name = combo ? combo->currentText() : QString();
    const auto id = name.isEmpty() ? Result<int>(0) : GroupId(src, name);
    if (!id) return std::unexpected(id.error());
    return StaffScopeChoice{StaffScope::Group, *id};
}

std::optional<Statement> SelectStaffByScope(Database& src, Operator& op, const QWidget* container) {
    const auto c = scopeFromControls(src, container);
    if (!c) {
        op.errorDetail(msg::DatabaseError, c.error().text);
        return std::nullopt;
    }
    return SelectStaffByScope(src, op, c->scope, c->groupId);
}

StaffScopeDialog::StaffScopeDialog(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src) {
    setObjectName(QStringLiteral("StaffScopeDialog"));
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
    auto* buttons = buttonRow({m_preview}, {confirm, cancel});
    auto* all = new QVBoxLayout(this);
    all->addWidget(m_persons.box);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);
    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const StaffScope stored = staffScopeFromInt(ReadSettingInt(setting::ScopePersons, 0));
    m_persons.choice->button(int(stored))->setChecked(true);
}

StaffScopeDialog::~StaffScopeDialog() {
    WriteSettingInt(setting::ScopePersons, m_persons.choice->checkedId());
}

Result<StaffScopeChoice> StaffScopeDialog::choice() const {
    return scopeFromControls(m_src, m_persons.box);
}

bool StaffScopeDialog::preview() const {
    return m_preview->isChecked();
}

}  // namespace tallyport
