#include "app/ui/desktop.h"
#include "app/instance_guard.h"
#include "app/ui/main_window.h"
#include "support/dialog_fixture.h"

#include <QElapsedTimer>
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

// The offscreen platform has no notification area: the box does not point to one.
TEST(Desktop, SecondInstanceIsToldThatTheConsoleRunsAlready) {
    BoxCloser boxes;
    showAnotherInstance();
    EXPECT_EQ(boxes.texts, QStringList{kAlreadyRunning});
    EXPECT_EQ(anotherInstanceText(true), kAnotherInstance);
}

// Nobody at the screen: the box counts down on its button and closes itself.
TEST(Desktop, SecondInstanceBoxClosesItselfWhenNobodyAnswers) {
    QStringList captions;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            if (!captions.contains(box->buttons().value(0)->text()))
                captions << box->buttons().value(0)->text();
    });
    watch.start();
    QElapsedTimer took;
    took.start();
    showAnotherInstance(std::chrono::milliseconds(2500));
    EXPECT_GE(took.elapsed(), 2400);
    EXPECT_LT(took.elapsed(), 6000);
    EXPECT_EQ(captions, (QStringList{"OK (3)", "OK (2)", "OK (1)"}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace tallyport::test
