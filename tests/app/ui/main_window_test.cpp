#include "app/ui/main_window.h"
#include "app/commands.h"
#include "app/first_run.h"
#include "base/clock.h"
#include "store/setting_names.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <map>

namespace tallyport::test {
namespace {

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

QMenu* submenu(const QList<QAction*>& actions, const QString& title) {
    for (QAction* a : actions)
        if (a->menu() && plain(a->text()) == title) return a->menu();
    return nullptr;
}

// "Reports/Spreadsheet" -> that menu of the window's menu bar.
QMenu* menuAt(MainWindow& w, const QString& path) {
    QList<QAction*> actions = w.menuBar()->actions();
    QMenu* menu = nullptr;
    for (const QString& title : path.split(QLatin1Char('/'))) {
        menu = submenu(actions, title);
        if (!menu) return nullptr;
        actions = menu->actions();
    }
    return menu;
}

QStringList entries(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) out << plain(a->text());
    return out;
}

using MainWindowTest = ConsoleFixture;

TEST_F(MainWindowTest, MenusHoldTheirEntriesInOrder) {
    MainWindow w(console());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tallyport"));
    QStringList titles;
    for (QAction* a : w.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles,
              (QStringList{"&Actions", "Database", "Setup", "Card Manager", "Reports", "Options"}));
    const std::map<QString, QStringList> expected = {
        {"Actions",
         {"Login", "Logout", "Set Password", "Minimise (no system tray)", "Exit",
          "About Tallyport"}},  // offscreen: no notification area
        {"Database",
         {"Backup Log Database", "Backup System Database", "Restore Log Database",
          "Restore System Database", "Export to Excel File", "Export to Text File",
          "Erase Log Database", "Erase Staff Records", "Format Database", "Import Log Records",
          "Import Staff Records"}},
        {"Setup",
         {"Email", "Group Definition", "Setup Readers", "Access Manager", "System PINs",
          "Web Reporter", "Hide On Startup"}},
        {"Card Manager", {"Edit Card Information", "Print Cards", "Print Member List"}},
        {"Reports", {"Attendance", "Printouts", "Spreadsheet"}},
        {"Reports/Attendance",
         {"First In / Last Out", "First In / Last Out (Overnight)", "2-session"}},
        {"Reports/Printouts",
         {"Daily Individual", "Time Logs", "Total Hours", "Total Hours Detail", "Who's IN / OUT"}},
        {"Reports/Spreadsheet",
         {"First IN / Last OUT", "IN/OUT Pairs", "Time Logs",
          "IN/OUT Pairs (Late and Early Leave)"}},
        {"Options",
         {"Auto IN/OUT Time", "Door Open Button", "Hide Webcam", "Webcam",
          "Enable Speech Feedback"}},
    };
    // The last submenu's title holds a "/": it is looked up on its own below.
    for (const auto& [path, captions] : expected) {
        QMenu* menu = menuAt(w, path);
        ASSERT_NE(menu, nullptr) << path.toStdString();
        EXPECT_EQ(entries(menu), captions) << path.toStdString();
    }
    QMenu* pairs =
        submenu(menuAt(w, "Reports/Spreadsheet")->actions(), "IN/OUT Pairs (Late and Early Leave)");
    ASSERT_NE(pairs, nullptr);
    EXPECT_EQ(entries(pairs),
              (QStringList{"Define Time Attendance Table", "Late and Early Leave"}));
    const QList<QAction*> actions = menuAt(w, "Actions")->actions();
    EXPECT_EQ(actions.at(0)->text(), QStringLiteral("&Login"));
    EXPECT_EQ(actions.at(1)->text(), QStringLiteral("L&ogout"));
    EXPECT_TRUE(actions.at(3)->isSeparator());
    EXPECT_TRUE(actions.at(6)->isSeparator());
    EXPECT_EQ(entries(w.trayMenu()), (QStringList{"About me", "Login", "Show me", "Exit"}));
    EXPECT_EQ(w.trayIcon()->toolTip(), QStringLiteral("Tallyport"));
}

// Every command of the table is an action of the window, named after it.
void expectLoggedIn(MainWindow& w, bool in) {
    int gated = 0;
    for (const CommandInfo& c : allCommands()) {
        QAction* a = w.action(QString::fromLatin1(c.name));
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->objectName(), QLatin1String(c.name));
        if (!c.gated) continue;
        ++gated;
        EXPECT_EQ(a->isEnabled(), in) << c.name;
    }
    EXPECT_EQ(gated, 43);
    EXPECT_EQ(w.action(cmd::actLogin)->isEnabled(), !in);
    EXPECT_EQ(w.action(cmd::popLogin)->isEnabled(), !in);
    EXPECT_EQ(w.action(cmd::actLogout)->isEnabled(), in);
    for (const QString& free : {cmd::actsetpasswd, cmd::actexit, cmd::actabout})
        EXPECT_TRUE(w.action(free)->isEnabled()) << free.toStdString();
}

