#pragma once

#include <QAbstractTableModel>
#include <vector>

namespace tallyport {

// A flat table over a vector of rows that a dialog reloads whole; subclasses give the
// columns and the cell texts.
template <typename Row>
class RowsTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    std::vector<Row> rows;

    void setRows(std::vector<Row> r) {
        beginResetModel();
        rows = std::move(r);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }
};

}  // namespace tallyport
