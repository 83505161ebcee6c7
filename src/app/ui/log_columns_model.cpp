#include "app/ui/log_columns_model.h"

namespace tallyport {

const std::array<LogColumn, 5>& logColumns() {
    static const std::array<LogColumn, 5> columns = {{
        {"SYSTIME", "Date and Time", 185, FieldKind::DateTime, false},
        {"CARDNO", "Card Information", 165, FieldKind::Other, false},
        {"MODE", "Mode", 100, FieldKind::Other, false},
        {"READER", "Reader", 100, FieldKind::Other, false},
        {"LOCK", "Lock", 100, FieldKind::Other, true},
    }};
    return columns;
}

int LogColumnsModel::rowCount(const QModelIndex&) const {
    return 0;
}

int LogColumnsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(logColumns().size());
}

QVariant LogColumnsModel::data(const QModelIndex&, int) const {
    return {};
}

QVariant LogColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const LogColumn& c = logColumns()[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole) return QString::fromLatin1(c.title);
    if (role == FieldKindRole) return static_cast<int>(c.kind);
    return {};
}

}  // namespace tallyport