TEST_F(MainWindowTest, StartsLoggedOutAndLoginWithoutPasswordUnlocksTheGatedCommands) {
    MainWindow w(console());
    ASSERT_FALSE(w.endRequested());
    expectLoggedIn(w, false);
    EXPECT_FALSE(w.findChild<QToolButton*>("bSetupReaders")->isEnabled());
    EXPECT_TRUE(w.findChild<QToolButton*>("bLogin")->isEnabled());
    EXPECT_TRUE(w.logGrid()->actions().contains(w.action(cmd::actDelRec)));

    ASSERT_FALSE(w.isVisible());
    w.action(cmd::popLogin)->trigger();  // the tray's Login, with the window hidden
    EXPECT_TRUE(op.saw(QStringLiteral("No password registered yet.")));
    expectLoggedIn(w, true);
    EXPECT_TRUE(w.isVisible());  // logging in brings the window up
    EXPECT_TRUE(w.findChild<QToolButton*>("bSetupReaders")->isEnabled());

    w.action(cmd::actLogout)->trigger();
    expectLoggedIn(w, false);
}

TEST(MainWindowFirstStart, OpensAtAUsefulSizeOrMostOfASmallerScreen) {
    const struct {
        QSize screen, expected;
    } cases[] = {
        {{1920, 1080}, {1024, 700}}, {{1024, 768}, {1024, 700}}, {{800, 600}, {640, 480}},
        {{1280, 600}, {1024, 480}},  {{}, {1024, 700}},  // no screen known
    };
    for (const auto& c : cases) EXPECT_EQ(firstStartSize(c.screen), c.expected) << c.screen.width();
}

