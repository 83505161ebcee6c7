#pragma once

#include "app/console.h"
#include "store/settings.h"
#include "support/scripted_operator.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace tallyport::test {

// Every test starts from an empty settings store of its own. The cases of one program run as
// parallel processes that share one XDG_CONFIG_HOME, so each process takes a folder inside it
// (before the first settings access: the store's path is fixed by then).
inline void ClearSettings() {
    static QTemporaryDir own(QDir(qEnvironmentVariable("XDG_CONFIG_HOME", QDir::tempPath()))
                                 .filePath(QStringLiteral("p-XXXXXX")));
    static const bool moved = qputenv("XDG_CONFIG_HOME", own.path().toLocal8Bit());
    Q_UNUSED(moved);
    QFile::remove(SettingsFilePath());
}

// A console on a fresh data folder, answered by a script.
class ConsoleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        ASSERT_TRUE(data.path().size() > 0);
    }
    Console& console() {
        if (!m_console) m_console = std::make_unique<Console>(op, data.path());
        return *m_console;
    }

    TempDataDir data;
    ScriptedOperator op;

private:
    std::unique_ptr<Console> m_console;
};

// Runs `act` on the next modal window that opens (a message box or a dialog's exec()).
inline void OnNextModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start();
}

}  // namespace tallyport::test
