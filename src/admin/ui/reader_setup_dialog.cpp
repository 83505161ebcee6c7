#include "admin/ui/reader_setup_dialog.h"

#include "admin/admin_texts.h"
#include "admin/ui/offline_manager_dialog.h"
#include "admin/ui/reader_editor_dialog.h"
#include "base/field_kind.h"
#include "base/operator.h"
#include "readers/reader_bank.h"
#include "store/data_module.h"
#include "store/log_texts.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "ui/form_layout.h"
#include "ui/grid_pictures.h"
#include "ui/rows_model.h"
#include "ui/widgets.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace tallyport {

namespace {

enum Column {
    Enabled,
    IpAddress,
    IpPort,
    Description,
    Mode,
    LockTime,
    CardAction,
    BypassAction,
    AntiPassback,
    Motion,
    PortNo,
    State,
    ColumnCount
};

struct ColumnInfo {
    const char* title;
    FieldKind kind;
    bool hidden;
};
const ColumnInfo kColumns[ColumnCount] = {
    {"Enabled", FieldKind::YesNo, false},      {"IP Address", FieldKind::Text, false},
    {"IP Port", FieldKind::Other, false},      {"Description", FieldKind::Text, false},
    {"Mode", FieldKind::Other, false},         {"Lock Time", FieldKind::Other, false},
    {"Card Action", FieldKind::Other, true},   {"Bypass Action", FieldKind::Other, true},
    {"Anti Passback", FieldKind::YesNo, true}, {"Motion", FieldKind::Other, true},
    {"PortNo", FieldKind::Other, true},        {"State", FieldKind::Text, false},
};

QVariant value(const ReaderRow& r, int column) {
    switch (column) {
        case Enabled:
            return r.enable;
        case IpAddress:
            return r.ipaddr;
        case IpPort:
            return r.ipport;
        case Description:
            return r.desc;
        case Mode:
            return r.mode;
        case LockTime:
            return r.lockTime;
        case CardAction:
            return r.outport;
        case BypassAction:
            return r.bpport;
        case AntiPassback:
            return r.apb;
        case Motion:
            return r.motion;
        case PortNo:
            return r.portNo;
        case State:
            return {};  // the client's, not the row's
    }
    return {};
}

// The text of the cells the grid writes itself: mode texts and lock times in seconds.
QString cellText(const ReaderRow& r, int column) {
    if (column == Mode) return modeText(r.mode);
    if (column == LockTime) return QStringLiteral("%1 SEC").arg(r.lockTime);
    return value(r, column).toString();
}

}  // namespace

class ReaderRowsModel : public RowsTableModel<ReaderRow> {
public:
    ReaderRowsModel(ReaderBank& bank, QObject* parent) : RowsTableModel(parent), m_bank(bank) {}
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const ReaderRow& r = rows[size_t(index.row())];
        if (index.column() == State) return stateData(r, role);
        if (role == Qt::EditRole) return value(r, index.column());
        if (role != Qt::DisplayRole || kColumns[index.column()].kind == FieldKind::YesNo) return {};
        return cellText(r, index.column());
    }
    Qt::ItemFlags flags(const QModelIndex&) const override {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
        if (role == Qt::DisplayRole) return QString::fromLatin1(kColumns[section].title);
        if (role == FieldKindRole) return int(kColumns[section].kind);
        return {};
    }
    // The State cells follow the clients: called every second while the dialog is open.
    void refreshStates() {
        if (!rows.empty()) Q_EMIT dataChanged(index(0, State), index(rowCount() - 1, State));
    }

private:
    QVariant stateData(const ReaderRow& r, int role) const {
        if (!ReaderBank::validPort(r.portNo)) return {};
        const ReaderLinkState s = readerLinkState(m_bank.reader(r.portNo), r.enable);
        if (role == Qt::DisplayRole) return s.text;
        if (role == Qt::ToolTipRole && !s.reason.isEmpty()) return s.reason;
        return {};
    }

    ReaderBank& m_bank;
};

namespace {

// "Enabled": checked when the row says yes and its client is connected, the stop picture when
// it says yes but the client is not, unchecked when no. Mode and lock time are written 2 pixels
// in from the cell's corner.
class ReaderCellDelegate final : public QStyledItemDelegate {
public:
    ReaderCellDelegate(ReaderBank& bank, QObject* parent)
        : QStyledItemDelegate(parent), m_bank(bank) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        p->save();
        p->setBrush(selected ? option.palette.highlight() : option.palette.base());
        p->setPen(Qt::NoPen);
        const bool drawn = drawCell(*p, option, index, selected);
        p->restore();
        if (!drawn) QStyledItemDelegate::paint(p, option, index);
    }

private:
    bool drawCell(QPainter& p, const QStyleOptionViewItem& option, const QModelIndex& index,
                  bool selected) const {
        if (index.column() == Enabled) {
            const int port = index.siblingAtColumn(PortNo).data(Qt::EditRole).toInt();
            const bool connected = ReaderBank::validPort(port) && m_bank.reader(port).Enable();
            if (!index.data(Qt::EditRole).toBool())
                checkCell(p, option.rect, false);
            else if (connected)
                checkCell(p, option.rect, true);
            else
                stopCell(p, option.rect);
            return true;
        }
        if (index.column() == Mode || index.column() == LockTime) {
            p.fillRect(option.rect, p.brush());
            p.setPen(selected ? option.palette.highlightedText().color()
                              : option.palette.text().color());
            p.drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                       index.data().toString());
            return true;
        }
        return yesNoColumnCell(p, option.rect, index);
    }

    ReaderBank& m_bank;
};

}  // namespace

