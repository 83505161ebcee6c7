#pragma once

// What every widget test shares: a settings store of its own, a console or a store on a fresh
// data folder, the controls of a dialog by name, and answering the next modal window.
// Header only: the support library links no widgets; only widget tests include this.
#include "app/console.h"
#include "store/settings.h"
#include "support/scripted_operator.h"
#include "support/store_fixture.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTableView>
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
    QFile::remove(settingsFilePath());
}

// A named control of a dialog; a missing one fails the test.
template <typename T = QWidget>
T* control(const QWidget* dialog, const char* name) {
    T* w = dialog->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << "no control " << name;
    return w;
}

inline void click(const QWidget* dialog, const char* name) {
    if (auto* b = control<QAbstractButton>(dialog, name)) b->click();
}

inline void setChecked(const QWidget* dialog, const char* name, bool on) {
    if (auto* b = control<QAbstractButton>(dialog, name)) b->setChecked(on);
}

inline QString cell(const QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

inline QStringList column(const QTableView* grid, int col) {
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r) out << cell(grid, r, col);
    return out;
}

// The class of a window as a person would name it: "CardEditorDialog", "CardInfoDialog",
// "QMessageBox".
inline QString className(const QWidget* w) {
    return QString::fromLatin1(w->metaObject()->className()).remove(QStringLiteral("tallyport::"));
}

namespace detail {
inline int& pendingModals() {
    static int n = 0;
    return n;
}
}  // namespace detail

// Runs `act` on the next modal window that opens (a message box or a dialog's exec()). When
// none opens within `waitMs`, the test fails and `act` never runs; a test that ends while one
// is still awaited fails too (see ExpectNoModalAwaited).
inline void OnNextModal(std::function<void(QWidget*)> act, int waitMs = 10000) {
    ++detail::pendingModals();
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, act = std::move(act), deadline = QDeadlineTimer(waitMs), waitMs] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (!modal && !deadline.hasExpired()) return;
                         poll->stop();
                         poll->deleteLater();
                         --detail::pendingModals();
                         if (!modal) {
                             ADD_FAILURE() << "no dialog opened within " << waitMs << " ms";
                             return;
                         }
                         act(modal);
                     });
    poll->start();
}

// The class name of the next modal window, which is then closed as Cancel would close it.
inline void RecordNextModal(QString& opened, int waitMs = 10000) {
    OnNextModal(
        [&opened](QWidget* w) {
            opened = className(w);
            w->close();
        },
        waitMs);
}

inline void ExpectNoModalAwaited() {
    EXPECT_EQ(detail::pendingModals(), 0) << "a dialog the test waited for never opened";
}

// A console on a fresh data folder, answered by a script.
class ConsoleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        ASSERT_TRUE(data.path().size() > 0);
    }
    void TearDown() override { ExpectNoModalAwaited(); }
    Console& console() {
        if (!m_console) m_console = std::make_unique<Console>(op, data.path());
        return *m_console;
    }

    TempDataDir data;
    ScriptedOperator op;

private:
    std::unique_ptr<Console> m_console;
};

// A fresh store and settings for one dialog test.
class DialogFixture : public StoreFixture {
protected:
    void SetUp() override {
        ClearSettings();
        StoreFixture::SetUp();
    }
    void TearDown() override {
        ExpectNoModalAwaited();
        StoreFixture::TearDown();
    }
};

}  // namespace tallyport::test
