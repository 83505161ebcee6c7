// The console started on a desktop (drawn offscreen on a screen of a known size): its window's
// first size, and a second launch that nobody answers.
#include "support/console_process.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

namespace tallyport::test {
namespace {

// A desktop start with nobody at the screen: offscreen, on a 1280 x 800 screen.
QProcessEnvironment desktopEnvironment(const QString& runtime, const QString& config,
                                       const QString& screenFile) {
    QFile screen(screenFile);
    if (screen.open(QIODevice::WriteOnly))
        screen.write(R"({"screens": [{"name": "S", "x": 0, "y": 0, "width": 1280,
                         "height": 800, "logicalDpi": 96, "logicalBpi": 96, "dpr": 1}]})");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               QStringLiteral("offscreen:configfile=") + screenFile);
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));  // a desktop start
    return env;
}

// Nothing stored: the window opens at 1024 x 700 and keeps that size when it closes.
TEST(DesktopStart, AFirstStartOpensAtAUsefulSizeAndStoresIt) {
    TempDataDir dir;
    QTemporaryDir runtime, config;
    QProcess console;
    console.setProcessEnvironment(
        desktopEnvironment(runtime.path(), config.path(), dir.file(QStringLiteral("screen.json"))));
    console.start(BuiltProgram(QStringLiteral("tallyport")),
                  {QStringLiteral("--data-dir"), dir.file(QStringLiteral("data"))});
    ASSERT_TRUE(console.waitForStarted());
    // The control socket is made once the window stands and just before SIGTERM is heard.
    const QString socket = dir.file(QStringLiteral("data/tallyport.control"));
    for (int i = 0; i < 300 && !QFile::exists(socket); ++i) QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(socket)) << console.readAllStandardError().toStdString();
    QThread::msleep(500);
    console.terminate();  // closes the window as Exit does
    ASSERT_TRUE(console.waitForFinished(15000));
    QSettings stored(config.path() + QStringLiteral("/ZOLT/TallyportTime.conf"),
                     QSettings::IniFormat);
    stored.beginGroup(QStringLiteral("TallyportTime"));
    EXPECT_EQ(stored.value(QStringLiteral("MainForm_WIDTH")).toString(), QStringLiteral("1024"));
    EXPECT_EQ(stored.value(QStringLiteral("MainForm_HEIGHT")).toString(), QStringLiteral("700"));
}

TEST(SecondInstance, ADesktopLaunchBesideARunningConsoleEndsByItselfWithItsCode) {
    TempDataDir dir;
    ConsoleProcess first(dir.file(QStringLiteral("one")));
    ASSERT_TRUE(first.start());

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), first.runtimeDir());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DISPLAY"),
               QStringLiteral(":0"));  // a desktop start, drawn offscreen
    second.setProcessEnvironment(env);
    QElapsedTimer took;
    took.start();
    second.start(BuiltProgram(QStringLiteral("tallyport")),
                 {QStringLiteral("--data-dir"), dir.file(QStringLiteral("two"))});
    ASSERT_TRUE(second.waitForFinished(30000)) << "the box waited for somebody to answer";
    EXPECT_GE(took.elapsed(), 9000);  // it was there to be read
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    const QString err = QString::fromUtf8(second.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("The Tallyport console is already running.")))
        << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("system tray")));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("two"))));
    EXPECT_EQ(first.terminate(), 0);
}

}  // namespace
}  // namespace tallyport::test
