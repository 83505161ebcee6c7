#include "ui/persons_group.h"

#include "staff/pick_list.h"
#include "ui/group_combo.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace tallyport {

PersonsGroup buildPersonsGroup(QWidget* parent, Database& src, PickListOpener openPickList) {
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
                     [open = std::move(openPickList), box = g.box] {
                         if (open) open(box->window());
                     });
    return g;
}

}  // namespace tallyport
