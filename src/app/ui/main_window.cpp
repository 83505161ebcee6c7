#include "app/ui/main_window.h"

#include "base/time_texts.h"

#include "app/console.h"
#include "app/log_model.h"
#include "app/ui/about_dialog.h"
#include "app/ui/admin_commands.h"
#include "app/ui/artwork.h"
#include "app/ui/log_grid.h"
#include "base/clock.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "ui/form_layout.h"
#include "version.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QTimer>

namespace tallyport {

QString statusClockText(const QDateTime& t) {
    return QLocale().toString(t.date(), QStringLiteral("dd/MMM/yyyy ddd")) + QStringLiteral("  ") +
           amPmTimeText(t.time(), AmPmGap::Spaced, AmPmPrecision::Seconds);
}

// A first start opens where the log, the photo and the clock all have room; a stored layout
// replaces it.
QSize firstStartSize(const QSize& screen) {
    const QSize wanted(1024, 700);
    if (!screen.isValid()) return wanted;
    const QSize fit = screen * 0.8;
    return {screen.width() < wanted.width() ? fit.width() : wanted.width(),
            screen.height() < wanted.height() ? fit.height() : wanted.height()};
}

MainWindow::MainWindow(Console& console, QWidget* parent)
    : QMainWindow(parent), m_console(console) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral(TALLYPORT_PRODUCT));
    setWindowIcon(appIcon());
    setMinimumSize(320, 504);
    resize(firstStartSize(screen() ? screen()->availableGeometry().size() : QSize()));
    buildActions();
    buildMenus();
    buildAreas();
    buildLogView();
    connectActions();
    buildTray();
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(1000);
    connect(m_timer2, &QTimer::timeout, this, &MainWindow::Timer2Timer);
    connect(&m_console, &Console::logChanged, this, &MainWindow::showRecordCount);
    connect(&m_console, &Console::readerStatus, m_readerLine,
            [this](int, const QString& text) { m_readerLine->setText(text); });
    if (const auto& recorder = m_console.attachedTo())
        setWindowTitle(QStringLiteral(TALLYPORT_PRODUCT " — %1").arg(attachedText(*recorder)));
    startUpStep();
    creationStep();
    connectLive();
    Timer2Timer();  // the clock shows from the start, not a second later
}

MainWindow::~MainWindow() {
    shutdown();
}

bool MainWindow::endRequested() const {
    return m_console.endRequested();
}

// A failed start-up has shown its message; the remaining steps still run and the program
// ends before its event loop.
void MainWindow::startUpStep() {
    m_console.startUp();
    const bool hide = ReadSettingBool(setting::HideOnStartup, false);
    action(cmd::actHideIt)->setChecked(hide);
    // Nothing stored yet (a first start): the first-start size stays.
    if (!ReadSettingText(setting::MainForm + QStringLiteral("_WIDTH"), QString()).isEmpty() ||
        ReadSettingBool(setting::MainForm + QStringLiteral("_MAX"), false))
        RestoreFormLayout(setting::MainForm, this);
    m_logGrid->restoreColumns();
    m_showAtStart = !hide;
    refreshLogGrid(true);
}

void MainWindow::creationStep() {
    if (endRequested()) {
        m_console.login().Logout();  // nothing else is set up for a program that ends
        return;
    }
    m_iopanel->setVisible(ReadSettingBool(setting::AutoInOut, false));
    if (!m_console.creationStep()) return;
    setupDevices();
    buildFirstRunGuide();
    m_logGrid->showCurrent();
    showDoorButton(*this, m_console);
}

void MainWindow::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_console.Shutdown();
    m_timer2->stop();
    stopDevices();
    m_trayTimer->stop();
    WriteSettingBool(setting::HideOnStartup, action(cmd::actHideIt)->isChecked());
    SaveFormLayout(setting::MainForm, this);
    m_logGrid->saveColumns();
    m_tray->hide();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutdown();
    event->accept();
    Q_EMIT closed();
}

void MainWindow::showMainWindow() {
    showRecordCount();
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::hideMainWindow() {
    if (m_trayAvailable)
        hide();
    else
        showMinimized();
}

void MainWindow::showRecordCount() {
    m_logs->setTitle(m_console.recordCountText());
}

void MainWindow::showAbout() {
    AboutDialog box(isVisible() ? this : nullptr);
    box.exec();
}

// Stopped while it works, so a slow tick never queues a second one behind it.
void MainWindow::Timer2Timer() {
    m_timer2->stop();
    m_panels[0]->setText(statusClockText(appClock().now()));
    if (!m_shutDown) m_timer2->start();
}

}  // namespace tallyport
