// The live areas of the main window: webcam column, clock, photo column, log grid and the
// status bar. Later parts fill them; here they get their names, sizes and first states.
#include "app/commands.h"
#include "app/ui/log_columns_model.h"
#include "app/ui/main_window.h"
#include "app/ui/reader_indicators.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace tallyport {
namespace {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QGroupBox* group(const QString& title, const char* name, QWidget* content) {
    auto* box = named(new QGroupBox(title), name);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(content, 0, Qt::AlignHCenter | Qt::AlignTop);
    return box;
}

// Pictures come and go with each card; the space they take stays, so the clock and the log
// keep their sizes from one card to the next.
void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLabel* picture(const char* name, int width, int height, bool stretched) {
    auto* label = named(new QLabel, name);
    label->setFixedSize(width, height);
    label->setScaledContents(stretched);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    keepPlaceWhenHidden(label);
    return label;
}

QToolButton* commandButton(QAction* action, const char* name) {
    auto* button = named(new QToolButton, name);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

}  // namespace

QWidget* MainWindow::buildWebcamColumn() {
    m_pancap = named(new QWidget, "pancap");
    m_pancap->setFixedWidth(173);
    auto* layout = new QVBoxLayout(m_pancap);
    layout->setContentsMargins(0, 0, 0, 0);
    QGroupBox* web = group(QStringLiteral("Webcam"), "gbweb", named(new QWidget, "webview"));
    QGroupBox* cap =
        group(QStringLiteral("Capture"), "gbcap", picture("imgcapture", 160, 120, false));
    web->hide();
    keepPlaceWhenHidden(cap);
    cap->hide();  // shown with a snapshot
    layout->addWidget(web);
    layout->addWidget(cap);
    layout->addStretch();
    m_pancap->hide();  // shown when the webcam is enabled
    return m_pancap;
}

QWidget* MainWindow::buildClockArea() {
    auto* clk = named(new QWidget, "clk");
    clk->setAutoFillBackground(true);
    QPalette pal = clk->palette();
    pal.setColor(QPalette::Window, Qt::black);
    clk->setPalette(pal);
    clk->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    clk->setMinimumSize(160, 120);
    return clk;
}

QWidget* MainWindow::buildRightColumn() {
    auto* column = named(new QWidget, "rightpanel");
    column->setFixedWidth(133);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group(QStringLiteral("Photo"), "gbphoto", picture("xphoto", 120, 160, true)));
    m_iopanel = named(new QLabel(QStringLiteral("IN")), "iopanel");
    m_iopanel->setAlignment(Qt::AlignCenter);
    m_iopanel->setFrameShape(QFrame::Panel);
    QFont big = m_iopanel->font();
    big.setPixelSize(30);
    big.setBold(true);
    m_iopanel->setFont(big);
    m_iopanel->hide();
    layout->addWidget(m_iopanel);
    auto* door = named(new QPushButton(QStringLiteral("DOOR OPEN")), "bDoorOpen");
    door->hide();
    layout->addWidget(door);
    layout->addWidget(commandButton(action(cmd::actLogin), "bLogin"));
    layout->addWidget(commandButton(action(cmd::actLogout), "bLogout"));
    layout->addWidget(commandButton(action(QStringLiteral("actreaders")), "bSetupReaders"));
    layout->addStretch();
    return column;
}

QWidget* MainWindow::buildLogs() {
    m_logs = named(new QGroupBox, "logs");
    m_info = named(new QTableView, "info");
    m_info->setModel(new LogColumnsModel(m_info));
    m_info->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_info->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_info->setSelectionMode(QAbstractItemView::SingleSelection);
    m_info->setShowGrid(true);
    m_info->verticalHeader()->hide();
    m_info->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (size_t i = 0; i < logColumns().size(); ++i) {
        const int column = static_cast<int>(i);
        m_info->setColumnWidth(column, logColumns()[i].width);
        m_info->setColumnHidden(column, logColumns()[i].hidden);
    }
    m_info->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_info->addAction(action(cmd::actDelRec));
    auto* layout = new QVBoxLayout(m_logs);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_info);
    return m_logs;
}

void MainWindow::buildStatusBar() {
    auto* bar = named(new QStatusBar, "StatusBar1");
    const int widths[2] = {300, 50};
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel;
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFixedWidth(widths[i]);
        bar->addWidget(m_panels[i]);
    }
    m_readerLine = new QLabel;
    m_readerLine->setObjectName(QStringLiteral("ReaderStatus"));
    bar->addWidget(m_readerLine, 1);
    bar->addPermanentWidget(new ReaderIndicators(m_console, bar));
    setStatusBar(bar);
}

void MainWindow::buildAreas() {
    auto* central = new QWidget;
    auto* top = new QHBoxLayout;
    top->addWidget(buildWebcamColumn());
    top->addWidget(buildClockArea(), 1);
    top->addWidget(buildRightColumn());
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(buildLogs(), 1);
    setCentralWidget(central);
    buildStatusBar();
}

QLabel* MainWindow::statusPanel(int index) const {
    return index >= 0 && index < 2 ? m_panels[index] : nullptr;
}

}  // namespace tallyport
