// The notification-area icon: hint, menu and a slow animation that shows the console is alive.
#include "app/commands.h"
#include "app/ui/artwork.h"
#include "app/ui/main_window.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

namespace tallyport {

const QString kHideToTray = QStringLiteral("&Hide to Systray");
const QString kMinimiseNoTray = QStringLiteral("&Minimise (no system tray)");

namespace {

QAction* menuEntry(QMenu* menu, const QString& caption, const char* name) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

}  // namespace

void MainWindow::buildTray() {
    m_trayFrames = trayFrames();
    m_tray = new QSystemTrayIcon(m_trayFrames.front(), this);
    m_tray->setObjectName(QStringLiteral("TrayIcon1"));
    m_tray->setToolTip(QStringLiteral("Tallyport"));

    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("PopupMenu1"));
    connect(menuEntry(m_trayMenu, QStringLiteral("About me"), "popAbout"), &QAction::triggered,
            this, &MainWindow::showAbout);
    m_trayMenu->addAction(action(cmd::popLogin));
    connect(menuEntry(m_trayMenu, QStringLiteral("Show me"), "popShow"), &QAction::triggered, this,
            &MainWindow::showMainWindow);
    connect(menuEntry(m_trayMenu, QStringLiteral("Exit"), "popExit"), &QAction::triggered, this,
            &QWidget::close);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);

    m_trayTimer = new QTimer(this);
    m_trayTimer->setObjectName(QStringLiteral("TrayAnimation"));
    m_trayTimer->setInterval(500);
    connect(m_trayTimer, &QTimer::timeout, this, &MainWindow::animateTray);
    m_trayTimer->start();
    setTrayAvailable(QSystemTrayIcon::isSystemTrayAvailable());
}

// Without a notification area nothing could bring a hidden window back: the entry says that it
// minimises instead.
void MainWindow::setTrayAvailable(bool available) {
    m_trayAvailable = available;
    m_tray->setVisible(available && QSystemTrayIcon::isSystemTrayAvailable());
    action(cmd::acthide)->setText(available ? kHideToTray : kMinimiseNoTray);
}

void MainWindow::animateTray() {
    m_trayFrame = (m_trayFrame + 1) % m_trayFrames.size();
    m_tray->setIcon(m_trayFrames[m_trayFrame]);
}

// Many Linux notification areas report a single click only; both bring the window up.
void MainWindow::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        showMainWindow();
}

}  // namespace tallyport
