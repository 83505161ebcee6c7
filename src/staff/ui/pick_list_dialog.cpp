#include "staff/ui/pick_list_dialog.h"

#include "staff/pick_list.h"
#include "staff/ui/staff_rows_model.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "ui/form_layout.h"
#include "ui/widgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tallyport {
PickListDialog::PickListDialog(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op) {
    setObjectName(QStringLiteral("PickListDialog"));
    setWindowTitle(QStringLiteral("Pick List"));
    m_memberBox = buildGrid(m_member, m_memberRows, "GroupBox2", "dbgmember");
    m_nonmemberBox = buildGrid(m_nonmember, m_nonmemberRows, "GroupBox3", "dbgnonmember");
    auto* middle = new QVBoxLayout;
    auto* add =
        namedButton(QStringLiteral("<< &Add"), "badd", QStringLiteral("Add to member list."), this);
    auto* remove = namedButton(QStringLiteral("&Remove >>"), "bremove",
                               QStringLiteral("Remove from member list."), this);
    auto* removeAll = namedButton(QStringLiteral("Remove A&ll"), "Button3", {}, this);
    auto* close = namedButton(QStringLiteral("&Close"), "Button1", {}, this);
    connect(add, &QPushButton::clicked, this, &PickListDialog::Add);
    connect(remove, &QPushButton::clicked, this, &PickListDialog::Remove);
    connect(removeAll, &QPushButton::clicked, this, &PickListDialog::removeAll);
    connect(close, &QPushButton::clicked, this, &PickListDialog::closeAndSave);
    middle->addStretch();
    for (QPushButton* b : {add, remove, removeAll}) middle->addWidget(b);
    middle->addStretch();
    middle->addWidget(close);
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_memberBox, 1);
    row->addLayout(middle);
    row->addWidget(m_nonmemberBox, 1);
    connect(m_member, &QTableView::doubleClicked, this, &PickListDialog::Remove);
    connect(m_nonmember, &QTableView::doubleClicked, this, &PickListDialog::Add);
    Refresh();
    selectGridRow(m_member, 0);
    selectGridRow(m_nonmember, 0);
    RestoreFormLayout(setting::PickListForm, this);
    RestoreGridColumns(setting::PickListMember, m_member);
    RestoreGridColumns(setting::PickListNonmember, m_nonmember);
}

QGroupBox* PickListDialog::buildGrid(QTableView*& grid, StaffRowsModel*& model, const char* boxName,
                                     const char* gridName) {
    auto* box = new QGroupBox(this);
    box->setObjectName(QLatin1String(boxName));
    grid = new QTableView(box);
    grid->setObjectName(QLatin1String(gridName));
    model = new StaffRowsModel(grid);
    setUpStaffGrid(grid, model);
    StaffRowsModel* m = model;
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, m](int section) { sortBy(m, section); });
    (new QVBoxLayout(box))->addWidget(grid);
    return box;
}

void PickListDialog::sortBy(StaffRowsModel* model, int section) {
    const QString name = model == m_memberRows ? setting::PL_member : setting::PL_nonmember;
    storeSortColumn(
        name,
        sortColumnForTitle(model->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString()));
    Refresh();
}

bool PickListDialog::refreshGrid(StaffRowsModel* model, QTableView* grid, int keepRow) {
    const bool member = model == m_memberRows;
    auto rows = loadStaffRows(
        m_src, storedSortColumn(member ? setting::PL_member : setting::PL_nonmember), member);
    if (!rows) {
        m_op.error(msg::DatabaseError);
        return false;
    }
    model->setRows(std::move(*rows));
    if (model->rowCount() > 0) selectGridRow(grid, std::min(keepRow, model->rowCount() - 1));
    return true;
}

void PickListDialog::Refresh() {
    const int memberRow = std::max(0, m_member->currentIndex().row());
    const int otherRow = std::max(0, m_nonmember->currentIndex().row());
    refreshGrid(m_memberRows, m_member, memberRow);
    refreshGrid(m_nonmemberRows, m_nonmember, otherRow);
    m_memberBox->setTitle(pickListMemberCaption(m_memberRows->rowCount()));
    m_nonmemberBox->setTitle(pickListNonmemberCaption(m_nonmemberRows->rowCount()));
}

void PickListDialog::setPicked(QTableView* grid, StaffRowsModel* model, bool picked) {
    const int card = currentCard(grid, model);
    if (model->rowCount() == 0) return;
    // A mark that cannot be stored is left as it was, and said.
    if (auto r = storePicked(m_src, card, picked); !r) m_op.error(msg::UpdateFailed);
    Refresh();
}

void PickListDialog::Add() {
    setPicked(m_nonmember, m_nonmemberRows, true);
}

void PickListDialog::Remove() {
    setPicked(m_member, m_memberRows, false);
}

void PickListDialog::removeAll() {
    if (m_memberRows->rowCount() == 0) return;
    if (auto r = removeAllPicked(m_src); !r) m_op.error(msg::UpdateFailed);
    Refresh();
}

void PickListDialog::closeAndSave() {
    SaveFormLayout(setting::PickListForm, this);
    SaveGridColumns(setting::PickListMember, m_member);
    SaveGridColumns(setting::PickListNonmember, m_nonmember);
    accept();
}

void OpenPickList(Database& src, Operator& op, QWidget* owner) {
    PickListDialog dialog(src, op, owner);
    dialog.exec();
}

}  // namespace tallyport
