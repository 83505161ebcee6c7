#pragma once

#include "staff/staff_rows.h"

#include <QAbstractTableModel>
#include <vector>

class QTableView;

namespace tallyport {

// The CARDNO, NAME, WORKGROUP grid of the card lists, over rows loaded once per refresh.
class StaffRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<StaffRow> rows);
    const std::vector<StaffRow>& rows() const { return m_rows; }
    // The card of a row, 0 when the row does not exist.
    int cardAt(int row) const;
    // The row of a card, -1 when it is not listed.
    int rowOf(int cardNo) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<StaffRow> m_rows;
};

// A read-only grid with whole-row selection and the three columns' titles; a click on a
// title calls `sortBy` with the title's text.
void setUpStaffGrid(QTableView* grid, StaffRowsModel* model);

// The card of the grid's current row; 0 when the grid is empty.
int currentCard(const QTableView* grid, const StaffRowsModel* model);
// Makes the row current (the first when row < 0 or past the end) and shows it.
void selectGridRow(QTableView* grid, int row);

}  // namespace tallyport
