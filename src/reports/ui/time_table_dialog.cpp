#include "reports/ui/time_table_dialog.h"

#include "ui/time_pickers.h"
#include "ui/widgets.h"

#include "base/field_kind.h"
#include "base/operator.h"
#include "base/time_texts.h"
#include "staff/groups.h"
#include "store/messages.h"
#include "ui/form_layout.h"
#include "ui/group_combo.h"
#include "ui/rows_model.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace tallyport {

namespace {

const QString kMainLayout = QStringLiteral("TimeTable");
const QString kGridLayout = QStringLiteral("TimeTblGrid");

}  // namespace

// The periods of the shown group: "IN Time" and "OUT Time".
class TimeTableModel : public RowsTableModel<TimePeriod> {
public:
    using RowsTableModel::RowsTableModel;
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignTop);
        if (role != Qt::DisplayRole) return {};
        const auto& p = rows[size_t(index.row())];
        return amPmTimeText(index.column() == 0 ? p.in : p.out, AmPmGap::Spaced,
                            AmPmPrecision::Minutes);
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal) return {};
        if (role == Qt::DisplayRole)
            return section == 0 ? QStringLiteral("IN Time") : QStringLiteral("OUT Time");
        if (role == FieldKindRole) return int(FieldKind::DateTime);
        return {};
    }
};

TimeTableDialog::TimeTableDialog(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op) {
    setObjectName(QStringLiteral("TimeTableDialog"));
    setWindowTitle(QStringLiteral("Time Table"));
    setSizeGripEnabled(true);
    m_model = new TimeTableModel(this);
    dbgList = new QTableView(this);
    dbgList->setObjectName(QStringLiteral("dbgList"));
    dbgList->setModel(m_model);
    setUpReadOnlyGrid(dbgList);
    connect(dbgList, &QTableView::clicked, this,
            [this](const QModelIndex& i) { rowClicked(i.row()); });
    btnDelete = namedButton(QStringLiteral("Delete"), "btnDelete",
                            QStringLiteral("Remove record from Time List."), this);
    btnClose = namedButton(QStringLiteral("Close"), "btnClose",
                           QStringLiteral("Return to main program."), this);
    connect(btnDelete, &QPushButton::clicked, this, &TimeTableDialog::btnDeleteClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* list = new QGroupBox(QStringLiteral("Time Attendance List"), this);
    auto* listLayout = new QHBoxLayout(list);
    listLayout->addWidget(dbgList);
    auto* side = new QVBoxLayout;
    side->addWidget(btnDelete);
    side->addStretch();
    listLayout->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildTop());
    layout->addWidget(list);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);

    FillGroupCombo(cbglist, m_src, 0);
    connect(cbglist, &QComboBox::currentIndexChanged, this, [this] { loadGroup(); });
    loadGroup();
    RestoreFormLayout(kMainLayout, this);
    RestoreGridColumns(kGridLayout, dbgList);
}

QWidget* TimeTableDialog::buildTop() {
    auto* top = new QWidget(this);
    auto* period = new QGroupBox(QStringLiteral("Time Period"), top);
    dtpFrom = hourPicker("dtpFrom", period, QTime(9, 0));
    dtpTo = hourPicker("dtpTo", period, QTime(14, 0));
    btnAdd = namedButton(QStringLiteral("Add "), "btnAdd",
                         QStringLiteral("Add the IN Time Period to the Time List."), period);
    connect(btnAdd, &QPushButton::clicked, this, &TimeTableDialog::btnAddClick);
    auto* periodLayout = new QHBoxLayout(period);
    periodLayout->addWidget(new QLabel(QStringLiteral("IN"), period));
    periodLayout->addWidget(dtpFrom);
    periodLayout->addWidget(new QLabel(QStringLiteral("OUT"), period));
    periodLayout->addWidget(dtpTo);
    periodLayout->addWidget(btnAdd);

    auto* group = new QGroupBox(QStringLiteral("Group"), top);
    cbglist = new QComboBox(group);
    cbglist->setObjectName(QStringLiteral("cbglist"));
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(cbglist);

    auto* layout = new QHBoxLayout(top);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(period);
    layout->addWidget(group);
    return top;
}

void TimeTableDialog::loadGroup() {
    const auto id = GroupId(m_src, cbglist->currentText());
    m_groupId = id.value_or(0);
    auto rows = id ? loadTimeTable(m_src, m_groupId) : std::unexpected(id.error());
    if (!rows) m_op.errorDetail(msg::DatabaseError, rows.error().text);
    m_model->setRows(rows ? std::move(*rows) : std::vector<TimePeriod>{});
    if (!m_model->rows.empty()) dbgList->selectRow(0);
}

void TimeTableDialog::rowClicked(int row) {
    if (row < 0 || row >= int(m_model->rows.size())) return;
    dtpFrom->setTime(m_model->rows[size_t(row)].in);
    dtpTo->setTime(m_model->rows[size_t(row)].out);
}

void TimeTableDialog::btnAddClick() {
    auto added = addTimePeriod(m_src, m_groupId, dtpFrom->time(), dtpTo->time());
    if (!added) {
        if (added.error().text != msg::UpdateFailed) dtpFrom->setFocus();
        m_op.error(added.error().text);
        return;
    }
    loadGroup();
}

void TimeTableDialog::btnDeleteClick() {
    const int row = dbgList->currentIndex().row();
    if (m_model->rows.empty()) {
        m_op.error(msg::NoDataRecord);
        return;
    }
    if (!m_op.confirm(msg::ConfirmDelete)) return;
    const auto& p = m_model->rows[size_t(row < 0 ? 0 : row)];
    if (auto r = deleteTimePeriod(m_src, p.rowId); !r) m_op.error(r.error().text);
    loadGroup();
}

void TimeTableDialog::done(int result) {
    SaveFormLayout(kMainLayout, this);
    SaveGridColumns(kGridLayout, dbgList);
    QDialog::done(result);
}

}  // namespace tallyport