TEST_F(MainWindowTest, AreasCarryTheirNamesAndSizes) {
    WriteSettingBool(setting::AutoInOut, true);
    MainWindow w(console());
    w.showMainWindow();
    EXPECT_EQ(w.minimumSize(), QSize(320, 504));
    EXPECT_EQ(w.findChild<QWidget*>("pancap")->width(), 173);
    EXPECT_EQ(w.findChild<QLabel*>("xphoto")->size(), QSize(120, 160));
    EXPECT_EQ(w.findChild<QLabel*>("imgcapture")->size(), QSize(160, 120));
    EXPECT_FALSE(w.findChild<QWidget*>("gbcap")->isVisibleTo(&w));
    EXPECT_FALSE(w.findChild<QWidget*>("bDoorOpen")->isVisibleTo(&w));
    EXPECT_TRUE(w.findChild<QLabel*>("iopanel")->isVisibleTo(&w));
    EXPECT_EQ(w.findChild<QLabel*>("iopanel")->text(), QStringLiteral("OUT"));  // no IN periods
    EXPECT_EQ(w.findChild<QWidget*>("clk")->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(w.statusPanel(0)->width(), 300);
    EXPECT_EQ(w.statusPanel(1)->width(), 50);
    EXPECT_EQ(w.logsGroup()->title(), QStringLiteral("no record"));

    QTableView* info = w.logGrid();
    QStringList titles;
    for (int i = 0; i < info->model()->columnCount(); ++i)
        titles << info->model()->headerData(i, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{"Date and Time", "Card Information", "Mode", "Reader", "Lock"}));
    EXPECT_TRUE(info->isColumnHidden(4));
    EXPECT_EQ(info->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(info->selectionBehavior(), QAbstractItemView::SelectRows);
    // Nothing stored yet: the grid's designed widths, the date's as wide as its text needs.
    EXPECT_GE(info->columnWidth(0), 185);
    EXPECT_EQ(info->columnWidth(1), 165);
}

TEST_F(MainWindowTest, StatusBarShowsTheConsoleClock) {
    ManualClock clock(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    setAppClock(&clock);
    MainWindow w(console());
    EXPECT_EQ(w.statusPanel(0)->text(), QStringLiteral("05/Mar/2024 Tue  PM 02:07:09"));
    EXPECT_TRUE(w.findChild<QTimer*>("Timer2")->isActive());
    setAppClock(nullptr);

    const std::pair<QTime, const char*> cases[] = {{QTime(0, 30, 0), "  AM 12:30:00"},
                                                   {QTime(11, 59, 59), "  AM 11:59:59"},
                                                   {QTime(12, 0, 0), "  PM 12:00:00"},
                                                   {QTime(23, 5, 1), "  PM 11:05:01"}};
    for (const auto& [time, tail] : cases)
        EXPECT_TRUE(
            statusClockText(QDateTime(QDate(2024, 1, 7), time)).endsWith(QLatin1String(tail)))
            << tail;
}

TEST_F(MainWindowTest, HideOnStartupStartsHiddenAndShowMeRestoresTheStoredPlace) {
    WriteSettingBool(setting::HideOnStartup, true);
    WriteSettingInt(QStringLiteral("MainForm_LEFT"), 30);
    WriteSettingInt(QStringLiteral("MainForm_TOP"), 40);
    WriteSettingInt(QStringLiteral("MainForm_WIDTH"), 700);
    WriteSettingInt(QStringLiteral("MainForm_HEIGHT"), 560);
    MainWindow w(console());
    EXPECT_FALSE(w.showAtStart());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.action(cmd::actHideIt)->isChecked());

    w.trayMenu()->findChild<QAction*>("popShow")->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.pos(), QPoint(30, 40));
    EXPECT_EQ(w.size(), QSize(700, 560));
}

TEST_F(MainWindowTest, HideToSystrayHidesOnlyWhereTheIconCanBringItBack) {
    MainWindow w(console());
    w.showMainWindow();
    // Offscreen there is no notification area: the entry says what it does instead.
    EXPECT_EQ(w.action(cmd::acthide)->text(), kMinimiseNoTray);
    w.action(cmd::popLogin)->trigger();
    w.setTrayAvailable(true);
    EXPECT_EQ(w.action(cmd::acthide)->text(), QStringLiteral("&Hide to Systray"));
    w.action(cmd::acthide)->trigger();
    EXPECT_FALSE(w.isVisible());
    Q_EMIT w.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.isVisible());

    w.setTrayAvailable(false);
    EXPECT_EQ(w.action(cmd::acthide)->text(), kMinimiseNoTray);
    w.action(cmd::acthide)->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isMinimized());
    w.showMainWindow();
    EXPECT_FALSE(w.isMinimized());
}