ReaderSetupDialog::ReaderSetupDialog(ReaderBank& bank, DataModule& data, Operator& op,
                                     QWidget* parent)
    : QDialog(parent), m_bank(bank), m_data(data), m_op(op), m_setup(data, bank, op) {
    setObjectName(QStringLiteral("ReaderSetupDialog"));
    setWindowTitle(QStringLiteral("Setup"));
    m_model = new ReaderRowsModel(m_bank, this);
    ports = new QTableView(this);
    ports->setObjectName(QStringLiteral("ports"));
    ports->setToolTip(QStringLiteral("Double click to edit the pointed record."));
    ports->setModel(m_model);
    ports->setItemDelegate(new ReaderCellDelegate(m_bank, ports));
    setUpReadOnlyGrid(ports);
    ports->verticalHeader()->hide();
    for (int c = 0; c < ColumnCount; ++c) ports->setColumnHidden(c, kColumns[c].hidden);
    auto* editRecord = new QAction(QStringLiteral("Edit record"), ports);
    editRecord->setObjectName(QStringLiteral("Editrecord1"));
    ports->setContextMenuPolicy(Qt::ActionsContextMenu);
    ports->addAction(editRecord);

    Button2 = namedButton(QStringLiteral("Edit"), "Button2",
                          QStringLiteral("Edit the current record."), this);
    Button1 = namedButton(QStringLiteral("Confirm"), "Button1",
                          QStringLiteral("Exit and activite the changes."), this);
    bEnableAll = namedButton(QStringLiteral("Scan All"), "bEnableAll",
                             QStringLiteral("Scan for active connections."), this);
    bAccessManager = namedButton(QStringLiteral("Access Manager"), "bAccessManager",
                                 QStringLiteral("Enter Access Manager."), this);
    estatus = new QStatusBar(this);
    estatus->setObjectName(QStringLiteral("estatus"));
    estatus->setSizeGripEnabled(false);
    estatus->hide();

    connect(ports, &QTableView::doubleClicked, this, &ReaderSetupDialog::Edit);
    connect(editRecord, &QAction::triggered, this, &ReaderSetupDialog::Edit);
    connect(Button2, &QPushButton::clicked, this, &ReaderSetupDialog::Edit);
    connect(Button1, &QPushButton::clicked, this, &ReaderSetupDialog::reject);
    connect(bEnableAll, &QPushButton::clicked, this, &ReaderSetupDialog::ScanAll);
    connect(bAccessManager, &QPushButton::clicked, this, &ReaderSetupDialog::AccessManagerClick);

    auto* buttons = buttonRow({Button2, bEnableAll, bAccessManager}, {Button1});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ports, 1);
    layout->addLayout(buttons);
    layout->addWidget(estatus);
    auto* states = new QTimer(this);
    connect(states, &QTimer::timeout, m_model, &ReaderRowsModel::refreshStates);
    states->start(1000);
    resize(760, 330);
    reload();
    RestoreFormLayout(setting::CommSetup, this);
    RestoreGridColumns(setting::GridCommSetup, ports);
    // Every header readable in full, whatever width was kept.
    QHeaderView* header = ports->horizontalHeader();
    for (int c = 0; c < ColumnCount; ++c)
        header->resizeSection(c, std::max(header->sectionSize(c), header->sectionSizeHint(c)));
}

ReaderSetupDialog::~ReaderSetupDialog() {
    SaveFormLayout(setting::CommSetup, this);
    SaveGridColumns(setting::GridCommSetup, ports);
}

void ReaderSetupDialog::reload() {
    const int row = ports->currentIndex().isValid() ? ports->currentIndex().row() : 0;
    auto rows = readReaderRows(m_data.src());
    if (!rows) m_op.errorDetail(msg::DatabaseError, rows.error().text);
    m_model->setRows(rows.value_or(std::vector<ReaderRow>{}));
    if (m_model->rowCount() > 0) ports->selectRow(std::min(row, m_model->rowCount() - 1));
}

void ReaderSetupDialog::setButtonsEnabled(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{Button2, Button1, bEnableAll, bAccessManager, ports})
        w->setEnabled(on);
}

void ReaderSetupDialog::Edit() {
    const QModelIndex current = ports->currentIndex();
    if (m_busy || !current.isValid()) return;
    const int port = m_model->rows[size_t(current.row())].portNo;
    m_busy = true;
    setButtonsEnabled(false);
    const auto edit = runToEnd(m_setup.beginEdit(port)).value_or(std::nullopt);
    setButtonsEnabled(true);
    m_busy = false;
    if (!edit) return;
    ReaderEditorDialog editor(this);
    editor.setEdit(port, *edit);
    if (editor.exec() != QDialog::Accepted) return;
    m_busy = true;
    setButtonsEnabled(false);
    runToEnd(m_setup.finishEdit(port, editor.edit()));
    setButtonsEnabled(true);
    m_busy = false;
    reload();
}

void ReaderSetupDialog::ScanAll() {
    if (m_busy) return;
    m_busy = true;
    setButtonsEnabled(false);
    estatus->show();
    runToEnd(m_setup.ScanAll([this](const QString& host) { estatus->showMessage(host); }));
    estatus->hide();
    setButtonsEnabled(true);
    m_busy = false;
    reload();
}

void ReaderSetupDialog::AccessManagerClick() {
    OfflineManagerDialog manager(m_bank, m_data, m_op, this);
    if (!manager.hasReaders()) return m_op.error(admin_text::NoPortEnabled);
    manager.readerListClick();
    manager.exec();
}

void ReaderSetupDialog::reject() {
    if (!m_busy) QDialog::reject();
}

}  // namespace tallyport
