#include "staff/ui/staff_rows_model.h"

#include "base/field_kind.h"

#include "ui/widgets.h"

#include <QHeaderView>
#include <QTableView>

namespace tallyport {
namespace {

const char* const kTitles[] = {"CARDNO", "NAME", "WORKGROUP"};

}  // namespace

void StaffRowsModel::setRows(std::vector<StaffRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int StaffRowsModel::cardAt(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].cardNo : 0;
}

int StaffRowsModel::rowOf(int cardNo) const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].cardNo == cardNo) return int(i);
    return -1;
}

int StaffRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StaffRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant StaffRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const StaffRow& r = m_rows[size_t(index.row())];
    switch (index.column()) {
        case 0:
            return r.cardNo;
        case 1:
            return r.name;
        default:
            return r.workGroup;
    }
}

QVariant StaffRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 2) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kTitles[section]);
    if (role == FieldKindRole) return int(section == 0 ? FieldKind::Other : FieldKind::Text);
    return {};
}

void setUpStaffGrid(QTableView* grid, StaffRowsModel* model) {
    grid->setModel(model);
    setUpReadOnlyGrid(grid);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);  // no per-row measuring
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->setTabKeyNavigation(false);
}

int currentCard(const QTableView* grid, const StaffRowsModel* model) {
    return model->cardAt(grid->currentIndex().row());
}

void selectGridRow(QTableView* grid, int row) {
    const int rows = grid->model()->rowCount();
    if (rows == 0) return;
    if (row < 0 || row >= rows) row = 0;
    grid->selectRow(row);
    grid->setCurrentIndex(grid->model()->index(row, 0));
    grid->scrollTo(grid->currentIndex());
}

}  // namespace tallyport