TEST_F(MainWindowTest, ExitStoresTheCheckMarkTheLayoutAndTheColumns) {
    {
        MainWindow w(console());
        w.showMainWindow();
        w.move(50, 60);
        w.resize(650, 520);
        w.logGrid()->setColumnWidth(1, 222);
        w.action(cmd::popLogin)->trigger();
        w.action(cmd::actHideIt)->trigger();
        EXPECT_TRUE(ReadSettingBool(setting::HideOnStartup, false));  // stored at once
        w.action(cmd::acthide)->trigger();
        QSignalSpy closed(&w, &MainWindow::closed);
        w.action(cmd::actexit)->trigger();  // while hidden
        EXPECT_EQ(closed.count(), 1);
    }
    EXPECT_TRUE(ReadSettingBool(setting::HideOnStartup, false));
    EXPECT_FALSE(ReadSettingBool(QStringLiteral("MainForm_MAX"), true));
    EXPECT_EQ(ReadSettingInt(QStringLiteral("MainForm_LEFT"), 0), 50);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("MainForm_TOP"), 0), 60);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("MainForm_WIDTH"), 0), 650);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("MainForm_HEIGHT"), 0), 520);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("InfoGrid_1"), 0), 222);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("InfoGrid_4"), 0), 100);  // the hidden Lock column

    Console again(op, data.path());
    MainWindow w(again);
    EXPECT_FALSE(w.showAtStart());
    EXPECT_EQ(w.logGrid()->columnWidth(1), 222);
    EXPECT_TRUE(w.logGrid()->isColumnHidden(4));
    w.showMainWindow();
    EXPECT_EQ(w.geometry().size(), QSize(650, 520));
}

int visibleWidths(const QTableView* grid) {
    int sum = 0;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        if (!grid->isColumnHidden(c)) sum += grid->columnWidth(c);
    return sum;
}

// A wide window gives its room to the names; a narrow one keeps the names' own width and
// scrolls. The reader column keeps its width either way.
TEST_F(MainWindowTest, TheNameColumnTakesTheSpareWidth) {
    {
        MainWindow w(console());
        w.showMainWindow();
        w.firstRunGuide()->close();  // the grid in its place
        QTableView* info = w.logGrid();
        w.resize(1200, 700);
        QApplication::processEvents();
        EXPECT_EQ(info->columnWidth(3), 100);
        EXPECT_GT(info->columnWidth(1), 165);
        EXPECT_EQ(visibleWidths(info), info->viewport()->width());

        w.resize(500, 600);
        QApplication::processEvents();
        EXPECT_EQ(info->columnWidth(1), 165);
        EXPECT_EQ(info->columnWidth(3), 100);

        w.resize(1200, 700);
        QApplication::processEvents();
        info->setColumnWidth(3, 180);  // the operator widens the reader column: names give way
        EXPECT_EQ(visibleWidths(info), info->viewport()->width());
        EXPECT_EQ(info->columnWidth(3), 180);
    }
    EXPECT_EQ(ReadSettingInt(QStringLiteral("InfoGrid_1"), 0), 165);  // its own, not the room
    EXPECT_EQ(ReadSettingInt(QStringLiteral("InfoGrid_3"), 0), 180);
}

TEST_F(MainWindowTest, MaximisedAtExitKeepsTheLastNormalPlacement) {
    WriteSettingInt(QStringLiteral("MainForm_LEFT"), 11);
    WriteSettingInt(QStringLiteral("MainForm_TOP"), 12);
    WriteSettingInt(QStringLiteral("MainForm_WIDTH"), 613);
    WriteSettingInt(QStringLiteral("MainForm_HEIGHT"), 514);
    {
        MainWindow w(console());
        w.showMaximized();
        w.close();
    }
    EXPECT_TRUE(ReadSettingBool(QStringLiteral("MainForm_MAX"), false));
    EXPECT_EQ(ReadSettingInt(QStringLiteral("MainForm_LEFT"), 0), 11);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("MainForm_WIDTH"), 0), 613);

    MainWindow w(console());
    w.showMainWindow();
    EXPECT_TRUE(w.isMaximized());
    w.showNormal();
    EXPECT_EQ(w.pos(), QPoint(11, 12));
    EXPECT_EQ(w.size(), QSize(613, 514));
}

TEST_F(MainWindowTest, FailedStartUpAsksTheProgramToEnd) {
    QFile bad(data.file(QStringLiteral("attend.db")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a database");
    bad.close();
    MainWindow w(console());
    EXPECT_TRUE(w.endRequested());
    EXPECT_TRUE(op.saw(QStringLiteral("System Error: Cannot open attend.db")));
    expectLoggedIn(w, false);
}

}  // namespace
}  // namespace tallyport::test
