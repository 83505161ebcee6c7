#include "app/ui/staff_commands.h"

#include "app/console.h"
#include "app/ui/main_window.h"
#include "reports/ui/time_table_dialog.h"
#include "staff/ui/group_list_dialog.h"

#include <QAction>

namespace tallyport {

void connectStaffCommands(MainWindow& window, Console& console) {
    QObject::connect(window.action(QStringLiteral("actdefgroup")), &QAction::triggered, &window,
                     [&window, &console] {
                         GroupListDialog dialog(console.data().src(), console.op(), &window);
                         QObject::connect(&dialog, &GroupListDialog::groupsChanged, &console,
                                          &Console::holdersChanged);
                         dialog.exec();
                     });
    QObject::connect(window.action(QStringLiteral("actSetTimeTbl")), &QAction::triggered, &window,
                     [&window, &console] {
                         TimeTableDialog dialog(console.data().src(), console.op(), &window);
                         dialog.exec();
                     });
}

}  // namespace tallyport
