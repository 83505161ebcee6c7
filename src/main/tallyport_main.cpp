// The console's entry: arguments, the single-instance guard, then the desktop or headless run.
#include "app/card_print_command.h"
#include "app/command_line.h"
#include "app/demo.h"
#include "app/headless.h"
#include "app/headless_operator.h"
#include "app/instance_guard.h"
#include "app/report_command.h"
#include "app/subcommands.h"
#include "app/ui/desktop.h"
#include "base/clock.h"
#include "peripherals/ui/gui_devices.h"
#include "reports/ui/card_pages.h"
#include "reports/ui/member_list_pages.h"
#include "reports/ui/report_pages.h"
#include "store/data_folder_lock.h"
#include "version.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <optional>

using namespace tallyport;

namespace {

QStringList arguments(int argc, char** argv) {
    QStringList out;
    for (int i = 1; i < argc; ++i) out << QString::fromLocal8Bit(argv[i]);
    return out;
}

// With --demo the console runs on a throw-away folder beside a simulated reader.
bool prepareDemo(Demo& demo, CommandLine& cl) {
    if (!cl.demo) return true;
    if (auto r = demo.start(); !r) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error().text));
        return false;
    }
    cl.dataDir = demo.dataFolder();
    return true;
}

int runHeadless(int argc, char** argv, CommandLine cl) {
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral(TALLYPORT_PRODUCT));
    InstanceGuard guard;
    if (!guard.acquired()) {
        HeadlessOperator().information(kAlreadyRunning);
        return 0;
    }
    Demo demo;
    if (!prepareDemo(demo, cl)) return 1;
    // The data folder has one writer: a console that finds it held by another process (of any
    // user, with any runtime folder) touches nothing and ends.
    const DataFolderLock lock = DataFolderLock::take(cl.dataDir);
    if (!lock.held()) {
        HeadlessOperator().error(lock.refusal());
        return refusedExitCode(lock);
    }
    // Spoken greetings without a window; no camera, no beep.
    const std::unique_ptr<SpeechVoice> voice = makeSpeechVoice();
    return runHeadlessConsole(cl.dataDir, {nullptr, voice.get(), nullptr});
}

int runDesktop(int argc, char** argv, CommandLine cl) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral(TALLYPORT_PRODUCT));
    InstanceGuard guard;
    if (!guard.acquired()) {
        showAnotherInstance();
        return 0;
    }
    Demo demo;
    if (!prepareDemo(demo, cl)) return 1;
    const DataFolderLock lock = DataFolderLock::take(cl.dataDir);
    // A folder held by a recorder: the desktop works beside it.
    if (lock.state() == DataFolderLock::State::HeldElsewhere)
        if (const auto status = askRecorderStatus(cl.dataDir))
            if (const auto recorder = recorderOf(*status))
                return runDesktopConsole(cl.dataDir, recorder);
    if (!lock.held()) {
        std::fprintf(stderr, "%s\n", qPrintable(lock.refusal()));
        showStartRefused(lock.refusal());
        return refusedExitCode(lock);
    }
    return runDesktopConsole(cl.dataDir);
}

// Drawing PDF pages with fonts needs a (windowless) GUI application. It sees only the
// program's name: Qt would take options of ours such as --style for its own and drop them.
void makePdfApplication(std::optional<QGuiApplication>& app, char** argv) {
    static int appArgc = 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    app.emplace(appArgc, argv);
}

// `tallyport report …`: text output keeps the plain core application the command makes itself.
int runReport(int argc, char** argv) {
    std::optional<QGuiApplication> app;
    if (reportWantsPdf(argc, argv)) makePdfApplication(app, argv);
    return runReportCommand(argc, argv, [](const ReportContents& rc, const QString& path) {
        return writeReportPdf(rc, path, appClock().now());
    });
}

// `tallyport cards …` and `tallyport member-list …`.
int runHolderPrint(int argc, char** argv) {
    std::optional<QGuiApplication> app;
    if (holderPrintWantsPdf(argc, argv)) makePdfApplication(app, argv);
    HolderPdfWriters writers;
    writers.cards = writeCardSheetPdf;
    writers.memberList = [](const std::vector<MemberRow>& rows, const QString& path) {
        return writeMemberListPdf(rows, path, appClock().now());
    };
    return runHolderPrintCommand(argc, argv, writers);
}

}  // namespace

int main(int argc, char** argv) {
    // Reports need no window and no instance lock: they only read the databases.
    if (argc > 1 && qstrcmp(argv[1], "report") == 0) return runReport(argc, argv);
    if (argc > 1 && isHolderPrintCommand(argv[1])) return runHolderPrint(argc, argv);
    if (argc > 1)
        if (const Subcommand* s = findSubcommand(argv[1])) return s->run(argc, argv);
    const CommandLine cl = parseCommandLine(arguments(argc, argv));
    if (!cl.error.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(cl.error), qPrintable(usageText()));
        return 2;
    }
    if (cl.help) {
        std::printf("%s", qPrintable(usageText()));
        return 0;
    }
    if (cl.version) {
        std::printf("%s %s\n", TALLYPORT_PRODUCT, TALLYPORT_VERSION);
        return 0;
    }
    if (cl.headless) return runHeadless(argc, argv, cl);
    if (noDisplayAvailable()) {
        std::fprintf(stderr, "No display available: running headless.\n");
        return runHeadless(argc, argv, cl);
    }
    return runDesktop(argc, argv, cl);
}
