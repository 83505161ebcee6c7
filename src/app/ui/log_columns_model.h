#pragma once

#include "base/field_kind.h"

#include <QAbstractTableModel>
#include <array>

namespace tallyport {

// The columns of the log grid: field, title, first width, field kind, hidden.
struct LogColumn {
    const char* field;
    const char* title;
    int width;
    FieldKind kind;
    bool hidden;
};
const std::array<LogColumn, 5>& logColumns();

// The log grid's columns without rows: the frame the log view model later fills.
class LogColumnsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
};

}  // namespace tallyport
