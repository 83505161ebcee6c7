#include "app/headless.h"

#include "app/card_events.h"
#include "app/console.h"
#include "app/headless_operator.h"
#include "app/recorder_requests.h"
#include "app/service_notifier.h"
#include "app/signal_watcher.h"
#include "notify/mail_queue.h"
#include "version.h"
#include "web/web_reporter.h"

#include <QCoreApplication>
#include <cstdio>

namespace tallyport {

namespace {
const QString kInformation = QStringLiteral("information");
const QString kWarning = QStringLiteral("warning");
const QString kReloadedText =
    QStringLiteral("Settings and readers read again; readers configured anew: %1");
}  // namespace

const QString kNoReaderEnabled = QStringLiteral("No reader is enabled: nothing will be recorded.");

QString readyLine(const QString& dataFolder) {
    return QStringLiteral(TALLYPORT_PRODUCT " " TALLYPORT_VERSION " ready: ") + dataFolder;
}

// One line per stored event, at once: a pipe reader sees each punch as it is stored.
static void printEventLine(Console& console, const LogRecord& row) {
    StaffRecord rec;
    const bool known = console.data().lookupHolder(row.cardNo, rec);
    const QString holder = known && !rec.group.isEmpty()
                               ? rec.name + QStringLiteral(" (%1)").arg(rec.group)
                               : rec.name;
    const QString desc = console.readers().reader(row.reader).Desc();
    std::printf("%s\n", qPrintable(eventLine(row, holder, desc)));
    std::fflush(stdout);
}

// The mailing and the web reporter say what they do on the log.
static void logServices(Console& console) {
    QObject::connect(&console.mail(), &MailQueue::mailSent, [](const QString& subject) {
        HeadlessOperator::log(QStringLiteral("email"), QStringLiteral("sent: ") + subject);
    });
    QObject::connect(&console.mail(), &MailQueue::sendFailed, [](const QString& reason) {
        HeadlessOperator::log(QStringLiteral("email"), kEmailSentError + QLatin1Char(' ') + reason);
    });
    QObject::connect(&console.web(), &WebReporter::stateChanged, [](const QString& text) {
        HeadlessOperator::log(QStringLiteral("web"), text);
    });
}

static bool anyReaderEnabled(Console& console) {
    for (int port = 1; port <= 8; ++port) {
        const ReaderClient& r = console.readers().reader(port);
        if (r.Enable() || r.autoReconnect()) return true;
    }
    return false;
}

int runHeadlessConsole(const QString& dataFolder, const Peripherals& devices) {
    HeadlessOperator op;
    Console console(op, dataFolder);
    console.setPeripherals(devices);
    QObject::connect(&console, &Console::readerStatus, [](int, const QString& text) {
        HeadlessOperator::log(QStringLiteral("reader"), text);
    });
    logServices(console);
    QObject::connect(&console, &Console::eventStored,
                     [&console](const LogRecord& row) { printEventLine(console, row); });
    const bool started = console.startUp();
    if (!started) return 1;
    console.creationStep();
    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::stopRequested, qApp, [](int sig) {
        HeadlessOperator::log(QStringLiteral("information"),
                              QStringLiteral("Stopping on signal %1").arg(sig));
        QCoreApplication::quit();
    });
    HeadlessOperator::log(QStringLiteral("information"), console.recordCountText());
    if (!anyReaderEnabled(console)) HeadlessOperator::log(kWarning, kNoReaderEnabled);
    RecorderRequests requests(console);
    if (auto listening = requests.listen(); !listening)
        HeadlessOperator::log(QStringLiteral("error"), listening.error().text);
    std::printf("%s\n", qPrintable(readyLine(console.data().dataFolder())));
    std::fflush(stdout);
    ServiceNotifier service;
    QObject::connect(&signals, &SignalWatcher::reloadRequested, &console, [&] {
        service.reloading();
        const std::vector<int> ports = console.reload();
        QStringList names;
        for (int port : ports) names << QString::number(port);
        HeadlessOperator::log(
            kInformation,
            kReloadedText.arg(names.isEmpty() ? QStringLiteral("none") : names.join(u',')));
        if (!anyReaderEnabled(console)) HeadlessOperator::log(kWarning, kNoReaderEnabled);
        service.ready();
    });
    service.ready();
    const int rc = QCoreApplication::exec();
    service.stopping();
    console.Shutdown();
    return rc;
}

}  // namespace tallyport
