#include "app/ui/notify_commands.h"

#include "app/console.h"
#include "app/ui/main_window.h"
#include "notify/mail_queue.h"
#include "notify/ui/email_setup_dialog.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "web/ui/web_report_dialog.h"
#include "web/web_reporter.h"

#include <QAction>
#include <QLabel>
#include <algorithm>

namespace tallyport {
namespace {

// The panel is narrow while idle; a text of the mailing widens it so the text can be read.
void showMailStatus(QLabel* panel, const QString& text) {
    if (!panel->property("idleWidth").isValid()) panel->setProperty("idleWidth", panel->width());
    const int idleWidth = panel->property("idleWidth").toInt();
    panel->setText(text);
    panel->setToolTip(text);
    const int needed = panel->fontMetrics().horizontalAdvance(text) + 12;
    panel->setFixedWidth(text.isEmpty() ? idleWidth : std::max(idleWidth, needed));
}

void connectEmail(MainWindow& window, Console& console) {
    QObject::connect(window.action(QStringLiteral("actemail")), &QAction::triggered, &window,
                     [&window, &console] {
                         EmailSetupDialog dialog(console.data(), console.op(), &window);
                         if (dialog.exec() == QDialog::Accepted) console.mail().configureTimer();
                     });
    QLabel* panel = window.statusPanel(1);
    QObject::connect(&console.mail(), &MailQueue::statusChanged, panel,
                     [panel](const QString& text) { showMailStatus(panel, text); });
    QObject::connect(&console.mail(), &MailQueue::sendFailed, panel,
                     [panel](const QString& reason) {
                         panel->setToolTip(kEmailSentError + QLatin1Char(' ') + reason);
                     });
}

void connectWebReporter(MainWindow& window, Console& console) {
    QAction* action = window.action(QStringLiteral("actWebReporter"));
    action->setCheckable(true);
    const auto showState = [action] {
        action->setChecked(ReadSettingBool(setting::WebEnabled, false));
    };
    showState();
    QObject::connect(action, &QAction::triggered, &window, [&window, &console, showState] {
        WebReportDialog dialog(console.op(), &window);
        const bool confirmed = dialog.exec() == QDialog::Accepted;
        showState();
        if (!confirmed) return;
        if (auto r = console.web().applySettings(); !r) console.op().error(r.error().text);
    });
}

}  // namespace

void connectNotifyCommands(MainWindow& window, Console& console) {
    connectEmail(window, console);
    connectWebReporter(window, console);
}

}  // namespace tallyport
