#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QSystemTrayIcon>
#include <initializer_list>
#include <map>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QTableView;
class QTimer;

namespace tallyport {

class Console;
class FirstRunGuide;
class FirstRunPanel;
class LogGrid;
class AnalogClock;
class Webcam;

// "Hide to Systray", and what the entry says where there is no notification area.
extern const QString kHideToTray;
extern const QString kMinimiseNoTray;

// The status bar clock: "dd/mmm/yyyy ddd  AM/PM hh:mm:ss" with 12-hour hours.
QString statusClockText(const QDateTime& t);
// The window's size at a first start: 1024 x 700, or 80 % of a screen smaller than that.
QSize firstStartSize(const QSize& screen);

// The main window: menus built from the command table, the live areas, the notification-area
// icon and the status bar clock. It drives the console through start-up (while it is built)
// and shutdown (when it is closed or destroyed).
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Console& console, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up failed and its messages were shown: the program must end.
    bool endRequested() const;
    // False when "Hide On Startup" was checked: only the icon shows at start.
    bool showAtStart() const { return m_showAtStart; }

    // Without a notification area a hidden window could not be reached again; hiding then
    // minimises instead.
    bool trayAvailable() const { return m_trayAvailable; }
    void setTrayAvailable(bool available);

    QAction* action(const QString& name) const;
    QTableView* logGrid() const { return m_info; }
    LogGrid* logView() const { return m_logGrid; }
    QGroupBox* logsGroup() const { return m_logs; }
    QLabel* statusPanel(int index) const;
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    QMenu* trayMenu() const { return m_trayMenu; }
    // The camera of the webcam panel; null until the creation step made it.
    Webcam* webcam() const { return m_webcam; }
    // The checklist of a new data folder; null when start-up failed.
    FirstRunGuide* firstRunGuide() const { return m_firstRun; }
    FirstRunPanel* firstRunPanel() const { return m_firstRunPanel; }

public Q_SLOTS:
    void showMainWindow();
    void hideMainWindow();
    void showRecordCount();
    void showAbout();
    // main_window_log.cpp
    void refreshLogGrid(bool shown);
    void showHolderPhoto(int cardNo);
    void showSnapshot(int cardNo, const QDateTime& time);

Q_SIGNALS:
    // The window was closed: the console has shut down and the program ends.
    void closed();
    // A double click on a log row while logged in: edit this card.
    void cardDoubleClicked(int cardNo);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // main_window_areas.cpp
    void buildAreas();
    QWidget* buildWebcamColumn();
    QWidget* buildClockArea();
    QWidget* buildRightColumn();
    QWidget* buildLogs();
    void buildStatusBar();
    // main_window_menus.cpp
    void buildActions();
    void bindCommands();
    void buildMenus();
    void fillMenu(QMenu* menu, std::initializer_list<const char*> names);
    void connectActions();
    // main_window_tray.cpp
    void buildTray();
    void animateTray();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    // main_window_devices.cpp
    void connectDeviceCommands();
    void setupDevices();
    void showWebcam(bool visible);
    void hideWebcam(bool hidden);
    void stopDevices();
    // main_window_log.cpp
    void buildLogView();
    void buildFirstRunGuide();  // main_window_guide.cpp
    // main_window.cpp
    void startUpStep();
    void creationStep();
    void shutdown();
    void Timer2Timer();
    void connectLive();  // main_window_live.cpp

    Console& m_console;
    std::map<QString, QAction*> m_actions;
    QTableView* m_info = nullptr;
    QGroupBox* m_logs = nullptr;
    LogGrid* m_logGrid = nullptr;
    QWidget* m_pancap = nullptr;
    QLabel* m_iopanel = nullptr;
    QLabel* m_readerLine = nullptr;  // the last change of a reader's connection
    QLabel* m_panels[2] = {nullptr, nullptr};
    QTimer* m_timer2 = nullptr;
    AnalogClock* m_clock = nullptr;
    Webcam* m_webcam = nullptr;
    FirstRunGuide* m_firstRun = nullptr;
    FirstRunPanel* m_firstRunPanel = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QTimer* m_trayTimer = nullptr;
    std::vector<QIcon> m_trayFrames;
    size_t m_trayFrame = 0;
    bool m_trayAvailable = false;
    bool m_showAtStart = true;
    bool m_shutDown = false;
};

}  // namespace tallyport
