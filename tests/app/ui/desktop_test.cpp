#include "app/ui/desktop.h"
#include "app/instance_guard.h"
#include "app/ui/main_window.h"
#include "support/dialog_fixture.h"

#include <QMessageBox>

namespace tallyport::test {
namespace {

// Answers every message box with OK and remembers its text, until destroyed.
class BoxCloser {
public:
    BoxCloser() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QTimer m_timer;
};

MainWindow* mainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<MainWindow*>(w)) return main;
    return nullptr;
}

TEST(Desktop, FailedStartUpEndsWithCodeOneAfterItsMessages) {
    ClearSettings();
    TempDataDir data;
    QFile bad(data.file(QStringLiteral("attend.db")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a database");
    bad.close();
    BoxCloser boxes;
    EXPECT_EQ(runDesktopConsole(data.path()), 1);
    EXPECT_TRUE(boxes.texts.contains(QStringLiteral("System Error: Cannot open attend.db")));
    EXPECT_EQ(mainWindow(), nullptr);
}

TEST(Desktop, RunsUntilTheMainWindowIsClosed) {
    ClearSettings();
    TempDataDir data;
    BoxCloser boxes;
    bool wasShown = false;
    QTimer::singleShot(300, [&] {
        MainWindow* w = mainWindow();
        ASSERT_NE(w, nullptr);
        wasShown = w->isVisible();
        w->close();
    });
    EXPECT_EQ(runDesktopConsole(data.path()), 0);
    EXPECT_TRUE(wasShown);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(QFile::exists(data.file(QStringLiteral("attend.db"))));
}

// Without a notification area a hidden console could not be reached: it starts minimised.
TEST(Desktop, HiddenStartWithoutANotificationAreaMinimises) {
    ClearSettings();
    WriteSettingBool(QStringLiteral("HideOnStartup"), true);
    TempDataDir data;
    bool visible = false, minimised = false;
    QTimer::singleShot(300, [&] {
        MainWindow* w = mainWindow();
        ASSERT_NE(w, nullptr);
        ASSERT_FALSE(w->trayAvailable());  // the offscreen platform has none
        visible = w->isVisible();
        minimised = w->isMinimized();
        w->close();
    });
    EXPECT_EQ(runDesktopConsole(data.path()), 0);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(minimised);
}

TEST(Desktop, SecondInstanceIsTold) {
    BoxCloser boxes;
    showAnotherInstance();
    EXPECT_EQ(boxes.texts, QStringList{kAnotherInstance});
}

}  // namespace
}  // namespace tallyport::test
