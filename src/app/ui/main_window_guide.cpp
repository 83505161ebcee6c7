// The first-run guide shares the log area with the grid: the checklist shows in its place
// while the guide is open.
#include "app/commands.h"
#include "app/console.h"
#include "app/first_run.h"
#include "app/ui/first_run_panel.h"
#include "app/ui/main_window.h"

#include <QAction>
#include <QGroupBox>
#include <QLayout>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace tallyport {

void MainWindow::buildFirstRunGuide() {
    m_firstRun = new FirstRunGuide(m_console.data(), this);
    const FirstRunActions actions{
        action(cmd::actLogin), action(cmd::actsetpasswd), action(QStringLiteral("actreaders")),
        action(QStringLiteral("actdefgroup")), action(QStringLiteral("actcardinfo"))};
    m_firstRunPanel = new FirstRunPanel(*m_firstRun, actions);

    // The grid keeps a page of its own, so its own show and hide stay inside that page.
    auto* stack = new QStackedWidget;
    stack->setObjectName(QStringLiteral("logArea"));
    auto* gridPage = new QWidget;
    delete m_logs->layout()->replaceWidget(m_info, stack);
    auto* gridLayout = new QVBoxLayout(gridPage);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->addWidget(m_info);
    stack->addWidget(gridPage);
    stack->addWidget(m_firstRunPanel);
    connect(m_firstRun, &FirstRunGuide::changed, stack, [this, stack, gridPage] {
        stack->setCurrentWidget(m_firstRun->shown() ? static_cast<QWidget*>(m_firstRunPanel)
                                                    : gridPage);
    });

    // Connected after the commands' own work: the steps are read again once a dialog closed.
    const auto refresh = [this] { m_firstRun->refresh(); };
    for (QAction* a : {actions.password, actions.readers, actions.groups, actions.holders})
        connect(a, &QAction::triggered, m_firstRun, refresh);
    connect(&m_console, &Console::holdersChanged, m_firstRun, refresh);
    connect(&m_console, &Console::readerStatus, m_firstRun, refresh);
    connect(&m_console, &Console::logChanged, m_firstRun, refresh);
    m_firstRun->start();
}

}  // namespace tallyport
