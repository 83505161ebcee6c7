#include "app/ui/maintenance_commands.h"

#include "app/attached_commands.h"
#include "app/console.h"
#include "app/ui/main_window.h"
#include "base/clock.h"
#include "store/log_import.h"
#include "store/maintenance.h"
#include "store/staff_import.h"
#include "store/ui/erase_records_dialog.h"

#include <QAction>

namespace tallyport {
namespace {

// A console whose databases did not open again ends, as after a failed start.
void endUnlessOpen(MainWindow& window, Console& console) {
    if (!console.data().isOpen()) window.close();
}

void eraseLogDatabase(MainWindow& window, Console& console) {
    EraseRecordsDialog dialog(&window);
    dialog.setFrom(appClock().now());
    if (dialog.exec() != QDialog::Accepted) return;
    const EraseLogOutcome out = EraseLogDatabase(console.data(), console.op(), dialog.scope());
    if (!out.asked) return;
    Q_EMIT console.logChanged();
    // What is left starts with the oldest row: its holder and snapshot are on show (none
    // when the log is empty: no row, no pictures).
    const LogRecord first = out.firstRemaining.value_or(LogRecord{});
    window.showHolderPhoto(first.cardNo);
    window.showSnapshot(first.cardNo, first.sysTime);
}

const QString kRestoreWord = QStringLiteral("Restore");
const QString kFormatWord = QStringLiteral("Format");
const QString kEraseWord = QStringLiteral("Erase");

template <typename F>
void onTriggered(MainWindow& window, const char* command, F&& run) {
    QObject::connect(window.action(QLatin1String(command)), &QAction::triggered, &window,
                     std::forward<F>(run));
}

}  // namespace

void connectMaintenanceCommands(MainWindow& window, Console& console) {
    DataModule& data = console.data();
    Operator& op = console.op();
    onTriggered(window, "actBupLogs", [&data, &op] { BackupDatabase(data, op, DbKind::Log); });
    onTriggered(window, "actBupSys", [&data, &op] { BackupDatabase(data, op, DbKind::System); });
    onTriggered(window, "actRstLogs", [&window, &console] {
        if (refusedWhileAttached(console, kRestoreWord)) return;
        RestoreDatabase(console.data(), console.op(), DbKind::Log);
        endUnlessOpen(window, console);
    });
    onTriggered(window, "actRstSys", [&window, &console] {
        if (refusedWhileAttached(console, kRestoreWord)) return;
        if (RestoreDatabase(console.data(), console.op(), DbKind::System))
            Q_EMIT console.holdersChanged();
        endUnlessOpen(window, console);
    });
    onTriggered(window, "actdelete", [&window, &console] {
        if (refusedWhileAttached(console, kFormatWord)) return;
        // Even a format that failed half-way may have replaced one of the files.
        FormatDatabase(console.data(), console.op());
        Q_EMIT console.holdersChanged();
        endUnlessOpen(window, console);
    });
    onTriggered(window, "actreset", [&window, &console] {
        if (refusedWhileAttached(console, kEraseWord)) return;
        eraseLogDatabase(window, console);
    });
    onTriggered(window, "actxerasestaffs", [&console] {
        EraseStaffRecords(console.data(), console.op());
        Q_EMIT console.holdersChanged();
    });
    onTriggered(window, "actImportLog", [&console] {
        if (console.attachedTo())
            importOnRecorder(console, true);
        else
            ImportLogRecords(console.data(), console.op());
        Q_EMIT console.logChanged();
    });
    onTriggered(window, "actImportSys", [&console] {
        if (console.attachedTo())
            importOnRecorder(console, false);
        else
            ImportStaffRecords(console.data(), console.op());
        Q_EMIT console.holdersChanged();
    });
}

}  // namespace tallyport
