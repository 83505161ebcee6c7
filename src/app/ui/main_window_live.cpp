// The main window's part of live recording: the IN/OUT panel, its override click and the
// "Auto IN/OUT Time" command.
#include "app/auto_inout.h"
#include "app/console.h"
#include "app/ui/auto_inout_dialog.h"
#include "app/ui/main_window.h"
#include "base/clock.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QAction>
#include <QEvent>
#include <QLabel>

namespace tallyport {
namespace {

// Turns a release of the left button on the panel into a call.
class ClickFilter final : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent), m_onClick(std::move(onClick)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) m_onClick();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClick;
};

void showDirection(QLabel* panel, bool in) {
    panel->setText(in ? QStringLiteral("IN") : QStringLiteral("OUT"));
    panel->setStyleSheet(in ? QStringLiteral("color: blue;") : QStringLiteral("color: red;"));
}

}  // namespace

void MainWindow::connectLive() {
    if (endRequested()) return;
    AutoInOut& io = m_console.autoInOut();
    showDirection(m_iopanel, io.isIn());
    connect(&io, &AutoInOut::stateChanged, m_iopanel,
            [this](bool in) { showDirection(m_iopanel, in); });
    m_iopanel->installEventFilter(
        new ClickFilter(m_iopanel, [this] { m_console.autoInOut().panelClick(); }));
    connect(action(QStringLiteral("actautoio")), &QAction::triggered, this, [this] {
        AutoInOutDialog dialog(m_console.data().src(), m_console.op(), this);
        dialog.exec();
        m_iopanel->setVisible(ReadSettingBool(setting::AutoInOut, false));
        m_console.autoInOut().Evaluate(appClock().now().time());
    });
}

}  // namespace tallyport
