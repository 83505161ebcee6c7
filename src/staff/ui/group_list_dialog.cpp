#include "staff/ui/group_list_dialog.h"

#include "base/field_kind.h"
#include "base/time_texts.h"
#include "staff/ui/group_editor_dialog.h"
#include "store/messages.h"
#include "ui/form_layout.h"
#include "ui/grid_pictures.h"
#include "ui/rows_model.h"
#include "ui/widgets.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace tallyport {

namespace {

const QString kMainLayout = QStringLiteral("WrkGrpMain");
const QString kGridLayout = QStringLiteral("WrkGrpList");

struct Column {
    const char* title;
    FieldKind kind;
};
const std::array<Column, 13> kColumns{{
    {"Workgroup", FieldKind::Text},
    // Each time says its session: four "From" columns side by side told nobody which was which.
    {"From 1", FieldKind::DateTime},
    {"To 1", FieldKind::DateTime},
    {"From 2", FieldKind::DateTime},
    {"To 2", FieldKind::DateTime},
    {"Sat1", FieldKind::YesNo},
    {"Sat From 1", FieldKind::DateTime},
    {"Sat To 1", FieldKind::DateTime},
    {"Sat2", FieldKind::YesNo},
    {"Sat From 2", FieldKind::DateTime},
    {"Sat To 2", FieldKind::DateTime},
    {"OT Min.", FieldKind::Other},
    {"OT Multi.", FieldKind::Other},
}};

// The cell of a column: a time, a yes/no flag, or anything else as text.
QVariant cell(const WorkGroup& g, int column) {
    switch (column) {
        case 0:
            return g.name;
        case 1:
            return g.wdFrom1;
        case 2:
            return g.wdTo1;
        case 3:
            return g.wdFrom2;
        case 4:
            return g.wdTo2;
        case 5:
            return g.satEnable1;
        case 6:
            return g.satFrom1;
        case 7:
            return g.satTo1;
        case 8:
            return g.satEnable2;
        case 9:
            return g.satFrom2;
        case 10:
            return g.satTo2;
        case 11:
            return g.otMin;
        case 12:
            return g.otMulti;
    }
    return {};
}

}  // namespace

// The rows of `gid` in id order. Yes/no cells carry their flag as the edit value and no text
// or check state: the grid draws them as check pictures.
class GroupListModel : public RowsTableModel<WorkGroup> {
public:
    using RowsTableModel::RowsTableModel;
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(kColumns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const QVariant v = cell(rows[size_t(index.row())], index.column());
        const FieldKind kind = kColumns[size_t(index.column())].kind;
        if (kind == FieldKind::YesNo)
            return role == Qt::EditRole ? QVariant(v.toBool()) : QVariant();
        if (role != Qt::DisplayRole) return {};
        return kind == FieldKind::DateTime
                   ? amPmTimeText(v.toTime(), AmPmGap::Joined, AmPmPrecision::Minutes)
                   : v.toString();
    }
    Qt::ItemFlags flags(const QModelIndex&) const override {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || section < 0 || section >= int(kColumns.size())) return {};
        if (role == Qt::DisplayRole) return QString::fromLatin1(kColumns[size_t(section)].title);
        if (role == FieldKindRole) return int(kColumns[size_t(section)].kind);
        return {};
    }
};

GroupListDialog::GroupListDialog(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op) {
    setObjectName(QStringLiteral("GroupListDialog"));
    setWindowTitle(QStringLiteral("Group List"));
    setSizeGripEnabled(true);
    m_model = new GroupListModel(this);
    dbg_list = new QTableView(this);
    dbg_list->setObjectName(QStringLiteral("dbg_list"));
    dbg_list->setModel(m_model);
    dbg_list->setToolTip(QStringLiteral("Double click to edit the record."));
    dbg_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbg_list->setSelectionMode(QAbstractItemView::SingleSelection);
    dbg_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbg_list->setItemDelegate(new YesNoCellDelegate(dbg_list));
    connect(dbg_list, &QTableView::doubleClicked, this, [this] { btneditClick(); });

    btnnew = button("btnnew", QStringLiteral("New"), QStringLiteral("Add a new group."));
    btnedit = button("btnedit", QStringLiteral("Edit"), QStringLiteral("Edit the record."));
    btndelete = button("btndelete", QStringLiteral("Delete"), QStringLiteral("Delete the record."));
    Button1 = button("Button1", QStringLiteral("Close"), QStringLiteral("Exit to main window."));
    connect(btnnew, &QPushButton::clicked, this, &GroupListDialog::btnnewClick);
    connect(btnedit, &QPushButton::clicked, this, &GroupListDialog::btneditClick);
    connect(btndelete, &QPushButton::clicked, this, &GroupListDialog::btndeleteClick);
    connect(Button1, &QPushButton::clicked, this, &GroupListDialog::Button1Click);

    auto* buttons = buttonRow({btnnew, btnedit, btndelete}, {Button1});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dbg_list);
    layout->addLayout(buttons);

    reload(0);
    resize(900, 400);
    RestoreFormLayout(kMainLayout, this);
    RestoreGridColumns(kGridLayout, dbg_list);
}

QPushButton* GroupListDialog::button(const char* name, const QString& caption,
                                     const QString& hint) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

int GroupListDialog::currentId() const {
    const int row = dbg_list->currentIndex().row();
    if (m_model->rows.empty()) return 0;
    return m_model->rows[size_t(row < 0 ? 0 : row)].id;
}

void GroupListDialog::reload(int selectId) {
    auto groups = loadGroups(m_src);
    if (!groups) m_op.error(msg::DatabaseError);
    m_model->setRows(groups ? std::move(*groups) : std::vector<WorkGroup>{});
    int row = 0;
    for (size_t i = 0; i < m_model->rows.size(); ++i)
        if (m_model->rows[i].id == selectId) row = int(i);
    if (!m_model->rows.empty()) dbg_list->selectRow(row);
}

void GroupListDialog::editGroup(const WorkGroup& g) {
    GroupEditorDialog editor([this](WorkGroup& w) { return checkGroup(m_src, m_op, w); }, this);
    editor.setGroup(g);
    if (editor.exec() != QDialog::Accepted) return;
    auto id = SaveGroup(m_src, editor.group());
    if (!id) {
        m_op.error(id.error().text);
        return;
    }
    Q_EMIT groupsChanged();
    reload(*id);
}

void GroupListDialog::btnnewClick() {
    editGroup(WorkGroup{});
}

void GroupListDialog::btneditClick() {
    const auto g = loadWorkGroup(m_src, currentId());
    if (!g) return m_op.errorDetail(msg::DatabaseError, g.error().text);
    if (!*g) return m_op.error(msg::NoDataRecord);
    editGroup(**g);
}

void GroupListDialog::btndeleteClick() {
    const int id = currentId();
    const int row = dbg_list->currentIndex().row();
    if (!deleteGroup(m_src, m_op, id)) return;
    Q_EMIT groupsChanged();
    reload(0);
    if (!m_model->rows.empty()) dbg_list->selectRow(std::min(row, int(m_model->rows.size()) - 1));
}

void GroupListDialog::Button1Click() {
    accept();
}

void GroupListDialog::done(int result) {
    // Closing by any way keeps the layout, as "Close" does.
    SaveFormLayout(kMainLayout, this);
    SaveGridColumns(kGridLayout, dbg_list);
    QDialog::done(result);
}

}  // namespace tallyport
