// The main window's commands: one action per command of the table, named after it, enabled
// as the login state says, placed in the menus in their order.
#include "app/console.h"
#include "app/ui/admin_commands.h"
#include "app/ui/card_commands.h"
#include "app/ui/card_print_commands.h"
#include "app/ui/export_commands.h"
#include "app/ui/main_window.h"
#include "app/ui/maintenance_commands.h"
#include "app/ui/notify_commands.h"
#include "app/ui/report_commands.h"
#include "app/ui/staff_commands.h"

#include <QAction>
#include <QMenuBar>
#include <cstring>

namespace tallyport {
namespace {

const char* const kSeparator = "-";

// Captions of the Actions menu carry their keyboard mnemonics.
const std::map<QString, QString>& menuCaptions() {
    static const std::map<QString, QString> captions = {
        {cmd::actLogin, QStringLiteral("&Login")},
        {cmd::actLogout, QStringLiteral("L&ogout")},
        {cmd::actsetpasswd, QStringLiteral("&Set Password")},
        {cmd::acthide, kHideToTray},
        {cmd::actexit, QStringLiteral("&Exit")},
    };
    return captions;
}

}  // namespace

QAction* MainWindow::action(const QString& name) const {
    const auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : it->second;
}

void MainWindow::buildActions() {
    for (const CommandInfo& c : allCommands()) {
        const QString name = QString::fromLatin1(c.name);
        const auto caption = menuCaptions().find(name);
        auto* a = new QAction(
            caption != menuCaptions().end() ? caption->second : QString::fromLatin1(c.caption),
            this);
        a->setObjectName(name);
        a->setEnabled(m_console.commands().isEnabled(name));
        addAction(a);  // commands outside the menus exist all the same
        m_actions[name] = a;
    }
    action(cmd::actHideIt)->setCheckable(true);
    bindCommands();
}

void MainWindow::bindCommands() {
    connect(&m_console.commands(), &Commands::enabledChanged, this,
            [this](const QString& name, bool enabled) {
                if (QAction* a = action(name)) a->setEnabled(enabled);
            });
}

void MainWindow::fillMenu(QMenu* menu, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (std::strcmp(name, kSeparator) == 0)
            menu->addSeparator();
        else
            menu->addAction(action(QLatin1String(name)));
    }
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    fillMenu(bar->addMenu(QStringLiteral("&Actions")),
             {"actLogin", "actLogout", "actsetpasswd", kSeparator, "acthide", "actexit", kSeparator,
              "actabout"});
    fillMenu(bar->addMenu(QStringLiteral("Database")),
             {"actBupLogs", "actBupSys", "actRstLogs", "actRstSys", kSeparator, "actexcel",
              "acttext", kSeparator, "actreset", "actxerasestaffs", "actdelete", kSeparator,
              "actImportLog", "actImportSys"});
    fillMenu(bar->addMenu(QStringLiteral("Setup")),
             {"actemail", "actdefgroup", "actreaders", "actOfflineManager", "actmasterpin",
              "actWebReporter", kSeparator, "actHideIt"});
    fillMenu(bar->addMenu(QStringLiteral("Card Manager")),
             {"actcardinfo", kSeparator, "actmemberlist", "actlistmem"});
    QMenu* reports = bar->addMenu(QStringLiteral("Reports"));
    fillMenu(reports->addMenu(QStringLiteral("Attendance")), {"actlate", "actFiloOn", "actNsess"});
    fillMenu(reports->addMenu(QStringLiteral("Printouts")),
             {"actinout", "actlogs", "actlifo", "actdetailtotal", "actwho"});
    QMenu* sheets = reports->addMenu(QStringLiteral("Spreadsheet"));
    fillMenu(sheets, {"actexpfilo", "actAllinout", "actexpfix"});
    fillMenu(sheets->addMenu(QStringLiteral("IN/OUT Pairs (Late and Early Leave)")),
             {"actSetTimeTbl", "actAttnPairs"});
    fillMenu(bar->addMenu(QStringLiteral("Options")),
             {"actautoio", "actDoorOpen", "actcap", "actsetweb", "actSpeech"});
}

// The work of the commands of later parts is connected when those parts are built.
void MainWindow::connectActions() {
    const auto showMe = [this] { showMainWindow(); };
    const auto login = [this, showMe] { m_console.login().Login(showMe); };
    connect(action(cmd::actLogin), &QAction::triggered, this, login);
    connect(action(cmd::popLogin), &QAction::triggered, this, login);
    connect(action(cmd::actLogout), &QAction::triggered, this,
            [this] { m_console.login().Logout(); });
    connect(action(cmd::actsetpasswd), &QAction::triggered, this,
            [this] { m_console.login().setPassword(); });
    connect(action(cmd::acthide), &QAction::triggered, this, &MainWindow::hideMainWindow);
    connect(action(cmd::actexit), &QAction::triggered, this, &QWidget::close);
    connect(action(cmd::actabout), &QAction::triggered, this, &MainWindow::showAbout);
    connect(action(cmd::actHideIt), &QAction::triggered, this,
            [this](bool checked) { m_console.setHideOnStartup(checked); });
    connectDeviceCommands();
    connectCardCommands(*this, m_console);
    connectStaffCommands(*this, m_console);
    connectReportCommands(*this, m_console);
    connectCardPrintCommands(*this, m_console);
    connectAdminCommands(*this, m_console);
    connectExportCommands(*this, m_console);
    connectMaintenanceCommands(*this, m_console);
    connectNotifyCommands(*this, m_console);
}

}  // namespace tallyport
