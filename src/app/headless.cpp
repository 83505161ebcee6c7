#include "app/headless.h"

#include "app/card_events.h"
#include "app/console.h"
#include "app/headless_operator.h"
#include "app/signal_watcher.h"
#include "version.h"

#include <QCoreApplication>
#include <cstdio>

namespace tallyport {

QString ReadyLine(const QString& dataFolder) {
    return QStringLiteral(TALLYPORT_PRODUCT " " TALLYPORT_VERSION " ready: ") + dataFolder;
}

// One line per stored event, at once: a pipe reader sees each punch as it is stored.
static void PrintEventLine(Console& console, const LogRecord& row) {
    TStaffRec rec;
    const bool known = console.data().LookupHolder(row.cardNo, rec);
    const QString holder =
        known && !rec.group.isEmpty() ? rec.name + QStringLiteral(" (%1)").arg(rec.group) : rec.name;
    const QString desc = console.readers().reader(row.reader).Desc();
    std::printf("%s\n", qPrintable(EventLine(row, holder, desc)));
    std::fflush(stdout);
}

int RunHeadless(const QString& dataFolder, const Peripherals& devices) {
    HeadlessOperator op;
    Console console(op, dataFolder);
    console.setPeripherals(devices);
    QObject::connect(&console, &Console::readerStatus, [](int, const QString& text) {
        HeadlessOperator::log(QStringLiteral("reader"), text);
    });
    QObject::connect(&console, &Console::eventStored, [&console](const LogRecord& row) {
        PrintEventLine(console, row);
    });
    const bool started = console.StartUp();
    if (!started) return 1;
    console.CreationStep();
    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::stopRequested, qApp, [](int sig) {
        HeadlessOperator::log(QStringLiteral("information"),
                              QStringLiteral("Stopping on signal %1").arg(sig));
        QCoreApplication::quit();
    });
    HeadlessOperator::log(QStringLiteral("information"), console.recordCountText());
    std::printf("%s\n", qPrintable(ReadyLine(console.data().dataFolder())));
    std::fflush(stdout);
    const int rc = QCoreApplication::exec();
    console.Shutdown();
    return rc;
}

}  // namespace tallyport
