#include "app/ui/auto_inout_dialog.h"

#include "base/operator.h"
#include "base/time_texts.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "ui/form_layout.h"
#include "ui/time_pickers.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace tallyport {

AutoInOutDialog::AutoInOutDialog(Database& src, Operator& op, QWidget* parent)
    : QDialog(parent), m_src(src), m_op(op), m_model(new QStandardItemModel(0, 2, this)) {
    setObjectName(QStringLiteral("AutoInOutDialog"));
    setWindowTitle(QStringLiteral("Auto IN/OUT Timer"));
    build();
    reload();
    RestoreFormLayout(setting::AutoInOut, this);
    RestoreGridColumns(setting::AutoIOgrid, m_grid);
}

QString AutoInOutDialog::gridTime(const QTime& t) {
    return amPmTimeText(t, AmPmGap::Spaced, AmPmPrecision::Minutes);
}

void AutoInOutDialog::build() {
    m_model->setHorizontalHeaderLabels({QStringLiteral("From"), QStringLiteral("To")});
    m_grid = new QTableView;
    m_grid->setObjectName(QStringLiteral("dbgiotime"));
    m_grid->setModel(m_model);
    setUpReadOnlyGrid(m_grid);
    m_grid->verticalHeader()->hide();
    connect(m_grid, &QTableView::clicked, this,
            [this](const QModelIndex& i) { selectRow(i.row()); });
    auto* list = new QGroupBox(QStringLiteral("IN Time List"));
    (new QVBoxLayout(list))->addWidget(m_grid);

    m_from = hourPicker(nullptr, nullptr, QTime(9, 0));
    m_to = hourPicker(nullptr, nullptr, QTime(14, 0));
    auto* add = new QPushButton(QStringLiteral("Add Record"));
    auto* del = new QPushButton(QStringLiteral("Delete Record"));
    connect(add, &QPushButton::clicked, this, &AutoInOutDialog::addRecord);
    connect(del, &QPushButton::clicked, this, &AutoInOutDialog::deleteRecord);
    auto* period = new QGroupBox(QStringLiteral("IN Time Period"));
    auto* pl = new QHBoxLayout(period);
    pl->addWidget(new QLabel(QStringLiteral("From")));
    pl->addWidget(m_from);
    pl->addWidget(new QLabel(QStringLiteral("To")));
    pl->addWidget(m_to);
    pl->addWidget(add);
    pl->addWidget(del);

    m_enable = new QCheckBox(QStringLiteral("Enable Auto IN/OUT"));
    m_override = new QCheckBox(QStringLiteral("Allow User Override"));
    m_enable->setChecked(ReadSettingBool(setting::AutoInOut, false));
    m_override->setChecked(ReadSettingBool(setting::AutoOverride, false));
    // The options are stored on click: there is no confirm step.
    connect(m_enable, &QCheckBox::clicked, this,
            [](bool on) { WriteSettingBool(setting::AutoInOut, on); });
    connect(m_override, &QCheckBox::clicked, this,
            [](bool on) { WriteSettingBool(setting::AutoOverride, on); });
    auto* options = new QGroupBox(QStringLiteral("Options"));
    auto* ol = new QHBoxLayout(options);
    ol->addWidget(m_enable);
    ol->addWidget(m_override);

    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* main = new QVBoxLayout(this);
    main->addWidget(list);
    main->addWidget(period);
    main->addWidget(options);
    main->addWidget(close, 0, Qt::AlignRight);
}

void AutoInOutDialog::reload() {
    auto periods = loadInPeriods(m_src);
    if (!periods) m_op.errorDetail(msg::DatabaseError, periods.error().text);
    m_periods = periods.value_or(std::vector<InPeriod>{});
    m_model->setRowCount(0);
    for (const InPeriod& p : m_periods)
        m_model->appendRow(
            {new QStandardItem(gridTime(p.from)), new QStandardItem(gridTime(p.to))});
    if (!m_periods.empty()) m_grid->selectRow(0);
}

void AutoInOutDialog::selectRow(int row) {
    if (row < 0 || size_t(row) >= m_periods.size()) return;
    m_grid->selectRow(row);
    m_from->setTime(m_periods[size_t(row)].from);
    m_to->setTime(m_periods[size_t(row)].to);
}

void AutoInOutDialog::addRecord() {
    auto r = addInPeriod(m_src, m_from->time(), m_to->time());
    if (!r) {
        m_from->setFocus();
        m_op.error(r.error().text);
        return;
    }
    reload();
}

void AutoInOutDialog::deleteRecord() {
    const int row = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : 0;
    std::optional<qint64> id;
    if (size_t(row) < m_periods.size()) id = m_periods[size_t(row)].rowId;
    if (deleteInPeriod(m_op, m_src, id)) reload();
}

void AutoInOutDialog::done(int result) {
    SaveFormLayout(setting::AutoInOut, this);
    SaveGridColumns(setting::AutoIOgrid, m_grid);
    QDialog::done(result);
}

}  // namespace tallyport
