#include "app/ui/staff_commands.h"

#include "app/console.h"
#include "app/ui/ttimerec.h"
#include "reports/ui/time_table_dialog.h"
#include "staff/ui/group_list_dialog.h"

#include <QAction>

namespace tallyport {

void connectStaffCommands(TTimeRec& window, Console& console) {
    QObject::connect(window.action(QStringLiteral("actdefgroup")), &QAction::triggered, &window,
                     [&window, &console] {
                         TDlgGrpList dialog(console.data().src(), console.op(), &window);
                         QObject::connect(&dialog, &TDlgGrpList::groupsChanged, &console,
                                          &Console::holdersChanged);
                         dialog.exec();
                     });
    QObject::connect(window.action(QStringLiteral("actSetTimeTbl")), &QAction::triggered, &window,
                     [&window, &console] {
                         TFmTimeTbl dialog(console.data().src(), console.op(), &window);
                         dialog.exec();
                     });
}

}  // namespace tallyport
